// The HTTP seam: the two exchanges the FlashAir client needs, in place of the
// Windows internet functions. An implementation sends exactly this:
//   Get:  "GET <path?query> HTTP/1.1" with Host, User-Agent and "Accept: */*".
//   Post: "POST <path> HTTP/1.0" with Host, User-Agent, Content-Type (the given
//         value) and Content-Length, in that order; no Accept, no Expect; the
//         body as given, in one request.
// User-Agent is platform::ApplicationName(). Only http:// URLs are taken, and
// redirects are not followed; no proxy is used, whatever the environment or
// the system's settings say (cards are on the local network).
// Any failure (no connection, bad host, time-out, the peer gone) gives
// ok == false and a one-line error text saying what failed; the HTTP status is
// never examined.
#pragma once

#include <cstddef>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

// The time-outs of every exchange (HttpTransport::SetTimeouts).
struct HttpTimeouts {
    // A connection not made within connectMs fails (the Windows internet
    // functions' default).
    long connectMs = 10000;
    // A transfer that moves less than 1 byte/s for lowSpeedSeconds fails.
    long lowSpeedSeconds = 30;
    // An exchange, from the connect to the last byte of the reply, that lasts
    // longer than deadlineMs plus deadlineMsPer32KiB for each 32 KiB of its
    // body fails with the transport's time-out text, so that a peer that
    // trickles cannot hold it for ever.
    long deadlineMs = 60000;
    long deadlineMsPer32KiB = 1000;

    // The deadline in ms of an exchange with a body of bodySize bytes.
    long DeadlineMs(std::size_t bodySize) const;
};

struct HttpResult {
    bool ok = false;
    std::string reply; // Get: the first bytes of the reply (also those before a failure)
    std::string error; // the failure's text when !ok
};

struct HttpGetRequest {
    std::string url;
    std::size_t replyCapacity = 0;
};

struct HttpPostRequest {
    std::string url;
    std::string contentType;
    std::string_view body; // the caller keeps the bytes alive during the call
};

// One chain of a batch: the GET, then the POST when the GET succeeded with a
// reply that starts with postWhenReplyStartsWith. Without a POST the chain is
// the GET alone.
struct HttpGetPostRequest {
    HttpGetRequest get;
    std::string postWhenReplyStartsWith;
    std::optional<HttpPostRequest> post;
};

struct HttpGetPostResult {
    HttpResult get;
    std::optional<HttpResult> post; // when the POST was sent
};

class HttpTransport {
public:
    virtual ~HttpTransport() = default;

    // Keeps at most replyCapacity bytes of the reply; a longer reply is cut
    // off there and still counts as a success.
    virtual HttpResult Get(const std::string& url, std::size_t replyCapacity) = 0;
    // The reply is read and dropped.
    virtual HttpResult Post(const std::string& url, const std::string& contentType,
                            const std::string& body) = 0;

    // A batch of chains: one result per chain, in the chains' order; each
    // exchange exactly as Get or Post sends it, on its own connection with its
    // own time-outs, and a chain's POST follows its own GET whatever the other
    // chains do. An implementation may run the chains at once, so that a batch
    // takes about as long as its slowest chain and a stalled chain holds back
    // no other; this one runs them one after another.
    virtual std::vector<HttpGetPostResult>
    GetPostAll(const std::vector<HttpGetPostRequest>& chains);

    // Apply from the next exchange on; safe from any thread.
    void SetTimeouts(const HttpTimeouts& timeouts);
    HttpTimeouts Timeouts() const;

private:
    mutable std::mutex m_mutex;
    HttpTimeouts m_timeouts;
};

// True when a chain's GET result lets its POST go.
bool PostFollows(const HttpResult& get, std::string_view postWhenReplyStartsWith);

// Receives one trace line per exchange (the FlashAir client's, for transcripts).
using HttpTraceHook = std::function<void(const std::string& line)>;

} // namespace platform
