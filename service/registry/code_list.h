// A code list: an enumeration whose identifiers are its XML texts, in the
// listed order, written once:
//
//   VORN_CODE_LIST(BolloVirtualeType, kInvoiceUnit, SI);
//
// declares `enum class BolloVirtualeType : uint8_t { SI }` and the one table
// of its identifiers that serves both directions (EnumTraits). Use it inside
// namespace vorn.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "service/registry/type_info.h"

namespace vorn::internal {

// The number of identifiers in a comma-separated list.
constexpr size_t CountIdentifiers(std::string_view list) {
  size_t n = 1;
  for (char c : list) n += c == ',' ? 1 : 0;
  return n;
}

// The identifiers of a comma-separated list, blanks trimmed, in order.
template <size_t N>
constexpr std::array<std::string_view, N> SplitIdentifiers(std::string_view list) {
  std::array<std::string_view, N> out{};
  size_t k = 0;
  size_t start = 0;
  for (size_t i = 0; i <= list.size(); ++i) {
    if (i < list.size() && list[i] != ',') continue;
    std::string_view id = list.substr(start, i - start);
    while (!id.empty() && id.front() == ' ') id.remove_prefix(1);
    while (!id.empty() && id.back() == ' ') id.remove_suffix(1);
    out[k++] = id;
    start = i + 1;
  }
  return out;
}

}  // namespace vorn::internal

#define VORN_CODE_LIST(Name, Unit, ...)                                                        \
  enum class Name : uint8_t { __VA_ARGS__ };                                                   \
  template <>                                                                                  \
  struct EnumTraits<Name> {                                                                    \
    static constexpr std::string_view kName = #Name;                                           \
    static constexpr std::string_view kUnit = Unit;                                            \
    static constexpr auto kIdentifiers =                                                       \
        ::vorn::internal::SplitIdentifiers< ::vorn::internal::CountIdentifiers(#__VA_ARGS__)>( \
            #__VA_ARGS__);                                                                     \
  }

// An array type: a sequence of `Entry` named `Name` on the wire.
//
//   VORN_ARRAY_TYPE(ArrayOfDatiDDTType, std::unique_ptr<DatiDDTType2>, kInvoiceUnit);
#define VORN_ARRAY_TYPE(Name, Entry, Unit)           \
  template <>                                        \
  struct DynArrayTraits<Entry> {                     \
    static constexpr std::string_view kName = #Name; \
    static constexpr std::string_view kUnit = Unit;  \
  };                                                 \
  using Name = std::vector<Entry>
