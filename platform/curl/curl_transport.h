// The HTTP seam over libcurl: one easy handle per exchange, so nothing is
// kept between exchanges; the chains of a batch run at once on one multi
// handle, a chain's POST joining it as soon as its GET has ended. libcurl is
// loaded on the first exchange (curl_library.h); when it cannot be, every
// exchange fails with the reason.
#pragma once

#include "platform/http_transport.h"

class CurlTransport final : public platform::HttpTransport {
public:
    platform::HttpResult Get(const std::string& url, std::size_t replyCapacity) override;
    platform::HttpResult Post(const std::string& url, const std::string& contentType,
                              const std::string& body) override;
    std::vector<platform::HttpGetPostResult>
    GetPostAll(const std::vector<platform::HttpGetPostRequest>& requests) override;
};
