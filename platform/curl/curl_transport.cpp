#include "platform/curl/curl_transport.h"

#include <curl/curl.h>

#include <algorithm>
#include <mutex>

#include "platform/prompts.h"

namespace {

std::once_flag g_curlOnce;

void EnsureCurl() {
    std::call_once(g_curlOnce, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

// The error text of a failed transfer, without trailing line ends.
std::string ErrorText(CURLcode code, const char* errorBuffer) {
    std::string text = (errorBuffer && errorBuffer[0]) ? std::string(errorBuffer)
                                                       : std::string(curl_easy_strerror(code));
    while (!text.empty() && static_cast<unsigned char>(text.back()) < 32)
        text.pop_back();
    return text;
}

// One easy handle with the options both exchanges share.
class Exchange {
public:
    Exchange(const std::string& url, const platform::HttpTimeouts& timeouts) {
        EnsureCurl();
        m_handle = curl_easy_init();
        m_error[0] = '\0';
        if (!m_handle)
            return;
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

    // The handle's transfer, or CURLE_FAILED_INIT without a handle.
    CURLcode Perform() {
        return m_handle ? curl_easy_perform(m_handle) : CURLE_FAILED_INIT;
    }

    platform::HttpResult Result(CURLcode code, std::string reply = {}) const {
        platform::HttpResult result;
        result.ok = code == CURLE_OK;
        result.reply = std::move(reply);
        if (!result.ok)
            result.error = ErrorText(code, m_error);
        return result;
    }

private:
    CURL* m_handle = nullptr;
    char m_error[CURL_ERROR_SIZE];
    std::string m_agent;
};

struct ReplyBuffer {
    std::string bytes;
    std::size_t capacity;
    bool overflow;
};

// Keeps the first bytes; once the buffer is full, the next bytes end the
// transfer (the reply's remainder is never needed).
std::size_t KeepReply(char* ptr, std::size_t size, std::size_t nmemb, void* userdata) {
    auto* reply = static_cast<ReplyBuffer*>(userdata);
    const std::size_t n = size * nmemb;
    if (n == 0)
        return 0;
    if (reply->bytes.size() >= reply->capacity) {
        reply->overflow = true;
        return 0; // aborts with CURLE_WRITE_ERROR, taken as the end of the reply
    }
    reply->bytes.append(ptr, std::min(n, reply->capacity - reply->bytes.size()));
    return n;
}

std::size_t DiscardReply(char*, std::size_t size, std::size_t nmemb, void*) {
    return size * nmemb;
}

} // namespace

platform::HttpResult CurlTransport::Get(const std::string& url, std::size_t replyCapacity) {
    ReplyBuffer buffer{{}, replyCapacity, false};
    Exchange exchange(url, Timeouts());
    if (CURL* h = exchange.Handle()) {
        curl_easy_setopt(h, CURLOPT_HTTPGET, 1L);
        curl_easy_setopt(h, CURLOPT_WRITEFUNCTION, KeepReply);
        curl_easy_setopt(h, CURLOPT_WRITEDATA, &buffer);
    }
    CURLcode code = exchange.Perform();
    if (code == CURLE_WRITE_ERROR && buffer.overflow)
        code = CURLE_OK; // the buffer was full: the rest was not wanted
    return exchange.Result(code, std::move(buffer.bytes));
}

platform::HttpResult CurlTransport::Post(const std::string& url, const std::string& contentType,
                                         const std::string& body) {
    Exchange exchange(url, Timeouts());
    CURL* h = exchange.Handle();
    if (!h)
        return exchange.Result(CURLE_FAILED_INIT);
    const std::string contentTypeLine = "Content-Type: " + contentType;
    curl_slist* headers = curl_slist_append(nullptr, contentTypeLine.c_str());
    if (headers) {
        curl_slist* more = curl_slist_append(headers, "Accept:"); // no Accept header
        if (more)
            headers = more;
    }
    curl_easy_setopt(h, CURLOPT_HTTP_VERSION, static_cast<long>(CURL_HTTP_VERSION_1_0));
    curl_easy_setopt(h, CURLOPT_POST, 1L);
    curl_easy_setopt(h, CURLOPT_HTTPHEADER, headers);
    curl_easy_setopt(h, CURLOPT_POSTFIELDS, body.data());
    curl_easy_setopt(h, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(body.size()));
    curl_easy_setopt(h, CURLOPT_WRITEFUNCTION, DiscardReply);
    const CURLcode code = headers ? exchange.Perform() : CURLE_OUT_OF_MEMORY;
    curl_easy_setopt(h, CURLOPT_HTTPHEADER, nullptr);
    curl_slist_free_all(headers);
    return exchange.Result(code);
}
