// Checks arbitrary bytes as an invoice file, as --check does: loaded as the
// text that would be sent, then parsed and validated against the built-in
// FatturaPA schema. Every finding must stand inside the text: a line that
// exists, a column no further than one past its end.
//
// The input goes into one in-memory file per process, rewritten for every
// run and read back through its /proc/self/fd path.
#include <sys/mman.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "base/exception.h"
#include "cli/document_loader.h"
#include "cli/invoice_check.h"

namespace {

int g_fd = -1;
std::string g_path;

[[noreturn]] void Fail(const vorn::xml::Finding& f) {
  std::fprintf(stderr, "check failed: finding outside the text: %d:%d: %s\n", f.at.line,
               f.at.column, f.message.c_str());
  __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  g_fd = memfd_create("vorn-invoice", MFD_CLOEXEC);
  if (g_fd < 0) {
    std::perror("memfd_create");
    std::abort();
  }
  g_path = "/proc/self/fd/" + std::to_string(g_fd);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (ftruncate(g_fd, 0) != 0 ||
      (size > 0 && pwrite(g_fd, data, size, 0) != static_cast<ssize_t>(size))) {
    std::perror("writing the input file");
    std::abort();
  }
  std::string text;
  try {
    text = vorn::LoadDocumentText(g_path);
  } catch (const vorn::Exception&) {
    return 0;  // not text: refused before any check, as vorn does
  }
  // The loader's text ends every line with CR LF.
  std::vector<int> widths = {0};
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\n') {
      widths.push_back(0);
    } else if (text[i] != '\r' && (static_cast<unsigned char>(text[i]) & 0xC0) != 0x80) {
      ++widths.back();
    }
  }
  for (const vorn::xml::Finding& f :
       vorn::CheckInvoice("IT01234567890_FPA01.xml", text, size, std::nullopt)) {
    if (f.at.line < 1 || f.at.column < 1 || static_cast<size_t>(f.at.line) > widths.size() ||
        f.at.column > widths[static_cast<size_t>(f.at.line) - 1] + 2) {
      Fail(f);
    }
  }
  return 0;
}
