// The installed emulator versions, read from the four-line records of "versions.ini".
#pragma once

#include <cstdio>

struct EmulatorVersion {
    char name[204];
    char versionId[20];
    char command[512];
};

constexpr int kMaxVersions = 100;
constexpr int kFourthLineSize = 12;

extern EmulatorVersion versionTable[kMaxVersions];
extern int versionCount;

// Reads records from `file` into table slots 0.. and returns how many it
// filled, at most `capacity`. Fields longer than their widths are cut and the
// rest of their line skipped, so later records stay in step. Records past
// `capacity` are not read. A record that reaches the end of the file before
// its name holds a character is not counted; one that ends after its name
// keeps its missing fields empty.
int readVersions(std::FILE* file, EmulatorVersion* table, int capacity);

// Index of the first of the first `versionCount` records whose versionId is
// exactly `text` (case-sensitive), or -1.
int findVersion(const char* text);
