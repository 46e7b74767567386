// The card's HTTP server: one connection per request, the connection closed
// after each reply, and whole requests answered one at a time in the order in
// which they arrived whole, as a FlashAir card serves. Connections are read
// side by side, so that a slow or silent client holds only its own (up to
// kMaxConnections at once; more are answered 503 and closed). Request bodies
// are held whole until answered, within a budget of bytes across connections:
// a request whose declared body does not fit in what is left is answered 503
// without its body being read.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <mutex>
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
    // Runs on the server's thread, never while a request is served. OnStored
    // and OnPoll never run at the same time.
    virtual void OnPoll() {}
};

struct ServerOptions {
    std::string bindAddress = "127.0.0.1";
    int port = 0;                                    // 0: a free port
    std::string logFile;                             // raw requests appended here ("": none)
    int idleTimeoutMs = 10000;                       // a silent client is dropped after this
    int requestTimeoutMs = 60000;                    // a whole request must arrive within this
    std::size_t maxHeaderBytes = 16 * 1024;          // request line and headers
    std::size_t maxBodyBytes = 64 * 1024 * 1024;     // the body of a POST
    std::size_t bodyBudgetBytes = 256 * 1024 * 1024; // bodies held at once, all connections
    int pollIntervalMs = 0;                          // CardObserver::OnPoll period (0: never)
    int replyDelayMs = 0;                            // waited before each reply (a slow card)
};

// Hands out turns in the order they are asked for, one at a time.
class TurnQueue {
public:
    void Take();
    void Give();

private:
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::uint64_t m_next = 0;
    std::uint64_t m_serving = 0;
};

// Bytes that request bodies may hold at once, shared by the connections.
class BodyBudget {
public:
    explicit BodyBudget(std::size_t total) : m_left(total) {}
    // Takes the bytes when they fit in what is left; false (nothing taken)
    // when they do not.
    bool Take(std::size_t bytes);
    void Give(std::size_t bytes);

private:
    std::mutex m_mutex;
    std::size_t m_left;
};

// A body's share of a BodyBudget, given back when the share is destroyed.
class BodyShare {
public:
    BodyShare() = default;
    ~BodyShare();
    BodyShare(const BodyShare&) = delete;
    BodyShare& operator=(const BodyShare&) = delete;
    // Takes the bytes from the budget (once per share); false when they do not fit.
    bool Take(BodyBudget& budget, std::size_t bytes);

private:
    BodyBudget* m_budget = nullptr;
    std::size_t m_bytes = 0;
};

class CardServer {
public:
    static constexpr int kMaxConnections = 64;

    CardServer(CardStore& store, ServerOptions options, CardObserver* observer = nullptr);
    ~CardServer();
    CardServer(const CardServer&) = delete;
    CardServer& operator=(const CardServer&) = delete;

    // Binds and listens; false with a reason on failure.
    bool Listen(std::string& error);
    // "ADDR:PORT" (IPv6 addresses in brackets) once listening.
    std::string Endpoint() const;
    // Serves requests until the process ends (or accepting fails: then it
    // returns once the open connections are done).
    void Run();

private:
    bool Accept(); // false when accepting failed for good
    void Poll();
    void Done(); // a connection has been served
    // Reads one request on its own thread, then answers it in its turn.
    void ServeConnection(int fd);

    std::mutex m_countMutex;
    std::condition_variable m_countChanged;
    int m_connections = 0; // being served
    TurnQueue m_turns;
    BodyBudget m_bodies;

    CardStore& m_store;
    ServerOptions m_options;
    CardObserver* m_observer;
    int m_listenFd = -1;
    int m_port = 0;
};

} // namespace card
