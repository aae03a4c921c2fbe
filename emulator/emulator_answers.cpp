// What an emulator's answers to "-help" and "-listxml NAME" tell of it.
#include "emulator/emulator_answers.h"

#include "common/ascii.h"
#include "common/bounded_text.h"
#include "common/text_lines.h"

#include <cstring>

namespace {

bool isVersionChar(char c)
{
    return isAsciiDigit(c) || isAsciiLetter(c) || c == '.';
}

// The banner's first word: "M.A.M.E." of the early years, or a word holding
// "MAME" ("MAME", "MAMEUI64", "GroovyMAME"...).
bool isBannerName(const char* word, std::size_t length)
{
    if (length == 8 && std::memcmp(word, "M.A.M.E.", 8) == 0)
        return true;
    for (std::size_t i = 0; i + 4 <= length; ++i) {
        if (std::memcmp(word + i, "MAME", 4) == 0)
            return true;
    }
    return false;
}

// " BETA 5" after the number becomes "b5", " RELEASE CANDIDATE 2" "rc2".
std::size_t readLongForm(const char* text, std::size_t length, TextBuilder& id)
{
    const struct {
        const char* words;
        const char* letters;
    } forms[] = {{" BETA ", "b"}, {" RELEASE CANDIDATE ", "rc"}};
    for (const auto& form : forms) {
        std::size_t at = std::strlen(form.words);
        if (!startsWith(text, length, form.words) || at >= length || !isAsciiDigit(text[at]))
            continue;
        std::size_t end = at;
        while (end < length && isAsciiDigit(text[end]))
            ++end;
        appendText(id, form.letters);
        appendSpan(id, text + at, end - at);
        return end;
    }
    return 0;
}

} // namespace

bool readHelpBanner(const char* text, std::size_t length, char* versionId, std::size_t size)
{
    if (size == 0)
        return false;
    versionId[0] = '\0';
    if (startsWith(text, length, "\xEF\xBB\xBF")) {
        text += 3;
        length -= 3;
    }
    const char* line = nullptr;
    std::size_t lineLength = 0;
    for (std::size_t start = 0; start < length && lineLength == 0;) {
        lineLength = takeLine(text, length, start, line);
        while (lineLength > 0 && isAsciiWhiteSpace(static_cast<unsigned char>(line[lineLength - 1])))
            --lineLength;
    }
    std::size_t word = 0;
    while (word < lineLength && line[word] != ' ')
        ++word;
    if (word == 0 || !isBannerName(line, word) || !startsWith(line + word, lineLength - word, " v"))
        return false;
    const char* number = line + word + 2;
    std::size_t rest = lineLength - word - 2, end = 0;
    while (end < rest && isVersionChar(number[end]))
        ++end;
    if (end == 0 || !isAsciiDigit(number[0]) || !std::memchr(number, '.', end))
        return false;
    TextBuilder id = startText(versionId, size);
    appendSpan(id, number, end);
    readLongForm(number + end, rest - end, id);
    if (id.overflowed) {
        versionId[0] = '\0';
        return false;
    }
    return true;
}

std::size_t findMachineElement(const char* text, std::size_t length)
{
    // The document type before it names these words too, but never after a "<".
    for (std::size_t at = 0; at < length; ++at) {
        if (text[at] != '<')
            continue;
        std::size_t nameLength = startsWith(text + at, length - at, "<machine") ? 8
                                 : startsWith(text + at, length - at, "<game")  ? 5
                                                                                : 0;
        if (nameLength != 0 && at + nameLength < length &&
            isAsciiWhiteSpace(static_cast<unsigned char>(text[at + nameLength])))
            return at;
    }
    return length;
}

MachineKind readMachineKind(const char* text, std::size_t length)
{
    std::size_t at = findMachineElement(text, length);
    if (at == length)
        return MachineKind::unknown;
    const char* tag = text + at;
    const void* close = std::memchr(tag, '>', length - at);
    std::size_t tagLength = close ? static_cast<std::size_t>(static_cast<const char*>(close) - tag) : length - at;
    const char kDevice[] = " isdevice=\"yes\"";
    for (std::size_t i = 0; i + sizeof kDevice - 1 <= tagLength; ++i) {
        if (std::memcmp(tag + i, kDevice, sizeof kDevice - 1) == 0)
            return MachineKind::device;
    }
    return MachineKind::system;
}

DeviceSearch findFirstDevice(const char* const* names, int count, const std::function<MachineKind(int)>& kindOf)
{
    const DeviceSearch none{true, -1}, unknown{false, -1};
    if (count <= 0)
        return none;
    int probe = count - 1;
    for (int i = 1; i < count; ++i) {
        if (std::strcmp(names[i], names[i - 1]) < 0) {
            probe = i;
            break;
        }
    }
    MachineKind kind = kindOf(probe);
    if (kind != MachineKind::device)
        return kind == MachineKind::system ? none : unknown;
    // A device at `device`, a system at `system` (-1: before the first
    // entry): further back by doubling steps, then halving between them.
    int device = probe, system = -1;
    for (int step = 1; device - step >= 0; step *= 2) {
        int at = device - step;
        kind = kindOf(at);
        if (kind == MachineKind::unknown)
            return unknown;
        if (kind == MachineKind::system) {
            system = at;
            break;
        }
        device = at;
    }
    while (device - system > 1) {
        int middle = system + (device - system) / 2;
        kind = kindOf(middle);
        if (kind == MachineKind::unknown)
            return unknown;
        (kind == MachineKind::device ? device : system) = middle;
    }
    return DeviceSearch{true, device};
}
