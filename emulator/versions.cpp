// Reads the four-line records of "versions.ini" and looks versions up by identifier.
#include "versions.h"

#include <cstring>

EmulatorVersion versionTable[kMaxVersions];
int versionCount = 0;

namespace {

bool isWhiteSpace(int c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}

// The file as text-mode reading gives it: a CR right before an LF is
// dropped, so CR LF files read exactly like LF files on every platform, and
// a DOS end-of-file byte (0x1A) ends the file.
struct TextReader {
    std::FILE* file;
    bool ended;
};

int nextChar(TextReader& reader)
{
    if (reader.ended)
        return EOF;
    int c = std::getc(reader.file);
    if (c == 0x1A)
        c = EOF;
    if (c == '\r') {
        int following = std::getc(reader.file);
        if (following == '\n')
            return '\n';
        if (following != EOF)
            std::ungetc(following, reader.file);
    }
    if (c == EOF)
        reader.ended = true;
    return c;
}

void putBack(TextReader& reader, int c)
{
    if (c != EOF)
        std::ungetc(c, reader.file);
}

void skipWhiteSpace(TextReader& reader)
{
    int c;
    do
        c = nextChar(reader);
    while (isWhiteSpace(c));
    putBack(reader, c);
}

// Reads the rest of the line into `field`, cut to fit, and consumes the line
// end. A field holds at least one character, so a line end met first (only a
// file that starts with empty lines has one there) is skipped with the white
// space after it. Returns false when the file ended before any character.
bool readField(TextReader& reader, char* field, std::size_t size)
{
    std::size_t length = 0;
    bool any = false;
    int c = nextChar(reader);
    if (c == '\n') {
        skipWhiteSpace(reader);
        c = nextChar(reader);
    }
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
    return reader.ended || std::feof(reader.file) || std::ferror(reader.file);
}

} // namespace

int readVersions(std::FILE* file, EmulatorVersion* table, int capacity)
{
    TextReader reader{file, false};
    int count = 0;
    while (count < capacity && !streamEnded(reader)) {
        EmulatorVersion& slot = table[count];
        slot = EmulatorVersion{};
        if (!readField(reader, slot.name, sizeof slot.name))
            break;
        ++count;
        char fourthLine[kFourthLineSize];
        char* fields[] = {slot.command, slot.versionId, fourthLine};
        std::size_t sizes[] = {sizeof slot.command, sizeof slot.versionId, sizeof fourthLine};
        skipWhiteSpace(reader);
        for (int i = 0; i < 3 && !streamEnded(reader); ++i) {
            readField(reader, fields[i], sizes[i]);
            skipWhiteSpace(reader);
        }
    }
    return count;
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
