// What the program learns about the command-line forms each emulator version takes.
#include "emulator/emulator_forms.h"

#include "common/ascii.h"
#include "common/text_lines.h"

#include <cstring>

EmulatorForms emulatorForms[kMaxVersions];

namespace {

// A blank of an option's line, or the CR of its CR LF end.
bool isBlank(char c)
{
    return isAsciiBlank(c) || c == '\r';
}

} // namespace

ConfigAnswer readConfigAnswer(const char* text, std::size_t length)
{
    ConfigAnswer answer{false, false, false, false, false};
    bool coreSection = false;
    bool options = false;
    for (std::size_t start = 0; start < length;) {
        const char* line = nullptr;
        std::size_t size = takeLine(text, length, start, line);
        if (startsWith(line, size, "# CORE "))
            coreSection = true;
        if (size == 0 || line[0] == '#' || isBlank(line[0]))
            continue;
        // "name    value": the name, blanks, the value to the line's end.
        std::size_t nameLength = 0;
        while (nameLength < size && !isBlank(line[nameLength]))
            ++nameLength;
        std::size_t valueStart = nameLength;
        while (valueStart < size && isBlank(line[valueStart]))
            ++valueStart;
        std::size_t valueEnd = size;
        while (valueEnd > valueStart && isBlank(line[valueEnd - 1]))
            --valueEnd;
        const char* value = line + valueStart;
        std::size_t valueLength = valueEnd - valueStart;
        options = true;
        if (spanIs(line, nameLength, "hwstretch") || spanIs(line, nameLength, "hws"))
            answer.hardwareStretch = true;
        if (spanIs(line, nameLength, "plugins"))
            answer.plugins = true;
        if (spanIs(line, nameLength, "cheat"))
            answer.cheat = true;
        if (spanIs(line, nameLength, "sound"))
            answer.soundModule =
                valueLength > 0 && !spanIs(value, valueLength, "0") && !spanIs(value, valueLength, "1");
    }
    answer.recognized = coreSection && options;
    if (!answer.recognized)
        answer = ConfigAnswer{false, false, false, false, false};
    return answer;
}

CommandForms commandForms(const EmulatorForms& forms)
{
    CommandForms result;
    if (forms.config.recognized) {
        result.hardwareStretchSwitch = forms.config.hardwareStretch;
        result.soundTakesModule = forms.config.soundModule;
        result.pluginsSwitch = forms.config.plugins;
        result.cheatSwitch = forms.config.cheat;
        result.namesAsGiven = true;
    } else {
        result.namesAsGiven = forms.sortsListing == Learned::no;
    }
    return result;
}
