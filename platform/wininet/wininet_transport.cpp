// The HTTP seam over WinINet: one internet session per exchange, so nothing
// is kept between exchanges; the chains of a batch run at once, one thread
// each, while the calling thread watches their deadlines. The connect
// time-out is WinINet's; a stalled transfer is given up by its receive and
// send time-outs (WinINet has no minimum-speed rule). WinINet has no overall
// time-out either: at an exchange's deadline the watching thread closes its
// request handle, which ends a call blocked in it on Windows, and fails the
// exchange at once; the chain's thread, which owns what it uses, is left to
// end by itself (Wine's WinINet keeps a blocked call going until the peer
// stops). Wine's WinINet ignores the connect time-out, and closing a handle
// does not end a connect in progress: there a connect that hangs ends by the
// system's own limit, about two minutes.
#include <chrono>
#include <condition_variable>
#include <map>
#include <memory>
#include <optional>
#include <thread>

#include "platform/prompts.h"
#include "platform/system_http.h"
#include "platform/win32/wide.h"

#include <windows.h>
#include <wininet.h>

namespace {

using platform::HttpResult;
using platform::win32::Narrow;
using platform::win32::Widen;

class InternetHandle {
public:
    explicit InternetHandle(HINTERNET h = nullptr) : m_h(h) {}
    ~InternetHandle() {
        if (m_h)
            InternetCloseHandle(m_h);
    }
    InternetHandle(const InternetHandle&) = delete;
    InternetHandle& operator=(const InternetHandle&) = delete;
    HINTERNET Get() const { return m_h; }
    // Forgets the handle without closing it (someone else has closed it).
    void Release() { m_h = nullptr; }

private:
    HINTERNET m_h;
};

// "<what failed>: <the system's text for the last error>", on one line.
std::string Failure(const std::string& what, DWORD code = GetLastError()) {
    wchar_t* text = nullptr;
    const DWORD flags =
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_IGNORE_INSERTS |
        FORMAT_MESSAGE_FROM_SYSTEM |
        (code >= INTERNET_ERROR_BASE && code <= INTERNET_ERROR_LAST ? FORMAT_MESSAGE_FROM_HMODULE
                                                                    : 0);
    const DWORD n = FormatMessageW(flags, GetModuleHandleW(L"wininet.dll"), code, 0,
                                   reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    std::string message = n && text ? Narrow(std::wstring_view(text, n)) : std::string();
    LocalFree(text);
    while (!message.empty() && static_cast<unsigned char>(message.back()) <= ' ')
        message.pop_back();
    if (message.empty())
        message = "error " + std::to_string(code);
    return what + ": " + message;
}

struct Target {
    std::wstring host;
    INTERNET_PORT port = 80;
    std::wstring path; // with the query
};

// Only http:// URLs are taken.
bool Crack(const std::string& url, Target& target, std::string& error) {
    const std::wstring wide = Widen(url);
    URL_COMPONENTSW parts{};
    parts.dwStructSize = sizeof parts;
    parts.dwHostNameLength = 1;
    parts.dwUrlPathLength = 1;
    parts.dwExtraInfoLength = 1;
    if (!InternetCrackUrlW(wide.c_str(), static_cast<DWORD>(wide.size()), 0, &parts)) {
        error = Failure("bad URL " + url);
        return false;
    }
    if (parts.nScheme != INTERNET_SCHEME_HTTP) {
        error = "unsupported protocol in URL " + url + " (only http:// is taken)";
        return false;
    }
    target.host.assign(parts.lpszHostName, parts.dwHostNameLength);
    target.port = parts.nPort;
    target.path.assign(parts.lpszUrlPath, parts.dwUrlPathLength);
    target.path.append(parts.lpszExtraInfo, parts.dwExtraInfoLength);
    if (target.path.empty())
        target.path = L"/";
    return true;
}

// One exchange, with copies of what it sends, so that a chain given up at a
// deadline can run on after its batch has returned.
struct Exchange {
    const char* verb = "GET"; // "GET" or "POST"
    std::string url;
    std::string contentType;                 // POST
    std::shared_ptr<const std::string> body; // POST
    std::size_t capacity = 0;                // GET

    std::string Where() const { return std::string(verb) + " " + url; }
};

// A chain: a GET and, when its reply starts with postWhen, a POST; or one
// exchange alone.
struct Chain {
    std::optional<Exchange> get;
    std::optional<Exchange> post;
    std::string postWhen;
};

using Clock = std::chrono::steady_clock;

// What a batch's chains and its watching thread share.
struct Board {
    struct Slot {
        platform::HttpGetPostResult result; // kept as each exchange ends
        std::string where;                  // the exchange running
        bool posting = false;
        Clock::time_point deadline = Clock::time_point::max();
        HINTERNET blocked = nullptr; // the request handle while a call runs on it
        bool closed = false;         // ... which the watching thread closed
        bool closing = false;        // ... or is closing
        bool done = false;
        bool givenUp = false;
    };
    std::mutex mutex;
    std::condition_variable changed;
    std::vector<Slot> slots;
};

// A chain's side of the board.
class Watch {
public:
    Watch(std::shared_ptr<Board> board, std::size_t slot)
        : m_board(std::move(board)), m_slot(slot) {}

    // The exchange starts: its deadline runs from now.
    void Start(const Exchange& x, long deadlineMs) {
        std::lock_guard<std::mutex> lock(m_board->mutex);
        Board::Slot& slot = m_board->slots[m_slot];
        slot.where = x.Where();
        slot.posting = std::string_view(x.verb) == "POST";
        slot.deadline = Clock::now() + std::chrono::milliseconds(deadlineMs);
        m_board->changed.notify_all();
    }
    // Runs a call that may block on the request; nothing when the exchange
    // has been given up, before the call or during it (then the handle is
    // closed already and is only forgotten). The watching thread closes the
    // handle only while a call runs on it, so no later call is made on it.
    template <class Call> std::optional<DWORD> Blocking(InternetHandle& request, Call call) {
        {
            std::lock_guard<std::mutex> lock(m_board->mutex);
            Board::Slot& slot = m_board->slots[m_slot];
            if (slot.givenUp)
                return std::nullopt;
            slot.blocked = request.Get();
        }
        const DWORD error = call() ? ERROR_SUCCESS : GetLastError();
        std::unique_lock<std::mutex> lock(m_board->mutex);
        Board::Slot& slot = m_board->slots[m_slot];
        m_board->changed.wait(lock, [&] { return !slot.closing; });
        slot.blocked = nullptr;
        if (slot.closed)
            request.Release();
        if (slot.givenUp)
            return std::nullopt;
        return error;
    }
    // Keeps the result of the exchange that ended; false when the chain was
    // given up.
    bool Keep(const HttpResult& result, bool last) {
        std::lock_guard<std::mutex> lock(m_board->mutex);
        Board::Slot& slot = m_board->slots[m_slot];
        if (slot.givenUp)
            return false;
        (slot.posting ? slot.result.post.emplace() : slot.result.get) = result;
        slot.done = last;
        slot.deadline = Clock::time_point::max(); // until the next exchange starts
        m_board->changed.notify_all();
        return true;
    }

private:
    std::shared_ptr<Board> m_board;
    std::size_t m_slot;
};

HttpResult Run(const Exchange& x, const platform::HttpTimeouts& timeouts, Watch& watch) {
    const bool post = std::string_view(x.verb) == "POST";
    watch.Start(x, timeouts.DeadlineMs(post ? x.body->size() : 0));
    HttpResult result;
    Target target;
    if (!Crack(x.url, target, result.error))
        return result;
    // A card is on the local network: no proxy stands between, whatever the
    // system's settings or the environment (Wine reads http_proxy) say.
    InternetHandle session(InternetOpenW(Widen(platform::ApplicationName()).c_str(),
                                         INTERNET_OPEN_TYPE_DIRECT, nullptr, nullptr, 0));
    if (!session.Get()) {
        result.error = Failure("cannot start WinINet");
        return result;
    }
    const std::string where = x.Where();
    InternetHandle connection(InternetConnectW(session.Get(), target.host.c_str(), target.port,
                                               nullptr, nullptr, INTERNET_SERVICE_HTTP, 0, 0));
    if (!connection.Get()) {
        result.error = Failure(where);
        return result;
    }
    const wchar_t* anyType[] = {L"*/*", nullptr};
    const DWORD flags = INTERNET_FLAG_NO_CACHE_WRITE | INTERNET_FLAG_RELOAD |
                        INTERNET_FLAG_NO_AUTO_REDIRECT | INTERNET_FLAG_NO_COOKIES |
                        INTERNET_FLAG_NO_UI | INTERNET_FLAG_NO_AUTH;
    InternetHandle request(HttpOpenRequestW(connection.Get(), Widen(x.verb).c_str(),
                                            target.path.c_str(), post ? L"HTTP/1.0" : L"HTTP/1.1",
                                            nullptr, post ? nullptr : anyType, flags, 0));
    if (!request.Get()) {
        result.error = Failure(where);
        return result;
    }
    // On the request itself: Wine's WinINet does not pass the session's on.
    DWORD connectMs = static_cast<DWORD>(timeouts.connectMs);
    DWORD stallMs = static_cast<DWORD>(timeouts.lowSpeedSeconds * 1000);
    for (HINTERNET h : {session.Get(), request.Get()}) {
        InternetSetOptionW(h, INTERNET_OPTION_CONNECT_TIMEOUT, &connectMs, sizeof connectMs);
        InternetSetOptionW(h, INTERNET_OPTION_RECEIVE_TIMEOUT, &stallMs, sizeof stallMs);
        InternetSetOptionW(h, INTERNET_OPTION_SEND_TIMEOUT, &stallMs, sizeof stallMs);
    }
    const std::wstring headers = post ? Widen("Content-Type: " + x.contentType + "\r\n") : L"";
    std::optional<DWORD> error = watch.Blocking(request, [&] {
        return HttpSendRequestW(request.Get(), post ? headers.c_str() : nullptr,
                                static_cast<DWORD>(headers.size()),
                                post ? const_cast<char*>(x.body->data()) : nullptr,
                                post ? static_cast<DWORD>(x.body->size()) : 0);
    });
    if (error && *error != ERROR_SUCCESS) {
        result.error = Failure(where, *error);
        return result;
    }
    char buffer[8192];
    for (DWORD got = 1; error && got > 0;) {
        error = watch.Blocking(
            request, [&] { return InternetReadFile(request.Get(), buffer, sizeof buffer, &got); });
        if (error && *error != ERROR_SUCCESS) {
            result.error = Failure(where + " (reading the reply)", *error);
            return result;
        }
        if (!post && error) {
            const std::size_t room = x.capacity - std::min(x.capacity, result.reply.size());
            result.reply.append(buffer, std::min<std::size_t>(got, room));
            if (result.reply.size() >= x.capacity)
                break; // the rest of the reply is never needed
        }
    }
    result.ok = error.has_value(); // else given up: the result is not kept
    return result;
}

// A chain's thread: its exchanges one after another.
void RunChain(Watch watch, const Chain& chain, const platform::HttpTimeouts& timeouts) {
    if (chain.get) {
        const HttpResult get = Run(*chain.get, timeouts, watch);
        const bool post = chain.post && platform::PostFollows(get, chain.postWhen);
        if (!watch.Keep(get, !post) || !post)
            return;
    }
    watch.Keep(Run(*chain.post, timeouts, watch), true);
}

// Runs the chains at once, one thread each, and fails each exchange that
// passes its deadline; a chain whose thread cannot be started fails with the
// reason, and so do the chains after it.
std::vector<platform::HttpGetPostResult> Batch(std::vector<Chain> chains,
                                               const platform::HttpTimeouts& timeouts) {
    auto board = std::make_shared<Board>();
    board->slots.resize(chains.size());
    std::vector<std::thread> threads;
    threads.reserve(chains.size());
    try {
        for (std::size_t i = 0; i < chains.size(); ++i)
            threads.emplace_back([watch = Watch(board, i), chain = chains[i], timeouts]() mutable {
                RunChain(std::move(watch), chain, timeouts);
            });
    } catch (const std::exception& e) { // no thread (std::system_error), or no memory
        std::lock_guard<std::mutex> lock(board->mutex);
        for (std::size_t i = threads.size(); i < chains.size(); ++i) {
            const Exchange& first = chains[i].get ? *chains[i].get : *chains[i].post;
            Board::Slot& slot = board->slots[i];
            (chains[i].get ? slot.result.get : slot.result.post.emplace()) = {
                false, {}, first.Where() + ": cannot start a thread (" + e.what() + ")"};
            slot.done = true;
        }
    }
    std::unique_lock<std::mutex> lock(board->mutex);
    for (;;) {
        Clock::time_point next = Clock::time_point::max();
        bool open = false, unlocked = false;
        const Clock::time_point now = Clock::now();
        for (Board::Slot& slot : board->slots) {
            if (slot.done || slot.givenUp)
                continue;
            if (now < slot.deadline) {
                open = true;
                next = std::min(next, slot.deadline);
                continue;
            }
            // Past the deadline: the exchange fails now, as a time-out. The
            // handle is closed outside the lock (the close may wait for the
            // call), while the chain waits to learn of it.
            slot.givenUp = true;
            (slot.posting ? slot.result.post.emplace() : slot.result.get) = {
                false, {}, Failure(slot.where, ERROR_INTERNET_TIMEOUT)};
            if (HINTERNET blocked = slot.blocked) {
                slot.closed = slot.closing = true;
                lock.unlock();
                InternetCloseHandle(blocked);
                lock.lock();
                unlocked = true;
                slot.closing = false;
                board->changed.notify_all();
            }
        }
        if (!open)
            break;
        if (unlocked) // a chain may have ended meanwhile: look again
            continue;
        if (next == Clock::time_point::max())
            board->changed.wait(lock);
        else
            board->changed.wait_until(lock, next);
    }
    std::vector<platform::HttpGetPostResult> results;
    for (std::size_t i = 0; i < board->slots.size(); ++i) {
        results.push_back(board->slots[i].result);
        if (i < threads.size() && board->slots[i].givenUp)
            threads[i].detach(); // it ends by itself, holding the board
    }
    lock.unlock();
    for (auto& t : threads)
        if (t.joinable())
            t.join();
    return results;
}

class WinInetTransport final : public platform::HttpTransport {
public:
    HttpResult Get(const std::string& url, std::size_t replyCapacity) override {
        std::vector<Chain> one(1);
        one[0].get = Exchange{"GET", url, {}, {}, replyCapacity};
        return Batch(std::move(one), Timeouts()).front().get;
    }
    HttpResult Post(const std::string& url, const std::string& contentType,
                    const std::string& body) override {
        std::vector<Chain> one(1);
        one[0].post = Exchange{"POST", url, contentType, std::make_shared<std::string>(body), 0};
        return *Batch(std::move(one), Timeouts()).front().post;
    }
    std::vector<platform::HttpGetPostResult>
    GetPostAll(const std::vector<platform::HttpGetPostRequest>& requests) override {
        // One copy of each body, whichever chains send it.
        std::map<std::pair<const char*, std::size_t>, std::shared_ptr<const std::string>> bodies;
        std::vector<Chain> chains;
        for (const auto& r : requests) {
            Chain chain{Exchange{"GET", r.get.url, {}, {}, r.get.replyCapacity}, std::nullopt,
                        r.postWhenReplyStartsWith};
            if (r.post) {
                auto& body = bodies[{r.post->body.data(), r.post->body.size()}];
                if (!body)
                    body = std::make_shared<std::string>(r.post->body);
                chain.post = Exchange{"POST", r.post->url, r.post->contentType, body, 0};
            }
            chains.push_back(std::move(chain));
        }
        return Batch(std::move(chains), Timeouts());
    }
};

} // namespace

std::unique_ptr<platform::HttpTransport> platform::NewSystemHttpTransport() {
    return std::make_unique<WinInetTransport>();
}
