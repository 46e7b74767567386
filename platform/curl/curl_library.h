// libcurl, loaded with dlopen on first use rather than linked, so that a
// program that never exchanges over HTTP never loads it and its TLS chain.
// The functions are those of <curl/curl.h>, called through this table.
#pragma once

#include <curl/curl.h>

#include <string>

namespace curlapi {

struct Library {
    decltype(&curl_easy_init) easy_init;
    decltype(&curl_easy_setopt) easy_setopt;
    decltype(&curl_easy_cleanup) easy_cleanup;
    decltype(&curl_easy_strerror) easy_strerror;
    decltype(&curl_slist_append) slist_append;
    decltype(&curl_slist_free_all) slist_free_all;
    decltype(&curl_multi_init) multi_init;
    decltype(&curl_multi_add_handle) multi_add_handle;
    decltype(&curl_multi_remove_handle) multi_remove_handle;
    decltype(&curl_multi_perform) multi_perform;
    decltype(&curl_multi_poll) multi_poll;
    decltype(&curl_multi_info_read) multi_info_read;
    decltype(&curl_multi_cleanup) multi_cleanup;
};

// The library, loaded and initialised once per process; nullptr when it
// cannot be, with error set to "libcurl could not be loaded: REASON".
const Library* Load(std::string& error);

} // namespace curlapi
