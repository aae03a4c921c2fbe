// Reads the emulator's game listing: one game per line, a short name, white
// space and the description in double quotes; other lines are stepped over.
#pragma once

#include "common/shown_text.h"

#include <cstddef>
#include <cstdio>

// A buffered character source over a file or a block of memory.
struct ListingStream {
    std::FILE* file; // null when reading from memory
    const unsigned char* data;
    std::size_t length;
    std::size_t position;
    bool ended;  // the end of the input was met
    bool failed; // a read error; the scan ends as at the end
    // How the whole listing is written, judged when it is opened: today's
    // emulators write UTF-8, older ones the system's legacy code page.
    TextForm form;
    unsigned char buffer[16384];
};

// Opening a file reads it through once to judge its form, then goes back.
void openListingFile(ListingStream& stream, std::FILE* file);
void openListingMemory(ListingStream& stream, const void* data, std::size_t length);

// True once the input has ended or failed: the scan loop stops there.
bool listingEnded(const ListingStream& stream);

enum class ScanResult { game, notAGame };

// The bytes of a description that a step keeps to convert: four for each of
// the 249 characters that its field holds.
constexpr std::size_t kListingRawDescription = 1000;

// One scan step with the stepping of the formatted read `%s\t"%[^"]"\n`: a word,
// white space, a quoted text of at least one character, then white space.
// The text ends at the last quote of the line where a quote follows the
// opening one, since today's emulators list titles holding quotes; the rest
// of that line is dropped. A failed step leaves the first unmatched
// character unread, so a heading line is consumed one word per failed scan
// and the next line is met in step.
// A description is brought from the listing's form into Hobrin's code
// page. Fields are cut to their buffers, never inside a character; a word too
// long for `shortNameSize`, or holding a zero byte, is never a game, since a
// cut name would run a different game.
ScanResult scanListingEntry(ListingStream& stream, char* shortName, std::size_t shortNameSize, char* description,
                            std::size_t descriptionSize);
