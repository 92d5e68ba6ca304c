// Base64 as it travels in messages.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "service/registry/type_info.h"

namespace vorn {

// Standard alphabet with "=" padding; a CR LF after every 76 output
// characters, counted over the whole value (also after a last full line).
std::string EncodeBase64(std::span<const uint8_t> bytes);

// Characters outside the base64 alphabet and "=" are skipped wherever they
// appear; groups of four decode to three bytes, a third "=" ends a group after
// one byte, a fourth after two. Characters left over after the last complete
// group are ignored. Never throws.
TByteDynArray DecodeBase64(std::string_view text);

}  // namespace vorn
