// The dialog templates as data: the main dialog (102), the about box (100),
// the settings dialog (130) and the play-list editor (131).
#pragma once

#include "platform/dialog_template.h"

constexpr int IDD_ABOUTBOX = 100;
constexpr int IDD_VOXLET_DIALOG = 102;
constexpr int IDD_DEFINE_DIALOG = 130;
constexpr int IDD_PLAY_LIST_DIALOG = 131;
constexpr int IDR_MAINFRAME = 128; // the program icon

// The system menu item that opens the about box.
constexpr int IDM_ABOUTBOX = 16;
// The system menu item that opens the play-list editor, and the letter that
// opens it with Ctrl where the toolkit offers the items in a menu of its own.
constexpr int IDM_PLAY_LIST_EDITOR = 32;
constexpr char kPlayListEditorKey = 'L';

const platform::DialogTemplate& MainDialogTemplate();
const platform::DialogTemplate& AboutDialogTemplate();
const platform::DialogTemplate& DefineDialogTemplate();
const platform::DialogTemplate& PlayListDialogTemplate();
