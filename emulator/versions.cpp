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

// One character as text-mode reading gives it: a CR right before an LF is
// dropped, so CR LF files read exactly like LF files on every platform.
int nextChar(std::FILE* file)
{
    int c = std::getc(file);
    if (c == '\r') {
        int following = std::getc(file);
        if (following == '\n')
            return '\n';
        if (following != EOF)
            std::ungetc(following, file);
    }
    return c;
}

void skipWhiteSpace(std::FILE* file)
{
    int c;
    do
        c = nextChar(file);
    while (isWhiteSpace(c));
    if (c != EOF)
        std::ungetc(c, file);
}

// Reads the rest of the line into `field`, cut to fit, and consumes the line
// end. A field holds at least one character, so a line end met first (only a
// file that starts with empty lines has one there) is skipped with the white
// space after it. Returns false when the file ended before any character.
bool readField(std::FILE* file, char* field, std::size_t size)
{
    std::size_t length = 0;
    bool any = false;
    int c = nextChar(file);
    if (c == '\n') {
        skipWhiteSpace(file);
        c = nextChar(file);
    }
    while (c != EOF && c != '\n') {
        if (length + 1 < size)
            field[length++] = static_cast<char>(c);
        any = true;
        c = nextChar(file);
    }
    field[length] = '\0';
    return any;
}

bool streamEnded(std::FILE* file)
{
    return std::feof(file) || std::ferror(file);
}

} // namespace

int readVersions(std::FILE* file, EmulatorVersion* table, int capacity)
{
    int count = 0;
    while (count < capacity && !streamEnded(file)) {
        EmulatorVersion& slot = table[count];
        slot = EmulatorVersion{};
        if (!readField(file, slot.name, sizeof slot.name))
            break;
        ++count;
        char fourthLine[kFourthLineSize];
        char* fields[] = {slot.command, slot.versionId, fourthLine};
        std::size_t sizes[] = {sizeof slot.command, sizeof slot.versionId, sizeof fourthLine};
        skipWhiteSpace(file);
        for (int i = 0; i < 3 && !streamEnded(file); ++i) {
            readField(file, fields[i], sizes[i]);
            skipWhiteSpace(file);
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
