// The system's HTTP transport, which a program's composition root puts in its
// services: libcurl on Linux, WinINet on Windows. The
// voxlet_http library target links the one this system uses.
#pragma once

#include <memory>

#include "platform/http_transport.h"

namespace platform {

std::unique_ptr<HttpTransport> NewSystemHttpTransport();

} // namespace platform
