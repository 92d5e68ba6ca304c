#include "service/registry/remotable.h"

#include <cassert>
#include <mutex>

#include "base/exception.h"

namespace vorn {

void PropAccess::Mismatch() { throw Exception("Property accessed as a value of another kind"); }

namespace internal {
void ThrowWrongClass() { throw Exception("Object of the wrong class stored in a property"); }
}  // namespace internal

bool PropInfo::IsStored(const TRemotable& obj) const {
  switch (stored) {
    case StoredKind::Always:
      return true;
    case StoredKind::Never:
      return false;
    case StoredKind::Function:
      return stored_fn(obj);
  }
  return true;
}

bool PropInfo::IsAttribute() const {
  if (flags & IS_ATTR) return true;
  if (stored != StoredKind::Never) return false;
  if (type->kind == TypeKind::Class) return type->class_info->is_xs;
  return type->kind != TypeKind::Variant && type->kind != TypeKind::DynArray;
}

bool PropInfo::OwnsObjects() const {
  switch (type->kind) {
    case TypeKind::Class:
      return true;
    case TypeKind::DynArray:
      return type->element->kind == TypeKind::Class;
    case TypeKind::Unknown:
    case TypeKind::Integer:
    case TypeKind::Char:
    case TypeKind::Enumeration:
    case TypeKind::Float:
    case TypeKind::String:
    case TypeKind::Set:
    case TypeKind::Method:
    case TypeKind::Variant:
    case TypeKind::Array:
    case TypeKind::Record:
    case TypeKind::Interface:
    case TypeKind::Int64:
    case TypeKind::ClassRef:
      return false;
  }
  return false;
}

bool PropInfo::IsUnbounded() const {
  return (flags & IS_UNBD) || (stored == StoredKind::Never && type->kind == TypeKind::DynArray);
}

ClassInfo::ClassInfo(std::string_view n, std::string_view u, const ClassInfo* p, Factory c, bool xs,
                     PropList (*own_props)())
    : name(n),
      unit(u),
      parent(p),
      create(c),
      is_xs(xs),
      type{.kind = TypeKind::Class, .name = n, .unit = u, .class_info = this},
      own_props_(own_props) {}

void ClassInfo::Build() const {
  // Checked without the lock once built. A lock rather than a once flag:
  // the C library wakes waiters of a once flag with a system call, one per
  // class at start-up.
  if (built_.load(std::memory_order_acquire)) return;
  const std::lock_guard<std::mutex> lock(build_mutex_);
  if (built_.load(std::memory_order_relaxed)) return;
  if (parent != nullptr) props_ = parent->Properties();
  if (own_props_ != nullptr) {
    for (PropInfo& p : own_props_()) {
      assert(p.type != nullptr && p.access != nullptr);
      p.declared_in = this;
      props_.push_back(p);
      ++own_count_;
    }
  }
  built_.store(true, std::memory_order_release);
}

const PropList& ClassInfo::Properties() const {
  Build();
  return props_;
}

std::span<const PropInfo> ClassInfo::OwnProperties() const {
  Build();
  return std::span<const PropInfo>(props_).last(own_count_);
}

bool ClassInfo::InheritsFrom(const ClassInfo& other) const {
  for (const ClassInfo* c = this; c != nullptr; c = c->parent) {
    if (c == &other) return true;
  }
  return false;
}

const ClassInfo& TRemotable::StaticClass() {
  static const ClassInfo info(
      "TRemotable", "Remotable", nullptr,
      []() -> std::unique_ptr<TRemotable> { return std::make_unique<TRemotable>(); }, false,
      nullptr);
  return info;
}

const ClassInfo& TRemotableXS::StaticClass() {
  static const ClassInfo info("TRemotableXS", "Remotable", &TRemotable::StaticClass(), nullptr,
                              true, nullptr);
  return info;
}

}  // namespace vorn
