// Reading the password when the command line gives "-" for it, so that it
// need not stand on a command line that anyone on the machine can read.
#pragma once

#include <string>
#include <string_view>

namespace vorn {

// The longest first line that is read.
inline constexpr size_t kMaxPasswordBytes = 64 * 1024;

// The first line of `input`: the bytes before the first LF, without a CR
// right before it; all of `input` when it holds no LF.
std::string_view FirstLine(std::string_view input);

// Reads the password from `fd`, decoded from `charset` like an argument
// (argument_text.h; its text is never shown):
// - when `fd` is a terminal, asks "Password: " on the terminal and reads
//   one line with echo off (echo comes back also when a signal ends the
//   program while it waits);
// - otherwise reads the first line of `fd`, without its line end.
// Throws EArgumentError when the password is empty ("The password read
// from standard input is empty", "... from the terminal is empty"), when
// its first line is longer than kMaxPasswordBytes, when reading fails, and
// as ArgumentText does.
std::string ReadPassword(int fd, const std::string& charset);

}  // namespace vorn
