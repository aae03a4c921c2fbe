// Takes the input recording (and its ".cap" companions) out of a downloaded zip archive.
#pragma once

#include <cstddef>
#include <cstdint>

enum class ExtractStatus {
    ok,                 // the recording was extracted; baseName names it
    cannotOpenArchive,  // not a zip, empty, missing, or not a disk file
    noRecording,        // no member that may be extracted is a recording
    corruptMember,      // a member's data is damaged: read error, CRC or size mismatch
    unsupportedMember,  // a member is encrypted or compressed other than stored or deflated
    memberTooLarge,     // a member holds more than kMaxMemberSize bytes
    tooManyMembers,     // more than kMaxExtractedMembers members would be extracted
    cannotCreateOutput, // an output file could not be created, written or put in place
};

// Nothing larger is extracted, whatever the member's header says.
constexpr std::uint64_t kMaxMemberSize = 256ull * 1024 * 1024;
// A recording comes with a companion or two; an archive that would spread
// more files than this into the folder is refused.
constexpr std::size_t kMaxExtractedMembers = 100;

struct ExtractResult {
    ExtractStatus status;
    char baseName[256]; // the recording's file name in `directory` when ok
    char member[256];   // the member that failed, for the message
};

// Extracts, into `directory`, the companion members and the recording that
// the selection rules pick, by their base names. The archive's first member
// decides the letter case rule, even when its name is unsafe. Members whose
// names are not safe file names are never extracted. Every member is first
// written to a temporary file and all are moved into place only once all
// have been written whole; on any failure the folder is left as it was.
ExtractResult extractInputLog(const char* archivePath, const char* directory);

// The base name of a stored member name: the part after its last "/" or "\".
const char* memberBaseName(const char* storedName);
