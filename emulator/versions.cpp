// Reads the four-line records of "versions.ini" and looks versions up by identifier.
#include "versions.h"

#include "common/ascii.h"

#include <cstring>

EmulatorVersion versionTable[kMaxVersions];
int versionCount = 0;

namespace {

// The file as text-mode reading gives it: a CR right before an LF is
// dropped, so CR LF files read exactly like LF files on every platform, and
// a DOS end-of-file byte (0x1A) ends the file. It reads a stream or bytes in
// memory; in memory it also tells where each line starts.
struct TextReader {
    std::FILE* file; // null when reading `data`
    const unsigned char* data;
    std::size_t length;
    std::size_t position;  // of the next byte of `data`
    std::size_t lineStart; // the start of the line of the next byte
    bool ended;
    // A stream's bytes put back, the last first: the byte-order mark's
    // check may take back three, more than ungetc promises.
    int back[4];
    int backCount;
};

int rawChar(TextReader& reader)
{
    if (reader.file)
        return reader.backCount > 0 ? reader.back[--reader.backCount] : std::getc(reader.file);
    return reader.position < reader.length ? reader.data[reader.position++] : EOF;
}

void putBack(TextReader& reader, int c)
{
    if (c == EOF)
        return;
    if (!reader.file)
        --reader.position;
    else if (reader.backCount < 4)
        reader.back[reader.backCount++] = c;
}

// An editor's UTF-8 byte-order mark before the first line is no part of
// the text: the first name starts after it, and edits keep it.
void skipByteOrderMark(TextReader& reader)
{
    static const int kMark[] = {0xEF, 0xBB, 0xBF};
    int taken[3];
    int count = 0;
    while (count < 3 && (taken[count] = rawChar(reader)) == kMark[count])
        ++count;
    if (count == 3) {
        reader.lineStart = reader.position;
        return;
    }
    // The byte that differed, then those that matched, go back last first.
    if (count < 3)
        putBack(reader, taken[count]);
    while (count > 0)
        putBack(reader, taken[--count]);
}

int nextChar(TextReader& reader)
{
    if (reader.ended)
        return EOF;
    int c = rawChar(reader);
    if (c == 0x1A) {
        putBack(reader, c);
        c = EOF;
    }
    if (c == '\r') {
        int following = rawChar(reader);
        if (following == '\n')
            c = '\n';
        else
            putBack(reader, following);
    }
    if (c == '\n')
        reader.lineStart = reader.position;
    if (c == EOF)
        reader.ended = true;
    return c;
}

void skipWhiteSpace(TextReader& reader)
{
    int c;
    do
        c = nextChar(reader);
    while (isAsciiWhiteSpace(c));
    putBack(reader, c);
}

// Reads the rest of the line into `field`, cut to fit, and consumes the line
// end. A field holds at least one character, so a line end met first (only a
// file that starts with empty lines has one there) is skipped with the white
// space after it. Returns false when the file ended before any character;
// `lineStart` tells where the field's line starts.
bool readField(TextReader& reader, char* field, std::size_t size, std::size_t& lineStart)
{
    std::size_t length = 0;
    bool any = false;
    int c = nextChar(reader);
    if (c == '\n') {
        skipWhiteSpace(reader);
        c = nextChar(reader);
    }
    lineStart = reader.lineStart;
    while (c != EOF && c != '\n') {
        if (length + 1 < size)
            field[length++] = static_cast<char>(c);
        any = true;
        c = nextChar(reader);
    }
    field[length] = '\0';
    return any;
}

bool streamEnded(const TextReader& reader)
{
    return reader.ended ||
           (reader.file && reader.backCount == 0 && (std::feof(reader.file) || std::ferror(reader.file)));
}

int readRecords(TextReader& reader, EmulatorVersion* table, int capacity, VersionsLayout* layout)
{
    skipByteOrderMark(reader);
    if (layout)
        layout->textStart = reader.lineStart;
    int count = 0;
    bool lastWhole = false;
    while (count < capacity && !streamEnded(reader)) {
        EmulatorVersion& slot = table[count];
        slot = EmulatorVersion{};
        std::size_t lineStart = 0;
        if (!readField(reader, slot.name, sizeof slot.name, lineStart))
            break;
        if (layout)
            layout->start[count] = lineStart;
        ++count;
        char fourthLine[kFourthLineSize];
        char* fields[] = {slot.command, slot.versionId, fourthLine};
        std::size_t sizes[] = {sizeof slot.command, sizeof slot.versionId, sizeof fourthLine};
        skipWhiteSpace(reader);
        int whole = 0;
        for (int i = 0; i < 3 && !streamEnded(reader); ++i) {
            whole += readField(reader, fields[i], sizes[i], lineStart) ? 1 : 0;
            skipWhiteSpace(reader);
        }
        lastWhole = whole == 3;
    }
    if (layout) {
        const void* stop = reader.length > 0 ? std::memchr(reader.data, 0x1A, reader.length) : nullptr;
        layout->textEnd =
            stop ? static_cast<std::size_t>(static_cast<const unsigned char*>(stop) - reader.data) : reader.length;
        layout->start[count] = streamEnded(reader) ? layout->textEnd : reader.lineStart;
        layout->lastWhole = lastWhole;
    }
    return count;
}

} // namespace

int readVersions(std::FILE* file, EmulatorVersion* table, int capacity)
{
    TextReader reader{file, nullptr, 0, 0, 0, false, {}, 0};
    return readRecords(reader, table, capacity, nullptr);
}

int readVersionsText(const char* bytes, std::size_t length, EmulatorVersion* table, int capacity,
                     VersionsLayout* layout)
{
    if (capacity > kMaxVersions)
        capacity = kMaxVersions;
    TextReader reader{nullptr, reinterpret_cast<const unsigned char*>(bytes), length, 0, 0, false, {}, 0};
    return readRecords(reader, table, capacity, layout);
}

int findVersion(const char* text)
{
    int count = versionCount < kMaxVersions ? versionCount : kMaxVersions;
    for (int i = 0; i < count; ++i) {
        if (std::strcmp(versionTable[i].versionId, text) == 0)
            return i;
    }
    return -1;
}
