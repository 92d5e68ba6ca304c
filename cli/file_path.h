// How the command line names files in its messages.
#pragma once

#include <string>

namespace vorn {

// `path` made absolute against the current directory and lexically
// normalised; symbolic links are not resolved. `path` itself when the
// current directory cannot be found.
std::string FullPath(const std::string& path);

// The system's text for the error number `err` (strerror), without trailing
// blanks, control characters or full stops.
std::string SystemErrorText(int err);

// Throws EFOpenError "Cannot open file \"<full_path>\". <reason>".
[[noreturn]] void ThrowOpenError(const std::string& full_path, const std::string& reason);

}  // namespace vorn
