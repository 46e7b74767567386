// What `voxlet --help` prints, the same in every window's program.
#pragma once

inline constexpr char kVoxletUsage[] =
    "usage: voxlet [--help]\n"
    "Opens Voxlet's window: plays Tiko's voice clips on this PC, sends them to\n"
    "the robot's card or to FlashAir cards, runs timed sequences and play lists\n"
    "and exports robot programs. Voice catalogues are read from the folder\n"
    "started in, the data folder chosen last, or the demo voice set.\n"
    "  --help   print this and exit\n";
