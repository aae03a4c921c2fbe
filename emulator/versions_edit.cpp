// Adding and removing records of "versions.ini" in its bytes, keeping every byte of the others.
#include "emulator/versions_edit.h"

#include "common/ascii.h"
#include "emulator/versions.h"

#include <cstring>
#include <memory>

namespace {

struct Reading {
    std::unique_ptr<EmulatorVersion[]> table{new EmulatorVersion[kMaxVersions]};
    VersionsLayout layout;
    int count;
};

void read(const std::string& file, Reading& reading)
{
    reading.count = readVersionsText(file.data(), file.size(), reading.table.get(), kMaxVersions, &reading.layout);
}

// A field is one line of at least one character that the reader gives back
// whole: no line end, no DOS end-of-file or zero byte, no leading white
// space (dropped before every record but the first), room in its width.
bool isFieldText(const char* text, std::size_t size)
{
    std::size_t length = std::strlen(text);
    if (length == 0 || length >= size || isAsciiWhiteSpace(static_cast<unsigned char>(text[0])))
        return false;
    return std::strpbrk(text, "\r\n\x1a") == nullptr;
}

// The file's own line end: that of its first line, CR LF when it has none.
const char* lineEndOf(const std::string& file, std::size_t end)
{
    std::size_t lineFeed = file.find('\n');
    if (lineFeed == std::string::npos || lineFeed >= end)
        return "\r\n";
    return lineFeed > 0 && file[lineFeed - 1] == '\r' ? "\r\n" : "\n";
}

} // namespace

VersionsEdit appendVersion(std::string& file, const NewVersion& version)
{
    if (!isFieldText(version.name, sizeof(EmulatorVersion::name)) ||
        !isFieldText(version.command, sizeof(EmulatorVersion::command)) ||
        !isFieldText(version.versionId, sizeof(EmulatorVersion::versionId)) ||
        !isFieldText(version.platform, kFourthLineSize))
        return VersionsEdit::badField;
    Reading reading;
    read(file, reading);
    if (reading.count == kMaxVersions)
        return VersionsEdit::full;
    if (reading.count > 0 && !reading.layout.lastWhole)
        return VersionsEdit::lastIncomplete;
    std::size_t at = reading.layout.textEnd;
    const char* lineEnd = lineEndOf(file, at);
    std::string record;
    // The last line may lack its line end; the new record starts a line of its own.
    if (at > reading.layout.textStart && file[at - 1] != '\n')
        record += lineEnd;
    for (const char* field : {version.name, version.command, version.versionId, version.platform}) {
        record += field;
        record += lineEnd;
    }
    file.insert(at, record);
    return VersionsEdit::done;
}

bool removeVersion(std::string& file, int index)
{
    Reading reading;
    read(file, reading);
    if (index < 0 || index >= reading.count)
        return false;
    std::size_t from = reading.layout.start[index];
    std::size_t to = reading.layout.start[index + 1];
    // The very first line keeps its leading white space as part of the name,
    // and a name that begins with the bytes of a byte-order mark would lose
    // them there: a record that moves up to it keeps the line end before
    // it, which the reader skips, so that it reads as before. A byte-order
    // mark before that line stays.
    bool readOtherwiseFirst =
        to < reading.layout.textEnd && file[to] != '\n' &&
        (isAsciiWhiteSpace(static_cast<unsigned char>(file[to])) || file.compare(to, 3, "\xEF\xBB\xBF") == 0);
    if (from == reading.layout.textStart && readOtherwiseFirst)
        to -= to >= 2 && file[to - 2] == '\r' ? 2 : 1;
    file.erase(from, to - from);
    return true;
}
