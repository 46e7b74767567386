// Libraries loaded at run time rather than linked, so that a program loads
// one (and everything it pulls in) only when it is first needed. Used by the
// POSIX build's back ends (libcurl, SDL2); a loaded library is never unloaded.
#pragma once

#include <initializer_list>
#include <mutex>
#include <string>

namespace platform {

class SharedLibrary {
public:
    // The first of names (sonames) that loads. When none does, every Bind
    // fails and Error() is the loader's reason for the first.
    explicit SharedLibrary(std::initializer_list<const char*> names);

    const std::string& Error() const { return m_error; }

    // Points function at the library's symbol; false when the symbol is
    // missing (or the library did not load), with Error() saying which.
    template <class Function> bool Bind(const char* symbol, Function& function) {
        function = reinterpret_cast<Function>(Symbol(symbol));
        return function != nullptr;
    }

private:
    void* Symbol(const char* name);

    void* m_handle = nullptr;
    std::string m_error;
};

// The function table Bind fills, made once per process by whichever thread
// asks first (the others wait for it); nullptr, with error set to the
// non-empty reason Bind gave, when it could not be made.
template <class Table, bool (*Bind)(Table& table, std::string& reason)>
const Table* LoadOnce(std::string& error) {
    static std::once_flag once;
    static Table table{};
    static std::string reason;
    std::call_once(once, [] {
        if (!Bind(table, reason) && reason.empty())
            reason = "unknown failure";
    });
    if (!reason.empty())
        error = reason;
    return reason.empty() ? &table : nullptr;
}

} // namespace platform
