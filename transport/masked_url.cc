#include "transport/masked_url.h"

namespace vorn {

std::string MaskedURL(std::string_view url) {
  // The authority runs from after "//" (or from the start when there is
  // none) to the first '/', '?' or '#'; its user information ends at its
  // last '@'.
  size_t start = url.find("//");
  start = start == std::string_view::npos ? 0 : start + 2;
  size_t end = url.find_first_of("/?#", start);
  if (end == std::string_view::npos) end = url.size();
  const size_t at = url.substr(start, end - start).rfind('@');
  if (at == std::string_view::npos) return std::string(url);
  const size_t colon = url.substr(start, at).find(':');
  if (colon == std::string_view::npos) return std::string(url);
  std::string out(url.substr(0, start + colon + 1));
  out += "***";
  out += url.substr(start + at);
  return out;
}

}  // namespace vorn
