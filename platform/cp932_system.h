// Internal to the platform layer: the system's CP932 code page, asked one
// character at a time by the portable codec (platform/cp932.cpp), which keeps
// the project's own rules for the bytes the code page leaves unmapped.
#pragma once

#include <string_view>

namespace platform::detail {

// Decodes one CP932 character (one byte, or a lead byte and its trail) into
// UTF-8 (at most 7 bytes). Returns the length written, 0 when the code page
// has no character for the bytes.
int SystemDecodeCp932(std::string_view code, char (&utf8)[7]);

// Encodes one well-formed non-ASCII UTF-8 character exactly (no best-fit
// substitute). Returns the length written (1 or 2), 0 when it has no CP932 form.
int SystemEncodeCp932(std::string_view utf8, char (&bytes)[2]);

} // namespace platform::detail
