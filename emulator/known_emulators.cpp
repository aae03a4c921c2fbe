// What the program learned of each emulator it ran, in the text of "emulators.ini".
#include "emulator/known_emulators.h"

#include "common/bounded_text.h"
#include "common/text_lines.h"
#include "emulator/command_split.h"

#include <cstring>

namespace {

const char kSectionLine[] = "[emulator]";

// A name of one line that fits its field whole; a cut one would name
// another, and a zero byte would end it early.
template <std::size_t N>
bool readName(const char* value, std::size_t length, char (&field)[N])
{
    bool whole = length > 0 && !std::memchr(value, '\0', length) && copySpan(field, N, value, length);
    if (!whole)
        field[0] = '\0';
    return whole;
}

// Booleans are written "0" and "1"; anything else leaves the entry unsure.
void readFlag(const char* value, std::size_t length, bool& flag, bool& sure)
{
    if (spanIs(value, length, "1") || spanIs(value, length, "0"))
        flag = value[0] == '1';
    else
        sure = false;
}

struct Reading {
    KnownEmulator entry;
    bool open = false; // a section has begun
    bool hasCommand = false, hasSize = false, hasWritten = false;
    bool configToday = false, configOther = false, sure = true;
    // An answer of today's form kept before plugins and cheats were learned
    // lacks their words: it is asked again.
    bool hasPlugins = false, hasCheat = false;
    bool devicesListed = false, devicesNone = false, hasFirstDevice = false;
};

void startEntry(Reading& reading)
{
    reading = Reading();
    reading.entry = KnownEmulator{};
    reading.entry.sortsListing = Learned::notYet;
    reading.open = true;
}

void finishEntry(Reading& reading, KnownEmulator* table, int& count, int capacity)
{
    if (!reading.open || !reading.hasCommand || !reading.hasSize || !reading.hasWritten || count >= capacity)
        return;
    KnownEmulator& entry = reading.entry;
    // What the answer held is only known with a clear word on each part.
    entry.configKnown =
        reading.sure && (reading.configOther || (reading.configToday && reading.hasPlugins && reading.hasCheat));
    entry.config.recognized = entry.configKnown && reading.configToday;
    if (!entry.config.recognized)
        entry.config.hardwareStretch = entry.config.soundModule = entry.config.plugins = entry.config.cheat = false;
    // Devices are known with the first one named, or known to be none.
    entry.listsDevices = reading.devicesListed && reading.hasFirstDevice ? Learned::yes
                         : reading.devicesNone                           ? Learned::no
                                                                         : Learned::notYet;
    if (entry.listsDevices != Learned::yes)
        entry.firstDevice[0] = '\0';
    table[count++] = entry;
}

void readLine(Reading& reading, const char* line, std::size_t length)
{
    const char* equals = static_cast<const char*>(std::memchr(line, '=', length));
    if (!reading.open || !equals)
        return;
    std::size_t nameLength = static_cast<std::size_t>(equals - line);
    const char* value = equals + 1;
    std::size_t valueLength = length - nameLength - 1;
    KnownEmulator& entry = reading.entry;
    if (spanIs(line, nameLength, "command")) {
        // A command that does not fit, or holds a zero byte, would name another emulator.
        reading.hasCommand = readName(value, valueLength, entry.command);
        if (!reading.hasCommand)
            reading.open = false;
    } else if (spanIs(line, nameLength, "size")) {
        reading.hasSize = readNumber(value, valueLength, entry.size);
    } else if (spanIs(line, nameLength, "written")) {
        reading.hasWritten = readNumber(value, valueLength, entry.written);
    } else if (spanIs(line, nameLength, "sort_switch")) {
        entry.sortsListing = spanIs(value, valueLength, "taken")     ? Learned::yes
                             : spanIs(value, valueLength, "refused") ? Learned::no
                                                                     : Learned::notYet;
    } else if (spanIs(line, nameLength, "showconfig")) {
        reading.configToday = spanIs(value, valueLength, "today");
        reading.configOther = spanIs(value, valueLength, "other");
    } else if (spanIs(line, nameLength, "hwstretch")) {
        readFlag(value, valueLength, entry.config.hardwareStretch, reading.sure);
    } else if (spanIs(line, nameLength, "sound_module")) {
        readFlag(value, valueLength, entry.config.soundModule, reading.sure);
    } else if (spanIs(line, nameLength, "plugins")) {
        reading.hasPlugins = true;
        readFlag(value, valueLength, entry.config.plugins, reading.sure);
    } else if (spanIs(line, nameLength, "cheat")) {
        reading.hasCheat = true;
        readFlag(value, valueLength, entry.config.cheat, reading.sure);
    } else if (spanIs(line, nameLength, "help_version")) {
        readName(value, valueLength, entry.helpVersion);
    } else if (spanIs(line, nameLength, "devices")) {
        reading.devicesListed = spanIs(value, valueLength, "listed");
        reading.devicesNone = spanIs(value, valueLength, "none");
    } else if (spanIs(line, nameLength, "first_device")) {
        reading.hasFirstDevice = readName(value, valueLength, entry.firstDevice);
    }
}

} // namespace

int readKnownEmulators(const char* text, std::size_t length, KnownEmulator* table, int capacity)
{
    int count = 0;
    Reading reading;
    for (std::size_t start = 0; start < length;) {
        const char* line = nullptr;
        std::size_t size = takeLine(text, length, start, line);
        if (size > 0 && line[size - 1] == '\r')
            --size;
        if (spanIs(line, size, kSectionLine)) {
            finishEntry(reading, table, count, capacity);
            startEntry(reading);
        } else if (size > 0 && line[0] != ';') {
            readLine(reading, line, size);
        }
    }
    finishEntry(reading, table, count, capacity);
    return count;
}

std::string writeKnownEmulators(const KnownEmulator* table, int count)
{
    std::string text =
        "; What Hobrin learned of the emulators it ran, so that it need not ask them\r\n"
        "; again at every start. Nothing here is for editing: delete this file to\r\n"
        "; have each emulator asked anew at its next use.\r\n";
    for (int i = 0; i < count; ++i) {
        const KnownEmulator& entry = table[i];
        char numbers[80];
        formatText(numbers, sizeof numbers, "size=%llu\r\nwritten=%llu\r\n", entry.size, entry.written);
        text += "\r\n";
        text += kSectionLine;
        text += "\r\ncommand=";
        text += entry.command;
        text += "\r\n";
        text += numbers;
        if (entry.sortsListing != Learned::notYet)
            text += entry.sortsListing == Learned::yes ? "sort_switch=taken\r\n" : "sort_switch=refused\r\n";
        if (entry.configKnown) {
            text += entry.config.recognized ? "showconfig=today\r\n" : "showconfig=other\r\n";
            if (entry.config.recognized) {
                text += entry.config.hardwareStretch ? "hwstretch=1\r\n" : "hwstretch=0\r\n";
                text += entry.config.soundModule ? "sound_module=1\r\n" : "sound_module=0\r\n";
                text += entry.config.plugins ? "plugins=1\r\n" : "plugins=0\r\n";
                text += entry.config.cheat ? "cheat=1\r\n" : "cheat=0\r\n";
            }
        }
        if (entry.helpVersion[0] != '\0')
            text += std::string("help_version=") + entry.helpVersion + "\r\n";
        if (entry.listsDevices == Learned::yes)
            text += std::string("devices=listed\r\nfirst_device=") + entry.firstDevice + "\r\n";
        else if (entry.listsDevices == Learned::no)
            text += "devices=none\r\n";
    }
    return text;
}

bool isSameEmulator(const KnownEmulator& entry, const char* command, unsigned long long size,
                    unsigned long long written)
{
    return entry.size == size && entry.written == written && std::strcmp(entry.command, command) == 0;
}

bool commandProgram(const char* command, char* program, std::size_t size)
{
    CommandParts parts;
    return splitCommand(command, parts) && copySpan(program, size, parts.program, parts.programLength);
}

bool programFile(const char* program, char* file, std::size_t size)
{
    const char* name = program;
    for (const char* c = program; *c; ++c) {
        if (*c == '\\' || *c == '/' || *c == ':')
            name = c + 1;
    }
    TextBuilder path = startText(file, size);
    appendText(path, program);
    if (!std::strchr(name, '.'))
        appendText(path, ".exe");
    return !path.overflowed;
}
