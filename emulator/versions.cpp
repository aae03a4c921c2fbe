// Reads the four-line records of "versions.ini" and looks versions up by identifier.
#include "versions.h"

#include "common/ascii.h"
#include "common/shown_text.h"

#include <cstdio>
#include <cstring>

EmulatorVersion versionTable[kMaxVersions];
int versionCount = 0;

namespace {

// The file as text-mode reading gives it: a CR right before an LF is
// dropped, so CR LF files read exactly like LF files on every platform, and
// a DOS end-of-file byte (0x1A) ends the file. It tells where each line
// starts.
struct TextReader {
    const unsigned char* data;
    std::size_t length;    // up to the end-of-file byte
    std::size_t position;  // of the next byte
    std::size_t lineStart; // the start of the line of the next byte
    bool ended;
};

int nextChar(TextReader& reader)
{
    if (reader.ended || reader.position == reader.length) {
        reader.ended = true;
        return EOF;
    }
    int c = reader.data[reader.position++];
    if (c == '\r' && reader.position < reader.length && reader.data[reader.position] == '\n')
        c = reader.data[reader.position++];
    if (c == '\n')
        reader.lineStart = reader.position;
    return c;
}

void putBack(TextReader& reader, int c)
{
    if (c != EOF)
        --reader.position;
}

void skipWhiteSpace(TextReader& reader)
{
    int c;
    do
        c = nextChar(reader);
    while (isAsciiWhiteSpace(c));
    putBack(reader, c);
}

// A field's bytes before they are brought into Hobrin's code page: four for
// each byte of the widest field, which a text in UTF-8 may need where
// Hobrin runs in a legacy code page.
constexpr std::size_t kRawFieldBytes = 4 * sizeof(EmulatorVersion::command);

// Reads the rest of the line into `field`, from the file's `form`, cut to
// fit without splitting a character, and consumes the line end. A field
// holds at least one character, so a line end met first (only a file that
// starts with empty lines has one there) is skipped with the white space
// after it. Returns false when the file ended before any character;
// `lineStart` tells where the field's line starts.
bool readField(TextReader& reader, char* field, std::size_t size, std::size_t& lineStart, TextForm form,
               const CodePages& codePages)
{
    char raw[kRawFieldBytes];
    std::size_t length = 0;
    bool any = false;
    int c = nextChar(reader);
    if (c == '\n') {
        skipWhiteSpace(reader);
        c = nextChar(reader);
    }
    lineStart = reader.lineStart;
    while (c != EOF && c != '\n') {
        if (length < sizeof raw)
            raw[length++] = static_cast<char>(c);
        any = true;
        c = nextChar(reader);
    }
    copyShownText(field, size, raw, length, form, codePages);
    return any;
}

} // namespace

std::size_t versionsTextStart(const char* bytes, std::size_t length)
{
    return length >= 3 && std::memcmp(bytes, "\xEF\xBB\xBF", 3) == 0 ? 3 : 0;
}

std::size_t versionsTextEnd(const char* bytes, std::size_t length)
{
    const void* stop = length > 0 ? std::memchr(bytes, 0x1A, length) : nullptr;
    return stop ? static_cast<std::size_t>(static_cast<const char*>(stop) - bytes) : length;
}

TextForm versionsTextForm(const char* bytes, std::size_t length)
{
    const std::size_t start = versionsTextStart(bytes, length);
    return textFormOf(bytes + start, versionsTextEnd(bytes, length) - start);
}

int readVersionsText(const char* bytes, std::size_t length, EmulatorVersion* table, int capacity,
                     VersionsLayout* layout, const CodePages& codePages)
{
    if (capacity > kMaxVersions)
        capacity = kMaxVersions;
    const std::size_t textStart = versionsTextStart(bytes, length);
    const std::size_t textEnd = versionsTextEnd(bytes, length);
    const TextForm form = versionsTextForm(bytes, length);
    // An editor's UTF-8 byte-order mark before the first line is no part of
    // the text: the first name starts after it, and edits keep it.
    TextReader reader{reinterpret_cast<const unsigned char*>(bytes), textEnd, textStart, textStart, false};
    if (layout)
        layout->textStart = textStart;
    int count = 0;
    bool lastWhole = false;
    while (count < capacity && reader.position < reader.length) {
        EmulatorVersion& slot = table[count];
        slot = EmulatorVersion{};
        std::size_t lineStart = 0;
        if (!readField(reader, slot.name, sizeof slot.name, lineStart, form, codePages))
            break;
        if (layout)
            layout->start[count] = lineStart;
        ++count;
        char fourthLine[kFourthLineSize];
        char* fields[] = {slot.command, slot.versionId, fourthLine};
        std::size_t sizes[] = {sizeof slot.command, sizeof slot.versionId, sizeof fourthLine};
        skipWhiteSpace(reader);
        int whole = 0;
        for (int i = 0; i < 3 && reader.position < reader.length; ++i) {
            whole += readField(reader, fields[i], sizes[i], lineStart, form, codePages) ? 1 : 0;
            skipWhiteSpace(reader);
        }
        lastWhole = whole == 3;
    }
    if (layout) {
        layout->textEnd = textEnd;
        layout->start[count] = reader.position >= reader.length ? textEnd : reader.lineStart;
        layout->lastWhole = lastWhole;
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

bool isListedCommand(const char* command)
{
    int count = versionCount < kMaxVersions ? versionCount : kMaxVersions;
    for (int i = 0; i < count; ++i) {
        if (std::strcmp(versionTable[i].command, command) == 0)
            return true;
    }
    return false;
}
