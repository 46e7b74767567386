// The HTTP seam over libcurl: one easy handle per exchange, so nothing is
// kept between exchanges. libcurl is set up on the first exchange.
#pragma once

#include "platform/http_transport.h"

class CurlTransport final : public platform::HttpTransport {
public:
    platform::HttpResult Get(const std::string& url, std::size_t replyCapacity) override;
    platform::HttpResult Post(const std::string& url, const std::string& contentType,
                              const std::string& body) override;
};
