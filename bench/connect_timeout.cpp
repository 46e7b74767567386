// Benchmark row: how long the libcurl transport waits for a connection that is
// never made, with a 1 s connect time-out set, beside a sleep of that second
// (the floor): a ratio well below 1 gives up early, well above it late.
#include <thread>

#include "bench_row.h"
#include "platform/curl/curl_transport.h"
#include "support/loopback.h"

int main() {
    // A listener whose one queue place is taken: the system drops further
    // connection requests, so a connect hangs.
    const auto listener = testsupport::Socket::Listen(0);
    const auto queued = testsupport::Socket::Connect(listener.Port());
    if (!listener.Valid() || !queued.Valid())
        bench::Fail("no listener on loopback");
    const std::string url = "http://127.0.0.1:" + std::to_string(listener.Port()) + "/";
    CurlTransport http;
    http.SetTimeouts(platform::HttpTimeouts{1000});
    const auto [wait, slept] = bench::Alternate(5, [&](bool floor) -> std::vector<double> {
        const auto start = std::chrono::steady_clock::now();
        if (floor)
            std::this_thread::sleep_for(std::chrono::seconds(1));
        else if (http.Get(url, 16).ok)
            bench::Fail("the connection was made");
        return {bench::MsSince(start)};
    });
    bench::PrintRow("A connection never made, 1 s connect time-out", wait[0], slept[0], "ms", "",
                    "floor: a sleep of 1 s");
    return 0;
}
