// How the toolkit's own parts look and speak: in Japanese like the rest of
// the window whatever the system language, and with the focus always marked.
#pragma once

namespace voxwx {

// The toolkit's own texts (file choosers' buttons and places, their
// overwrite question) come from its message catalogues in the language of
// LC_MESSAGES and LANGUAGE. Only those two change, to Japanese: a Japanese
// UTF-8 locale (the system's locales-all), else C.UTF-8 with LANGUAGE=ja,
// which the catalogue lookup also follows. Numbers, dates and character
// classes keep the user's locale. Call after the toolkit has started (it sets
// the locale from the environment). False when no such locale exists.
bool UseJapaneseToolkitTexts();

// The focused control of every window the program shows (its dialogs,
// message boxes, file choosers) is marked at all times, not only once the
// keyboard has been used, so a keyboard user sees what Enter will press.
// Call after the toolkit has started.
void KeepFocusVisible();

} // namespace voxwx
