#include "card_server.h"

#include <arpa/inet.h>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <memory>
#include <netdb.h>
#include <netinet/in.h>
#include <optional>
#include <poll.h>
#include <sys/socket.h>
#include <system_error>
#include <thread>
#include <unistd.h>
#include <utility>
#include <vector>

#include "multipart.h"
#include "print_line.h"
#include "request_reader.h"

namespace card {

namespace {

using Clock = std::chrono::steady_clock;

constexpr std::string_view kUploadPath = "/upload.cgi";
constexpr std::size_t kLingerDiscardBytes = 1024 * 1024;
constexpr int kLingerMs = 1000;

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
    {ReadStatus::NoRoomForBody, 503, "Service Unavailable"},
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

void AppendToLog(const std::string& logFile, const std::string& raw) {
    if (logFile.empty() || raw.empty())
        return;
    if (std::FILE* log = std::fopen(logFile.c_str(), "ab")) {
        std::fwrite(raw.data(), 1, raw.size(), log);
        std::fclose(log);
    }
}

// What the printed line names: the method and target, or the start of what
// arrived when it was no request.
std::string RequestName(const Request& request) {
    if (request.method.empty())
        return "- " + Shortened(request.raw.substr(0, request.raw.find('\n')), 80);
    return request.method + " " + Shortened(request.target);
}

// One connection too many: answered at once, without reading it. What the
// client already sent is dropped first, so that the close does not reset the
// reply away.
void RefuseBusy(int fd) {
    const std::string reply =
        Serialize(HtmlReply(503, "Service Unavailable", "ERROR", "too many connections"));
    (void)send(fd, reply.data(), reply.size(), MSG_NOSIGNAL | MSG_DONTWAIT);
    shutdown(fd, SHUT_WR);
    char sink[4096];
    while (recv(fd, sink, sizeof sink, MSG_DONTWAIT) > 0) {
    }
    close(fd);
    PrintLine(stdout, "- -> 503 too many connections");
}

// A turn of the queue, held for a scope.
class Turn {
public:
    explicit Turn(TurnQueue& queue) : m_queue(queue) { m_queue.Take(); }
    ~Turn() { m_queue.Give(); }
    Turn(const Turn&) = delete;
    Turn& operator=(const Turn&) = delete;

private:
    TurnQueue& m_queue;
};

} // namespace

CardServer::CardServer(CardStore& store, ServerOptions options, CardObserver* observer)
    : m_bodies(options.bodyBudgetBytes), m_store(store), m_options(std::move(options)),
      m_observer(observer) {}

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
        if (bind(fd, ai->ai_addr, ai->ai_addrlen) != 0 || listen(fd, SOMAXCONN) != 0) {
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

void TurnQueue::Take() {
    std::unique_lock lock(m_mutex);
    const std::uint64_t ticket = m_next++;
    m_changed.wait(lock, [&] { return m_serving == ticket; });
}

void TurnQueue::Give() {
    {
        std::lock_guard lock(m_mutex);
        ++m_serving;
    }
    m_changed.notify_all();
}

bool BodyBudget::Take(std::size_t bytes) {
    std::lock_guard lock(m_mutex);
    if (bytes > m_left)
        return false;
    m_left -= bytes;
    return true;
}

void BodyBudget::Give(std::size_t bytes) {
    std::lock_guard lock(m_mutex);
    m_left += bytes;
}

BodyShare::~BodyShare() {
    if (m_budget)
        m_budget->Give(m_bytes);
}

bool BodyShare::Take(BodyBudget& budget, std::size_t bytes) {
    if (m_budget || !budget.Take(bytes))
        return false;
    m_budget = &budget;
    m_bytes = bytes;
    return true;
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
                Poll();
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
            break;
        }
        if (ready > 0 && !Accept())
            break;
    }
    std::unique_lock lock(m_countMutex);
    m_countChanged.wait(lock, [this] { return m_connections == 0; });
}

void CardServer::Poll() {
    Turn turn(m_turns);
    m_observer->OnPoll();
}

bool CardServer::Accept() {
    const int fd = accept4(m_listenFd, nullptr, nullptr, SOCK_CLOEXEC);
    if (fd < 0) {
        if (errno == EINTR || errno == ECONNABORTED || errno == EMFILE || errno == ENFILE ||
            errno == EAGAIN || errno == EWOULDBLOCK)
            return true;
        PrintLinef(stderr, "voxlet-card: accept: %s", std::strerror(errno));
        return false;
    }
    bool admitted = false;
    {
        std::lock_guard lock(m_countMutex);
        admitted = m_connections < kMaxConnections;
        m_connections += admitted ? 1 : 0;
    }
    if (!admitted) {
        RefuseBusy(fd);
        return true;
    }
    try {
        std::thread([this, fd] { ServeConnection(fd); }).detach();
    } catch (const std::system_error&) {
        RefuseBusy(fd);
        Done();
    }
    return true;
}

void CardServer::Done() {
    // Notified while the lock is held: Run() sees the count reach 0 only once
    // this thread has let go of the lock, after which the thread touches
    // nothing of the server, so Run() may return and the server be destroyed.
    std::lock_guard lock(m_countMutex);
    --m_connections;
    m_countChanged.notify_all();
}

void CardServer::ServeConnection(int fd) {
    // A client that does not read the reply cannot hold the card either.
    timeval sendTimeout{m_options.idleTimeoutMs / 1000, (m_options.idleTimeoutMs % 1000) * 1000};
    setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &sendTimeout, sizeof sendTimeout);

    auto request = std::make_unique<Request>();
    std::string reason;
    const ReadStatus status = ReadRequest(fd, m_options, m_bodies, *request, reason);
    {
        Turn turn(m_turns);
        AppendToLog(m_options.logFile, request->raw);
        const Exchange exchange =
            status == ReadStatus::Complete ? Answer(m_store, *request) : Refusal(status, reason);
        const std::string name = RequestName(*request);
        // The body and its share of the budget are let go before the outcome
        // is printed: once a request's line shows, its bytes are free again.
        request.reset();
        PrintLinef(stdout, "%s -> %s", name.c_str(), exchange.outcome.c_str());
        if (exchange.reply) {
            if (m_options.replyDelayMs > 0)
                std::this_thread::sleep_for(std::chrono::milliseconds(m_options.replyDelayMs));
            SendAll(fd, Serialize(*exchange.reply));
        }
        // Close after the reply.
        shutdown(fd, SHUT_WR);
        if (exchange.stored && m_observer)
            m_observer->OnStored(exchange.stored->first, exchange.stored->second);
    }
    DrainBeforeClose(fd);
    close(fd);
    Done();
}

} // namespace card
