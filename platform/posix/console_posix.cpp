#include "platform/console.h"

namespace platform {

void UseBinaryStandardStreams() {} // POSIX streams never translate line ends

} // namespace platform
