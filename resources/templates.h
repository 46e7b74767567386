// The dialog templates as data: the main dialog (102) and the about box (100).
#pragma once

#include "platform/dialog_template.h"

constexpr int IDD_ABOUTBOX = 100;
constexpr int IDD_VOXLET_DIALOG = 102;
constexpr int IDD_DEFINE_DIALOG = 130;
constexpr int IDR_MAINFRAME = 128; // the program icon

// The system menu item that opens the about box.
constexpr int IDM_ABOUTBOX = 16;

const platform::DialogTemplate& MainDialogTemplate();
const platform::DialogTemplate& AboutDialogTemplate();
const platform::DialogTemplate& DefineDialogTemplate();
