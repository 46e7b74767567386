#include "request_reader.h"

#include <cerrno>
#include <chrono>
#include <poll.h>
#include <sys/socket.h>

namespace card {

namespace {

using Clock = std::chrono::steady_clock;

constexpr std::size_t kMaxHeaderLines = 100;
constexpr std::size_t kMaxLengthDigits = 12;
constexpr std::size_t kBodyChunk = 64 * 1024; // read at once

char Lower(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool EqualsNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (Lower(a[i]) != Lower(b[i]))
            return false;
    return true;
}

std::string_view Trim(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t'))
        s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r'))
        s.remove_suffix(1);
    return s;
}

// Where the headers end (npos while they have not) and how long the empty
// line that ends them is (CRLF CRLF, or LF LF from a lax client).
std::size_t HeaderEnd(const std::string& raw, std::size_t& separatorLength) {
    const std::size_t crlf = raw.find("\r\n\r\n");
    const std::size_t lf = raw.find("\n\n");
    if (crlf != std::string::npos && (lf == std::string::npos || crlf < lf)) {
        separatorLength = 4;
        return crlf;
    }
    separatorLength = 2;
    return lf;
}

// METHOD SP TARGET SP VERSION
bool ParseRequestLine(std::string_view line, Request& request) {
    const std::size_t sp1 = line.find(' ');
    const std::size_t sp2 = sp1 == std::string_view::npos ? sp1 : line.find(' ', sp1 + 1);
    if (sp1 == std::string_view::npos || sp2 == std::string_view::npos ||
        line.find(' ', sp2 + 1) != std::string_view::npos)
        return false;
    request.method = line.substr(0, sp1);
    request.target = line.substr(sp1 + 1, sp2 - sp1 - 1);
    request.version = line.substr(sp2 + 1);
    return !request.method.empty() &&
           request.method.find_first_not_of("ABCDEFGHIJKLMNOPQRSTUVWXYZ") == std::string::npos &&
           !request.target.empty() && request.target[0] == '/' &&
           request.version.rfind("HTTP/", 0) == 0;
}

bool ParseHead(std::string_view head, Request& request, std::string& reason) {
    std::vector<std::string_view> lines;
    for (std::size_t pos = 0; pos <= head.size();) {
        std::size_t end = head.find('\n', pos);
        if (end == std::string_view::npos)
            end = head.size();
        std::string_view line = head.substr(pos, end - pos);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        lines.push_back(line);
        pos = end + 1;
    }
    if (lines.size() > kMaxHeaderLines + 1) {
        reason = "too many headers";
        return false;
    }
    if (!ParseRequestLine(lines[0], request)) {
        reason = "bad request line";
        return false;
    }
    for (std::size_t i = 1; i < lines.size(); ++i) {
        const std::size_t colon = lines[i].find(':');
        if (colon == std::string_view::npos || colon == 0) {
            reason = "bad header line";
            return false;
        }
        request.headers.emplace_back(std::string(Trim(lines[i].substr(0, colon))),
                                     std::string(Trim(lines[i].substr(colon + 1))));
    }
    return true;
}

// The body length that the Content-Length headers give (nullopt without one).
// Every value, and every item of a comma-separated value, must be the same
// decimal number: a number repeated ("5, 5", or the header twice) is that
// number, as HTTP lets a recipient take it; anything else leaves the body's end
// in doubt and is refused.
bool ContentLength(const Request& request, std::optional<std::size_t>& length) {
    length.reset();
    for (const auto& [name, value] : request.headers) {
        if (!EqualsNoCase(name, "Content-Length"))
            continue;
        std::string_view rest = value;
        for (;;) {
            const std::size_t comma = rest.find(',');
            const std::string_view digits = Trim(rest.substr(0, comma));
            if (digits.empty() || digits.size() > kMaxLengthDigits ||
                digits.find_first_not_of("0123456789") != std::string_view::npos)
                return false;
            const auto number = static_cast<std::size_t>(std::stoull(std::string(digits)));
            if (length && *length != number)
                return false;
            length = number;
            if (comma == std::string_view::npos)
                break;
            rest.remove_prefix(comma + 1);
        }
    }
    return true;
}

ReadStatus Refused(ReadStatus status, std::string& reason, const char* text) {
    reason = text;
    return status;
}

// Reads from a connection within the request's time-outs: a silent client is
// dropped after the idle time-out, a slow one once the whole request has taken
// longer than the request time-out.
class RequestReader {
public:
    RequestReader(int fd, const ServerOptions& options, BodyBudget& bodies)
        : m_fd(fd), m_options(options), m_bodies(bodies),
          m_deadline(Clock::now() + std::chrono::milliseconds(options.requestTimeoutMs)) {}

    ReadStatus Read(Request& request, std::string& reason) {
        const ReadStatus head = ReadHead(request, reason);
        return head == ReadStatus::Complete ? ReadBody(request, reason) : head;
    }

private:
    ReadStatus ReadHead(Request& request, std::string& reason) {
        std::size_t separatorLength = 0;
        std::size_t headerEnd;
        while ((headerEnd = HeaderEnd(request.raw, separatorLength)) == std::string::npos) {
            if (request.raw.size() > m_options.maxHeaderBytes)
                return Refused(ReadStatus::HeaderTooLarge, reason, "headers too large");
            const int got = Receive(request.raw, 4096);
            if (got == 0)
                return request.raw.empty() ? ReadStatus::Nothing
                                           : Refused(ReadStatus::Truncated, reason,
                                                     "connection closed inside the headers");
            if (got < 0)
                return Refused(ReadStatus::Timeout, reason, "time-out while reading headers");
        }
        if (headerEnd > m_options.maxHeaderBytes)
            return Refused(ReadStatus::HeaderTooLarge, reason, "headers too large");
        request.bodyStart = headerEnd + separatorLength;
        if (!ParseHead(std::string_view(request.raw).substr(0, headerEnd), request, reason))
            return ReadStatus::BadRequest;
        return ReadStatus::Complete;
    }

    ReadStatus ReadBody(Request& request, std::string& reason) {
        if (request.Header("Transfer-Encoding"))
            return Refused(ReadStatus::LengthRequired, reason, "chunked bodies are not taken");
        std::optional<std::size_t> expected;
        if (!ContentLength(request, expected))
            return Refused(ReadStatus::BadRequest, reason, "bad Content-Length");
        if (expected && *expected > m_options.maxBodyBytes)
            return Refused(ReadStatus::BodyTooLarge, reason, "body too large");
        if (!expected && request.method != "POST" && request.method != "PUT")
            expected = 0;
        // The whole body is held until answered: its share of the budget is
        // taken first, and for a body without a length the most it may hold
        // before it is refused (one read past the limit).
        const std::size_t share = expected ? *expected : m_options.maxBodyBytes + kBodyChunk;
        if (!request.bodyShare.Take(m_bodies, share))
            return Refused(ReadStatus::NoRoomForBody, reason, "no room to buffer the body");
        request.raw.reserve(request.bodyStart + share);
        if (expected && *expected > request.raw.size() - request.bodyStart) {
            const auto expect = request.Header("Expect");
            if (expect && EqualsNoCase(Trim(*expect), "100-continue"))
                SendAll(m_fd, "HTTP/1.1 100 Continue\r\n\r\n");
        }
        for (;;) {
            const std::size_t have = request.raw.size() - request.bodyStart;
            if (expected && have >= *expected) {
                request.bodyLength = *expected;
                return ReadStatus::Complete;
            }
            if (!expected && have > m_options.maxBodyBytes)
                return Refused(ReadStatus::BodyTooLarge, reason, "body too large");
            const int got = Receive(request.raw, kBodyChunk);
            if (got == 0 && !expected) { // no length: the body ends where the client stops
                request.bodyLength = have;
                return ReadStatus::Complete;
            }
            if (got == 0)
                return Refused(ReadStatus::Truncated, reason, "connection closed inside the body");
            if (got < 0)
                return Refused(ReadStatus::Timeout, reason, "time-out while reading the body");
        }
    }

    // Appends up to max bytes; the count, 0 at the end of the stream, -1 on
    // a time-out or an error.
    int Receive(std::string& buffer, std::size_t max) {
        for (;;) {
            const auto now = Clock::now();
            if (now >= m_deadline)
                return -1;
            const auto left =
                std::chrono::duration_cast<std::chrono::milliseconds>(m_deadline - now).count();
            const int wait = static_cast<int>(std::min<long long>(left, m_options.idleTimeoutMs));
            pollfd p{m_fd, POLLIN, 0};
            const int ready = poll(&p, 1, wait);
            if (ready < 0 && errno == EINTR)
                continue;
            if (ready <= 0)
                return -1;
            char chunk[64 * 1024];
            const ssize_t n = recv(m_fd, chunk, std::min(max, sizeof chunk), 0);
            if (n < 0) {
                if (errno == EINTR || errno == EAGAIN)
                    continue;
                return -1;
            }
            buffer.append(chunk, static_cast<std::size_t>(n));
            return static_cast<int>(n);
        }
    }

    int m_fd;
    const ServerOptions& m_options;
    BodyBudget& m_bodies;
    Clock::time_point m_deadline;
};

} // namespace

std::optional<std::string> Request::Header(std::string_view name) const {
    for (const auto& [key, value] : headers)
        if (EqualsNoCase(key, name))
            return value;
    return std::nullopt;
}

ReadStatus ReadRequest(int fd, const ServerOptions& options, BodyBudget& bodies, Request& request,
                       std::string& reason) {
    return RequestReader(fd, options, bodies).Read(request, reason);
}

bool SendAll(int fd, std::string_view data) {
    while (!data.empty()) {
        const ssize_t n = send(fd, data.data(), data.size(), MSG_NOSIGNAL);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        data.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
}

} // namespace card
