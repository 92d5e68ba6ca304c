#include "cli/document_loader.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "base/exception.h"
#include "cli/locale_charset.h"

namespace vorn {
namespace {

namespace fs = std::filesystem;
using namespace std::string_literals;

class DocumentLoaderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/vorn_loader_XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    dir_ = pattern;
  }
  void TearDown() override { fs::remove_all(dir_); }

  std::string WriteFile(const std::string& name, const std::string& bytes) {
    const std::string path = (dir_ / name).string();
    std::ofstream out(path, std::ios::binary);
    out << bytes;
    EXPECT_TRUE(out.good());
    return path;
  }

  // The message of the exception that loading `path` raises; fails the test
  // when loading succeeds or raises a class other than `class_name`.
  static std::string LoadError(const std::string& path, const std::string& class_name) {
    try {
      LoadDocumentText(path);
    } catch (const Exception& e) {
      EXPECT_EQ(e.ClassName(), class_name);
      return e.Message();
    }
    ADD_FAILURE() << "loading " << path << " succeeded";
    return "";
  }

  fs::path dir_;
};

// What loading gives for `input`, valid UTF-8 holding no character XML
// refuses: cut at the first U+0000, split at CR LF, LF or CR, each line
// followed by CR LF. Sets `lines` to the number of lines.
std::string JoinedText(std::string_view input, size_t* lines = nullptr) {
  input = input.substr(0, input.find('\0'));
  std::string out;
  size_t count = 0;
  size_t start = 0;
  for (size_t i = 0; i < input.size(); ++i) {
    if (input[i] != '\r' && input[i] != '\n') continue;
    out.append(input.substr(start, i - start)).append("\r\n");
    ++count;
    if (input[i] == '\r' && i + 1 < input.size() && input[i + 1] == '\n') ++i;
    start = i + 1;
  }
  if (start < input.size()) {
    out.append(input.substr(start)).append("\r\n");
    ++count;
  }
  if (lines != nullptr) *lines = count;
  return out;
}

// UTF-8 for code point `cp`.
std::string Utf8(uint32_t cp) {
  std::string out;
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (cp >> 18));
    out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
  return out;
}

// UTF-16 little-endian for code point `cp`.
std::string Utf16Le(uint32_t cp) {
  const auto unit = [](uint32_t u) {
    return std::string{static_cast<char>(u & 0xFF), static_cast<char>(u >> 8)};
  };
  if (cp < 0x10000) return unit(cp);
  return unit(0xD800 + ((cp - 0x10000) >> 10)) + unit(0xDC00 + ((cp - 0x10000) & 0x3FF));
}

// The line and column (1-based, the column in characters) of byte `offset`
// of UTF-8 text whose only line breaks are LF.
std::string LineAndColumn(std::string_view text, size_t offset) {
  const std::string_view head = text.substr(0, offset);
  size_t line = 1;
  size_t column = 1;
  for (char c : head) {
    if (c == '\n') {
      ++line;
      column = 1;
    } else if ((static_cast<unsigned char>(c) & 0xC0) != 0x80) {
      ++column;
    }
  }
  return "line " + std::to_string(line) + ", column " + std::to_string(column);
}

struct ByteCase {
  const char* name;
  std::string bytes;
  std::string expected;  // the text, or the error message before " in file ..."
  const char* error_class = nullptr;
};

TEST_F(DocumentLoaderTest, BytesToText) {
  const char* kEnc = "EEncodingError";
  const ByteCase cases[] = {
      {"empty file", "", ""},
      {"UTF-8 mark only", "\xEF\xBB\xBF", ""},
      {"break added at end", "a\r\nb", "a\r\nb\r\n"},
      {"CR, LF and CR LF", "a\rb\nc\r\nd", "a\r\nb\r\nc\r\nd\r\n"},
      {"LF CR is two breaks", "a\n\rb", "a\r\n\r\nb\r\n"},
      {"CR CR LF", "a\r\r\nb", "a\r\n\r\nb\r\n"},
      {"two trailing breaks keep one empty line", "a\n\n", "a\r\n\r\n"},
      {"lone break", "\n", "\r\n"},
      {"tab kept", "a\tb", "a\tb\r\n"},
      {"cut at U+0000 inside a line", "ab\0cd\r\nef"s, "ab\r\n"},
      {"U+0000 first", "\0abc"s, ""},
      {"U+0000 after a break", "a\n\0b"s, "a\r\n"},
      {"disallowed character after the cut is not sent", "a\0\x01"s, "a\r\n"},
      {"UTF-8 with mark", "\xEF\xBB\xBF\xC3\xA8", "\xC3\xA8\r\n"},
      {"no mark: locale charset (UTF-8)", "\xC3\xA0", "\xC3\xA0\r\n"},
      {"UTF-8 mark tested first", "\xEF\xBB\xBF\xFF\xFE",
       "Invalid UTF-8 byte sequence at byte offset 3", kEnc},
      {"UTF-16 LE, odd last byte dropped",
       "\xFF\xFE"
       "a\0\xE8\0x"s,
       "a\xC3\xA8\r\n"},
      {"UTF-16 LE surrogate pair", "\xFF\xFE\x3D\xD8\x00\xDE"s, "\xF0\x9F\x98\x80\r\n"},
      {"UTF-16 BE with breaks", "\xFE\xFF\0a\0\n\0b"s, "a\r\nb\r\n"},
      {"UTF-16 LE CR LF", "\xFF\xFE\r\0\n\0"s, "\r\n"},
      {"UTF-16 LE U+0000 cut",
       "\xFF\xFE"
       "a\0\0\0b\0"s,
       "a\r\n"},
      {"UTF-16 LE without mark", "a\0b\0"s, "a\r\n"},
      {"invalid UTF-8 after mark",
       "\xEF\xBB\xBF"
       "ab\xFF",
       "Invalid UTF-8 byte sequence at byte offset 5", kEnc},
      {"invalid UTF-8 without mark", "ab\xFF", "Invalid UTF-8 byte sequence at byte offset 2",
       kEnc},
      {"truncated UTF-8", "a\xC3", "Invalid UTF-8 byte sequence at byte offset 1", kEnc},
      {"overlong UTF-8", "ab\r\n\xC0\xAF", "Invalid UTF-8 byte sequence at byte offset 4", kEnc},
      {"overlong 3-byte UTF-8", "a\xE0\x80\xAF", "Invalid UTF-8 byte sequence at byte offset 1",
       kEnc},
      {"UTF-8 above U+10FFFF", "\xF4\x90\x80\x80", "Invalid UTF-8 byte sequence at byte offset 0",
       kEnc},
      {"UTF-8 encoded surrogate", "\xED\xA0\x80", "Invalid UTF-8 byte sequence at byte offset 0",
       kEnc},
      {"unpaired high surrogate at end",
       "\xFF\xFE"
       "a\0\x00\xD8"s,
       "Unpaired UTF-16 surrogate U+D800 at byte offset 4", kEnc},
      {"high surrogate before a letter", "\xFF\xFE\x00\xD8\x41\x00"s,
       "Unpaired UTF-16 surrogate U+D800 at byte offset 2", kEnc},
      {"lone low surrogate, big-endian", "\xFE\xFF\0a\xDC\x00"s,
       "Unpaired UTF-16 surrogate U+DC00 at byte offset 4", kEnc},
      {"control character", "ab\r\nc\x01",
       "Character U+0001 is not allowed in XML, at line 2, column 2", kEnc},
      {"column in characters", "x\n\xC3\xA8\xC3\xA9\x0C",
       "Character U+000C is not allowed in XML, at line 2, column 3", kEnc},
      {"LF CR counts two lines", "a\n\r\x1F",
       "Character U+001F is not allowed in XML, at line 3, column 1", kEnc},
      {"U+FFFE", "ab\xEF\xBF\xBE", "Character U+FFFE is not allowed in XML, at line 1, column 3",
       kEnc},
      {"U+FFFF", "\xEF\xBF\xBF", "Character U+FFFF is not allowed in XML, at line 1, column 1",
       kEnc},
      {"control character in UTF-16", "\xFE\xFF\0a\0\x1B"s,
       "Character U+001B is not allowed in XML, at line 1, column 2", kEnc},
      {"U+FFFD is allowed", "\xEF\xBF\xBD", "\xEF\xBF\xBD\r\n"},
      {"DEL is allowed", "a\x7F", "a\x7F\r\n"},
      {"invalid UTF-8 after the cut is reported", "a\0b\xFF"s,
       "Invalid UTF-8 byte sequence at byte offset 3", kEnc},
      {"invalid UTF-8 reported before an earlier disallowed character", "a\x01\xC3(",
       "Invalid UTF-8 byte sequence at byte offset 2", kEnc},
      {"first of two disallowed characters", "ab\x02\xEF\xBF\xBF",
       "Character U+0002 is not allowed in XML, at line 1, column 3", kEnc},
      {"U+FFFE in UTF-16",
       "\xFF\xFE"
       "a\0\xFE\xFF"s,
       "Character U+FFFE is not allowed in XML, at line 1, column 2", kEnc},
      {"UTF-8 mark then CR LF split by nothing", "\xEF\xBB\xBF\r\n\r", "\r\n\r\n"},
  };
  for (const ByteCase& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string path = WriteFile("doc.xml", c.bytes);
    if (c.error_class == nullptr) {
      EXPECT_EQ(LoadDocumentText(path), c.expected);
    } else {
      EXPECT_EQ(LoadError(path, c.error_class), c.expected + " in file \"" + path + "\"");
    }
  }
}

// Every kind of byte that is not plain ASCII, placed at each position of the
// first 16-byte blocks and 8-byte words of a file, with a short or no tail:
// what is read a block at a time must stop exactly there.
TEST_F(DocumentLoaderTest, SpecialBytesAtEveryPositionOfABlock) {
  struct Piece {
    const char* name;
    std::string bytes;
    // For a refused piece, the message up to the number, which is the
    // piece's byte offset plus `number_base` (the column: plus one).
    const char* error = nullptr;
    size_t number_base = 0;
  };
  const char* kInvalid = "Invalid UTF-8 byte sequence at byte offset ";
  const Piece pieces[] = {
      {"LF", "\n"},
      {"CR", "\r"},
      {"CR LF", "\r\n"},
      {"LF CR", "\n\r"},
      {"tab", "\t"},
      {"DEL", "\x7F"},
      {"two-byte character", "\xC3\xA8"},
      {"three-byte character", "\xE2\x82\xAC"},
      {"U+FFFD", "\xEF\xBF\xBD"},
      {"four-byte character", "\xF0\x9F\x98\x80"},
      {"U+0000", "\0"s},
      {"U+0001", "\x01", "Character U+0001 is not allowed in XML, at line 1, column ", 1},
      {"U+001F", "\x1F", "Character U+001F is not allowed in XML, at line 1, column ", 1},
      {"U+FFFE", "\xEF\xBF\xBE", "Character U+FFFE is not allowed in XML, at line 1, column ", 1},
      {"lone continuation byte", "\x80", kInvalid},
      {"truncated sequence", "\xE2\x82", kInvalid},
      {"overlong form", "\xC0\x80", kInvalid},
      {"encoded surrogate", "\xED\xA0\x80", kInvalid},
  };
  for (const Piece& piece : pieces) {
    for (size_t before = 0; before <= 40; ++before) {
      for (size_t after : {0, 1, 20}) {
        SCOPED_TRACE(std::string(piece.name) + " after " + std::to_string(before) +
                     " bytes, before " + std::to_string(after));
        const std::string input = std::string(before, 'x') + piece.bytes + std::string(after, 'y');
        const std::string path = WriteFile("doc.xml", input);
        if (piece.error == nullptr) {
          EXPECT_EQ(LoadDocumentText(path), JoinedText(input));
        } else {
          EXPECT_EQ(LoadError(path, "EEncodingError"),
                    piece.error + std::to_string(before + piece.number_base) + " in file \"" +
                        path + "\"");
        }
      }
    }
  }
}

// A file is read in parts; pieces that span two parts, wherever those end,
// must come out as if read whole. The pieces are placed a few bytes around
// each power of two from 4 KiB to 128 KiB, in text of numbered lines with
// accented letters.
TEST_F(DocumentLoaderTest, PiecesAroundPowerOfTwoOffsets) {
  std::string filler;
  for (int i = 0; filler.size() < (size_t{1} << 17) + 8192; ++i) {
    filler += "<Riga n=\"" + std::to_string(i) + "\">Caff\xC3\xA8 \xE2\x82\xAC 1,50</Riga>\n";
  }
  struct Piece {
    const char* name;
    std::string bytes;
    const char* error = nullptr;  // "Character ...": line and column follow
  };
  const Piece pieces[] = {
      {"CR LF", "\r\n"},
      {"LF CR", "\n\r"},
      {"CR", "\r"},
      {"four-byte character", "\xF0\x9F\x98\x80"},
      {"U+FFFD", "\xEF\xBF\xBD"},
      {"U+0000", "\0"s},
      {"invalid", "\xF4\x90\x80\x80", "Invalid"},
      {"U+FFFF", "\xEF\xBF\xBF", "Character U+FFFF is not allowed in XML, at "},
      {"U+0008", "\x08", "Character U+0008 is not allowed in XML, at "},
  };
  for (size_t power = size_t{1} << 12; power <= size_t{1} << 17; power <<= 1) {
    for (size_t at = power - 4; at <= power + 3; ++at) {
      // Whole characters before and after the piece.
      const auto boundary = [&](size_t i) {
        while ((static_cast<unsigned char>(filler[i]) & 0xC0) == 0x80) ++i;
        return i;
      };
      const size_t cut = boundary(at);
      const std::string after = filler.substr(cut, boundary(cut + 4096) - cut);
      for (const Piece& piece : pieces) {
        SCOPED_TRACE(std::string(piece.name) + " at " + std::to_string(cut));
        const std::string input = filler.substr(0, cut) + piece.bytes + after;
        const std::string path = WriteFile("doc.xml", input);
        if (piece.error == nullptr) {
          EXPECT_EQ(LoadDocumentText(path), JoinedText(input));
        } else if (std::string_view(piece.error) == "Invalid") {
          EXPECT_EQ(LoadError(path, "EEncodingError"),
                    "Invalid UTF-8 byte sequence at byte offset " + std::to_string(cut) +
                        " in file \"" + path + "\"");
        } else {
          EXPECT_EQ(LoadError(path, "EEncodingError"),
                    piece.error + LineAndColumn(input, cut) + " in file \"" + path + "\"");
        }
      }
    }
  }
}

// Random text of every kind of line break and character, in files of up to
// a megabyte and more, plainly and behind each byte-order mark.
TEST_F(DocumentLoaderTest, LongMixedTextMatchesTheSimpleJoin) {
  const uint32_t characters[] = {'a', ' ', '<', '\t', 0x7F, 0xE8, 0x20AC, 0xFFFD, 0x1F600};
  const char* breaks[] = {"\n", "\r", "\r\n", "\n\r"};
  std::mt19937 random(20240315);
  for (const size_t size : {150000, 400000, 1300000}) {
    SCOPED_TRACE("size " + std::to_string(size));
    std::string utf8;
    std::string utf16 = "\xFF\xFE";
    while (utf8.size() < size) {
      const uint32_t pick = random() % 100;
      if (pick < 8) {
        const std::string_view line_break = breaks[random() % 4];
        utf8 += line_break;
        for (char c : line_break) utf16 += Utf16Le(static_cast<unsigned char>(c));
      } else if (pick < 14) {
        const uint32_t cp = characters[random() % std::size(characters)];
        utf8 += Utf8(cp);
        utf16 += Utf16Le(cp);
      } else {
        const size_t length = random() % 40;
        for (size_t i = 0; i < length; ++i) {
          const auto c = static_cast<char>('0' + random() % 75);
          utf8 += c;
          utf16 += Utf16Le(static_cast<unsigned char>(c));
        }
      }
    }
    size_t lines = 0;
    const std::string expected = JoinedText(utf8, &lines);
    for (const std::string& file : {utf8, "\xEF\xBB\xBF" + utf8, utf16}) {
      LineList list;
      list.LoadFromFile(WriteFile("mixed.xml", file));
      EXPECT_EQ(list.Text(), expected);
      EXPECT_EQ(list.Count(), lines);
    }
  }
}

// ASCII text as UTF-16, low byte first.
std::string Utf16Le(std::string_view ascii) {
  std::string out;
  for (char c : ascii) out += std::string{c, '\0'};
  return out;
}

// Far from the start, past what is read at once: the column still counts
// characters of the whole line, and invalid UTF-8 (or an unpaired UTF-16
// surrogate) after a cut or after a refused character is still found.
TEST_F(DocumentLoaderTest, ErrorsFarIntoALongFile) {
  std::string long_line;
  while (long_line.size() < 300000) long_line += "perch\xC3\xA9 ";
  const size_t characters = long_line.size() - long_line.size() / 8;  // 7 per 8 bytes
  const std::string tail(200000, 'z');
  struct Case {
    const char* name;
    std::string bytes;
    std::string error;
  };
  const Case cases[] = {
      {"refused character at the end of a long line", "ab\n" + long_line + "\x0B",
       "Character U+000B is not allowed in XML, at line 2, column " +
           std::to_string(characters + 1)},
      {"invalid UTF-8 long after the cut", "a\0"s + tail + "\xC3",
       "Invalid UTF-8 byte sequence at byte offset " + std::to_string(2 + tail.size())},
      {"invalid UTF-8 long after a refused character", "a\x0E"s + tail + "\xFE",
       "Invalid UTF-8 byte sequence at byte offset " + std::to_string(2 + tail.size())},
      {"invalid UTF-8 long after U+FFFE, behind a mark", "\xEF\xBB\xBF\xEF\xBF\xBE" + tail + "\x80",
       "Invalid UTF-8 byte sequence at byte offset " + std::to_string(6 + tail.size())},
      {"unpaired UTF-16 surrogate long after a refused character",
       "\xFF\xFE"
       "a\0\x0B\0"s +
           Utf16Le(tail) + "\x00\xDC"s,
       "Unpaired UTF-16 surrogate U+DC00 at byte offset " + std::to_string(6 + 2 * tail.size())},
      {"unpaired UTF-16 surrogate long after the cut",
       "\xFE\xFF"
       "\0a\0\0"s +
           std::string(2 * tail.size(), 'z') + "\xD8\x00\0a"s,
       "Unpaired UTF-16 surrogate U+D800 at byte offset " + std::to_string(6 + 2 * tail.size())},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string path = WriteFile("long.xml", c.bytes);
    EXPECT_EQ(LoadError(path, "EEncodingError"), c.error + " in file \"" + path + "\"");
  }
  const std::string path = WriteFile("cut.xml", "a\r\nb\0"s + tail);
  EXPECT_EQ(LoadDocumentText(path), "a\r\nb\r\n");
}

// A pipe has no size to go by; it is read until it ends.
TEST_F(DocumentLoaderTest, ReadsAPipeToItsEnd) {
  const std::string path = (dir_ / "pipe.xml").string();
  ASSERT_EQ(mkfifo(path.c_str(), 0600), 0);
  std::string input;
  for (int i = 0; input.size() < 250000; ++i) {
    input += "riga " + std::to_string(i) + (i % 3 == 0 ? " \xC3\xA0\r\n" : "\n");
  }
  std::thread writer([&] {
    std::ofstream out(path, std::ios::binary);
    out << input;
  });
  std::string text;
  EXPECT_NO_THROW(text = LoadDocumentText(path));
  writer.join();
  EXPECT_EQ(text, JoinedText(input));
}

// Input that is invalid near its start is reported at once, however much
// follows: here a pipe goes on with letters until the reader closes it, so
// a loader that read on would end with "File too large" at the size limit.
TEST_F(DocumentLoaderTest, StopsReadingAtTheFirstInvalidSequence) {
  struct Case {
    const char* name;
    std::string head;
    std::string error;
  };
  const Case cases[] = {
      {"invalid UTF-8", "ab\xFF", "Invalid UTF-8 byte sequence at byte offset 2"},
      {"invalid UTF-8 after a mark",
       "\xEF\xBB\xBF"
       "a\xC0",
       "Invalid UTF-8 byte sequence at byte offset 4"},
      {"invalid UTF-8 after the cut", "a\0b\x80"s, "Invalid UTF-8 byte sequence at byte offset 3"},
      {"invalid UTF-8 after a refused character", "a\x01\xFE",
       "Invalid UTF-8 byte sequence at byte offset 2"},
      {"unpaired UTF-16 surrogate",
       "\xFF\xFE"
       "a\0\x00\xDC"s,
       "Unpaired UTF-16 surrogate U+DC00 at byte offset 4"},
  };
  const std::string path = (dir_ / "endless.xml").string();
  ASSERT_EQ(mkfifo(path.c_str(), 0600), 0);
  // The writer learns that the reader is gone from a failed write.
  const auto old_sigpipe = std::signal(SIGPIPE, SIG_IGN);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::thread writer([&] {
      const int fd = open(path.c_str(), O_WRONLY);
      if (fd < 0) return;
      const std::string letters(1 << 16, 'a');
      bool open_end = write(fd, c.head.data(), c.head.size()) > 0;
      while (open_end) open_end = write(fd, letters.data(), letters.size()) > 0;
      close(fd);
    });
    EXPECT_EQ(LoadError(path, "EEncodingError"), c.error + " in file \"" + path + "\"");
    writer.join();
  }
  std::signal(SIGPIPE, old_sigpipe);
}

TEST_F(DocumentLoaderTest, MissingFileNamesTheNormalisedFullPath) {
  const std::string expected_path = (fs::current_path() / "rel.xml").string();
  EXPECT_EQ(LoadError("sub/../rel.xml", "EFOpenError"),
            "Cannot open file \"" + expected_path + "\". No such file or directory");
}

TEST_F(DocumentLoaderTest, DirectoryIsAnOpenError) {
  EXPECT_EQ(LoadError(dir_.string(), "EFOpenError"),
            "Cannot open file \"" + dir_.string() + "\". Is a directory");
}

TEST_F(DocumentLoaderTest, FileOf2GiBIsRefused) {
  const std::string path = WriteFile("big.xml", "");
  ASSERT_EQ(truncate(path.c_str(), off_t{1} << 31), 0);
  EXPECT_EQ(LoadError(path, "EFOpenError"), "Cannot open file \"" + path + "\". File too large");
}

TEST_F(DocumentLoaderTest, UnreadableFile) {
  if (geteuid() == 0) GTEST_SKIP() << "root can read any file";
  const std::string path = WriteFile("secret.xml", "a");
  ASSERT_EQ(chmod(path.c_str(), 0), 0);
  EXPECT_EQ(LoadError(path, "EFOpenError"), "Cannot open file \"" + path + "\". Permission denied");
}

TEST_F(DocumentLoaderTest, LineListReplacesContentAndKeepsItOnFailure) {
  LineList list;
  EXPECT_EQ(list.Text(), "");
  list.LoadFromFile(WriteFile("a.xml", "one\ntwo\n\nfour"));
  EXPECT_EQ(list.Text(), "one\r\ntwo\r\n\r\nfour\r\n");
  EXPECT_EQ(list.Count(), 4u);

  EXPECT_THROW(list.LoadFromFile((dir_ / "missing.xml").string()), EFOpenError);
  EXPECT_THROW(list.LoadFromFile(WriteFile("bad.xml", "\x01")), EEncodingError);
  EXPECT_EQ(list.Text(), "one\r\ntwo\r\n\r\nfour\r\n");

  list.LoadFromFile(WriteFile("b.xml", "x"));
  EXPECT_EQ(list.Text(), "x\r\n");
  EXPECT_EQ(list.Count(), 1u);
}

}  // namespace
}  // namespace vorn
