// The main dialog as the player reaches it: its control ids (ctl::, from the
// resources), the category indexes that its radios stand for, and the
// sequencer's window timer.
#pragma once

#include "resources/control_ids.h"

// Category indexes (category radio id - 1001): 0..9 the standard radios, which
// list the entries of category numbers 1..10; 10..20 the radios that list
// entries by their flag bits; then "other" and "all".
constexpr int CATEGORY_COUNT = 23;
constexpr int CATEGORY_FIRST_FLAG = 10;
// The last flag radio; in recognition-word mode the program folder listing.
constexpr int CATEGORY_PROGRAMS = 20;
// In Tiko-voice mode the play-list listing.
constexpr int CATEGORY_PLAY_LISTS = 21;

// The category radios' ids follow the category indexes.
static_assert(ctl::kAllRadio == ctl::kFirstCategory + CATEGORY_COUNT - 1);
static_assert(ctl::kPhotoMailRadio == ctl::kFirstCategory + CATEGORY_FIRST_FLAG);
static_assert(ctl::kProgramRadio == ctl::kFirstCategory + CATEGORY_PROGRAMS);
static_assert(ctl::kPlayListRadio == ctl::kFirstCategory + CATEGORY_PLAY_LISTS);

// The window timer of the sequencer.
constexpr int SEQUENCE_TIMER = 1;
