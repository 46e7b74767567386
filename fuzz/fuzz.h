// Shared pieces of the fuzz targets. Each target is FuzzOne, a plain function
// over one input, run by libFuzzer and by the corpus replay (main.cpp); it
// aborts with a message when a property of the result does not hold.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "support/test_support.h"

void FuzzOne(std::string_view input);

namespace fuzz {

[[noreturn]] void Fail(const char* what, const char* file, int line);
// The text up to the first '\n' (all of it when none); input keeps the rest.
std::string_view Take(std::string_view& input);

// This process's scratch folder (created on first use, in memory where the
// system has it: the targets write a file per input), with a trailing '/'.
const std::string& Scratch();
bool SameIgnoringCase(std::string_view a, std::string_view b); // ASCII letters
using testsupport::ReadFile;
using testsupport::WriteFile;

// A card root for the emulator's store: it holds "link", a symbolic link to a
// folder outside it, which must stay empty whatever is stored.
const std::string& CardRoot();
// Checks that the path's real location (unless "") is below the card root and
// that the folder outside it is still empty.
void CheckInsideCardRoot(const std::string& path);

} // namespace fuzz

#define FUZZ_CHECK(condition)                                                                      \
    ((condition) ? static_cast<void>(0) : ::fuzz::Fail(#condition, __FILE__, __LINE__))
