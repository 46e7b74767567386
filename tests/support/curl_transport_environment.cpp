// Test programs that exchange with cards on loopback use the programs' libcurl
// transport, installed before the first test as the programs install it at start.
#include <gtest/gtest.h>

#include "platform/curl/curl_transport.h"

namespace {

class CurlTransportEnvironment final : public testing::Environment {
public:
    void SetUp() override { platform::SetHttpTransport(&m_transport); }
    void TearDown() override { platform::SetHttpTransport(nullptr); }

private:
    CurlTransport m_transport;
};

[[maybe_unused]] testing::Environment* const g_curlEnvironment =
    testing::AddGlobalTestEnvironment(new CurlTransportEnvironment);

} // namespace
