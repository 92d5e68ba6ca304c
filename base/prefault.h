// Mapping the pages of a large buffer in one call.
#pragma once

#include <cstddef>

namespace vorn {

// Asks the system to map the pages of p[0, n) now, in one call, rather than
// one fault at a time as they are first written, in huge pages where whole
// ones fit; their content is kept. Only a help for buffers of megabytes: on
// an older kernel nothing happens and the pages fault in as usual.
void PrepareForWriting(char* p, size_t n);

// Tells the system that the whole 2 MiB pieces of a block p[0, n) of 4 MiB
// or more may be mapped in huge pages when they are first written; nothing
// is mapped now, and smaller blocks (or null) are left as they are.
void AdviseHugePages(void* p, size_t n);

// The size of a huge page: a buffer aligned to it and at least this large
// is mapped in huge pages by PrepareForWriting.
inline constexpr size_t kHugePage = size_t{2} << 20;

}  // namespace vorn
