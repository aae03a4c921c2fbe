// What the program learned of each emulator it ran, in the text of "emulators.ini".
#pragma once

#include "emulator/emulator_forms.h"
#include "emulator/game_list.h"
#include "emulator/versions.h"

#include <cstddef>
#include <string>

// One emulator, known by its command and by its program file's size and
// last-write time: a player who replaces or updates that MAME gets it asked
// again.
struct KnownEmulator {
    char command[sizeof(EmulatorVersion::command)];
    unsigned long long size;
    unsigned long long written; // last-write time, in 100 ns since 1601
    Learned sortsListing;       // notYet: not known
    bool configKnown;           // its "-showconfig" answer, or that it gave none in today's form
    ConfigAnswer config;
    char helpVersion[sizeof(EmulatorVersion::versionId)]; // what its "-help" banner names; "" when not asked
    Learned listsDevices;                                 // devices after its systems; notYet: not known
    char firstDevice[kShortNameSize];                     // the first of them, when it lists any
};

constexpr int kMaxKnownEmulators = kMaxVersions;

// Reads the entries of the file's text into `table` and returns how many
// it filled, at most `capacity`. An entry lacks nothing it needs or it is
// skipped: a command (at most 511 bytes), a size and a time. Values it does
// not know are not known; lines it does not know are ignored. Any text,
// damaged or not, reads without harm.
int readKnownEmulators(const char* text, std::size_t length, KnownEmulator* table, int capacity);

// The file's text for the first `count` entries of `table`.
std::string writeKnownEmulators(const KnownEmulator* table, int count);

// Whether `entry` is the emulator of `command` with that program file, and
// so what it tells holds.
bool isSameEmulator(const KnownEmulator& entry, const char* command, unsigned long long size,
                    unsigned long long written);

// The program of an emulator command: its first word, without the quotes
// around it. False when it does not fit in `size` bytes or there is none.
bool commandProgram(const char* command, char* program, std::size_t size);

// The file that Windows starts for `program`, a path: ".exe" is added when
// its last part has no extension, and the path is not tried without it.
// False when that does not fit in `size` bytes.
bool programFile(const char* program, char* file, std::size_t size);
