#include "platform/console.h"

#include <cstdio>
#include <fcntl.h>
#include <io.h>

namespace platform {

void UseBinaryStandardStreams() {
    std::fflush(stdout);
    std::fflush(stderr);
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stderr), _O_BINARY);
}

} // namespace platform
