// Adding and removing records of "versions.ini" in its bytes, keeping every byte of the others.
#pragma once

#include "common/shown_text.h"

#include <string>

// A record to add; the fourth line names the platform.
struct NewVersion {
    const char* name;
    const char* command;
    const char* versionId;
    const char* platform;
};

enum class VersionsEdit {
    done,
    full,           // the file holds as many records as are read
    lastIncomplete, // its last record lacks lines, so a new one would be read into it
    badField,       // a field is empty, too long, starts with a blank or holds a line end
};

// Appends `version`, in Hobrin's code page, to `file`, the file's bytes
// (empty when there is none), before a DOS end-of-file byte if there is
// one. Its lines end as the file's first line does (CR LF when it has
// none). The record is written in UTF-8, except into a file written in the
// legacy code page, which takes it in that code page while it can; where
// it cannot, the whole file is written in UTF-8 first. Every record reads
// as before either way.
VersionsEdit appendVersion(std::string& file, const NewVersion& version,
                           const CodePages& codePages = programCodePages());

// Removes record `index` with the blank lines after it; every other record
// reads as before. False, leaving `file` as it is, when no record `index`
// is read.
bool removeVersion(std::string& file, int index, const CodePages& codePages = programCodePages());
