// The lines voxlet-card prints. What a request, a file or the command line puts
// into a line (folder and file names, labels, error texts) is shown, never
// obeyed: control bytes (below 0x20, DEL, the C1 controls U+0080..U+009F) and
// bytes that are not well-formed UTF-8 are written as \xNN, so no text can
// start a line of its own (a forged "robot: ..." report) or send a terminal
// escape. Other UTF-8 text (Japanese labels) is printed as it is.
#pragma once

#include <cstdio>
#include <string>
#include <string_view>

namespace card {

std::string EscapeControls(std::string_view text);

// Prints the text escaped, then a line end, and flushes the stream.
void PrintLine(std::FILE* stream, std::string_view text);

// The same with the text formatted as printf formats it.
void PrintLinef(std::FILE* stream, const char* format, ...) __attribute__((format(printf, 2, 3)));

} // namespace card
