// Type-erased access to one property of a remotable object.
//
// The codec reads and writes values through this interface, choosing the
// member by the property's TypeKind: ordinals (integers, Booleans,
// enumerations, characters, 64-bit integers), floats, strings, objects,
// variants and dynamic arrays. The templates at the end implement it for a
// data member or a getter/setter pair; one accessor object with static
// storage exists per member (FieldAccessFor, MethodAccessFor), so describing
// a property allocates nothing.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <type_traits>
#include <utility>
#include <vector>

#include "service/registry/owned.h"
#include "service/registry/type_info.h"
#include "service/registry/variant.h"

namespace vorn {

class TRemotable;

// A whole array value on its way into an object: the vector matching the
// element kind is filled, the others stay empty.
struct ArrayValue {
  TByteDynArray bytes;                               // byte arrays
  std::vector<int64_t> ords;                         // ordinal and 64-bit entries
  std::vector<double> floats;                        // float entries
  std::vector<std::string> strings;                  // text entries
  std::vector<std::unique_ptr<TRemotable>> objects;  // object entries (null allowed)
  std::vector<Variant> variants;                     // variant entries
};

class PropAccess {
 public:
  virtual ~PropAccess() = default;

  virtual int64_t GetOrd(const TRemotable&) const { Mismatch(); }
  virtual void SetOrd(TRemotable&, int64_t) const { Mismatch(); }
  virtual double GetFloat(const TRemotable&) const { Mismatch(); }
  virtual void SetFloat(TRemotable&, double) const { Mismatch(); }
  virtual const std::string& GetString(const TRemotable&) const { Mismatch(); }
  virtual void SetString(TRemotable&, std::string) const { Mismatch(); }
  // The object held (not owned by the caller), or null.
  virtual const TRemotable* GetObject(const TRemotable&) const { Mismatch(); }
  // Stores `value` and hands back the object it replaces (never destroyed
  // behind the caller's back).
  virtual std::unique_ptr<TRemotable> SetObject(TRemotable&, std::unique_ptr<TRemotable>) const {
    Mismatch();
  }
  virtual const Variant& GetVariant(const TRemotable&) const { Mismatch(); }
  virtual void SetVariant(TRemotable&, Variant) const { Mismatch(); }

  // Arrays: length and entries by the element kind.
  virtual size_t ArrayLength(const TRemotable&) const { Mismatch(); }
  virtual const TByteDynArray& GetBytes(const TRemotable&) const { Mismatch(); }
  virtual int64_t ArrayOrd(const TRemotable&, size_t) const { Mismatch(); }
  virtual double ArrayFloat(const TRemotable&, size_t) const { Mismatch(); }
  virtual const std::string& ArrayString(const TRemotable&, size_t) const { Mismatch(); }
  virtual const TRemotable* ArrayObject(const TRemotable&, size_t) const { Mismatch(); }
  virtual const Variant& ArrayVariant(const TRemotable&, size_t) const { Mismatch(); }
  virtual void SetArray(TRemotable&, ArrayValue) const { Mismatch(); }
  // Arrays of objects: empties entry `i` and hands back what it held; then
  // empties the whole array. Used to destroy owned entries in order.
  virtual std::unique_ptr<TRemotable> ReleaseArrayObject(TRemotable&, size_t) const { Mismatch(); }
  virtual void ClearArray(TRemotable&) const { Mismatch(); }

 protected:
  // A codec asked for a value kind that the property does not have: a fault
  // in a class description. Throws vorn::Exception.
  [[noreturn]] static void Mismatch();
};

namespace internal {

[[noreturn]] void ThrowWrongClass();

template <class T>
struct ValueOfGetter {
  using type = std::remove_cvref_t<T>;
};
template <class T>
struct ValueOfGetter<T*> {
  using type = std::unique_ptr<std::remove_cv_t<T>>;
};
template <class T>
struct ValueOfGetter<const T*> {
  using type = std::unique_ptr<T>;
};

template <class V>
inline constexpr bool kIsOrdinal = std::is_integral_v<V> || std::is_enum_v<V>;

// Converts an array value of the codec to the C++ vector type V.
template <class V>
V FromArrayValue(ArrayValue&& a) {
  using E = typename V::value_type;
  V out;
  if constexpr (std::is_same_v<E, uint8_t>) {
    out = std::move(a.bytes);
  } else if constexpr (kIsOrdinal<E>) {
    out.reserve(a.ords.size());
    for (int64_t o : a.ords) out.push_back(static_cast<E>(o));
  } else if constexpr (std::is_floating_point_v<E>) {
    out.assign(a.floats.begin(), a.floats.end());
  } else if constexpr (std::is_same_v<E, std::string>) {
    out = std::move(a.strings);
  } else if constexpr (std::is_same_v<E, Variant>) {
    out = std::move(a.variants);
  } else {
    using T = typename IsUniquePtr<E>::element;
    out.reserve(a.objects.size());
    for (auto& o : a.objects) {
      if (o != nullptr && dynamic_cast<T*>(o.get()) == nullptr) ThrowWrongClass();
      out.emplace_back(static_cast<T*>(o.release()));
    }
  }
  return out;
}

// The part of an accessor that depends only on the value type V, given how
// to reach the value (Get) and how to store one (Put).
template <class Derived, class V>
class ValueAccess : public PropAccess {
  decltype(auto) Ref(const TRemotable& o) const {
    return static_cast<const Derived*>(this)->Get(o);
  }
  template <class X>
  auto Put(TRemotable& o, X&& x) const {
    return static_cast<const Derived*>(this)->Store(o, std::forward<X>(x));
  }

 public:
  int64_t GetOrd(const TRemotable& o) const override {
    if constexpr (kIsOrdinal<V>) return static_cast<int64_t>(Ref(o));
    Mismatch();
  }
  void SetOrd(TRemotable& o, int64_t v) const override {
    if constexpr (kIsOrdinal<V>) {
      Put(o, static_cast<V>(v));
      return;
    }
    Mismatch();
  }
  double GetFloat(const TRemotable& o) const override {
    if constexpr (std::is_floating_point_v<V>) return Ref(o);
    Mismatch();
  }
  void SetFloat(TRemotable& o, double v) const override {
    if constexpr (std::is_floating_point_v<V>) {
      Put(o, static_cast<V>(v));
      return;
    }
    Mismatch();
  }
  const std::string& GetString(const TRemotable& o) const override {
    if constexpr (std::is_same_v<V, std::string>) return Ref(o);
    Mismatch();
  }
  void SetString(TRemotable& o, std::string v) const override {
    if constexpr (std::is_same_v<V, std::string>) {
      Put(o, std::move(v));
      return;
    }
    Mismatch();
  }
  const Variant& GetVariant(const TRemotable& o) const override {
    if constexpr (std::is_same_v<V, Variant>) return Ref(o);
    Mismatch();
  }
  void SetVariant(TRemotable& o, Variant v) const override {
    if constexpr (std::is_same_v<V, Variant>) {
      Put(o, std::move(v));
      return;
    }
    Mismatch();
  }
  const TRemotable* GetObject(const TRemotable& o) const override {
    if constexpr (IsUniquePtr<V>::value) return static_cast<const Derived*>(this)->Object(o);
    Mismatch();
  }
  std::unique_ptr<TRemotable> SetObject(TRemotable& o,
                                        std::unique_ptr<TRemotable> v) const override {
    if constexpr (IsUniquePtr<V>::value) {
      using T = typename IsUniquePtr<V>::element;
      if (v != nullptr && dynamic_cast<T*>(v.get()) == nullptr) ThrowWrongClass();
      return Put(o, std::unique_ptr<T>(static_cast<T*>(v.release())));
    }
    Mismatch();
  }

  size_t ArrayLength(const TRemotable& o) const override {
    if constexpr (IsVectorLike()) return Ref(o).size();
    Mismatch();
  }
  const TByteDynArray& GetBytes(const TRemotable& o) const override {
    if constexpr (std::is_same_v<V, TByteDynArray>) return Ref(o);
    Mismatch();
  }
  int64_t ArrayOrd(const TRemotable& o, size_t i) const override {
    if constexpr (IsVectorLike()) {
      if constexpr (kIsOrdinal<typename V::value_type>) return static_cast<int64_t>(Ref(o)[i]);
    }
    Mismatch();
  }
  double ArrayFloat(const TRemotable& o, size_t i) const override {
    if constexpr (IsVectorLike()) {
      if constexpr (std::is_floating_point_v<typename V::value_type>) return Ref(o)[i];
    }
    Mismatch();
  }
  const std::string& ArrayString(const TRemotable& o, size_t i) const override {
    if constexpr (IsVectorLike()) {
      if constexpr (std::is_same_v<typename V::value_type, std::string>) return Ref(o)[i];
    }
    Mismatch();
  }
  const TRemotable* ArrayObject(const TRemotable& o, size_t i) const override {
    if constexpr (IsVectorLike()) {
      if constexpr (IsUniquePtr<typename V::value_type>::value) return Ref(o)[i].get();
    }
    Mismatch();
  }
  const Variant& ArrayVariant(const TRemotable& o, size_t i) const override {
    if constexpr (IsVectorLike()) {
      if constexpr (std::is_same_v<typename V::value_type, Variant>) return Ref(o)[i];
    }
    Mismatch();
  }
  void SetArray(TRemotable& o, ArrayValue a) const override {
    if constexpr (IsVectorLike()) {
      Put(o, FromArrayValue<V>(std::move(a)));
      return;
    }
    Mismatch();
  }
  std::unique_ptr<TRemotable> ReleaseArrayObject(TRemotable& o, size_t i) const override {
    if constexpr (IsVectorLike()) {
      if constexpr (IsUniquePtr<typename V::value_type>::value) {
        return static_cast<const Derived*>(this)->ReleaseEntry(o, i);
      }
    }
    Mismatch();
  }
  void ClearArray(TRemotable& o) const override {
    if constexpr (IsVectorLike()) {
      Put(o, V{});
      return;
    }
    Mismatch();
  }

 private:
  static constexpr bool IsVectorLike() {
    if constexpr (requires { typename V::value_type; } && !std::is_same_v<V, std::string> &&
                  !IsUniquePtr<V>::value) {
      return true;
    }
    return false;
  }
};

// Stores `p` in an object slot and hands back what it held.
template <class T>
std::unique_ptr<T> Exchange(Owned<T>& slot, std::unique_ptr<T> p) {
  return slot.Set(std::move(p));
}
template <class T>
std::unique_ptr<T> Exchange(std::unique_ptr<T>& slot, std::unique_ptr<T> p) {
  return std::exchange(slot, std::move(p));
}

// Access through a public data member.
template <class C, class V>
class FieldAccess : public ValueAccess<FieldAccess<C, V>, V> {
 public:
  explicit FieldAccess(V C::*m) : member_(m) {}
  const V& Get(const TRemotable& o) const { return static_cast<const C&>(o).*member_; }
  const TRemotable* Object(const TRemotable& o) const { return Get(o).get(); }
  // Object members hand back what they replace.
  template <class X>
  auto Store(TRemotable& o, X&& x) const {
    V& slot = static_cast<C&>(o).*member_;
    if constexpr (IsUniquePtr<V>::value) {
      return std::unique_ptr<TRemotable>(Exchange(slot, std::forward<X>(x)));
    } else {
      slot = std::forward<X>(x);
    }
  }
  std::unique_ptr<TRemotable> ReleaseEntry(TRemotable& o, size_t i) const {
    return std::unique_ptr<TRemotable>((static_cast<C&>(o).*member_)[i].release());
  }

 private:
  V C::*member_;
};

// Access through a getter and a setter. For an object property the getter
// returns a pointer and the setter takes a unique_ptr and returns the object
// it replaces.
template <class C, class G, class S>
class MethodAccess : public ValueAccess<MethodAccess<C, G, S>, typename ValueOfGetter<G>::type> {
  using V = typename ValueOfGetter<G>::type;

 public:
  MethodAccess(G (C::*g)() const, S s) : getter_(g), setter_(s) {}
  // The getter's own result: a reference or a value.
  decltype(auto) Get(const TRemotable& o) const {
    if constexpr (IsUniquePtr<V>::value) {
      PropAccess::Mismatch();  // objects are reached through Object()
    } else {
      return (static_cast<const C&>(o).*getter_)();
    }
  }
  const TRemotable* Object(const TRemotable& o) const {
    if constexpr (IsUniquePtr<V>::value) {
      return (static_cast<const C&>(o).*getter_)();
    } else {
      PropAccess::Mismatch();
    }
  }
  std::unique_ptr<TRemotable> ReleaseEntry(TRemotable&, size_t) const { PropAccess::Mismatch(); }
  template <class X>
  auto Store(TRemotable& o, X&& x) const {
    if constexpr (IsUniquePtr<V>::value) {
      return std::unique_ptr<TRemotable>((static_cast<C&>(o).*setter_)(std::forward<X>(x)));
    } else {
      (static_cast<C&>(o).*setter_)(std::forward<X>(x));
    }
  }

 private:
  G (C::*getter_)() const;
  S setter_;
};

template <class M>
struct MemberPointer;
template <class C, class V>
struct MemberPointer<V C::*> {
  using Class = C;
  using Value = V;
};

template <class M>
struct GetterPointer;
template <class C, class G>
struct GetterPointer<G (C::*)() const> {
  using Class = C;
  using Result = G;
};

// The one accessor object of a data member.
template <auto Member>
const PropAccess* FieldAccessFor() {
  using M = MemberPointer<decltype(Member)>;
  static const FieldAccess<typename M::Class, typename M::Value> access(Member);
  return &access;
}

// The one accessor object of a getter and setter pair.
template <auto Getter, auto Setter>
const PropAccess* MethodAccessFor() {
  using G = GetterPointer<decltype(Getter)>;
  static const MethodAccess<typename G::Class, typename G::Result, decltype(Setter)> access(Getter,
                                                                                            Setter);
  return &access;
}

}  // namespace internal
}  // namespace vorn
