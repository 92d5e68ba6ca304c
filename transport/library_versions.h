// Versions of the HTTP and TLS libraries that the transport runs on.
#pragma once

#include <string>

namespace vorn {

// The version of the libcurl loaded at run time, such as "7.88.1".
std::string HttpLibraryVersion();

// OpenSSL's own account of the version loaded at run time, such as
// "OpenSSL 3.0.19 27 Jan 2026".
std::string TlsLibraryVersion();

}  // namespace vorn
