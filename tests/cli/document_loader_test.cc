#include "cli/document_loader.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "service/exception.h"

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
