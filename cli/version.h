// What --version prints.
#pragma once

#include <string>
#include <vector>

namespace vorn {

// vorn's version, then the versions of libcurl, OpenSSL and libxml2 that the
// program runs with (asked of the libraries themselves at run time):
//   vorn 1.0.0
//   libcurl 7.88.1
//   OpenSSL 3.0.19 27 Jan 2026
//   libxml2 2.9.14
std::vector<std::string> VersionLines();

}  // namespace vorn
