// The card's HTTP server: one request at a time, one connection per request,
// the connection closed after each reply, as a FlashAir card serves.
#pragma once

#include <cstddef>
#include <string>

#include "card_store.h"

namespace card {

// Told of every file the card stores, and called between requests at the
// poll interval of the options. The robot stand-in (voxlet-card --robot,
// robot.h) hooks in here to carry out ADDON/REMOTE.LOG records.
class CardObserver {
public:
    virtual ~CardObserver() = default;
    // cardPath: below the card root ("ADDON/REMOTE.LOG"); diskPath: on the PC.
    virtual void OnStored(const std::string& cardPath, const std::string& diskPath) = 0;
    // Runs on the server's thread, never while a request is served.
    virtual void OnPoll() {}
};

struct ServerOptions {
    std::string bindAddress = "127.0.0.1";
    int port = 0;                                // 0: a free port
    std::string logFile;                         // raw requests appended here ("": none)
    int idleTimeoutMs = 10000;                   // a silent client is dropped after this
    int requestTimeoutMs = 60000;                // a whole request must arrive within this
    std::size_t maxHeaderBytes = 16 * 1024;      // request line and headers
    std::size_t maxBodyBytes = 64 * 1024 * 1024; // the body of a POST
    int pollIntervalMs = 0;                      // CardObserver::OnPoll period (0: never)
    int replyDelayMs = 0;                        // waited before each reply (a slow card)
};

class CardServer {
public:
    CardServer(CardStore& store, ServerOptions options, CardObserver* observer = nullptr);
    ~CardServer();
    CardServer(const CardServer&) = delete;
    CardServer& operator=(const CardServer&) = delete;

    // Binds and listens; false with a reason on failure.
    bool Listen(std::string& error);
    // "ADDR:PORT" (IPv6 addresses in brackets) once listening.
    std::string Endpoint() const;
    // Serves requests until the process ends.
    void Run();

private:
    void ServeConnection(int fd);

    CardStore& m_store;
    ServerOptions m_options;
    CardObserver* m_observer;
    int m_listenFd = -1;
    int m_port = 0;
};

} // namespace card
