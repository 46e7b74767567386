#include "card_server.h"

#include <arpa/inet.h>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <optional>
#include <poll.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>
#include <utility>
#include <vector>

#include "multipart.h"
#include "print_line.h"

namespace card {

namespace {

using Clock = std::chrono::steady_clock;

constexpr std::string_view kUploadPath = "/upload.cgi";
constexpr std::size_t kMaxHeaderLines = 100;
constexpr std::size_t kLingerDiscardBytes = 1024 * 1024;
constexpr int kLingerMs = 1000;

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

// At most limit bytes of the text, "..." marking a cut.
std::string Shortened(std::string_view s, std::size_t limit = 200) {
    if (s.size() <= limit)
        return std::string(s);
    return std::string(s.substr(0, limit)) + "...";
}

int HexValue(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// %XX escapes decoded; a '%' without two hex digits is kept as it is.
std::string PercentDecode(std::string_view s) {
    std::string out;
    for (std::size_t i = 0; i < s.size(); ++i) {
        if (s[i] == '%' && i + 2 < s.size()) {
            const int hi = HexValue(s[i + 1]);
            const int lo = HexValue(s[i + 2]);
            if (hi >= 0 && lo >= 0) {
                out += static_cast<char>(hi * 16 + lo);
                i += 2;
                continue;
            }
        }
        out += s[i];
    }
    return out;
}

struct Request {
    std::string raw; // every byte received on the connection
    std::string method;
    std::string target;
    std::string version;
    std::vector<std::pair<std::string, std::string>> headers;
    std::size_t bodyStart = 0;
    std::size_t bodyLength = 0;

    std::optional<std::string> Header(std::string_view name) const {
        for (const auto& [key, value] : headers)
            if (EqualsNoCase(key, name))
                return value;
        return std::nullopt;
    }
    std::string_view Body() const { return std::string_view(raw).substr(bodyStart, bodyLength); }
};

enum class ReadStatus {
    Complete,
    Nothing,
    Timeout,
    Truncated,
    HeaderTooLarge,
    BodyTooLarge,
    BadRequest,
    LengthRequired
};

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

class RequestReader {
public:
    RequestReader(int fd, const ServerOptions& options)
        : m_fd(fd), m_options(options),
          m_deadline(Clock::now() + std::chrono::milliseconds(options.requestTimeoutMs)) {}

    ReadStatus Read(Request& request, std::string& reason) {
        // Request line and headers.
        std::size_t headerEnd = std::string::npos;
        std::size_t separatorLength = 0;
        for (;;) {
            const std::size_t crlf = request.raw.find("\r\n\r\n");
            const std::size_t lf = request.raw.find("\n\n");
            if (crlf != std::string::npos && (lf == std::string::npos || crlf < lf)) {
                headerEnd = crlf;
                separatorLength = 4;
            } else if (lf != std::string::npos) {
                headerEnd = lf;
                separatorLength = 2;
            }
            if (headerEnd != std::string::npos)
                break;
            if (request.raw.size() > m_options.maxHeaderBytes) {
                reason = "headers too large";
                return ReadStatus::HeaderTooLarge;
            }
            const int got = Receive(request.raw, 4096);
            if (got == 0)
                return request.raw.empty() ? ReadStatus::Nothing : Truncated(reason, "headers");
            if (got < 0) {
                reason = "time-out while reading headers";
                return ReadStatus::Timeout;
            }
        }
        if (headerEnd > m_options.maxHeaderBytes) {
            reason = "headers too large";
            return ReadStatus::HeaderTooLarge;
        }
        request.bodyStart = headerEnd + separatorLength;
        if (!ParseHead(std::string_view(request.raw).substr(0, headerEnd), request, reason))
            return ReadStatus::BadRequest;

        // The body.
        const bool hasBody = request.method == "POST" || request.method == "PUT";
        if (request.Header("Transfer-Encoding")) {
            reason = "chunked bodies are not taken";
            return ReadStatus::LengthRequired;
        }
        const auto length = request.Header("Content-Length");
        std::optional<std::size_t> expected;
        if (length) {
            const std::string_view digits = Trim(*length);
            if (digits.empty() || digits.size() > 12 ||
                digits.find_first_not_of("0123456789") != std::string_view::npos) {
                reason = "bad Content-Length";
                return ReadStatus::BadRequest;
            }
            expected = static_cast<std::size_t>(std::stoull(std::string(digits)));
            if (*expected > m_options.maxBodyBytes) {
                reason = "body too large";
                return ReadStatus::BodyTooLarge;
            }
        } else if (!hasBody) {
            expected = 0;
        }

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
            if (!expected && have > m_options.maxBodyBytes) {
                reason = "body too large";
                return ReadStatus::BodyTooLarge;
            }
            const int got = Receive(request.raw, 64 * 1024);
            if (got == 0) {
                if (!expected) { // no length: the body ends where the client stops sending
                    request.bodyLength = request.raw.size() - request.bodyStart;
                    return ReadStatus::Complete;
                }
                return Truncated(reason, "body");
            }
            if (got < 0) {
                reason = "time-out while reading the body";
                return ReadStatus::Timeout;
            }
        }
    }

private:
    static ReadStatus Truncated(std::string& reason, const char* what) {
        reason = std::string("connection closed inside the ") + what;
        return ReadStatus::Truncated;
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

    static bool ParseHead(std::string_view head, Request& request, std::string& reason) {
        std::vector<std::string_view> lines;
        std::size_t pos = 0;
        while (pos <= head.size()) {
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
        // METHOD SP TARGET SP VERSION
        const std::string_view first = lines[0];
        const std::size_t sp1 = first.find(' ');
        const std::size_t sp2 = sp1 == std::string_view::npos ? sp1 : first.find(' ', sp1 + 1);
        if (sp1 == std::string_view::npos || sp2 == std::string_view::npos ||
            first.find(' ', sp2 + 1) != std::string_view::npos) {
            reason = "bad request line";
            return false;
        }
        request.method = first.substr(0, sp1);
        request.target = first.substr(sp1 + 1, sp2 - sp1 - 1);
        request.version = first.substr(sp2 + 1);
        if (request.method.empty() ||
            request.method.find_first_not_of("ABCDEFGHIJKLMNOPQRSTUVWXYZ") != std::string::npos ||
            request.target.empty() || request.target[0] != '/' ||
            request.version.rfind("HTTP/", 0) != 0) {
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

    int m_fd;
    const ServerOptions& m_options;
    Clock::time_point m_deadline;
};

struct Reply {
    int status = 200;
    std::string reason = "OK";
    std::string contentType = "text/plain";
    std::string body;
};

std::string Serialize(const Reply& reply) {
    // As the card does: no length header, the end of the body is the close.
    return "HTTP/1.1 " + std::to_string(reply.status) + " " + reply.reason +
           "\r\nContent-Type: " + reply.contentType + "\r\nConnection: close\r\n\r\n" + reply.body;
}

Reply TextReply(std::string text) {
    Reply reply;
    reply.body = std::move(text);
    return reply;
}

Reply HtmlReply(int status, std::string reason, std::string_view heading, std::string_view text) {
    Reply reply;
    reply.status = status;
    reply.reason = std::move(reason);
    reply.contentType = "text/html";
    reply.body =
        "<html><head><title>voxlet-card</title></head><body><h1>" + std::string(heading) + "</h1>";
    if (!text.empty())
        reply.body += "<p>" + std::string(text) + "</p>";
    reply.body += "</body></html>\r\n";
    return reply;
}

Reply UploadForm() {
    Reply reply;
    reply.contentType = "text/html";
    reply.body = "<html><head><title>voxlet-card</title></head><body>\r\n"
                 "<form action=\"/upload.cgi\" method=\"post\" enctype=\"multipart/form-data\">\r\n"
                 "<input name=\"file\" type=\"file\"><input type=\"submit\" value=\"Upload\">\r\n"
                 "</form></body></html>\r\n";
    return reply;
}

// What the server makes of one connection: the outcome line it prints, the
// reply (none when the client is gone) and the file stored, told to the
// observer after the reply.
struct Exchange {
    std::string outcome;
    std::optional<Reply> reply;
    std::optional<std::pair<std::string, std::string>> stored; // card path, disk path
};

// The HTTP status with which a request that did not arrive whole or
// well-formed is refused.
struct RefusalStatus {
    ReadStatus status;
    int code;
    const char* text;
};
constexpr RefusalStatus kRefusals[] = {
    {ReadStatus::Timeout, 408, "Request Timeout"},
    {ReadStatus::HeaderTooLarge, 431, "Request Header Fields Too Large"},
    {ReadStatus::BodyTooLarge, 413, "Payload Too Large"},
    {ReadStatus::LengthRequired, 411, "Length Required"},
    {ReadStatus::BadRequest, 400, "Bad Request"},
};

// The answer to a request that did not arrive whole or well-formed; a client
// that sent nothing, or stopped sending, gets no reply.
Exchange Refusal(ReadStatus status, const std::string& reason) {
    Exchange x;
    if (status == ReadStatus::Nothing)
        x.outcome = "closed without a request";
    else if (status == ReadStatus::Truncated)
        x.outcome = "dropped: " + reason;
    for (const auto& refusal : kRefusals) {
        if (refusal.status == status) {
            x.outcome = std::to_string(refusal.code) + " " + reason;
            x.reply = HtmlReply(refusal.code, refusal.text, "ERROR", reason);
        }
    }
    return x;
}

// GET /upload.cgi with a query. UPDIR sets the folder; the card's other
// requests (FTIME, WRITEPROTECT, DEL, ...) are answered SUCCESS and do nothing.
Exchange AnswerCommand(CardStore& store, const std::string& query) {
    Exchange x;
    std::string result = "SUCCESS";
    std::size_t start = 0;
    while (start <= query.size()) {
        std::size_t end = query.find('&', start);
        if (end == std::string::npos)
            end = query.size();
        const std::string param = query.substr(start, end - start);
        const std::size_t eq = param.find('=');
        if (param.substr(0, eq) == "UPDIR") {
            std::string error;
            const std::string value =
                eq == std::string::npos ? "" : PercentDecode(param.substr(eq + 1));
            if (!store.SetUploadFolder(value, error)) {
                result = "ERROR";
                x.outcome = "ERROR " + error;
            }
        }
        start = end + 1;
    }
    if (result == "SUCCESS")
        x.outcome = "SUCCESS folder=" + store.UploadFolder();
    x.reply = TextReply(result);
    return x;
}

// POST /upload.cgi: the multipart body's file is stored in the upload folder.
Exchange AnswerUpload(CardStore& store, const Request& request) {
    Exchange x;
    const std::string boundary = BoundaryOf(request.Header("Content-Type").value_or(""));
    std::string error;
    const auto part = ParseUpload(request.Body(), boundary, error);
    std::string cardPath;
    std::string diskPath;
    if (part && store.Store(part->filename, part->data, cardPath, diskPath, error)) {
        x.outcome = "stored " + cardPath + " size=" + std::to_string(part->data.size());
        x.reply = HtmlReply(200, "OK", "Success", "");
        x.stored = {cardPath, diskPath};
    } else {
        x.outcome = "ERROR " + error;
        x.reply = HtmlReply(200, "OK", "ERROR", error);
    }
    return x;
}

// The answer to a whole, well-formed request.
Exchange Answer(CardStore& store, const Request& request) {
    const std::size_t mark = request.target.find('?');
    const std::string path = request.target.substr(0, mark);
    const std::string query = mark == std::string::npos ? "" : request.target.substr(mark + 1);
    Exchange x;
    if (path != kUploadPath) {
        x.outcome = "404";
        x.reply = HtmlReply(404, "Not Found", "404 Not Found", "");
    } else if (request.method == "GET" && query.empty()) {
        x.outcome = "upload form";
        x.reply = UploadForm();
    } else if (request.method == "GET") {
        x = AnswerCommand(store, query);
    } else if (request.method == "POST") {
        x = AnswerUpload(store, request);
    } else {
        x.outcome = "405";
        x.reply = HtmlReply(405, "Method Not Allowed", "ERROR", "method not allowed");
    }
    return x;
}

// Reads and drops what the client still sends, for a moment after the reply,
// so that closing the socket does not reset the reply away.
void DrainBeforeClose(int fd) {
    std::size_t discarded = 0;
    const auto until = Clock::now() + std::chrono::milliseconds(kLingerMs);
    while (discarded < kLingerDiscardBytes) {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(until - Clock::now()).count();
        if (left <= 0)
            break;
        pollfd p{fd, POLLIN, 0};
        if (poll(&p, 1, static_cast<int>(left)) <= 0)
            break;
        char sink[16 * 1024];
        const ssize_t n = recv(fd, sink, sizeof sink, 0);
        if (n <= 0)
            break;
        discarded += static_cast<std::size_t>(n);
    }
}

} // namespace

CardServer::CardServer(CardStore& store, ServerOptions options, CardObserver* observer)
    : m_store(store), m_options(std::move(options)), m_observer(observer) {}

CardServer::~CardServer() {
    if (m_listenFd >= 0)
        close(m_listenFd);
}

bool CardServer::Listen(std::string& error) {
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_flags = AI_PASSIVE | AI_NUMERICHOST | AI_NUMERICSERV;
    addrinfo* found = nullptr;
    const std::string port = std::to_string(m_options.port);
    const int rc = getaddrinfo(m_options.bindAddress.c_str(), port.c_str(), &hints, &found);
    if (rc != 0) {
        error = "bad address " + m_options.bindAddress + ": " + gai_strerror(rc);
        return false;
    }
    error = "no address";
    for (addrinfo* ai = found; ai; ai = ai->ai_next) {
        const int fd = socket(ai->ai_family, ai->ai_socktype | SOCK_CLOEXEC, ai->ai_protocol);
        if (fd < 0) {
            error = std::strerror(errno);
            continue;
        }
        const int one = 1;
        setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
        if (bind(fd, ai->ai_addr, ai->ai_addrlen) != 0 || listen(fd, 16) != 0) {
            error = "cannot listen on " + m_options.bindAddress + ":" + port + ": " +
                    std::strerror(errno);
            close(fd);
            continue;
        }
        sockaddr_storage addr{};
        socklen_t len = sizeof addr;
        getsockname(fd, reinterpret_cast<sockaddr*>(&addr), &len);
        if (addr.ss_family == AF_INET6)
            m_port = ntohs(reinterpret_cast<sockaddr_in6*>(&addr)->sin6_port);
        else
            m_port = ntohs(reinterpret_cast<sockaddr_in*>(&addr)->sin_port);
        m_listenFd = fd;
        break;
    }
    freeaddrinfo(found);
    return m_listenFd >= 0;
}

std::string CardServer::Endpoint() const {
    const bool v6 = m_options.bindAddress.find(':') != std::string::npos;
    return (v6 ? "[" + m_options.bindAddress + "]" : m_options.bindAddress) + ":" +
           std::to_string(m_port);
}

void CardServer::Run() {
    // The listening socket does not block, so that a connection that went
    // away between poll and accept cannot stall the observer's polls.
    fcntl(m_listenFd, F_SETFL, fcntl(m_listenFd, F_GETFL) | O_NONBLOCK);
    const bool polling = m_observer && m_options.pollIntervalMs > 0;
    const auto period = std::chrono::milliseconds(m_options.pollIntervalMs);
    auto nextPoll = Clock::now();
    for (;;) {
        int wait = -1;
        if (polling) {
            auto now = Clock::now();
            if (now >= nextPoll) {
                m_observer->OnPoll();
                now = Clock::now();
                nextPoll = now + period;
            }
            wait = static_cast<int>(
                std::chrono::duration_cast<std::chrono::milliseconds>(nextPoll - now).count());
        }
        pollfd p{m_listenFd, POLLIN, 0};
        const int ready = poll(&p, 1, wait);
        if (ready < 0 && errno != EINTR) {
            PrintLinef(stderr, "voxlet-card: poll: %s", std::strerror(errno));
            return;
        }
        if (ready <= 0)
            continue;
        const int fd = accept4(m_listenFd, nullptr, nullptr, SOCK_CLOEXEC);
        if (fd < 0) {
            if (errno == EINTR || errno == ECONNABORTED || errno == EMFILE || errno == ENFILE ||
                errno == EAGAIN || errno == EWOULDBLOCK)
                continue;
            PrintLinef(stderr, "voxlet-card: accept: %s", std::strerror(errno));
            return;
        }
        ServeConnection(fd);
    }
}

void CardServer::ServeConnection(int fd) {
    // A client that does not read the reply cannot hold the card either.
    timeval sendTimeout{m_options.idleTimeoutMs / 1000, (m_options.idleTimeoutMs % 1000) * 1000};
    setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &sendTimeout, sizeof sendTimeout);

    Request request;
    std::string reason;
    RequestReader reader(fd, m_options);
    const ReadStatus status = reader.Read(request, reason);

    if (!m_options.logFile.empty() && !request.raw.empty()) {
        if (std::FILE* log = std::fopen(m_options.logFile.c_str(), "ab")) {
            std::fwrite(request.raw.data(), 1, request.raw.size(), log);
            std::fclose(log);
        }
    }

    const std::string what =
        request.method.empty() ? "- " + Shortened(request.raw.substr(0, request.raw.find('\n')), 80)
                               : request.method + " " + Shortened(request.target);
    const Exchange exchange =
        status == ReadStatus::Complete ? Answer(m_store, request) : Refusal(status, reason);

    PrintLinef(stdout, "%s -> %s", what.c_str(), exchange.outcome.c_str());

    if (exchange.reply && m_options.replyDelayMs > 0)
        std::this_thread::sleep_for(std::chrono::milliseconds(m_options.replyDelayMs));
    if (exchange.reply)
        SendAll(fd, Serialize(*exchange.reply));

    // Close after the reply.
    shutdown(fd, SHUT_WR);
    if (exchange.stored && m_observer)
        m_observer->OnStored(exchange.stored->first, exchange.stored->second);
    DrainBeforeClose(fd);
    close(fd);
}

} // namespace card
