// The version of the XML library that the document layer runs on.
#pragma once

#include <string>

namespace vorn::xml {

// The version of libxml2 loaded at run time, such as "2.9.14".
std::string LibraryVersion();

}  // namespace vorn::xml
