// What MAME's own audit ("-verifyroms") finds, and what is kept of it in "found.ini".
#include "emulator/rom_audit.h"

#include "common/ascii.h"
#include "common/bounded_text.h"
#include "common/text_lines.h"
#include "emulator/game_list.h"

#include <algorithm>
#include <cstring>

namespace {

const char kSectionLine[] = "[emulator]";
const char kDefaultRomPath[] = "roms";
// Names a line of "found.ini" holds, so that no line grows without end.
const std::size_t kNamesPerLine = 64;

// The line without its line end and trailing blanks.
std::size_t trimmedLength(const char* line, std::size_t size)
{
    while (size > 0 && (line[size - 1] == '\r' || isAsciiBlank(line[size - 1])))
        --size;
    return size;
}

std::size_t skipBlanks(const char* line, std::size_t size, std::size_t at)
{
    while (at < size && isAsciiBlank(line[at]))
        ++at;
    return at;
}

// A word of the line from `at` up to a blank.
std::size_t wordEnd(const char* line, std::size_t size, std::size_t at)
{
    while (at < size && !isAsciiBlank(line[at]))
        ++at;
    return at;
}

// A short name as the listing has them: no zero byte, no quote, not too long.
bool isSetName(const char* name, std::size_t length)
{
    return length > 0 && length < kShortNameSize && !std::memchr(name, '\0', length) && !std::memchr(name, '"', length);
}

// What follows a set's name (and its parent) when MAME found it.
const char* const kFoundStates[] = {
    "is good", "is best available", "is bad", "is missing optional files", "correct", "incorrect", "best available",
};

bool isFoundState(const char* text, std::size_t length)
{
    for (const char* state : kFoundStates) {
        if (spanIs(text, length, state))
            return true;
    }
    return false;
}

// "romset NAME [PARENT] is good" and the like, "NAME correct": the name.
bool readSetLine(const char* line, std::size_t size, std::string& name)
{
    std::size_t at = 0;
    if (startsWith(line, size, "romset "))
        at = skipBlanks(line, size, 7);
    std::size_t nameStart = at;
    std::size_t nameEnd = wordEnd(line, size, at);
    if (!isSetName(line + nameStart, nameEnd - nameStart))
        return false;
    at = skipBlanks(line, size, nameEnd);
    if (at < size && line[at] == '[') {
        const char* close = static_cast<const char*>(std::memchr(line + at, ']', size - at));
        if (!close)
            return false;
        at = skipBlanks(line, size, static_cast<std::size_t>(close - line) + 1);
    }
    if (at == nameEnd || !isFoundState(line + at, size - at))
        return false;
    name.assign(line + nameStart, nameEnd - nameStart);
    return true;
}

// Digits at `at`, at most nine of them; moves `at` past them.
bool readCount(const char* line, std::size_t size, std::size_t& at, long& value)
{
    std::size_t start = at;
    long result = 0;
    while (at < size && isAsciiDigit(line[at]) && at - start < 9)
        result = result * 10 + (line[at++] - '0');
    value = result;
    return at > start && (at == size || !isAsciiDigit(line[at]));
}

// "N romsets found, M were OK.": N.
bool readClosingLine(const char* line, std::size_t size, long& setsFound)
{
    std::size_t at = 0;
    long found = 0, good = 0;
    if (!readCount(line, size, at, found) || !startsWith(line + at, size - at, " romsets found, "))
        return false;
    at += std::strlen(" romsets found, ");
    if (!readCount(line, size, at, good) || !spanIs(line + at, size - at, " were OK."))
        return false;
    setsFound = found;
    return true;
}

// A value of one line, without a zero byte, that a command buffer takes.
bool readValue(const char* value, std::size_t length, std::string& field)
{
    if (length == 0 || length >= 512 || std::memchr(value, '\0', length))
        return false;
    field.assign(value, length);
    return true;
}

struct Entry {
    FoundGames games;
    bool open = false;
    bool hasCommand = false, hasSize = false, hasWritten = false, hasFolders = false;
};

void finishEntry(Entry& entry, std::vector<FoundGames>& entries)
{
    if (!entry.open || !entry.hasCommand || !entry.hasSize || !entry.hasWritten || !entry.hasFolders)
        return;
    std::vector<std::string>& names = entry.games.names;
    std::sort(names.begin(), names.end());
    names.erase(std::unique(names.begin(), names.end()), names.end());
    entries.push_back(std::move(entry.games));
}

void readNames(const char* text, std::size_t length, std::vector<std::string>& names)
{
    for (std::size_t at = 0; at < length;) {
        at = skipBlanks(text, length, at);
        std::size_t end = wordEnd(text, length, at);
        if (isSetName(text + at, end - at))
            names.emplace_back(text + at, end - at);
        at = end;
    }
}

void readEntryLine(Entry& entry, const char* line, std::size_t size)
{
    const char* equals = static_cast<const char*>(std::memchr(line, '=', size));
    if (!entry.open || !equals)
        return;
    std::size_t nameLength = static_cast<std::size_t>(equals - line);
    const char* value = equals + 1;
    std::size_t valueLength = size - nameLength - 1;
    AuditKey& key = entry.games.key;
    if (spanIs(line, nameLength, "command"))
        entry.hasCommand = readValue(value, valueLength, key.command);
    else if (spanIs(line, nameLength, "size"))
        entry.hasSize = readNumber(value, valueLength, key.size);
    else if (spanIs(line, nameLength, "written"))
        entry.hasWritten = readNumber(value, valueLength, key.written);
    else if (spanIs(line, nameLength, "rompath"))
        readValue(value, valueLength, key.romPath);
    else if (spanIs(line, nameLength, "folder_times"))
        // Empty for a rompath of no folder.
        entry.hasFolders = valueLength == 0 || readValue(value, valueLength, key.folderTimes);
    else if (spanIs(line, nameLength, "found"))
        readNames(value, valueLength, entry.games.names);
}

} // namespace

AuditAnswer readAuditAnswer(const char* text, std::size_t length)
{
    AuditAnswer answer{{}, false, -1};
    for (std::size_t start = 0; start < length;) {
        const char* line = nullptr;
        std::size_t size = takeLine(text, length, start, line);
        size = trimmedLength(line, size);
        std::string name;
        if (readSetLine(line, size, name))
            answer.found.push_back(std::move(name));
        else if (readClosingLine(line, size, answer.setsFound))
            answer.closed = true;
    }
    return answer;
}

void readRomPath(const char* text, std::size_t length, char* romPath, std::size_t size)
{
    copyText(romPath, size, kDefaultRomPath);
    for (std::size_t start = 0; start < length;) {
        const char* line = nullptr;
        std::size_t lineSize = takeLine(text, length, start, line);
        lineSize = trimmedLength(line, lineSize);
        if (!startsWith(line, lineSize, "rompath") || lineSize == 7 || !isAsciiBlank(line[7]))
            continue;
        std::size_t at = skipBlanks(line, lineSize, 7);
        const char* value = line + at;
        std::size_t valueLength = lineSize - at;
        // A value with blanks is written in quotes.
        if (valueLength >= 2 && value[0] == '"' && value[valueLength - 1] == '"') {
            ++value;
            valueLength -= 2;
        }
        if (valueLength == 0 || std::memchr(value, '\0', valueLength) || !copySpan(romPath, size, value, valueLength))
            copyText(romPath, size, kDefaultRomPath);
        return;
    }
}

bool operator==(const AuditKey& a, const AuditKey& b)
{
    return a.command == b.command && a.size == b.size && a.written == b.written && a.romPath == b.romPath &&
           a.folderTimes == b.folderTimes;
}

std::vector<FoundGames> readFoundGames(const char* text, std::size_t length)
{
    std::vector<FoundGames> entries;
    Entry entry;
    for (std::size_t start = 0; start < length;) {
        const char* line = nullptr;
        std::size_t size = takeLine(text, length, start, line);
        if (size > 0 && line[size - 1] == '\r')
            --size;
        if (spanIs(line, size, kSectionLine)) {
            finishEntry(entry, entries);
            entry = Entry();
            entry.open = true;
        } else if (size > 0 && line[0] != ';') {
            readEntryLine(entry, line, size);
        }
    }
    finishEntry(entry, entries);
    return entries;
}

std::string writeFoundGames(const std::vector<FoundGames>& entries)
{
    std::string text =
        "; The games that each emulator's own audit (-verifyroms) found, so that\r\n"
        "; \"Only games I have\" shows them at once. Nothing here is for editing:\r\n"
        "; delete this file to have the ROMs looked for anew.\r\n";
    for (const FoundGames& entry : entries) {
        char numbers[80];
        formatText(numbers, sizeof numbers, "size=%llu\r\nwritten=%llu\r\n", entry.key.size, entry.key.written);
        text += "\r\n";
        text += kSectionLine;
        text += "\r\ncommand=" + entry.key.command + "\r\n" + numbers;
        text += "rompath=" + entry.key.romPath + "\r\nfolder_times=" + entry.key.folderTimes + "\r\n";
        for (std::size_t i = 0; i < entry.names.size(); i += kNamesPerLine) {
            text += "found=";
            for (std::size_t j = i; j < entry.names.size() && j < i + kNamesPerLine; ++j)
                text += (j > i ? " " : "") + entry.names[j];
            text += "\r\n";
        }
    }
    return text;
}

std::vector<std::string> keptNames(const AuditAnswer& answer)
{
    std::vector<std::string> names = answer.found;
    std::sort(names.begin(), names.end());
    names.erase(std::unique(names.begin(), names.end()), names.end());
    return names;
}

std::string formatFolderTimes(const std::vector<unsigned long long>& times)
{
    std::string text;
    for (std::size_t i = 0; i < times.size(); ++i) {
        char number[24];
        formatText(number, sizeof number, "%llu", times[i]);
        text += (i > 0 ? "," : "") + std::string(number);
    }
    return text;
}

std::vector<std::string> splitRomPath(const std::string& romPath)
{
    std::vector<std::string> folders;
    std::size_t start = 0;
    while (start <= romPath.size()) {
        std::size_t end = romPath.find(';', start);
        if (end == std::string::npos)
            end = romPath.size();
        if (end > start)
            folders.push_back(romPath.substr(start, end - start));
        start = end + 1;
    }
    return folders;
}
