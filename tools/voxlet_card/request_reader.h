// One HTTP request read from a connection, as the card reads it: the request
// line and headers, then a body of Content-Length bytes (or, without one, up to
// the client's end of sending), within the server's time-outs and size limits
// and its budget of body bytes.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "card_server.h"

namespace card {

struct Request {
    // The body's share of the server's budget; declared first, so that it is
    // given back only once the bytes below are freed.
    BodyShare bodyShare;
    std::string raw; // every byte received on the connection
    std::string method;
    std::string target;
    std::string version;
    std::vector<std::pair<std::string, std::string>> headers;
    std::size_t bodyStart = 0;
    std::size_t bodyLength = 0;

    // The first header of the name (case-insensitive).
    std::optional<std::string> Header(std::string_view name) const;
    std::string_view Body() const { return std::string_view(raw).substr(bodyStart, bodyLength); }
};

enum class ReadStatus {
    Complete,
    Nothing,
    Timeout,
    Truncated,
    HeaderTooLarge,
    BodyTooLarge,
    NoRoomForBody,
    BadRequest,
    LengthRequired
};

// Reads one request from the connection; anything but Complete comes with a
// reason. A body's share of the budget is taken before the body is read, and
// a client that asks for it gets "100 Continue" after that.
ReadStatus ReadRequest(int fd, const ServerOptions& options, BodyBudget& bodies, Request& request,
                       std::string& reason);

// Sends all bytes (false when the connection failed or timed out).
bool SendAll(int fd, std::string_view data);

} // namespace card
