// The one folding that finding a clip applies to both the typed text and each
// row's texts, so that a match does not depend on character width, kana kind
// or ASCII case.
#pragma once

#include <string>
#include <string_view>

#include "core/voice_entry.h"

// Folds UTF-8 text: full-width ASCII (U+FF01-U+FF5E) to ASCII; half-width
// katakana and punctuation (U+FF61-U+FF9F) to their full-width forms, a
// following ﾞ or ﾟ composed into the voiced or semi-voiced kana where one
// exists (ｶﾞ gives ガ) and otherwise kept as the combining mark; katakana
// U+30A1-U+30F6 to hiragana; ASCII letters to lower case. Every other
// character, and every byte that is not valid UTF-8, is kept as it is.
std::string FoldForFind(std::string_view text);

// Whether the row's list text or extra text, folded, holds folded (the find
// text folded); every row holds an empty one.
bool EntryHoldsFind(const VoiceEntry& entry, std::string_view folded);
