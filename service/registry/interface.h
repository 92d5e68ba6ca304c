// Reference-counted interfaces and the smart pointer that holds them.
#pragma once

#include <utility>

#include "service/registry/interface_info.h"

namespace vorn {

// The base of every reference-counted interface. An object lives while
// references to any of its interfaces exist.
class IInterface {
 public:
  // The object's interface with that identifier (with a reference added),
  // or null when the object does not supply it.
  virtual IInterface* QueryInterface(const Guid& iid) = 0;
  virtual void _AddRef() = 0;
  virtual void _Release() = 0;
  virtual ~IInterface() = default;
};

// The base of every interface that can be called remotely.
class IInvokable : public IInterface {};

// Holds one reference to an interface.
template <class I>
class InterfacePtr {
 public:
  InterfacePtr() = default;
  // Takes over a reference that the caller already holds.
  static InterfacePtr Adopt(I* p) {
    InterfacePtr r;
    r.p_ = p;
    return r;
  }
  InterfacePtr(const InterfacePtr& o) : p_(o.p_) {
    if (p_) p_->_AddRef();
  }
  InterfacePtr(InterfacePtr&& o) noexcept : p_(std::exchange(o.p_, nullptr)) {}
  InterfacePtr& operator=(InterfacePtr o) noexcept {
    std::swap(p_, o.p_);
    return *this;
  }
  ~InterfacePtr() { reset(); }

  void reset() {
    if (I* p = std::exchange(p_, nullptr)) p->_Release();
  }
  I* get() const { return p_; }
  I* operator->() const { return p_; }
  explicit operator bool() const { return p_ != nullptr; }

 private:
  I* p_ = nullptr;
};

}  // namespace vorn
