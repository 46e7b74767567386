// The one blocking wait of the program, and the current time: the real ones,
// which a program's Services hand to the player unless it runs on a virtual
// clock (tests and the scenario runner, so nothing sleeps for real).
#pragma once

#include <cstdint>

namespace platform {

// Blocks the calling thread for ms milliseconds without processing messages.
void Sleep(int ms);
// Seconds since the epoch.
std::int64_t CurrentTimeSeconds();

} // namespace platform
