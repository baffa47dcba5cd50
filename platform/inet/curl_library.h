// libcurl, opened at the first transfer a process makes (see SystemLibrary for why).
#pragma once
#include <curl/curl.h>

namespace vx::inet {

struct CurlLibrary {
  decltype(&curl_global_init) globalInit;
  decltype(&curl_easy_init) easyInit;
  decltype(&curl_easy_cleanup) easyCleanup;
  decltype(&curl_easy_reset) easyReset;
  decltype(&curl_easy_setopt) easySetopt;
  decltype(&curl_easy_perform) easyPerform;
  decltype(&curl_easy_pause) easyPause;
  decltype(&curl_multi_init) multiInit;
  decltype(&curl_multi_cleanup) multiCleanup;
  decltype(&curl_multi_add_handle) multiAddHandle;
  decltype(&curl_multi_remove_handle) multiRemoveHandle;
  decltype(&curl_multi_perform) multiPerform;
  decltype(&curl_multi_poll) multiPoll;
  decltype(&curl_multi_info_read) multiInfoRead;
  decltype(&curl_slist_append) slistAppend;
  decltype(&curl_slist_free_all) slistFreeAll;
};

// libcurl's functions, once it is open and initialised; null when it cannot be.
const CurlLibrary* OpenCurl();

// The functions where a handle already made proves libcurl open.
inline const CurlLibrary& Curl() { return *OpenCurl(); }

}  // namespace vx::inet
