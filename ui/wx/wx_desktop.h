// How the toolkit's own parts look and speak: in Japanese like the rest of
// the window whatever the system language, and with the focus always marked.
#pragma once

namespace voxwx {

// The locale of the window's process: the user's (the toolkit leaves it at
// "C"), with numbers kept in the C format that settings files and transcripts
// are written in, and a UTF-8 character set (C.UTF-8 where the user's is
// another one) so that system texts such as a failed write's reason reach the
// window intact. Messages are Japanese: the toolkit's own texts (file
// choosers' buttons and places, their overwrite question) and the C library's
// come from catalogues in the language of LC_MESSAGES and LANGUAGE, set to a
// Japanese UTF-8 locale (the system's locales-all), else C.UTF-8 with
// LANGUAGE=ja, which the catalogue lookup also follows. False when no such
// message locale exists.
bool SetUpLocale();

// The focused control of every window the program shows (its dialogs,
// message boxes, file choosers) is marked at all times, not only once the
// keyboard has been used, so a keyboard user sees what Enter will press.
// Call after the toolkit has started.
void KeepFocusVisible();

// Every message box is named for assistive technology by its title, the
// program's name, as sighted users see it. Call after the toolkit has started.
void NameMessageBoxesByTitle();

} // namespace voxwx
