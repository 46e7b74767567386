// The HTTP seam over libcurl: one easy handle per exchange, so nothing is
// kept between exchanges; the exchanges of a batch run at once on one multi
// handle. libcurl is loaded on the first exchange (curl_library.h); when it
// cannot be, every exchange fails with the reason.
#pragma once

#include "platform/http_transport.h"

class CurlTransport final : public platform::HttpTransport {
public:
    platform::HttpResult Get(const std::string& url, std::size_t replyCapacity) override;
    platform::HttpResult Post(const std::string& url, const std::string& contentType,
                              const std::string& body) override;
    std::vector<platform::HttpResult>
    GetAll(const std::vector<platform::HttpGetRequest>& requests) override;
    std::vector<platform::HttpResult>
    PostAll(const std::vector<platform::HttpPostRequest>& requests) override;
};
