#include "platform/console.h"

#include <cstdio>

namespace platform {

void UseUtf8StandardStreams() {} // POSIX streams pass bytes as written

bool WriteStandardOutput(std::string_view utf8) {
    return std::fwrite(utf8.data(), 1, utf8.size(), stdout) == utf8.size() &&
           std::fflush(stdout) == 0;
}

} // namespace platform
