// The FlashAir HTTP client: puts one named file onto one card with
// two exchanges, a GET of /upload.cgi?UPDIR=... that must be answered
// "SUCCESS", then a multipart/form-data POST whose body is fixed byte for byte.
// Free functions over the services' HTTP transport (without one, every
// exchange fails with its message), prompts and trace.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "core/services.h"
#include "platform/http_transport.h"

// The multipart boundary: 24 equals signs.
inline constexpr std::string_view FLASHAIR_BOUNDARY = "========================";

// Puts the bytes onto the card at host (a name or address, optionally with
// ":port") under the given name. intoAddon selects the folder /ADDON (clear:
// the card's root). True when the folder request was answered "SUCCESS" and
// the POST completed without a transport failure.
[[nodiscard]] bool PutFlashAirFile(const Services& services, const std::string& host,
                                   const std::string& name, const void* bytes, std::size_t size,
                                   bool intoAddon, bool reportErrors);

// One card's share of PutFlashAirFiles.
struct FlashAirUpload {
    std::string host;
    const void* bytes = nullptr;
    std::size_t size = 0;
};

// PutFlashAirFile for several cards at once: each card's exchanges are a
// chain of the transport's batch (GetPostAll), so a card's POST goes as soon
// as its own folder request was answered "SUCCESS", whatever the other cards
// do; each card gets exactly the exchanges PutFlashAirFile sends it.
// Returns when every exchange has completed or failed, with one result per
// card. Afterwards the trace lines are written in card order (each card's GET
// line, then its POST line), then the failure messages are shown in card
// order.
[[nodiscard]] std::vector<bool> PutFlashAirFiles(const Services& services,
                                                 const std::vector<FlashAirUpload>& uploads,
                                                 const std::string& name, bool intoAddon,
                                                 bool reportErrors);

// The folder request of PutFlashAirFile (into /ADDON) alone, to each card as
// one batch of the transport: what a connection test sends, and nothing more.
// One result per host, in order, its reply cut to the bytes the upload
// looks at; the trace gets each card's line as PutFlashAirFiles writes it;
// nothing is shown.
std::vector<platform::HttpResult> RequestFlashAirFolders(const Services& services,
                                                         const std::vector<std::string>& hosts);
// Whether a folder request's reply lets an upload go on ("SUCCESS").
bool FolderRequestAccepted(const platform::HttpResult& result);

// Bytes as the trace shows them: 0x20..0x7E as they are, except " and \,
// which like every other byte become \xNN.
std::string PrintableBytes(std::string_view bytes);

// The POST body for a name and the file's bytes (six pieces, in order).
std::string BuildFlashAirBody(std::string_view name, const void* bytes, std::size_t size);

// The trace (Services::httpTrace) gets one line per exchange:
//   http get URL -> "REPLY"        (the first bytes read, at most the capacity;
//                                   bytes outside 0x20..0x7E and the
//                                   characters " and \ as \xNN)
//   http get URL -> error TEXT
//   http post URL name=NAME size=N -> ok      (N: the file's size)
//   http post URL name=NAME size=N -> error TEXT
// TEXT is the error text shown in the message (also when no message is shown).
