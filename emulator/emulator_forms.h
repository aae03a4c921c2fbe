// What the program learns about the command-line forms each emulator version takes.
#pragma once

#include "emulator/command_line.h"
#include "emulator/game_list.h"
#include "emulator/versions.h"

#include <cstddef>

enum class Learned : unsigned char { notYet, yes, no };

// What an emulator's "-showconfig" answer tells. Today's emulators list
// every option with its value, in sections headed "# CORE ...".
struct ConfigAnswer {
    bool recognized;      // an answer in that form
    bool hardwareStretch; // lists "hwstretch" (a Windows build that still has DirectDraw)
    bool soundModule;     // "sound" holds a sound module ("auto", "none"...), not 0 or 1
    bool plugins;         // lists "plugins": its plugins can be switched off
    bool cheat;           // lists "cheat": its cheats can be switched off
};

// Reads `length` bytes of an answer; anything else is not recognized.
ConfigAnswer readConfigAnswer(const char* text, std::size_t length);

struct EmulatorForms {
    // Takes "-sortname" and "-sortdriver" after "-listfull". Emulators of
    // today refuse both, list by short name, and are sorted by the program.
    Learned sortsListing;
    bool configAsked; // "-showconfig" has run, at most once a session, or its answer was kept
    bool configKept;  // the answer is for good: the emulator ended by itself, or it was kept
    ConfigAnswer config;
    // Today's emulators list every device after their systems; the list
    // shows the systems alone. notYet: not known.
    Learned listsDevices;
    char firstDevice[kShortNameSize]; // the first device's short name, when it lists any
    // The version that its "-help" banner names, when it was asked; "" otherwise.
    char helpVersion[sizeof(EmulatorVersion::versionId)];
};

// One per slot of versionTable, learned from the emulator's own answers and
// kept in emulators.ini for the same program file (emulator/known_emulators_win.h).
// Only the user-interface thread reads and writes it.
extern EmulatorForms emulatorForms[kMaxVersions];

// The switches of a game run for what has been learned. An emulator whose
// answer was not recognized keeps every switch of a MAME of 2006; one that
// refused the sort switch is of later years, which take recordings by the
// names given, as does one that answered in today's form.
CommandForms commandForms(const EmulatorForms& forms);
