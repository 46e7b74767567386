#include "platform/sleep.h"

#include <chrono>
#include <ctime>
#include <thread>

namespace platform {

namespace {
SleepFunction& SleepHook() {
    static SleepFunction hook;
    return hook;
}
TimeFunction& TimeHook() {
    static TimeFunction hook;
    return hook;
}
} // namespace

void Sleep(int ms) {
    if (SleepHook()) {
        SleepHook()(ms);
        return;
    }
    if (ms > 0)
        std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

std::int64_t CurrentTimeSeconds() {
    if (TimeHook())
        return TimeHook()();
    return static_cast<std::int64_t>(std::time(nullptr));
}

void SetSleepFunction(SleepFunction fn) {
    SleepHook() = std::move(fn);
}
void SetTimeFunction(TimeFunction fn) {
    TimeHook() = std::move(fn);
}

} // namespace platform
