#include "base/prefault.h"

#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>

namespace vorn {

namespace {

// Blocks from this size up are worth the advice of AdviseHugePages.
constexpr size_t kHugeAdviceSize = size_t{4} << 20;

// Advises the whole 2 MiB pieces of [begin, end) as huge pages, where the
// system allows them: one mapping per 2 MiB instead of 512, which costs a
// fraction of the time (on a virtual machine, where each new page is also
// mapped by the host, a tenth of it). The ends stay in small pages, so
// nothing beyond the range is mapped.
void AdviseWholeHugePages(uintptr_t begin, uintptr_t end) {
#if defined(MADV_HUGEPAGE)
  const uintptr_t huge_begin = (begin + kHugePage - 1) & ~(kHugePage - 1);
  const uintptr_t huge_end = end & ~(kHugePage - 1);
  if (huge_end > huge_begin) {
    madvise(reinterpret_cast<void*>(huge_begin), huge_end - huge_begin, MADV_HUGEPAGE);
  }
#else
  (void)begin;
  (void)end;
#endif
}

}  // namespace

void AdviseHugePages(void* p, size_t n) {
  if (p == nullptr || n < kHugeAdviceSize) return;
  const auto begin = reinterpret_cast<uintptr_t>(p);
  AdviseWholeHugePages(begin, begin + n);
}

void PrepareForWriting(char* p, size_t n) {
#if defined(MADV_POPULATE_WRITE)
  const auto page = static_cast<uintptr_t>(sysconf(_SC_PAGESIZE));
  const uintptr_t begin = (reinterpret_cast<uintptr_t>(p) + page - 1) & ~(page - 1);
  const uintptr_t end = (reinterpret_cast<uintptr_t>(p) + n) & ~(page - 1);
  AdviseWholeHugePages(begin, end);
  if (end > begin) madvise(reinterpret_cast<void*>(begin), end - begin, MADV_POPULATE_WRITE);
#else
  (void)p;
  (void)n;
#endif
}

}  // namespace vorn
