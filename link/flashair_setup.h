// The FlashAir card list as the settings dialog edits it ([REMOTE] FLASHAIR,
// "host" or "host:port" pieces between commas): its check before it is
// stored, and the connection test.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "core/services.h"

namespace platform {
class DialogHost;
}

// What is wrong with a card list; None for a list that may be stored. An
// empty list is right: it stands for the factory name.
struct CardListFault {
    enum class Kind { None, EmptyName, BadName, BadPort, TooManyNames, TooLong };
    Kind kind = Kind::None;
    std::size_t position = 0; // the faulty entry's place, from 1
    std::string entry;        // the faulty entry as typed
};

// The first fault, from left to right, after the list's size: more than
// MAX_TARGET_LIST_BYTES bytes, more than MAX_TARGETS names; then per entry an
// empty name, a host with characters other than ASCII letters, digits, '-',
// '.' and '_' (or an IPv6 address in brackets), a port that is not a number
// from 1 to 65535.
CardListFault CheckFlashAirCardList(std::string_view list);

// Tells the user of the fault, naming the entry.
void ShowCardListFault(platform::Prompts& prompts, const CardListFault& fault);

// Sends each card of the list (the factory name for an empty one) the folder
// request of an upload, as one batch with the busy cursor, and shows one
// message with a line per card: its name, then "OK" for a reply that starts
// "SUCCESS", the reply's first bytes for another, or the transport's failure.
// A list with a fault shows the fault instead and sends nothing.
void TestFlashAirCards(const Services& services, platform::DialogHost& dlg, std::string_view list);
