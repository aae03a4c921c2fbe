// What MAME's own audit ("-verifyroms") finds, and what is kept of it in "found.ini".
#pragma once

#include <cstddef>
#include <string>
#include <vector>

// The sets an audit answer names, whatever their state: a bad set may
// still run, and MAME names no set that it did not find.
struct AuditAnswer {
    std::vector<std::string> found; // short names, in the answer's order
    bool closed;                    // its closing count was read: the answer is whole
    long setsFound;                 // N of "N romsets found, M were OK.", -1 without it
};

// Reads `length` bytes of an answer, in the form of any era:
//   "romset NAME [PARENT] is good" ("is best available", "is bad",
//   "is missing optional files"), "NAME correct" and "NAME incorrect" of
//   the oldest releases, and the closing "N romsets found, M were OK.".
// Every other line (the missing files under a set, "romset "x" not
// found!", a cut last line) names nothing. A name longer than a short name
// is none.
AuditAnswer readAuditAnswer(const char* text, std::size_t length);

// The value of "rompath" in a "-showconfig" answer: its folders, separated
// by ";". MAME's default, "roms", when the answer names none or it does not
// fit `size` bytes.
void readRomPath(const char* text, std::size_t length, char* romPath, std::size_t size);

// What decides whether an audit still holds: the emulator (its command and
// its program file's size and last-write time), the ROM folders it named,
// and their last-write times, as "T1,T2" (0 for a folder that is missing).
struct AuditKey {
    std::string command;
    unsigned long long size = 0;
    unsigned long long written = 0;
    std::string romPath;
    std::string folderTimes;
};

bool operator==(const AuditKey& a, const AuditKey& b);

struct FoundGames {
    AuditKey key;
    std::vector<std::string> names; // sorted, each once
};

// The entries of "found.ini"'s text. An entry without its command, size
// and time is skipped; any text, damaged or not, reads without harm.
std::vector<FoundGames> readFoundGames(const char* text, std::size_t length);
std::string writeFoundGames(const std::vector<FoundGames>& entries);

// The names of an answer as kept: sorted, each once.
std::vector<std::string> keptNames(const AuditAnswer& answer);

// The last-write times of the folders, in the form of AuditKey::folderTimes.
std::string formatFolderTimes(const std::vector<unsigned long long>& times);

// The folders of a rompath, in its order; empty ones left out.
std::vector<std::string> splitRomPath(const std::string& romPath);
