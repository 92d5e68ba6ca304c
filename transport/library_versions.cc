#include "transport/library_versions.h"

#include <curl/curl.h>
#include <openssl/crypto.h>

namespace vorn {

std::string HttpLibraryVersion() {
  const curl_version_info_data* info = curl_version_info(CURLVERSION_NOW);
  return info != nullptr && info->version != nullptr ? info->version : "";
}

std::string TlsLibraryVersion() {
  const char* text = OpenSSL_version(OPENSSL_VERSION);
  return text != nullptr ? text : "";
}

}  // namespace vorn
