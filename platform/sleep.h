// The one blocking wait of the program, and the current time. Tests and the
// scenario runner replace both with a virtual clock so nothing sleeps for real.
#pragma once

#include <cstdint>
#include <functional>

namespace platform {

// Blocks the calling thread for ms milliseconds without processing messages.
void Sleep(int ms);
// Seconds since the epoch.
std::int64_t CurrentTimeSeconds();

using SleepFunction = std::function<void(int ms)>;
using TimeFunction = std::function<std::int64_t()>;
// An empty function restores the real one.
void SetSleepFunction(SleepFunction fn);
void SetTimeFunction(TimeFunction fn);

} // namespace platform
