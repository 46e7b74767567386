#include "link/flashair_client.h"

#include <curl/curl.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <mutex>

#include "platform/prompts.h"

namespace {

constexpr std::string_view kSuccess = "SUCCESS";
constexpr std::string_view kFailureText = "FlashAirとの通信に失敗しました[";
// The reply of the folder request that matters.
constexpr std::size_t kFolderReplySize = 16;

std::once_flag g_curlOnce;
std::mutex g_mutex; // guards the hook and the time-outs
HttpTraceHook g_traceHook;
HttpTimeouts g_timeouts;

void EnsureCurl() {
    std::call_once(g_curlOnce, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

void Trace(const std::string& line) {
    HttpTraceHook hook;
    {
        std::lock_guard<std::mutex> lock(g_mutex);
        hook = g_traceHook;
    }
    if (hook)
        hook(line);
}

std::string Printable(const char* bytes, std::size_t n) {
    std::string out;
    for (std::size_t i = 0; i < n; ++i) {
        const auto c = static_cast<unsigned char>(bytes[i]);
        if (c < 0x20 || c > 0x7E || c == '"' || c == '\\') {
            char hex[8];
            std::snprintf(hex, sizeof hex, "\\x%02X", c);
            out += hex;
        } else {
            out += static_cast<char>(c);
        }
    }
    return out;
}

// The error text of a failed transfer, without trailing line ends.
std::string ErrorText(CURLcode code, const char* errorBuffer) {
    std::string text = (errorBuffer && errorBuffer[0]) ? std::string(errorBuffer)
                                                       : std::string(curl_easy_strerror(code));
    while (!text.empty() && static_cast<unsigned char>(text.back()) < 32)
        text.pop_back();
    return text;
}

void ShowFailure(const std::string& text) {
    std::string message(kFailureText);
    message += text;
    message += ']';
    platform::GetPrompts().Message(-1, message, platform::MessageStyle{});
}

// One easy handle with the options both exchanges share.
class Exchange {
public:
    explicit Exchange(const std::string& url) {
        EnsureCurl();
        m_handle = curl_easy_init();
        m_error[0] = '\0';
        if (!m_handle)
            return;
        HttpTimeouts timeouts;
        {
            std::lock_guard<std::mutex> lock(g_mutex);
            timeouts = g_timeouts;
        }
        m_agent = platform::ApplicationName();
        curl_easy_setopt(m_handle, CURLOPT_URL, url.c_str());
        curl_easy_setopt(m_handle, CURLOPT_ERRORBUFFER, m_error);
        curl_easy_setopt(m_handle, CURLOPT_NOSIGNAL, 1L);
#if LIBCURL_VERSION_NUM >= 0x075500
        curl_easy_setopt(m_handle, CURLOPT_PROTOCOLS_STR, "http");
        curl_easy_setopt(m_handle, CURLOPT_REDIR_PROTOCOLS_STR, "http");
#else
        curl_easy_setopt(m_handle, CURLOPT_PROTOCOLS, static_cast<long>(CURLPROTO_HTTP));
        curl_easy_setopt(m_handle, CURLOPT_REDIR_PROTOCOLS, static_cast<long>(CURLPROTO_HTTP));
#endif
        curl_easy_setopt(m_handle, CURLOPT_USERAGENT, m_agent.c_str());
        curl_easy_setopt(m_handle, CURLOPT_CONNECTTIMEOUT_MS, timeouts.connectMs);
        curl_easy_setopt(m_handle, CURLOPT_LOW_SPEED_LIMIT, 1L);
        curl_easy_setopt(m_handle, CURLOPT_LOW_SPEED_TIME, timeouts.lowSpeedSeconds);
    }
    ~Exchange() {
        if (m_handle)
            curl_easy_cleanup(m_handle);
    }
    Exchange(const Exchange&) = delete;
    Exchange& operator=(const Exchange&) = delete;

    CURL* Handle() const {
        return m_handle;
    }
    const char* ErrorBuffer() const {
        return m_error;
    }

private:
    CURL* m_handle = nullptr;
    char m_error[CURL_ERROR_SIZE];
    std::string m_agent;
};

struct ReplyBuffer {
    char* data;
    std::size_t capacity;
    std::size_t count;
    bool overflow;
};

// Keeps the first bytes; once the buffer is full, the next bytes end the
// transfer (the reply's remainder is never needed).
std::size_t KeepReply(char* ptr, std::size_t size, std::size_t nmemb, void* userdata) {
    auto* reply = static_cast<ReplyBuffer*>(userdata);
    const std::size_t n = size * nmemb;
    if (n == 0)
        return 0;
    if (reply->count >= reply->capacity) {
        reply->overflow = true;
        return 0; // aborts with CURLE_WRITE_ERROR, taken as the end of the reply
    }
    const std::size_t take = std::min(n, reply->capacity - reply->count);
    std::memcpy(reply->data + reply->count, ptr, take);
    reply->count += take;
    return n;
}

std::size_t DiscardReply(char*, std::size_t size, std::size_t nmemb, void*) {
    return size * nmemb;
}

} // namespace

void SetHttpTraceHook(HttpTraceHook hook) {
    std::lock_guard<std::mutex> lock(g_mutex);
    g_traceHook = std::move(hook);
}

void SetHttpTimeouts(const HttpTimeouts& timeouts) {
    std::lock_guard<std::mutex> lock(g_mutex);
    g_timeouts = timeouts;
}

HttpTimeouts GetHttpTimeouts() {
    std::lock_guard<std::mutex> lock(g_mutex);
    return g_timeouts;
}

std::string BuildFlashAirBody(std::string_view name, const void* bytes, std::size_t size) {
    std::string boundaryLine = "--";
    boundaryLine += FLASHAIR_BOUNDARY;
    boundaryLine += "\r\n";

    std::string body;
    body.reserve(size + 256);
    body += boundaryLine;
    body += "Content-Disposition: form-data; name=\"upload.cgi\";filename=\"";
    body += name;
    body += "\"\r\n";
    body += boundaryLine;
    body += "\r\n";
    if (size > 0)
        body.append(static_cast<const char*>(bytes), size);
    body += "\r\n--";
    body += FLASHAIR_BOUNDARY;
    body += "--\r\n";
    return body;
}

bool HttpGetReply(const std::string& url, char* reply, std::size_t capacity, bool reportErrors) {
    ReplyBuffer buffer{reply, capacity, 0, false};
    Exchange exchange(url);
    CURLcode code = CURLE_FAILED_INIT;
    if (exchange.Handle()) {
        curl_easy_setopt(exchange.Handle(), CURLOPT_HTTPGET, 1L);
        curl_easy_setopt(exchange.Handle(), CURLOPT_WRITEFUNCTION, KeepReply);
        curl_easy_setopt(exchange.Handle(), CURLOPT_WRITEDATA, &buffer);
        code = curl_easy_perform(exchange.Handle());
        if (code == CURLE_WRITE_ERROR && buffer.overflow)
            code = CURLE_OK; // the buffer was full: the rest was not wanted
    }
    if (code != CURLE_OK) {
        const std::string text = ErrorText(code, exchange.ErrorBuffer());
        Trace("http get " + url + " -> error " + text);
        if (reportErrors)
            ShowFailure(text);
        return false;
    }
    Trace("http get " + url + " -> \"" + Printable(reply, buffer.count) + "\"");
    if (buffer.count < capacity)
        reply[buffer.count] = '\0';
    return true;
}

bool HttpPostFile(const std::string& url, const std::string& name, const void* bytes,
                  std::size_t size) {
    const std::string traceHead =
        "http post " + url + " name=" + name + " size=" + std::to_string(size) + " -> ";
    Exchange exchange(url);
    CURLcode code = CURLE_FAILED_INIT;
    if (exchange.Handle()) {
        const std::string body = BuildFlashAirBody(name, bytes, size);
        const std::string contentType =
            "Content-Type: multipart/form-data;boundary=" + std::string(FLASHAIR_BOUNDARY);
        curl_slist* headers = curl_slist_append(nullptr, contentType.c_str());
        if (headers) {
            curl_slist* more = curl_slist_append(headers, "Accept:"); // no Accept header
            if (more)
                headers = more;
        }
        CURL* h = exchange.Handle();
        curl_easy_setopt(h, CURLOPT_HTTP_VERSION, static_cast<long>(CURL_HTTP_VERSION_1_0));
        curl_easy_setopt(h, CURLOPT_POST, 1L);
        curl_easy_setopt(h, CURLOPT_HTTPHEADER, headers);
        curl_easy_setopt(h, CURLOPT_POSTFIELDS, body.data());
        curl_easy_setopt(h, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(body.size()));
        curl_easy_setopt(h, CURLOPT_WRITEFUNCTION, DiscardReply);
        code = headers ? curl_easy_perform(h) : CURLE_OUT_OF_MEMORY;
        curl_easy_setopt(h, CURLOPT_HTTPHEADER, nullptr);
        curl_slist_free_all(headers);
    }
    if (code != CURLE_OK) {
        const std::string text = ErrorText(code, exchange.ErrorBuffer());
        Trace(traceHead + "error " + text);
        ShowFailure(text);
        return false;
    }
    Trace(traceHead + "ok");
    return true;
}

bool PutFlashAirFile(const std::string& host, const std::string& name, const void* bytes,
                     std::size_t size, bool intoAddon, bool reportErrors) {
    const std::string uploadUrl = "http://" + host + "/upload.cgi";
    const std::string folderUrl = uploadUrl + "?UPDIR=/" + (intoAddon ? "ADDON" : "");

    char reply[kFolderReplySize] = {};
    if (!HttpGetReply(folderUrl, reply, sizeof reply, reportErrors))
        return false;
    // A shorter reply ends at its terminating zero, so it cannot match.
    if (std::strncmp(reply, kSuccess.data(), kSuccess.size()) != 0)
        return false;
    return HttpPostFile(uploadUrl, name, bytes, size);
}
