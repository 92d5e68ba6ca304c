// The vorn program's operator new: large blocks are advised to the system
// as huge-page candidates, so that a reply or invoice of megabytes is mapped
// 2 MiB at a time instead of 4 KiB at a time (a tenth of the page faults'
// cost, and most of the copying's, on a virtual machine). Blocks still come
// from malloc, so the standard operator delete frees them.
#include <cstdlib>
#include <new>

#include "base/prefault.h"

void* operator new(std::size_t n) {
  for (;;) {
    if (void* p = std::malloc(n == 0 ? 1 : n)) {
      vorn::AdviseHugePages(p, n);
      return p;
    }
    const std::new_handler handler = std::get_new_handler();
    if (handler == nullptr) throw std::bad_alloc();
    handler();
  }
}
