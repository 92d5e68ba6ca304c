// Reads arbitrary text as a FatturaPA file into the typed model. A file that
// is read must write back, and the written file must read and write again
// to the very same text: the reader and the writer agree on every value
// they let through.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>

#include "base/exception.h"
#include "fatturapa/fatturapa_reader.h"
#include "fatturapa/fatturapa_writer.h"

namespace {

[[noreturn]] void Fail(const char* what, const std::string& a, const std::string& b) {
  std::fprintf(stderr, "check failed: %s\n--- first:\n%s\n--- second:\n%s\n", what, a.c_str(),
               b.c_str());
  __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  std::string written;
  try {
    written = vorn::WriteFatturaPA(*vorn::ReadFatturaPA(text));
  } catch (const vorn::Exception&) {
    return 0;  // refused, or a value the file cannot hold: an error, never a crash
  }
  std::string again;
  try {
    again = vorn::WriteFatturaPA(*vorn::ReadFatturaPA(written));
  } catch (const vorn::Exception& e) {
    Fail("a written file does not read back", written, e.Report());
  }
  if (again != written) Fail("a written file does not write back the same", written, again);
  return 0;
}
