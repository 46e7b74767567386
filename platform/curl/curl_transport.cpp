#include "platform/curl/curl_transport.h"

#include <algorithm>
#include <memory>

#include "platform/curl/curl_library.h"
#include "platform/prompts.h"
#include "platform/system_http.h"

namespace {

using curlapi::Library;
using platform::HttpResult;

// Keeps the first bytes; once the buffer is full, the next bytes end the
// transfer (the reply's remainder is never needed).
struct ReplyBuffer {
    std::string bytes;
    std::size_t capacity = 0;
    bool overflow = false;
};

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

// One easy handle with the options both exchanges share, and what its
// transfer needs kept until it has run.
class Exchange {
public:
    Exchange(const Library& curl, const std::string& url, const platform::HttpTimeouts& timeouts)
        : m_curl(curl), m_handle(curl.easy_init()), m_agent(platform::ApplicationName()) {
        m_error[0] = '\0';
        if (!m_handle)
            return;
        curl.easy_setopt(m_handle, CURLOPT_URL, url.c_str());
        curl.easy_setopt(m_handle, CURLOPT_ERRORBUFFER, m_error);
        curl.easy_setopt(m_handle, CURLOPT_NOSIGNAL, 1L);
#if LIBCURL_VERSION_NUM >= 0x075500
        curl.easy_setopt(m_handle, CURLOPT_PROTOCOLS_STR, "http");
        curl.easy_setopt(m_handle, CURLOPT_REDIR_PROTOCOLS_STR, "http");
#else
        curl.easy_setopt(m_handle, CURLOPT_PROTOCOLS, static_cast<long>(CURLPROTO_HTTP));
        curl.easy_setopt(m_handle, CURLOPT_REDIR_PROTOCOLS, static_cast<long>(CURLPROTO_HTTP));
#endif
        curl.easy_setopt(m_handle, CURLOPT_USERAGENT, m_agent.c_str());
        curl.easy_setopt(m_handle, CURLOPT_CONNECTTIMEOUT_MS, timeouts.connectMs);
        curl.easy_setopt(m_handle, CURLOPT_LOW_SPEED_LIMIT, 1L);
        curl.easy_setopt(m_handle, CURLOPT_LOW_SPEED_TIME, timeouts.lowSpeedSeconds);
    }
    ~Exchange() {
        if (m_handle)
            m_curl.easy_cleanup(m_handle);
        m_curl.slist_free_all(m_headers);
    }
    Exchange(const Exchange&) = delete;
    Exchange& operator=(const Exchange&) = delete;

    void SetGet(std::size_t capacity) {
        m_reply.capacity = capacity;
        if (!m_handle)
            return;
        m_curl.easy_setopt(m_handle, CURLOPT_HTTPGET, 1L);
        m_curl.easy_setopt(m_handle, CURLOPT_WRITEFUNCTION, KeepReply);
        m_curl.easy_setopt(m_handle, CURLOPT_WRITEDATA, &m_reply);
        m_ready = true;
    }

    void SetPost(const std::string& contentType, std::string_view body) {
        if (!m_handle)
            return;
        const std::string contentTypeLine = "Content-Type: " + contentType;
        m_headers = m_curl.slist_append(nullptr, contentTypeLine.c_str());
        curl_slist* more = m_headers ? m_curl.slist_append(m_headers, "Accept:") : nullptr;
        if (!more) { // no Accept header, or no request at all
            m_code = CURLE_OUT_OF_MEMORY;
            return;
        }
        m_headers = more;
        m_curl.easy_setopt(m_handle, CURLOPT_HTTP_VERSION,
                           static_cast<long>(CURL_HTTP_VERSION_1_0));
        m_curl.easy_setopt(m_handle, CURLOPT_POST, 1L);
        m_curl.easy_setopt(m_handle, CURLOPT_HTTPHEADER, m_headers);
        // Never a null body: that would make libcurl read the body from stdin.
        m_curl.easy_setopt(m_handle, CURLOPT_POSTFIELDS, body.empty() ? "" : body.data());
        m_curl.easy_setopt(m_handle, CURLOPT_POSTFIELDSIZE_LARGE,
                           static_cast<curl_off_t>(body.size()));
        m_curl.easy_setopt(m_handle, CURLOPT_WRITEFUNCTION, DiscardReply);
        m_ready = true;
    }

    CURL* Handle() const {
        return m_handle;
    }
    bool Ready() const {
        return m_ready;
    }
    void Done(CURLcode code) {
        m_code = code;
    }

    HttpResult Result() {
        CURLcode code = m_code;
        if (code == CURLE_WRITE_ERROR && m_reply.overflow)
            code = CURLE_OK; // the buffer was full: the rest was not wanted
        HttpResult result;
        result.ok = code == CURLE_OK;
        result.reply = std::move(m_reply.bytes);
        if (!result.ok) {
            // The error text without trailing line ends.
            result.error = m_error[0] ? m_error : m_curl.easy_strerror(code);
            while (!result.error.empty() && static_cast<unsigned char>(result.error.back()) < 32)
                result.error.pop_back();
        }
        return result;
    }

private:
    const Library& m_curl;
    CURL* m_handle;
    char m_error[CURL_ERROR_SIZE];
    std::string m_agent;
    ReplyBuffer m_reply;
    curl_slist* m_headers = nullptr;
    bool m_ready = false;
    CURLcode m_code = CURLE_FAILED_INIT; // until the transfer has run
};

// Runs the exchanges at once until every one has completed or failed.
void RunAll(const Library& curl, const std::vector<std::unique_ptr<Exchange>>& exchanges) {
    CURLM* multi = curl.multi_init();
    if (!multi)
        return;
    for (const auto& x : exchanges)
        if (x->Ready())
            curl.multi_add_handle(multi, x->Handle());
    int running = 1;
    for (CURLMcode code = CURLM_OK; code == CURLM_OK && running > 0;) {
        code = curl.multi_perform(multi, &running);
        if (code == CURLM_OK && running > 0)
            code = curl.multi_poll(multi, nullptr, 0, 1000, nullptr);
    }
    int left = 0;
    while (const CURLMsg* message = curl.multi_info_read(multi, &left)) {
        for (const auto& x : exchanges)
            if (message->msg == CURLMSG_DONE && x->Handle() == message->easy_handle)
                x->Done(message->data.result);
    }
    for (const auto& x : exchanges)
        if (x->Ready())
            curl.multi_remove_handle(multi, x->Handle());
    curl.multi_cleanup(multi);
}

// One exchange per request, set up by prepare, run at once.
template <class Request, class Prepare>
std::vector<HttpResult> Batch(const std::vector<Request>& requests,
                              const platform::HttpTimeouts& timeouts, Prepare prepare) {
    std::string error;
    const Library* curl = curlapi::Load(error);
    if (!curl)
        return std::vector<HttpResult>(requests.size(), HttpResult{false, {}, error});
    std::vector<std::unique_ptr<Exchange>> exchanges;
    for (const Request& request : requests) {
        exchanges.push_back(std::make_unique<Exchange>(*curl, request.url, timeouts));
        prepare(*exchanges.back(), request);
    }
    RunAll(*curl, exchanges);
    std::vector<HttpResult> results;
    for (const auto& x : exchanges)
        results.push_back(x->Result());
    return results;
}

} // namespace

platform::HttpResult CurlTransport::Get(const std::string& url, std::size_t replyCapacity) {
    return GetAll({{url, replyCapacity}}).front();
}

platform::HttpResult CurlTransport::Post(const std::string& url, const std::string& contentType,
                                         const std::string& body) {
    return PostAll({{url, contentType, body}}).front();
}

std::vector<HttpResult>
CurlTransport::GetAll(const std::vector<platform::HttpGetRequest>& requests) {
    return Batch(requests, Timeouts(), [](Exchange& x, const platform::HttpGetRequest& request) {
        x.SetGet(request.replyCapacity);
    });
}

std::vector<HttpResult>
CurlTransport::PostAll(const std::vector<platform::HttpPostRequest>& requests) {
    return Batch(requests, Timeouts(), [](Exchange& x, const platform::HttpPostRequest& request) {
        x.SetPost(request.contentType, request.body);
    });
}

std::unique_ptr<platform::HttpTransport> platform::NewSystemHttpTransport() {
    return std::make_unique<CurlTransport>();
}
