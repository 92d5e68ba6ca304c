#include "cli/file_path.h"

#include <cstring>
#include <filesystem>
#include <system_error>

#include "base/exception.h"

namespace vorn {

std::string FullPath(const std::string& path) {
  std::error_code ec;
  const std::filesystem::path absolute = std::filesystem::absolute(path, ec);
  if (ec) return path;
  return absolute.lexically_normal().string();
}

std::string SystemErrorText(int err) {
  std::string text = std::strerror(err);
  while (!text.empty() && (static_cast<unsigned char>(text.back()) <= 32 || text.back() == '.')) {
    text.pop_back();
  }
  return text;
}

void ThrowOpenError(const std::string& full_path, const std::string& reason) {
  throw EFOpenError("Cannot open file \"" + full_path + "\". " + reason);
}

}  // namespace vorn
