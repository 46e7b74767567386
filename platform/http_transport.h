// The HTTP seam: the two exchanges the FlashAir client needs, in place of the
// Windows internet functions. An implementation sends exactly this:
//   Get:  "GET <path?query> HTTP/1.1" with Host, User-Agent and "Accept: */*".
//   Post: "POST <path> HTTP/1.0" with Host, User-Agent, Content-Type (the given
//         value) and Content-Length, in that order; no Accept, no Expect; the
//         body as given, in one request.
// User-Agent is platform::ApplicationName(). Only http:// URLs are taken, and
// redirects are not followed.
// A connection not made within connectMs fails, and so does a transfer that
// moves less than 1 byte/s for lowSpeedSeconds. Any failure (no connection,
// bad host, time-out, the peer gone) gives ok == false and a one-line error
// text saying what failed; the HTTP status is never examined.
#pragma once

#include <cstddef>
#include <functional>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

// The defaults are those of the Windows internet functions.
struct HttpTimeouts {
    long connectMs = 10000;
    long lowSpeedSeconds = 30;
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

class HttpTransport {
public:
    virtual ~HttpTransport() = default;

    // Keeps at most replyCapacity bytes of the reply; a longer reply is cut
    // off there and still counts as a success.
    virtual HttpResult Get(const std::string& url, std::size_t replyCapacity) = 0;
    // The reply is read and dropped.
    virtual HttpResult Post(const std::string& url, const std::string& contentType,
                            const std::string& body) = 0;

    // Batches: one result per request, in the requests' order; each exchange
    // exactly as Get or Post sends it, on its own connection with its own
    // time-outs. An implementation may run them all at once, so that a batch
    // takes about as long as its slowest exchange; this one runs them one
    // after another.
    virtual std::vector<HttpResult> GetAll(const std::vector<HttpGetRequest>& requests);
    virtual std::vector<HttpResult> PostAll(const std::vector<HttpPostRequest>& requests);

    // Apply from the next exchange on; safe from any thread.
    void SetTimeouts(const HttpTimeouts& timeouts);
    HttpTimeouts Timeouts() const;

private:
    mutable std::mutex m_mutex;
    HttpTimeouts m_timeouts;
};

// Receives one trace line per exchange (the FlashAir client's, for transcripts).
using HttpTraceHook = std::function<void(const std::string& line)>;

} // namespace platform
