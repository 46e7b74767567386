#include "platform/http_transport.h"

#include <limits>

namespace platform {

long HttpTimeouts::DeadlineMs(std::size_t bodySize) const {
    const long double ms = static_cast<long double>(deadlineMs) +
                           static_cast<long double>(bodySize) * deadlineMsPer32KiB / 32768;
    constexpr long most = std::numeric_limits<long>::max();
    return ms < most ? static_cast<long>(ms) : most;
}

bool PostFollows(const HttpResult& get, std::string_view postWhenReplyStartsWith) {
    return get.ok && get.reply.starts_with(postWhenReplyStartsWith);
}

std::vector<HttpGetPostResult>
HttpTransport::GetPostAll(const std::vector<HttpGetPostRequest>& chains) {
    std::vector<HttpGetPostResult> results;
    for (const auto& chain : chains) {
        HttpGetPostResult result{Get(chain.get.url, chain.get.replyCapacity), std::nullopt};
        if (chain.post && PostFollows(result.get, chain.postWhenReplyStartsWith))
            result.post =
                Post(chain.post->url, chain.post->contentType, std::string(chain.post->body));
        results.push_back(std::move(result));
    }
    return results;
}

void HttpTransport::SetTimeouts(const HttpTimeouts& timeouts) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_timeouts = timeouts;
}

HttpTimeouts HttpTransport::Timeouts() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_timeouts;
}

} // namespace platform
