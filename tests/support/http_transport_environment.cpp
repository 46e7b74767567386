// Test programs that exchange with cards on loopback use the system's HTTP
// transport, installed before the first test as the programs install it at start.
#include <gtest/gtest.h>

#include "platform/system_http.h"

namespace {

class HttpTransportEnvironment final : public testing::Environment {
public:
    void SetUp() override { platform::SetHttpTransport(m_transport.get()); }
    void TearDown() override { platform::SetHttpTransport(nullptr); }

private:
    std::unique_ptr<platform::HttpTransport> m_transport = platform::NewSystemHttpTransport();
};

[[maybe_unused]] testing::Environment* const g_httpEnvironment =
    testing::AddGlobalTestEnvironment(new HttpTransportEnvironment);

} // namespace
