#include "platform/http_transport.h"

#include <atomic>

namespace platform {

namespace {
std::atomic<HttpTransport*> g_transport{nullptr};
} // namespace

void HttpTransport::SetTimeouts(const HttpTimeouts& timeouts) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_timeouts = timeouts;
}

HttpTimeouts HttpTransport::Timeouts() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_timeouts;
}

void SetHttpTransport(HttpTransport* transport) {
    g_transport.store(transport);
}

HttpTransport* GetHttpTransport() {
    return g_transport.load();
}

} // namespace platform
