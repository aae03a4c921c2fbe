// The installed emulator versions, read from the four-line records of "versions.ini".
#pragma once

#include "common/shown_text.h"

#include <cstddef>

struct EmulatorVersion {
    char name[204];
    char versionId[20];
    char command[512];
};

constexpr int kMaxVersions = 100;
constexpr int kFourthLineSize = 12;

extern EmulatorVersion versionTable[kMaxVersions];
extern int versionCount;

// Where the records lie in the file's bytes, for edits that keep every byte
// of the records they leave alone.
struct VersionsLayout {
    // Where the text starts: after a UTF-8 byte-order mark, else 0.
    std::size_t textStart;
    // start[i]: the start of the line that holds record i's name.
    // start[count]: where the records read end: the start of the line of
    // the next record past the capacity, else textEnd.
    std::size_t start[kMaxVersions + 1];
    // The end of the text that is read: a DOS end-of-file byte, or the end.
    std::size_t textEnd;
    // The last record read has all four lines.
    bool lastWhole;
};

// Reads records from the file's `length` bytes into table slots 0.. and
// returns how many it filled, at most `capacity` (at most kMaxVersions),
// telling where each record lies when `layout` is given. A UTF-8
// byte-order mark at the start is skipped. The file is UTF-8 or in the
// legacy code page as a whole (versionsTextForm), and its fields are
// brought into Hobrin's code page. Fields longer than their widths are cut,
// never inside a character, and the rest of their line skipped, so later
// records stay in step. Records past `capacity` are not read. A record
// that reaches the end of the file before its name holds a character is
// not counted; one that ends after its name keeps its missing fields empty.
int readVersionsText(const char* bytes, std::size_t length, EmulatorVersion* table, int capacity,
                     VersionsLayout* layout, const CodePages& codePages = programCodePages());

// Where the text of the file's bytes starts (after a UTF-8 byte-order
// mark) and ends (at a DOS end-of-file byte), and how it is written.
std::size_t versionsTextStart(const char* bytes, std::size_t length);
std::size_t versionsTextEnd(const char* bytes, std::size_t length);
TextForm versionsTextForm(const char* bytes, std::size_t length);

// Index of the first of the first `versionCount` records whose versionId is
// exactly `text` (case-sensitive), or -1.
int findVersion(const char* text);

// Whether one of the first `versionCount` records runs exactly `command`
// (case-sensitive).
bool isListedCommand(const char* command);
