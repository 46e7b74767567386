// The emulator's HTTP side, through a real connection: every request gets one
// well-formed reply (after at most one 100 Continue) unless it did not arrive
// whole, and every stored file lies below the card root.
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <thread>

#include "fuzz.h"
#include "support/loopback.h"
#include "tools/voxlet_card/card_server.h"

namespace {
std::atomic<unsigned> g_stored; // files the observer was told of

class Observer final : public card::CardObserver {
public:
    void OnStored(const std::string&, const std::string& diskPath) override {
        fuzz::CheckInsideCardRoot(diskPath);
        std::remove(diskPath.c_str());
        ++g_stored;
    }
};

int Port() {
    static const int port = [] {
        std::freopen("/dev/null", "w", stdout); // the emulator prints a line per request
        card::ServerOptions options;
        options.idleTimeoutMs = 5000;
        options.maxBodyBytes = 1 << 20;
        // Never destroyed: the server's thread runs until the process ends.
        static auto* server =
            new card::CardServer(*new card::CardStore(fuzz::CardRoot()), options, new Observer);
        std::string error;
        FUZZ_CHECK(server->Listen(error));
        std::thread([] { server->Run(); }).detach();
        return std::stoi(server->Endpoint().substr(server->Endpoint().rfind(':') + 1));
    }();
    return port;
}
} // namespace

void FuzzOne(std::string_view input) {
    const unsigned stored = g_stored;
    const auto connection = testsupport::Socket::Connect(Port());
    FUZZ_CHECK(connection.Valid());
    connection.Send(input);
    connection.ShutdownWrite();
    std::string reply;
    char chunk[4096];
    for (long n; (n = connection.Receive(chunk, sizeof chunk)) > 0;)
        reply.append(chunk, static_cast<std::size_t>(n));

    constexpr std::string_view kContinue = "HTTP/1.1 100 Continue\r\n\r\n";
    if (reply.starts_with(kContinue))
        reply.erase(0, kContinue.size());
    // No reply only to a request that did not arrive whole.
    std::string request(input);
    std::ranges::transform(request, request.begin(),
                           [](unsigned char c) { return std::tolower(c); });
    if (reply.empty()) {
        FUZZ_CHECK(
            (request.find("\r\n\r\n") == request.npos && request.find("\n\n") == request.npos) ||
            request.find("content-length") != request.npos);
        return;
    }
    const std::size_t head = reply.find("\r\n\r\n");
    FUZZ_CHECK(reply.starts_with("HTTP/1.1 ") && head != std::string::npos);
    const int status = std::atoi(reply.c_str() + 9);
    FUZZ_CHECK(status >= 200 && status < 600);
    FUZZ_CHECK(reply.find("\r\nConnection: close\r\n") == head - 19);
    // A stored file is told after the reply; it is awaited, so the next input
    // (or the end of the process) does not overlap it. The bound is generous:
    // a stalled machine must not pass for a store that is never told.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (reply.find("<h1>Success</h1>") != reply.npos && g_stored == stored) {
        FUZZ_CHECK(std::chrono::steady_clock::now() < deadline);
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    fuzz::CheckInsideCardRoot("");
}
