// A voxlet-card process serving a card root folder on 127.0.0.1 (a free
// port), with its requests logged and its standard output kept; ended by the
// destructor, which ends its lifeline (a Windows program under Wine cannot
// signal the Linux card). Test programs that use it define VOXLET_CARD_BIN
// and link loopback.cpp.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "support/loopback.h"
#include "support/test_support.h"

namespace testsupport {

class CardProcess {
public:
    explicit CardProcess(std::string root, std::vector<std::string> extraArgs = {});
    ~CardProcess();
    CardProcess(const CardProcess&) = delete;
    CardProcess& operator=(const CardProcess&) = delete;

    int Port() const { return m_port; }
    std::string Host() const { return "127.0.0.1:" + std::to_string(m_port); }
    // The raw requests logged so far.
    std::string RawLog() const;
    // A file below the card root ("" when missing).
    std::string CardFile(const std::string& relative) const;
    bool Running() const;
    // The lines printed after the first that start with prefix: once there are
    // count of them (at most 5 s), and a moment longer, so that a line too
    // many shows.
    std::vector<std::string> OutputLines(std::size_t count, std::string_view prefix = "") const;

private:
    std::string m_root;
    TempDir m_work; // holds the request log and the output, outside the card
    std::string m_logPath;
    std::string m_outPath;
    Socket m_lifeline; // the card's connection, which it never writes to
    std::intptr_t m_id = 0;
    int m_port = 0;
};

} // namespace testsupport
