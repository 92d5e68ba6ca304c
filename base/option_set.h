// A set of the members of a small enumeration, one bit per member.
//
// The enumeration's members are numbered from 0 (each member's value is its
// bit position) and there are at most 32 of them. The set is a value type:
// copied, compared and combined like an integer.
#pragma once

#include <cassert>
#include <cstdint>
#include <initializer_list>
#include <type_traits>

namespace vorn {

template <class E>
class OptionSet {
  static_assert(std::is_enum_v<E>, "an option set holds members of an enumeration");

 public:
  // The empty set.
  constexpr OptionSet() = default;
  constexpr OptionSet(std::initializer_list<E> members) {
    for (E m : members) Add(m);
  }

  constexpr bool Has(E m) const { return (bits_ & Bit(m)) != 0; }
  constexpr bool Empty() const { return bits_ == 0; }
  constexpr void Add(E m) { bits_ |= Bit(m); }
  constexpr void Remove(E m) { bits_ &= ~Bit(m); }
  // Adds `m` when `on` is set, else removes it.
  constexpr void Set(E m, bool on) { on ? Add(m) : Remove(m); }

  // The members of either set.
  friend constexpr OptionSet operator|(OptionSet a, OptionSet b) {
    a.bits_ |= b.bits_;
    return a;
  }
  friend constexpr bool operator==(OptionSet, OptionSet) = default;

 private:
  static constexpr uint32_t Bit(E m) {
    const auto position = static_cast<uint32_t>(m);
    assert(position < 32 && "a member's value is its bit position");
    return uint32_t{1} << position;
  }

  uint32_t bits_ = 0;
};

}  // namespace vorn
