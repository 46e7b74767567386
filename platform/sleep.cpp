#include "platform/sleep.h"

#include <chrono>
#include <ctime>
#include <thread>

namespace platform {

void Sleep(int ms) {
    if (ms > 0)
        std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

std::int64_t CurrentTimeSeconds() {
    return static_cast<std::int64_t>(std::time(nullptr));
}

} // namespace platform
