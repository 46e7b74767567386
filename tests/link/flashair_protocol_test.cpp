// The FlashAir protocol over an in-memory transport: which requests go out,
// what the trace shows, which failures are reported.
#include <gtest/gtest.h>

#include "link/flashair_client.h"
#include "link/flashair_setup.h"
#include "link/link_fixture.h"

using Lines = std::vector<std::string>;
using platform::HttpResult;

TEST_F(LinkTest, FlashAirProtocolRunsOverAnyTransport) {
    const HttpResult yes{true, "SUCCESS\r\n", ""}, down{false, "", "x"};
    const std::string url = "http://card/upload.cgi", get = "GET " + url + "?UPDIR=/ADDON 16";
    // A one-byte upload, its body written out.
    const std::string b(24, '=');
    const std::string post = "POST " + url + " multipart/form-data;boundary=" + b + "\n--" + b +
                             "\r\nContent-Disposition: form-data; name=\"upload.cgi\";filename="
                             "\"A.wav\"\r\n--" +
                             b + "\r\n\r\na\r\n--" + b + "--\r\n";
    const std::string traced = "http get " + url + "?UPDIR=/ADDON -> ";
    const std::string got = traced + "\"SUCCESS\\x0D\\x0A\"",
                      posted = "http post " + url + " name=A.wav size=1 -> ";
    const HttpResult longReply{true, "SUCCESS\r\n<html>and more</html>", ""};
    const std::string gotLong = traced + "\"SUCCESS\\x0D\\x0A<html>a\"";
    const std::string failure = "message - none: FlashAirとの通信に失敗しました[card: x] -> OK";
    const struct {
        std::deque<HttpResult> replies;
        bool report, put;
        Lines sent, trace, messages;
    } cases[] = {
        {{yes, yes}, true, true, {get, post}, {got, posted + "ok"}, {}},
        // Only a folder reply that starts with SUCCESS lets the POST go; the
        // trace shows at most its first 16 bytes.
        {{longReply, yes}, true, true, {get, post}, {gotLong, posted + "ok"}, {}},
        {{{true, "ERROR", ""}}, true, false, {get}, {traced + "\"ERROR\""}, {}},
        // Bytes outside ' ' to '~' are shown in hex.
        {{{true, "success\x7F~", ""}}, true, false, {get}, {traced + "\"success\\x7F~\""}, {}},
        {{{true, "SUCCES", ""}}, true, false, {get}, {traced + "\"SUCCES\""}, {}},
        {{{true, " SUCCESS", ""}}, true, false, {get}, {traced + "\" SUCCESS\""}, {}},
        {{down}, true, false, {get}, {traced + "error x"}, {failure}},
        // Without the report flag a failed GET shows nothing; a failed POST always shows.
        {{down}, false, false, {get}, {traced + "error x"}, {}},
        {{yes, down}, false, false, {get, post}, {got, posted + "error x"}, {failure}},
    };
    for (const auto& c : cases) {
        linktest::FakeTransport fake;
        fake.replies = c.replies;
        m_services.http = &fake;
        m_log.clear();
        EXPECT_EQ(PutFlashAirFile(m_services, "card", "A.wav", "a", 1, true, c.report), c.put);
        EXPECT_EQ(fake.sent, c.sent);
        EXPECT_EQ(HttpLines(), c.trace);
        EXPECT_EQ(Messages(), c.messages);
    }
    // Without a transport every exchange fails with a message, and nothing crashes.
    m_services.http = nullptr;
    m_log.clear();
    EXPECT_FALSE(PutFlashAirFile(m_services, "card", "A.wav", "a", 1, true, true));
    EXPECT_EQ(Messages(), Lines{"message - none: FlashAirとの通信に失敗しました[card: no HTTP "
                                "transport is installed] -> OK"});
}

TEST_F(LinkTest, CardListsTheSettingsDialogStores) {
    const char* const kinds[] = {"None",    "EmptyName",    "BadName",
                                 "BadPort", "TooManyNames", "TooLong"};
    const auto names = [](std::size_t n) {
        std::string list = "c";
        while (--n > 0)
            list += ",c";
        return list;
    };
    auto rows = testsupport::Vectors("card_lists.txt");
    rows.insert(rows.end(), {{names(MAX_TARGETS), "None", "0"},
                             {names(MAX_TARGETS + 1), "TooManyNames", "0"},
                             {std::string(MAX_TARGET_LIST_BYTES, 'c'), "None", "0"},
                             {std::string(MAX_TARGET_LIST_BYTES + 1, 'c'), "TooLong", "0"}});
    for (const auto& row : rows) {
        const CardListFault fault = CheckFlashAirCardList(row.at(0));
        EXPECT_EQ(kinds[static_cast<int>(fault.kind)], row.at(1)) << row[0].substr(0, 40);
        EXPECT_EQ(fault.position, std::stoul(row.at(2))) << row[0].substr(0, 40);
    }
}

TEST_F(LinkTest, TheConnectionTestSendsOnlyTheFolderRequest) {
    const HttpResult yes{true, "SUCCESS", ""}, no{true, "NG\r\n", ""}, down{false, "", "refused"};
    const auto get = [](const std::string& host) {
        return "GET http://" + host + "/upload.cgi?UPDIR=/ADDON 16";
    };
    const struct {
        std::string list;
        std::deque<HttpResult> replies;
        Lines sent, messages;
    } cases[] = {
        {"a,b:81,c",
         {yes, no, down},
         {get("a"), get("b:81"), get("c")},
         {"message 147 none: 接続テストの結果:\\na: OK\\nb:81: 応答: NG\\x0D\\x0A\\nc: refused -> "
          "OK"}},
        {"",
         {yes},
         {get("flashair")},
         {"message 147 none: 接続テストの結果:\\nflashair: OK -> OK"}},
        {"a,,b",
         {},
         {},
         {"message 141 none: FlashAirカードの2番目の名前がありません。\\nカンマの間"
          "に名前を入れるか、カンマを消してください。 -> OK"}},
    };
    for (const auto& c : cases) {
        linktest::FakeTransport fake;
        fake.replies = c.replies;
        m_services.http = &fake;
        m_log.clear();
        TestFlashAirCards(m_services, Dialog(), c.list);
        EXPECT_EQ(fake.sent, c.sent);
        EXPECT_EQ(Messages(), c.messages);
    }
}
