// Adding and removing records of "versions.ini" in its bytes, keeping every byte of the others.
#include "emulator/versions_edit.h"

#include "common/ascii.h"
#include "common/shown_text.h"
#include "emulator/versions.h"

#include <cstring>
#include <memory>

namespace {

struct Reading {
    std::unique_ptr<EmulatorVersion[]> table{new EmulatorVersion[kMaxVersions]};
    VersionsLayout layout;
    int count;
};

void read(const std::string& file, Reading& reading, const CodePages& codePages)
{
    reading.count =
        readVersionsText(file.data(), file.size(), reading.table.get(), kMaxVersions, &reading.layout, codePages);
}

bool isAscii(const char* text, std::size_t length)
{
    for (std::size_t i = 0; i < length; ++i) {
        if (static_cast<unsigned char>(text[i]) >= 0x80)
            return false;
    }
    return true;
}

// A file that someone wrote in the legacy code page: it holds a byte beyond
// ASCII and is no UTF-8.
bool isLegacyFile(const std::string& file)
{
    const std::size_t start = versionsTextStart(file.data(), file.size());
    const std::size_t end = versionsTextEnd(file.data(), file.size());
    return versionsTextForm(file.data(), file.size()) == TextForm::legacy && !isAscii(file.data() + start, end - start);
}

// The file's text in UTF-8, each of its letters kept; a byte-order mark and
// what follows an end-of-file byte stay as they are.
void convertToUtf8(std::string& file, const CodePages& codePages)
{
    const std::size_t start = versionsTextStart(file.data(), file.size());
    const std::size_t end = versionsTextEnd(file.data(), file.size());
    const std::string text =
        programText(file.data() + start, end - start, TextForm::legacy, CodePages{true, codePages.legacy});
    file.replace(start, end - start, text);
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

VersionsEdit appendVersion(std::string& file, const NewVersion& version, const CodePages& codePages)
{
    if (!isFieldText(version.name, sizeof(EmulatorVersion::name)) ||
        !isFieldText(version.command, sizeof(EmulatorVersion::command)) ||
        !isFieldText(version.versionId, sizeof(EmulatorVersion::versionId)) ||
        !isFieldText(version.platform, kFourthLineSize))
        return VersionsEdit::badField;
    Reading reading;
    read(file, reading, codePages);
    if (reading.count == kMaxVersions)
        return VersionsEdit::full;
    if (reading.count > 0 && !reading.layout.lastWhole)
        return VersionsEdit::lastIncomplete;
    std::string fields;
    for (const char* field : {version.name, version.command, version.versionId, version.platform})
        fields += std::string(field) + '\n';
    // The record in the file's own form. A legacy file takes it as it is
    // where Hobrin's code page is that one, or the record is ASCII; else
    // the whole file becomes UTF-8, since the record's letters may be
    // beyond the legacy code page. A file in UTF-8 or ASCII takes UTF-8.
    const bool legacyFile = isLegacyFile(file);
    const bool recordAsIs = legacyFile && (!codePages.programUtf8 || isAscii(fields.data(), fields.size()));
    if (legacyFile && !recordAsIs)
        convertToUtf8(file, codePages);
    if (!recordAsIs)
        fields = utf8Text(fields.data(), fields.size(), codePages);
    std::size_t at = versionsTextEnd(file.data(), file.size());
    const std::string lineEnd = lineEndOf(file, at);
    std::string record;
    // The last line may lack its line end; the new record starts a line of its own.
    if (at > versionsTextStart(file.data(), file.size()) && file[at - 1] != '\n')
        record += lineEnd;
    for (char c : fields)
        record += c == '\n' ? lineEnd : std::string(1, c);
    file.insert(at, record);
    return VersionsEdit::done;
}

bool removeVersion(std::string& file, int index, const CodePages& codePages)
{
    Reading reading;
    read(file, reading, codePages);
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
    const bool legacyFile = isLegacyFile(file);
    file.erase(from, to - from);
    // Without the record that held its only bytes that are no UTF-8, a
    // legacy file's other letters could read as UTF-8 by chance: it is
    // written in UTF-8 then, so that they read as before.
    if (legacyFile && versionsTextForm(file.data(), file.size()) == TextForm::utf8)
        convertToUtf8(file, codePages);
    return true;
}
