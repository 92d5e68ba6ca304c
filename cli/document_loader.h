// Loading the invoice file as the text that is sent.
//
// The file is plain text, not parsed as XML. Its encoding comes from a
// byte-order mark alone:
//   EF BB BF -> UTF-8, FF FE -> UTF-16 little-endian, FE FF -> UTF-16
//   big-endian (tested in that order), otherwise the locale's character set
//   (UTF-8 under the C/POSIX locale).
// A last odd byte of UTF-16 is dropped. The decoded text is cut at its first
// U+0000 and split into lines at CR LF, LF or CR (LF CR is two breaks); the
// text is the lines joined with CR LF after every line, the last included.
// An empty file gives the empty text.
#pragma once

#include <cstddef>
#include <string>

namespace vorn {

// A list of text lines loaded from a file. The lines are held already joined,
// since the joined text is what callers need.
class LineList {
 public:
  LineList() = default;

  // Replaces the list's content with the lines of the file at `path`
  // (relative paths against the current directory). On failure the list is
  // left as it was. Throws:
  // - EFOpenError "Cannot open file \"<full path>\". <reason>" when the file
  //   cannot be opened or read (missing, a directory, no access, 2 GiB or
  //   more); <full path> is `path` made absolute and lexically normalised,
  //   <reason> the system's error text;
  // - EEncodingError, naming the full path, for a byte sequence that is
  //   invalid in the chosen encoding or an unpaired UTF-16 surrogate (with
  //   its byte offset in the file, mark included), and for a character that
  //   XML 1.0 does not allow in the text (with its line and column, both
  //   1-based, the column counted in characters);
  // - EOutOfMemory when memory runs out.
  void LoadFromFile(const std::string& path);

  // Every line followed by CR LF, as UTF-8; empty for an empty list.
  std::string Text() const { return text_; }

  // Number of lines.
  size_t Count() const { return count_; }

 private:
  std::string text_;
  size_t count_ = 0;
};

// The text of the file at `path`, as LineList::LoadFromFile then Text() give
// it; throws as LoadFromFile does.
std::string LoadDocumentText(const std::string& path);

}  // namespace vorn
