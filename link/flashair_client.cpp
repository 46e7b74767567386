#include "link/flashair_client.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <mutex>

#include "platform/prompts.h"
#include "resources/string_table.h"

namespace {

constexpr std::string_view kSuccess = "SUCCESS";
constexpr std::string_view kNoTransport = "no HTTP transport is installed";
// The reply of the folder request that matters.
constexpr std::size_t kFolderReplySize = 16;

std::mutex g_mutex; // guards the hook
HttpTraceHook g_traceHook;

void Trace(const std::string& line) {
    HttpTraceHook hook;
    {
        std::lock_guard<std::mutex> lock(g_mutex);
        hook = g_traceHook;
    }
    if (hook)
        hook(line);
}

std::string Printable(const char* bytes, std::size_t n) {
    std::string out;
    for (std::size_t i = 0; i < n; ++i) {
        const auto c = static_cast<unsigned char>(bytes[i]);
        if (c < 0x20 || c > 0x7E || c == '"' || c == '\\') {
            char hex[8];
            std::snprintf(hex, sizeof hex, "\\x%02X", c);
            out += hex;
        } else {
            out += static_cast<char>(c);
        }
    }
    return out;
}

void ShowFailure(const std::string& text) {
    // Text 119 of the table, shown as a text of its own (without its id).
    platform::GetPrompts().Message(-1, FormatString(LoadStringId(ids::IDS_FLASHAIR_FAILED), text),
                                   platform::MessageStyle{});
}

// The exchange over the installed transport, or a failure that says none is
// installed.
template <class Exchange> platform::HttpResult OverTransport(const Exchange& exchange) {
    platform::HttpTransport* transport = platform::GetHttpTransport();
    if (!transport)
        return platform::HttpResult{false, {}, std::string(kNoTransport)};
    return exchange(*transport);
}

} // namespace

void SetHttpTraceHook(HttpTraceHook hook) {
    std::lock_guard<std::mutex> lock(g_mutex);
    g_traceHook = std::move(hook);
}

void SetHttpTimeouts(const HttpTimeouts& timeouts) {
    if (platform::HttpTransport* transport = platform::GetHttpTransport())
        transport->SetTimeouts(timeouts);
}

HttpTimeouts GetHttpTimeouts() {
    const platform::HttpTransport* transport = platform::GetHttpTransport();
    return transport ? transport->Timeouts() : HttpTimeouts{};
}

std::string BuildFlashAirBody(std::string_view name, const void* bytes, std::size_t size) {
    std::string boundaryLine = "--";
    boundaryLine += FLASHAIR_BOUNDARY;
    boundaryLine += "\r\n";

    std::string body;
    body.reserve(size + 256);
    body += boundaryLine;
    body += "Content-Disposition: form-data; name=\"upload.cgi\";filename=\"";
    body += name;
    body += "\"\r\n";
    body += boundaryLine;
    body += "\r\n";
    if (size > 0)
        body.append(static_cast<const char*>(bytes), size);
    body += "\r\n--";
    body += FLASHAIR_BOUNDARY;
    body += "--\r\n";
    return body;
}

bool HttpGetReply(const std::string& url, char* reply, std::size_t capacity, bool reportErrors) {
    const platform::HttpResult result =
        OverTransport([&](platform::HttpTransport& http) { return http.Get(url, capacity); });
    const std::size_t count = std::min(result.reply.size(), capacity);
    if (count > 0)
        std::memcpy(reply, result.reply.data(), count);
    if (!result.ok) {
        Trace("http get " + url + " -> error " + result.error);
        if (reportErrors)
            ShowFailure(result.error);
        return false;
    }
    Trace("http get " + url + " -> \"" + Printable(reply, count) + "\"");
    if (count < capacity)
        reply[count] = '\0';
    return true;
}

bool HttpPostFile(const std::string& url, const std::string& name, const void* bytes,
                  std::size_t size) {
    const std::string traceHead =
        "http post " + url + " name=" + name + " size=" + std::to_string(size) + " -> ";
    const platform::HttpResult result = OverTransport([&](platform::HttpTransport& http) {
        return http.Post(url, "multipart/form-data;boundary=" + std::string(FLASHAIR_BOUNDARY),
                         BuildFlashAirBody(name, bytes, size));
    });
    if (!result.ok) {
        Trace(traceHead + "error " + result.error);
        ShowFailure(result.error);
        return false;
    }
    Trace(traceHead + "ok");
    return true;
}

bool PutFlashAirFile(const std::string& host, const std::string& name, const void* bytes,
                     std::size_t size, bool intoAddon, bool reportErrors) {
    const std::string uploadUrl = "http://" + host + "/upload.cgi";
    const std::string folderUrl = uploadUrl + "?UPDIR=/" + (intoAddon ? "ADDON" : "");

    char reply[kFolderReplySize] = {};
    if (!HttpGetReply(folderUrl, reply, sizeof reply, reportErrors))
        return false;
    // A shorter reply ends at its terminating zero, so it cannot match.
    if (std::strncmp(reply, kSuccess.data(), kSuccess.size()) != 0)
        return false;
    return HttpPostFile(uploadUrl, name, bytes, size);
}
