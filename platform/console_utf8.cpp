// The UTF-8 stream buffer of the command-line tools' streams (portable).
#include "platform/console.h"
#include "platform/utf8_scan.h"

namespace platform {

std::streambuf::int_type Utf8SinkBuf::overflow(int_type c) {
    if (traits_type::eq_int_type(c, traits_type::eof()))
        return traits_type::not_eof(c);
    const char byte = traits_type::to_char_type(c);
    xsputn(&byte, 1);
    return c;
}

std::streamsize Utf8SinkBuf::xsputn(const char* s, std::streamsize n) {
    m_waiting.append(s, static_cast<std::size_t>(n));
    Pass(false);
    return n;
}

int Utf8SinkBuf::sync() {
    Pass(true);
    return 0;
}

void Utf8SinkBuf::Pass(bool all) {
    std::size_t end = m_waiting.size();
    if (!all) {
        // A well-formed start of a character that the bytes so far cut short.
        for (std::size_t pos = 0; pos < m_waiting.size();) {
            bool wellFormed = false;
            const std::size_t length = detail::ScanUtf8(m_waiting, pos, &wellFormed);
            const auto lead = static_cast<unsigned char>(m_waiting[pos]);
            if (!wellFormed && pos + length == m_waiting.size() && lead >= 0xC2 && lead <= 0xF4) {
                end = pos;
                break;
            }
            pos += length;
        }
    }
    if (end == 0)
        return;
    m_sink(std::string_view(m_waiting).substr(0, end));
    m_waiting.erase(0, end);
}

} // namespace platform
