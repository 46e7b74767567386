#include "platform/http_transport.h"

namespace platform {

std::vector<HttpResult> HttpTransport::GetAll(const std::vector<HttpGetRequest>& requests) {
    std::vector<HttpResult> results;
    for (const auto& request : requests)
        results.push_back(Get(request.url, request.replyCapacity));
    return results;
}

std::vector<HttpResult> HttpTransport::PostAll(const std::vector<HttpPostRequest>& requests) {
    std::vector<HttpResult> results;
    for (const auto& request : requests)
        results.push_back(Post(request.url, request.contentType, std::string(request.body)));
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
