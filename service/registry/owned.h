// Owned<T>: the slot of an object-valued property.
//
// The holder owns what the slot refers to and destroys it with itself, but
// storing a new object never destroys the one it replaces: Set hands it back,
// and plain assignment does not exist, so an object cannot be lost by
// accident.
#pragma once

#include <cstddef>
#include <memory>
#include <utility>

namespace vorn {

template <class T>
class Owned {
 public:
  Owned() = default;
  explicit Owned(std::unique_ptr<T> p) : p_(std::move(p)) {}
  Owned(const Owned&) = delete;
  Owned& operator=(const Owned&) = delete;

  T* get() const noexcept { return p_.get(); }
  T* operator->() const noexcept { return p_.get(); }
  T& operator*() const noexcept { return *p_; }
  explicit operator bool() const noexcept { return p_ != nullptr; }
  friend bool operator==(const Owned& o, std::nullptr_t) noexcept { return o.p_ == nullptr; }

  // Stores `p` and hands back the object it replaces (null if none).
  std::unique_ptr<T> Set(std::unique_ptr<T> p) noexcept { return std::exchange(p_, std::move(p)); }
  // Empties the slot and hands back what it held.
  std::unique_ptr<T> Release() noexcept { return std::exchange(p_, nullptr); }

 private:
  std::unique_ptr<T> p_;
};

}  // namespace vorn
