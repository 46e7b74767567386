#include "platform/shared_library.h"

#include <dlfcn.h>

namespace platform {

SharedLibrary::SharedLibrary(std::initializer_list<const char*> names) {
    for (const char* name : names) {
        if ((m_handle = dlopen(name, RTLD_NOW | RTLD_LOCAL)) != nullptr) {
            m_error.clear();
            return;
        }
        if (m_error.empty())
            m_error = dlerror();
    }
}

void* SharedLibrary::Symbol(const char* name) {
    if (!m_handle)
        return nullptr;
    dlerror(); // clears an earlier error, so a missing symbol has its own
    void* symbol = dlsym(m_handle, name);
    if (!symbol) {
        const char* reason = dlerror();
        m_error = reason ? reason : std::string(name) + " is null";
    }
    return symbol;
}

} // namespace platform
