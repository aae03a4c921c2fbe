// Reads the emulator's game listing one scan step at a time.
#include "emulator/listing_scan.h"

#include "common/ascii.h"
#include "common/shown_text.h"

#include <cstring>

namespace {

int nextChar(ListingStream& stream)
{
    if (stream.position < stream.length)
        return stream.data[stream.position++];
    if (stream.file && !stream.ended && !stream.failed) {
        stream.length = std::fread(stream.buffer, 1, sizeof stream.buffer, stream.file);
        stream.position = 0;
        if (stream.length > 0)
            return stream.data[stream.position++];
        if (std::ferror(stream.file))
            stream.failed = true;
    }
    stream.ended = true;
    return EOF;
}

// Leaves the character just read for the next read.
void putBack(ListingStream& stream)
{
    --stream.position;
}

// Skips white space and returns the first other character (EOF at the end).
int skipWhiteSpace(ListingStream& stream)
{
    int c;
    do
        c = nextChar(stream);
    while (isAsciiWhiteSpace(c));
    return c;
}

} // namespace

void openListingFile(ListingStream& stream, std::FILE* file)
{
    stream.file = file;
    stream.data = stream.buffer;
    stream.length = 0;
    stream.position = 0;
    stream.ended = false;
    stream.failed = false;
    Utf8Check check;
    const long start = std::ftell(file);
    std::size_t got = 0;
    while (!check.invalid && (got = std::fread(stream.buffer, 1, sizeof stream.buffer, file)) > 0)
        checkUtf8Bytes(check, stream.buffer, got);
    stream.form = textFormOf(check);
    // A read that failed fails again where the scan meets it.
    std::clearerr(file);
    stream.failed = start < 0 || std::fseek(file, start, SEEK_SET) != 0;
}

void openListingMemory(ListingStream& stream, const void* data, std::size_t length)
{
    stream.file = nullptr;
    stream.data = static_cast<const unsigned char*>(data);
    stream.length = length;
    stream.position = 0;
    stream.ended = false;
    stream.failed = false;
    stream.form = textFormOf(static_cast<const char*>(data), length);
}

bool listingEnded(const ListingStream& stream)
{
    return stream.ended || stream.failed;
}

ScanResult scanListingEntry(ListingStream& stream, char* shortName, std::size_t shortNameSize, char* description,
                            std::size_t descriptionSize)
{
    shortName[0] = '\0';
    description[0] = '\0';

    int c = skipWhiteSpace(stream);
    if (c == EOF)
        return ScanResult::notAGame;
    std::size_t wordLength = 0;
    bool holdsZero = false;
    while (c != EOF && !isAsciiWhiteSpace(c)) {
        holdsZero = holdsZero || c == '\0';
        if (wordLength + 1 < shortNameSize)
            shortName[wordLength] = static_cast<char>(c);
        ++wordLength;
        c = nextChar(stream);
    }
    shortName[wordLength < shortNameSize ? wordLength : shortNameSize - 1] = '\0';
    if (c != EOF)
        putBack(stream);

    c = skipWhiteSpace(stream);
    if (c == EOF)
        return ScanResult::notAGame;
    if (c != '"') {
        putBack(stream);
        return ScanResult::notAGame;
    }

    c = nextChar(stream);
    if (c == EOF)
        return ScanResult::notAGame;
    if (c == '"') {
        putBack(stream);
        return ScanResult::notAGame;
    }
    // The description ends at the last quote of its line: today's emulators
    // list titles that hold quotes of their own (MAME 0.251: cc10 "Chess
    // Challenger "10" (model CCX, rev. B)"). A line without another quote
    // carries the description on to the next line, as it always did.
    // The description is converted from this scratch, which holds more
    // than its field can take once converted.
    char raw[kListingRawDescription];
    std::size_t rawLength = 0;
    bool quoted = false;            // a quote has come since the opening one
    std::size_t closingQuoteAt = 0; // the raw length before the last of them
    while (c != EOF && !(c == '\n' && quoted)) {
        if (c == '"') {
            quoted = true;
            closingQuoteAt = rawLength;
        }
        if (rawLength < sizeof raw)
            raw[rawLength++] = static_cast<char>(c);
        c = nextChar(stream);
    }
    if (!quoted)
        return ScanResult::notAGame;
    copyShownText(description, descriptionSize, raw, closingQuoteAt, stream.form);

    c = skipWhiteSpace(stream);
    if (c != EOF)
        putBack(stream);
    // A name that had to be cut, or that a zero byte cuts, would run another game.
    return wordLength < shortNameSize && !holdsZero ? ScanResult::game : ScanResult::notAGame;
}
