// The standard streams of the command-line tools.
#pragma once

#include <functional>
#include <streambuf>
#include <string>
#include <string_view>

namespace platform {

// Makes standard output and standard error carry UTF-8 text as written: every
// byte arrives as written ("\n" stays LF also where the C library would make
// it CR LF), and a Windows console shows the text whatever its code page
// (std::cout and std::cerr write to it as UTF-16). Redirected to a file or a
// pipe, the streams receive the UTF-8 bytes unchanged.
void UseUtf8StandardStreams();

// Writes UTF-8 text to standard output, for a program that may have no
// console of its own (a windowed one): on Windows to the console of the
// program that started it, when there is one. False when the text went
// nowhere, so that the caller can show it another way.
bool WriteStandardOutput(std::string_view utf8);

// A stream buffer that hands what is written to a sink in whole UTF-8
// characters: a character split between writes waits for its last byte, and
// bytes that cannot start or continue a character pass as they are. Flushing
// (and the end of the buffer) passes whatever waits.
class Utf8SinkBuf : public std::streambuf {
public:
    using Sink = std::function<void(std::string_view)>;
    explicit Utf8SinkBuf(Sink sink) : m_sink(std::move(sink)) {}
    ~Utf8SinkBuf() override { Pass(true); }
    Utf8SinkBuf(const Utf8SinkBuf&) = delete;
    Utf8SinkBuf& operator=(const Utf8SinkBuf&) = delete;

protected:
    int_type overflow(int_type c) override;
    std::streamsize xsputn(const char* s, std::streamsize n) override;
    int sync() override;

private:
    void Pass(bool all);
    Sink m_sink;
    std::string m_waiting; // bytes not yet passed
};

} // namespace platform
