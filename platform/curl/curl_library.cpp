#include "platform/curl/curl_library.h"

#include "platform/shared_library.h"

namespace curlapi {

namespace {

bool BindLibrary(Library& l, std::string& reason) {
    // The sonames of Debian's libcurl flavours (OpenSSL first); the package
    // depends on one of them.
    platform::SharedLibrary so({"libcurl.so.4", "libcurl-gnutls.so.4"});
    decltype(&curl_global_init) global_init = nullptr;
    // Stops at the first missing function, which Error() then names (or at
    // the first, with the reason the library did not load).
    const bool bound = so.Bind("curl_global_init", global_init) &&
                       so.Bind("curl_easy_init", l.easy_init) &&
                       so.Bind("curl_easy_setopt", l.easy_setopt) &&
                       so.Bind("curl_easy_cleanup", l.easy_cleanup) &&
                       so.Bind("curl_easy_strerror", l.easy_strerror) &&
                       so.Bind("curl_slist_append", l.slist_append) &&
                       so.Bind("curl_slist_free_all", l.slist_free_all) &&
                       so.Bind("curl_multi_init", l.multi_init) &&
                       so.Bind("curl_multi_add_handle", l.multi_add_handle) &&
                       so.Bind("curl_multi_remove_handle", l.multi_remove_handle) &&
                       so.Bind("curl_multi_perform", l.multi_perform) &&
                       so.Bind("curl_multi_poll", l.multi_poll) &&
                       so.Bind("curl_multi_info_read", l.multi_info_read) &&
                       so.Bind("curl_multi_cleanup", l.multi_cleanup);
    if (!bound) {
        reason = "libcurl could not be loaded: " + so.Error();
        return false; // the library stays loaded; nothing of it is called
    }
    const CURLcode init = global_init(CURL_GLOBAL_DEFAULT);
    if (init != CURLE_OK) {
        reason = std::string("libcurl could not be loaded: ") + l.easy_strerror(init);
        return false;
    }
    return true;
}

} // namespace

const Library* Load(std::string& error) {
    return platform::LoadOnce<Library, BindLibrary>(error);
}

} // namespace curlapi
