#include "link/flashair_client.h"

#include <algorithm>
#include <cstdio>

#include "link/card_files.h"
#include "platform/prompts.h"
#include "resources/string_table.h"

namespace {

constexpr std::string_view kSuccess = "SUCCESS";
constexpr std::string_view kNoTransport = "no HTTP transport is installed";
// The reply of the folder request that matters.
constexpr std::size_t kFolderReplySize = 16;

} // namespace

std::string PrintableBytes(std::string_view bytes) {
    std::string out;
    for (const char byte : bytes) {
        const auto c = static_cast<unsigned char>(byte);
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

namespace {

// What one exchange leaves once its batch is over: its trace line and, when
// it failed and is reported, its message.
struct Outcome {
    std::string trace;
    std::string failure; // "" when nothing is shown
};

Outcome GetOutcome(const std::string& url, const platform::HttpResult& result, std::size_t capacity,
                   bool reportErrors) {
    if (!result.ok)
        return {"http get " + url + " -> error " + result.error,
                reportErrors ? result.error : std::string()};
    const std::size_t count = std::min(result.reply.size(), capacity);
    return {"http get " + url + " -> \"" +
                PrintableBytes(std::string_view(result.reply).substr(0, count)) + "\"",
            {}};
}

Outcome PostOutcome(const std::string& url, const std::string& name, std::size_t size,
                    const platform::HttpResult& result) {
    const std::string head =
        "http post " + url + " name=" + name + " size=" + std::to_string(size) + " -> ";
    if (!result.ok)
        return {head + "error " + result.error, result.error};
    return {head + "ok", {}};
}

// The trace lines in order, then the messages of the failures in the same order.
void Report(const Services& services, const std::vector<Outcome>& outcomes) {
    if (services.httpTrace)
        for (const Outcome& outcome : outcomes)
            services.httpTrace(outcome.trace);
    for (const Outcome& outcome : outcomes) {
        if (outcome.failure.empty())
            continue;
        // Text 119 of the table, shown as a text of its own (without its id).
        services.prompts->Message(
            -1, FormatString(LoadStringId(ids::IDS_FLASHAIR_FAILED), outcome.failure),
            platform::MessageStyle{});
    }
}

// The transport's failure when there is none.
platform::HttpResult NoTransport() {
    return platform::HttpResult{false, {}, std::string(kNoTransport)};
}

// The card's upload.cgi, and its folder request.
std::string UploadUrl(const std::string& host) {
    return "http://" + host + "/upload.cgi";
}
std::string FolderRequestUrl(const std::string& host, bool intoAddon) {
    return UploadUrl(host) + "?UPDIR=/" + std::string(intoAddon ? kCardFolder : "");
}

std::string ContentType() {
    return "multipart/form-data;boundary=" + std::string(FLASHAIR_BOUNDARY);
}

} // namespace

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

bool PutFlashAirFile(const Services& services, const std::string& host, const std::string& name,
                     const void* bytes, std::size_t size, bool intoAddon, bool reportErrors) {
    return PutFlashAirFiles(services, {{host, bytes, size}}, name, intoAddon, reportErrors).front();
}

std::vector<bool> PutFlashAirFiles(const Services& services,
                                   const std::vector<FlashAirUpload>& uploads,
                                   const std::string& name, bool intoAddon, bool reportErrors) {
    const std::size_t n = uploads.size();
    if (n == 0)
        return {};
    // Each card's chain: the folder request, then the POST when it was
    // answered "SUCCESS". The same bytes give the same body, built once.
    std::vector<std::string> bodies;
    bodies.reserve(n); // the requests point into them
    const FlashAirUpload* built = nullptr;
    std::vector<platform::HttpGetPostRequest> chains;
    for (const FlashAirUpload& upload : uploads) {
        if (!built || upload.bytes != built->bytes || upload.size != built->size) {
            bodies.push_back(BuildFlashAirBody(name, upload.bytes, upload.size));
            built = &upload;
        }
        // Built member by member: GCC 12 at -O3 takes a braced temporary
        // here for one that may be used uninitialized.
        platform::HttpGetPostRequest chain;
        chain.get = {FolderRequestUrl(upload.host, intoAddon), kFolderReplySize};
        chain.postWhenReplyStartsWith = kSuccess;
        chain.post =
            platform::HttpPostRequest{UploadUrl(upload.host), ContentType(), bodies.back()};
        chains.push_back(std::move(chain));
    }
    std::vector<platform::HttpGetPostResult> results;
    if (services.http)
        results = services.http->GetPostAll(chains);
    else
        results.assign(n, {NoTransport(), std::nullopt});

    // A failure's message starts with the card's name as the settings write it,
    // so the user sees which card failed.
    const auto named = [](Outcome outcome, const std::string& host) {
        if (!outcome.failure.empty())
            outcome.failure = host + ": " + outcome.failure;
        return outcome;
    };
    std::vector<bool> ok(n, false);
    std::vector<Outcome> outcomes;
    for (std::size_t i = 0; i < n; ++i) {
        outcomes.push_back(
            named(GetOutcome(chains[i].get.url, results[i].get, kFolderReplySize, reportErrors),
                  uploads[i].host));
        if (results[i].post) {
            outcomes.push_back(
                named(PostOutcome(chains[i].post->url, name, uploads[i].size, *results[i].post),
                      uploads[i].host));
            ok[i] = results[i].post->ok;
        }
    }
    Report(services, outcomes);
    return ok;
}

std::vector<platform::HttpResult> RequestFlashAirFolders(const Services& services,
                                                         const std::vector<std::string>& hosts) {
    std::vector<platform::HttpGetPostRequest> chains;
    for (const std::string& host : hosts)
        chains.push_back({{FolderRequestUrl(host, true), kFolderReplySize}, {}, std::nullopt});
    std::vector<platform::HttpGetPostResult> batch;
    if (services.http && !chains.empty())
        batch = services.http->GetPostAll(chains);
    else
        batch.assign(chains.size(), {NoTransport(), std::nullopt});
    std::vector<platform::HttpResult> results;
    std::vector<Outcome> outcomes;
    for (std::size_t i = 0; i < chains.size(); ++i) {
        outcomes.push_back(GetOutcome(chains[i].get.url, batch[i].get, kFolderReplySize, false));
        results.push_back(std::move(batch[i].get));
        results.back().reply.resize(std::min(results.back().reply.size(), kFolderReplySize));
    }
    Report(services, outcomes);
    return results;
}

bool FolderRequestAccepted(const platform::HttpResult& result) {
    return platform::PostFollows(result, kSuccess);
}
