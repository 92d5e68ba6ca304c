#include "cli/version.h"

#include "soap/xml/library_version.h"
#include "transport/library_versions.h"

namespace vorn {

std::vector<std::string> VersionLines() {
  return {
      "vorn " VORN_VERSION,
      "libcurl " + HttpLibraryVersion(),
      TlsLibraryVersion(),
      "libxml2 " + xml::LibraryVersion(),
  };
}

}  // namespace vorn
