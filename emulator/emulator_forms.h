// What the program learns, this session only, about the command-line forms each emulator version takes.
#pragma once

#include "emulator/versions.h"

enum class Learned : unsigned char { notYet, yes, no };

struct EmulatorForms {
    // Takes "-sortname" and "-sortdriver" after "-listfull". Emulators of
    // today refuse both, list by short name, and are sorted by the program.
    Learned sortsListing;
};

// One per slot of versionTable, learned from the emulator's own answers and
// never stored: an emulator may be replaced between two sessions. Only the
// user-interface thread reads and writes it.
extern EmulatorForms emulatorForms[kMaxVersions];
