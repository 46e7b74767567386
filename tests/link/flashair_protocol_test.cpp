// The FlashAir protocol over an in-memory transport: no libcurl, no socket.
#include <gtest/gtest.h>

#include <deque>

#include "link/flashair_client.h"
#include "link/link_fixture.h"

using Lines = std::vector<std::string>;
using platform::HttpResult;

namespace {

// Records each exchange and answers with the next canned result.
struct FakeTransport final : platform::HttpTransport {
    HttpResult Get(const std::string& url, std::size_t capacity) override {
        return Next("GET " + url + " " + std::to_string(capacity));
    }
    HttpResult Post(const std::string& url, const std::string& type,
                    const std::string& body) override {
        return Next("POST " + url + " " + type + "\n" + body);
    }
    HttpResult Next(std::string exchange) {
        sent.push_back(std::move(exchange));
        if (replies.empty())
            return HttpResult{false, "", "an exchange too many"};
        const HttpResult next = replies.front();
        replies.pop_front();
        return next;
    }
    std::deque<HttpResult> replies;
    Lines sent;
};

} // namespace

TEST_F(LinkTest, FlashAirProtocolRunsOverAnyTransport) {
    const HttpResult yes{true, "SUCCESS\r\n", ""}, no{true, "ERROR", ""}, down{false, "", "x"};
    const std::string url = "http://card/upload.cgi", get = "GET " + url + "?UPDIR=/ADDON 16";
    const std::string post = "POST " + url +
                             " multipart/form-data;boundary=" + std::string(24, '=') + "\n" +
                             BuildFlashAirBody("A.wav", "ab", 2);
    const std::string got = "http get " + url + "?UPDIR=/ADDON -> \"SUCCESS\\x0D\\x0A\"";
    const std::string posted = "http post " + url + " name=A.wav size=2 -> ";
    const std::string failure = "message - none: FlashAirとの通信に失敗しました[card: x] -> OK";
    const struct {
        std::deque<HttpResult> replies;
        bool report, put;
        Lines sent, trace, messages;
    } cases[] = {
        {{yes, yes}, true, true, {get, post}, {got, posted + "ok"}, {}},
        {{no}, true, false, {get}, {"http get " + url + "?UPDIR=/ADDON -> \"ERROR\""}, {}},
        {{down}, true, false, {get}, {"http get " + url + "?UPDIR=/ADDON -> error x"}, {failure}},
        // Without the report flag a failed GET shows nothing; a failed POST always shows.
        {{down}, false, false, {get}, {"http get " + url + "?UPDIR=/ADDON -> error x"}, {}},
        {{yes, down}, false, false, {get, post}, {got, posted + "error x"}, {failure}},
    };
    for (const auto& c : cases) {
        FakeTransport fake;
        fake.replies = c.replies;
        m_services.http = &fake;
        m_log.clear();
        EXPECT_EQ(PutFlashAirFile(m_services, "card", "A.wav", "ab", 2, true, c.report), c.put);
        EXPECT_EQ(fake.sent, c.sent);
        EXPECT_EQ(HttpLines(), c.trace);
        EXPECT_EQ(Messages(), c.messages);
    }
    // Without a transport every exchange fails with a message, and nothing crashes.
    m_services.http = nullptr;
    m_log.clear();
    EXPECT_FALSE(PutFlashAirFile(m_services, "card", "A.wav", "ab", 2, true, true));
    EXPECT_EQ(Messages(), Lines{"message - none: FlashAirとの通信に失敗しました[card: no HTTP "
                                "transport is installed] -> OK"});
}
