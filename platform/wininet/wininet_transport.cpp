// The HTTP seam over WinINet: one internet session per exchange, so nothing
// is kept between exchanges; the exchanges of a batch run at once, one thread
// each. The connect time-out is WinINet's; a stalled transfer is given up by
// its receive and send time-outs (WinINet has no minimum-speed rule). Wine's
// WinINet ignores the connect time-out, and closing a handle does not end a
// connect in progress: there a connect that hangs ends by the system's own
// limit, about two minutes.
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

struct Exchange {
    const char* verb;        // "GET" or "POST"
    std::string contentType; // POST
    std::string_view body;   // POST
    std::size_t capacity = 0;
};

HttpResult Run(const std::string& url, const Exchange& x, const platform::HttpTimeouts& timeouts) {
    HttpResult result;
    Target target;
    if (!Crack(url, target, result.error))
        return result;
    // A card is on the local network: no proxy stands between.
    InternetHandle session(InternetOpenW(Widen(platform::ApplicationName()).c_str(),
                                         INTERNET_OPEN_TYPE_DIRECT, nullptr, nullptr, 0));
    if (!session.Get()) {
        result.error = Failure("cannot start WinINet");
        return result;
    }
    const std::string where = std::string(x.verb) + " " + url;
    InternetHandle connection(InternetConnectW(session.Get(), target.host.c_str(), target.port,
                                               nullptr, nullptr, INTERNET_SERVICE_HTTP, 0, 0));
    if (!connection.Get()) {
        result.error = Failure(where);
        return result;
    }
    const bool post = std::string_view(x.verb) == "POST";
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
    if (!HttpSendRequestW(
            request.Get(), post ? headers.c_str() : nullptr, static_cast<DWORD>(headers.size()),
            post ? const_cast<char*>(x.body.data()) : nullptr, static_cast<DWORD>(x.body.size()))) {
        result.error = Failure(where);
        return result;
    }
    char buffer[8192];
    for (;;) {
        DWORD got = 0;
        if (!InternetReadFile(request.Get(), buffer, sizeof buffer, &got)) {
            result.error = Failure(where + " (reading the reply)");
            return result;
        }
        if (got == 0)
            break;
        if (!post) {
            const std::size_t room = x.capacity - std::min(x.capacity, result.reply.size());
            result.reply.append(buffer, std::min<std::size_t>(got, room));
            if (result.reply.size() >= x.capacity)
                break; // the rest of the reply is never needed
        }
    }
    result.ok = true;
    return result;
}

// One thread per exchange, so a batch takes about as long as its slowest.
template <class Request, class Make>
std::vector<HttpResult> Batch(const std::vector<Request>& requests,
                              const platform::HttpTimeouts& timeouts, Make make) {
    std::vector<HttpResult> results(requests.size());
    std::vector<std::thread> threads;
    for (std::size_t i = 0; i < requests.size(); ++i)
        threads.emplace_back(
            [&, i] { results[i] = Run(requests[i].url, make(requests[i]), timeouts); });
    for (auto& t : threads)
        t.join();
    return results;
}

class WinInetTransport final : public platform::HttpTransport {
public:
    HttpResult Get(const std::string& url, std::size_t replyCapacity) override {
        return Run(url, {"GET", {}, {}, replyCapacity}, Timeouts());
    }
    HttpResult Post(const std::string& url, const std::string& contentType,
                    const std::string& body) override {
        return Run(url, {"POST", contentType, body, 0}, Timeouts());
    }
    std::vector<HttpResult> GetAll(const std::vector<platform::HttpGetRequest>& requests) override {
        return Batch(requests, Timeouts(), [](const platform::HttpGetRequest& r) {
            return Exchange{"GET", {}, {}, r.replyCapacity};
        });
    }
    std::vector<HttpResult>
    PostAll(const std::vector<platform::HttpPostRequest>& requests) override {
        return Batch(requests, Timeouts(), [](const platform::HttpPostRequest& r) {
            return Exchange{"POST", r.contentType, r.body, 0};
        });
    }
};

} // namespace

std::unique_ptr<platform::HttpTransport> platform::NewSystemHttpTransport() {
    return std::make_unique<WinInetTransport>();
}
