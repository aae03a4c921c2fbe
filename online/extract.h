// Takes the input recording (and its ".cap" companions) out of a downloaded zip archive.
#pragma once

#include <cstddef>

enum class ExtractStatus {
    ok,                 // the recording was extracted; baseName names it
    cannotOpenArchive,  // not a zip, empty or missing
    noRecording,        // no member that may be extracted is a recording
    corruptMember,      // a member's data is damaged (read error or CRC mismatch)
    cannotCreateOutput, // an output file could not be created or written
};

struct ExtractResult {
    ExtractStatus status;
    char baseName[256]; // the recording's file name in `directory` when ok
    char member[256];   // the member that failed, for the message
};

// Extracts, into `directory`, the companion members and the recording that
// the selection rules pick, by their base names. Members whose names are not
// safe file names are never extracted. On a damaged member or an output that
// cannot be written, the partial output is removed and nothing is returned.
ExtractResult extractInputLog(const char* archivePath, const char* directory);

// The base name of a stored member name: the part after its last "/" or "\".
const char* memberBaseName(const char* storedName);

// True when `baseName` may be used as a file name in the working directory:
// not empty, ".", ".."; no drive colon, no character that Windows forbids
// (control characters, < > : " / \ | ? *); not ending in a dot or blank; not
// a reserved device name (CON, PRN, AUX, NUL, COM1-9, LPT1-9), with or
// without an extension, in any letter case.
bool isSafeFileName(const char* baseName);
