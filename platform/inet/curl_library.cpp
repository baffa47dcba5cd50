#include "platform/inet/curl_library.h"

#include "platform/kernel/system_library.h"

namespace vx::inet {

namespace {

bool FindAll(const SystemLibrary& library, CurlLibrary& curl) {
  return library.Find(curl.globalInit, "curl_global_init") && library.Find(curl.easyInit, "curl_easy_init") &&
         library.Find(curl.easyCleanup, "curl_easy_cleanup") && library.Find(curl.easyReset, "curl_easy_reset") &&
         library.Find(curl.easySetopt, "curl_easy_setopt") && library.Find(curl.easyPerform, "curl_easy_perform") &&
         library.Find(curl.easyPause, "curl_easy_pause") && library.Find(curl.multiInit, "curl_multi_init") &&
         library.Find(curl.multiCleanup, "curl_multi_cleanup") &&
         library.Find(curl.multiAddHandle, "curl_multi_add_handle") &&
         library.Find(curl.multiRemoveHandle, "curl_multi_remove_handle") &&
         library.Find(curl.multiPerform, "curl_multi_perform") && library.Find(curl.multiPoll, "curl_multi_poll") &&
         library.Find(curl.multiInfoRead, "curl_multi_info_read") &&
         library.Find(curl.slistAppend, "curl_slist_append") && library.Find(curl.slistFreeAll, "curl_slist_free_all");
}

const CurlLibrary* Open() {
  static const SystemLibrary library("libcurl.so.4");
  static CurlLibrary curl{};
  if (!FindAll(library, curl) || curl.globalInit(CURL_GLOBAL_DEFAULT) != CURLE_OK) return nullptr;
  return &curl;
}

}  // namespace

const CurlLibrary* OpenCurl() {
  static const CurlLibrary* const curl = Open();  // opened and initialised once, thread-safely
  return curl;
}

}  // namespace vx::inet
