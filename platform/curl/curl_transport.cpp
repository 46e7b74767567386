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
        : m_curl(curl), m_handle(curl.easy_init()), m_agent(platform::ApplicationName()),
          m_timeouts(timeouts) {
        m_error[0] = '\0';
        if (!m_handle)
            return;
        curl.easy_setopt(m_handle, CURLOPT_URL, url.c_str());
        curl.easy_setopt(m_handle, CURLOPT_ERRORBUFFER, m_error);
        curl.easy_setopt(m_handle, CURLOPT_NOSIGNAL, 1L);
        // "" is no proxy at all, also none named by the environment.
        curl.easy_setopt(m_handle, CURLOPT_PROXY, "");
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
        m_curl.easy_setopt(m_handle, CURLOPT_TIMEOUT_MS, m_timeouts.DeadlineMs(0));
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
        m_curl.easy_setopt(m_handle, CURLOPT_TIMEOUT_MS, m_timeouts.DeadlineMs(body.size()));
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
    platform::HttpTimeouts m_timeouts;
    ReplyBuffer m_reply;
    curl_slist* m_headers = nullptr;
    bool m_ready = false;
    CURLcode m_code = CURLE_FAILED_INIT; // until the transfer has run
};

// A chain of a batch: its GET and then, when the reply lets it, its POST; or
// a GET or a POST alone. Each exchange joins the batch as soon as it may
// start.
struct Chain {
    const platform::HttpGetRequest* get = nullptr;
    const platform::HttpPostRequest* post = nullptr;
    std::string_view postWhen; // after a GET: the start its reply must have
    std::unique_ptr<Exchange> running;
    bool inMulti = false;
    bool getting = false;
    bool posting = false;
    platform::HttpGetPostResult result; // a POST alone: in post
};

// The chain's next exchange, prepared; none once the chain has ended.
std::unique_ptr<Exchange> Next(const Library& curl, const platform::HttpTimeouts& timeouts,
                               Chain& chain) {
    std::unique_ptr<Exchange> x;
    if (chain.get && !chain.getting) {
        chain.getting = true;
        x = std::make_unique<Exchange>(curl, chain.get->url, timeouts);
        x->SetGet(chain.get->replyCapacity);
    } else if (chain.post && !chain.posting &&
               (!chain.get || platform::PostFollows(chain.result.get, chain.postWhen))) {
        chain.posting = true;
        x = std::make_unique<Exchange>(curl, chain.post->url, timeouts);
        x->SetPost(chain.post->contentType, chain.post->body);
    }
    return x;
}

// Keeps the result of the chain's exchange that has ended.
void Finish(Chain& chain, CURLcode code) {
    chain.running->Done(code);
    (chain.posting ? chain.result.post.emplace() : chain.result.get) = chain.running->Result();
}

// Runs the chains at once until every exchange has completed or failed.
void RunAll(const Library& curl, const platform::HttpTimeouts& timeouts,
            std::vector<Chain>& chains) {
    CURLM* multi = curl.multi_init();
    // Starts the chain's next exchange; one that cannot start fails at once,
    // and the chain goes on. True when one runs.
    const auto advance = [&](Chain& chain) {
        while (std::unique_ptr<Exchange> next = Next(curl, timeouts, chain)) {
            chain.running = std::move(next);
            chain.inMulti = multi && chain.running->Ready() &&
                            curl.multi_add_handle(multi, chain.running->Handle()) == CURLM_OK;
            if (chain.inMulti)
                return true;
            Finish(chain, CURLE_FAILED_INIT);
        }
        return false;
    };
    int running = 0;
    for (Chain& chain : chains)
        running += advance(chain);
    while (running > 0 && curl.multi_perform(multi, &running) == CURLM_OK) {
        int left = 0;
        while (const CURLMsg* message = curl.multi_info_read(multi, &left)) {
            if (message->msg != CURLMSG_DONE)
                continue;
            CURL* handle = message->easy_handle;
            const CURLcode code = message->data.result;
            for (Chain& chain : chains)
                if (chain.inMulti && chain.running->Handle() == handle) {
                    curl.multi_remove_handle(multi, handle);
                    chain.inMulti = false;
                    Finish(chain, code);
                    running += advance(chain); // the POST goes at once
                    break;
                }
        }
        if (running > 0 && curl.multi_poll(multi, nullptr, 0, 1000, nullptr) != CURLM_OK)
            break;
    }
    for (Chain& chain : chains) // what the multi handle did not finish fails
        if (chain.inMulti) {
            curl.multi_remove_handle(multi, chain.running->Handle());
            Finish(chain, CURLE_FAILED_INIT);
        }
    if (multi)
        curl.multi_cleanup(multi);
}

// The chains run at once; without libcurl each fails with the reason.
std::vector<platform::HttpGetPostResult> Run(std::vector<Chain> chains,
                                             const platform::HttpTimeouts& timeouts) {
    std::string error;
    if (const Library* curl = curlapi::Load(error))
        RunAll(*curl, timeouts, chains);
    std::vector<platform::HttpGetPostResult> results;
    for (Chain& chain : chains) {
        if (!chain.getting && !chain.posting)
            (chain.get ? chain.result.get : chain.result.post.emplace()) = {false, {}, error};
        results.push_back(std::move(chain.result));
    }
    return results;
}

} // namespace

platform::HttpResult CurlTransport::Get(const std::string& url, std::size_t replyCapacity) {
    const platform::HttpGetRequest get{url, replyCapacity};
    std::vector<Chain> one(1);
    one[0].get = &get;
    return Run(std::move(one), Timeouts()).front().get;
}

platform::HttpResult CurlTransport::Post(const std::string& url, const std::string& contentType,
                                         const std::string& body) {
    const platform::HttpPostRequest post{url, contentType, body};
    std::vector<Chain> one(1);
    one[0].post = &post;
    return *Run(std::move(one), Timeouts()).front().post;
}

std::vector<platform::HttpGetPostResult>
CurlTransport::GetPostAll(const std::vector<platform::HttpGetPostRequest>& requests) {
    std::vector<Chain> chains(requests.size());
    for (std::size_t i = 0; i < requests.size(); ++i) {
        chains[i].get = &requests[i].get;
        chains[i].post = requests[i].post ? &*requests[i].post : nullptr;
        chains[i].postWhen = requests[i].postWhenReplyStartsWith;
    }
    return Run(std::move(chains), Timeouts());
}

std::unique_ptr<platform::HttpTransport> platform::NewSystemHttpTransport() {
    return std::make_unique<CurlTransport>();
}
