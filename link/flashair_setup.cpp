#include "link/flashair_setup.h"

#include <charconv>
#include <vector>

#include "core/numbers.h"
#include "core/player_state.h"
#include "link/flashair_client.h"
#include "platform/dialog_host.h"
#include "resources/string_table.h"

namespace {

constexpr std::string_view kCardAnswered = "OK";

bool IsHostChar(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' ||
           c == '.' || c == '_';
}

bool IsIpv6Char(char c) {
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F') || c == ':' ||
           c == '.';
}

bool IsPort(std::string_view text) {
    unsigned value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    return error == std::errc() && end == text.data() + text.size() && value >= 1 && value <= 65535;
}

// The fault of one entry: "host", "host:port", "[v6]" or "[v6]:port".
CardListFault::Kind EntryFault(std::string_view entry) {
    using Kind = CardListFault::Kind;
    if (entry.empty())
        return Kind::EmptyName;
    std::string_view host = entry;
    std::string_view rest;
    bool v6 = false;
    if (entry.front() == '[') {
        const auto close = entry.find(']');
        if (close == std::string_view::npos)
            return Kind::BadName;
        host = entry.substr(1, close - 1);
        rest = entry.substr(close + 1);
        v6 = true;
        if (!rest.empty() && rest.front() != ':')
            return Kind::BadName;
    } else if (const auto colon = entry.find(':'); colon != std::string_view::npos) {
        host = entry.substr(0, colon);
        rest = entry.substr(colon);
    }
    if (host.empty())
        return Kind::BadName;
    for (const char c : host)
        if (!(v6 ? IsIpv6Char(c) : IsHostChar(c)))
            return Kind::BadName;
    if (!rest.empty() && !IsPort(rest.substr(1)))
        return Kind::BadPort;
    return Kind::None;
}

// The card list's names; the factory name for an empty list.
std::vector<std::string> CardNames(std::string_view list) {
    if (list.empty())
        return {std::string(DEFAULT_FLASHAIR_HOST)};
    std::vector<std::string> names;
    for (const auto piece : SplitAtCommas(list))
        names.emplace_back(piece);
    return names;
}

} // namespace

CardListFault CheckFlashAirCardList(std::string_view list) {
    using Kind = CardListFault::Kind;
    if (list.size() > MAX_TARGET_LIST_BYTES)
        return {Kind::TooLong, 0, {}};
    if (list.empty())
        return {};
    const auto entries = SplitAtCommas(list);
    if (entries.size() > static_cast<std::size_t>(MAX_TARGETS))
        return {Kind::TooManyNames, 0, {}};
    for (std::size_t i = 0; i < entries.size(); ++i)
        if (const Kind kind = EntryFault(entries[i]); kind != Kind::None)
            return {kind, i + 1, std::string(entries[i])};
    return {};
}

void ShowCardListFault(platform::Prompts& prompts, const CardListFault& fault) {
    using Kind = CardListFault::Kind;
    const auto show = [&prompts](int id, std::string_view arg) {
        ShowOkMessage(prompts, id, platform::MsgIcon::None, arg);
    };
    switch (fault.kind) {
    case Kind::None:
        break;
    case Kind::EmptyName:
        show(ids::IDS_CARD_NAME_EMPTY, std::to_string(fault.position));
        break;
    case Kind::BadName:
        show(ids::IDS_CARD_NAME_INVALID, fault.entry);
        break;
    case Kind::BadPort:
        show(ids::IDS_CARD_PORT_INVALID, fault.entry);
        break;
    case Kind::TooManyNames:
        show(ids::IDS_CARD_LIST_TOO_MANY, std::to_string(MAX_TARGETS));
        break;
    case Kind::TooLong:
        show(ids::IDS_CARD_LIST_TOO_LONG, std::to_string(MAX_TARGET_LIST_BYTES));
        break;
    }
}

void TestFlashAirCards(const Services& services, platform::DialogHost& dlg, std::string_view list) {
    if (const CardListFault fault = CheckFlashAirCardList(list);
        fault.kind != CardListFault::Kind::None) {
        ShowCardListFault(*services.prompts, fault);
        return;
    }
    const std::vector<std::string> names = CardNames(list);
    std::vector<platform::HttpResult> results;
    {
        platform::BusyScope busy(dlg);
        results = RequestFlashAirFolders(services, names);
    }
    std::string lines;
    for (std::size_t i = 0; i < names.size(); ++i) {
        const platform::HttpResult& r = results[i];
        if (i > 0)
            lines += '\n';
        lines += names[i] + ": ";
        if (FolderRequestAccepted(r))
            lines += kCardAnswered;
        else if (r.ok)
            lines += FormatString(LoadStringId(ids::IDS_CARD_TEST_REPLY), PrintableBytes(r.reply));
        else
            lines += r.error;
    }
    ShowOkMessage(*services.prompts, ids::IDS_CARD_TEST_REPORT, platform::MsgIcon::None, lines);
}
