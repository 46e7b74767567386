#include "platform/curl/curl_library.h"

#include <dlfcn.h>

#include <mutex>

namespace curlapi {

namespace {

// The sonames of Debian's libcurl flavours (OpenSSL first); the package
// depends on one of them.
constexpr const char* kNames[] = {"libcurl.so.4", "libcurl-gnutls.so.4"};

struct Loaded {
    Library library{};
    bool ok = false;
    std::string error;
};

template <class Function> bool Bind(void* handle, const char* name, Function& function) {
    function = reinterpret_cast<Function>(dlsym(handle, name));
    return function != nullptr;
}

Loaded LoadOnce() {
    Loaded loaded;
    void* handle = nullptr;
    std::string reason;
    for (const char* name : kNames) {
        if ((handle = dlopen(name, RTLD_NOW | RTLD_LOCAL)) != nullptr)
            break;
        if (reason.empty())
            reason = dlerror();
    }
    if (!handle) {
        loaded.error = "libcurl could not be loaded: " + reason;
        return loaded;
    }
    decltype(&curl_global_init) global_init = nullptr;
    Library& l = loaded.library;
    // Stops at the first missing function, which dlerror() then names.
    const bool bound = Bind(handle, "curl_global_init", global_init) &&
                       Bind(handle, "curl_easy_init", l.easy_init) &&
                       Bind(handle, "curl_easy_setopt", l.easy_setopt) &&
                       Bind(handle, "curl_easy_cleanup", l.easy_cleanup) &&
                       Bind(handle, "curl_easy_strerror", l.easy_strerror) &&
                       Bind(handle, "curl_slist_append", l.slist_append) &&
                       Bind(handle, "curl_slist_free_all", l.slist_free_all) &&
                       Bind(handle, "curl_multi_init", l.multi_init) &&
                       Bind(handle, "curl_multi_add_handle", l.multi_add_handle) &&
                       Bind(handle, "curl_multi_remove_handle", l.multi_remove_handle) &&
                       Bind(handle, "curl_multi_perform", l.multi_perform) &&
                       Bind(handle, "curl_multi_poll", l.multi_poll) &&
                       Bind(handle, "curl_multi_info_read", l.multi_info_read) &&
                       Bind(handle, "curl_multi_cleanup", l.multi_cleanup);
    if (!bound) {
        loaded.error = std::string("libcurl could not be loaded: ") + dlerror();
        return loaded; // the library stays loaded; nothing of it is called
    }
    const CURLcode init = global_init(CURL_GLOBAL_DEFAULT);
    if (init != CURLE_OK) {
        loaded.error = std::string("libcurl could not be loaded: ") + l.easy_strerror(init);
        return loaded;
    }
    loaded.ok = true;
    return loaded;
}

} // namespace

const Library* Load(std::string& error) {
    static std::once_flag once;
    static Loaded loaded;
    std::call_once(once, [] { loaded = LoadOnce(); });
    if (!loaded.ok)
        error = loaded.error;
    return loaded.ok ? &loaded.library : nullptr;
}

} // namespace curlapi
