// The standard streams of the command-line tools.
#pragma once

namespace platform {

// Makes standard output and standard error binary: every byte written arrives
// as written ("\n" stays LF also where the C library would make it CR LF).
void UseBinaryStandardStreams();

} // namespace platform
