// Composes the emulator command lines of a game run: play, record or playback.
#include "emulator/command_line.h"

#include "common/bounded_text.h"

#include <cstring>

namespace {

const char* choose(std::int32_t field, const char* on, const char* off)
{
    return field == 1 ? on : off;
}

// The recording named in a -record or -playback switch: by the whole file
// name, or without its extension for an emulator that adds ".inp" itself.
void appendRecordingName(TextBuilder& builder, const char* fileName, const CommandForms& forms)
{
    if (forms.namesAsGiven) {
        appendText(builder, fileName);
        return;
    }
    const char* lastDot = std::strrchr(fileName, '.');
    appendSpan(builder, fileName, lastDot ? static_cast<std::size_t>(lastDot - fileName) : std::strlen(fileName));
}

// A folder goes as it is, unless it holds a blank: the emulator would take
// the rest for another argument, so such a folder goes in quotes, with a
// backslash before the closing quote doubled, as Windows programs read them.
void appendDirectory(TextBuilder& builder, const char* directory)
{
    if (!std::strpbrk(directory, " \t")) {
        appendText(builder, directory);
        return;
    }
    appendText(builder, "\"");
    appendText(builder, directory);
    for (std::size_t i = std::strlen(directory); i > 0 && directory[i - 1] == '\\'; --i)
        appendText(builder, "\\");
    appendText(builder, "\"");
}

// A folder or file name goes in quotes (or as it is): one that a quote
// would break out of, or that is empty, would add, join or drop an
// argument. Windows names hold no quote, and a file name no backslash.
bool isQuotable(const char* text, bool fileName)
{
    return text && *text && !std::strchr(text, '"') && !(fileName && std::strchr(text, '\\'));
}

} // namespace

bool isMameSystemName(const char* name)
{
    std::size_t length = 0;
    for (; name[length] != '\0'; ++length) {
        char c = name[length];
        bool letterOrDigit = (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9');
        if (length == kMostSystemNameLength || !(letterOrDigit || (c == '_' && length > 0)))
            return false;
    }
    return length > 0;
}

bool composeMachineQuestion(char* question, std::size_t size, const char* name)
{
    return isMameSystemName(name) && formatText(question, size, "-listxml %s", name);
}

void appendOptionSwitches(TextBuilder& line, const Settings& options, const CommandForms& forms)
{
    static const char* const sampleRates[] = {" -sr 11025", " -sr 22050", " -sr 44100"};

    if (forms.hardwareStretchSwitch)
        appendText(line, choose(options.hardwareStretch, " -hws", " -nohws"));
    appendText(line, choose(options.windowed, " -window", " -nowindow"));
    if (forms.soundTakesModule)
        appendText(line, choose(options.soundEnabled, " -sound auto", " -sound none"));
    else
        appendText(line, choose(options.soundEnabled, " -sound", " -nosound"));
    int sampleRate = lowHalf(options.sampleRateIndex);
    if (sampleRate >= 0 && sampleRate <= 2)
        appendText(line, sampleRates[sampleRate]);
    char frameskip[80];
    formatText(frameskip, sizeof frameskip, " -frameskip %i", static_cast<int>(lowHalf(options.frameskipLevel)));
    appendText(line, frameskip);
    appendText(line, choose(options.autoFrameskip, " -afs", " -noafs"));
    appendText(line, choose(options.useMouse, " -mouse", " -nomouse"));
    appendText(line, choose(options.useJoystick, " -joy", " -nojoy"));
}

bool composeLaunchLine(char* line, std::size_t size, const LaunchRequest& request)
{
    const bool playback = request.mode == LaunchMode::playback;
    if (!isMameSystemName(request.shortName) ||
        (playback && request.inputDirectory && !isQuotable(request.inputDirectory, false)) ||
        (playback && request.fileName && !isQuotable(request.fileName, true))) {
        copyText(line, size, "");
        return false;
    }
    TextBuilder builder = startText(line, size);
    appendText(builder, request.command);
    appendText(builder, " ");
    appendText(builder, request.shortName);
    appendOptionSwitches(builder, *request.options, request.forms);
    appendText(builder, " ");
    appendText(builder, request.additionalParameters);
    if (request.mode == LaunchMode::play)
        return !builder.overflowed;

    appendText(builder, " -nvram_directory NUL");
    if (request.options->keepCfg == 0)
        appendText(builder, " -cfg_directory NUL");
    // The game's own recording is named after the game.
    char ownRecording[128];
    formatText(ownRecording, sizeof ownRecording, "%s.inp", request.shortName);
    if (request.mode == LaunchMode::record) {
        appendText(builder, " -record \"");
        appendRecordingName(builder, ownRecording, request.forms);
    } else {
        if (request.inputDirectory) {
            appendText(builder, " -input_directory ");
            appendDirectory(builder, request.inputDirectory);
        }
        appendText(builder, " -playback \"");
        appendRecordingName(builder, request.fileName ? request.fileName : ownRecording, request.forms);
    }
    appendText(builder, "\"");
    return !builder.overflowed;
}

bool composeCheckLine(char* line, std::size_t size, const CheckRequest& request)
{
    if (!isMameSystemName(request.shortName) || !isQuotable(request.inputDirectory, false) ||
        !isQuotable(request.fileName, true) ||
        (request.secondsToRun > 0 && !isQuotable(request.snapshotDirectory, false))) {
        copyText(line, size, "");
        return false;
    }
    TextBuilder builder = startText(line, size);
    appendText(builder, request.command);
    appendText(builder, " ");
    appendText(builder, request.shortName);
    appendText(builder, " -input_directory ");
    appendDirectory(builder, request.inputDirectory);
    appendText(builder, " -playback \"");
    appendRecordingName(builder, request.fileName, request.forms);
    appendText(builder, "\" -video none -sound none -nothrottle");
    if (request.secondsToRun > 0) {
        appendFormat(builder, " -seconds_to_run %u -snapshot_directory ", request.secondsToRun);
        appendDirectory(builder, request.snapshotDirectory);
    } else {
        appendText(builder, " -exit_after_playback");
    }
    appendText(builder, " -nvram_directory NUL -cfg_directory NUL");
    if (request.forms.pluginsSwitch)
        appendText(builder, " -noplugins");
    if (request.forms.cheatSwitch)
        appendText(builder, " -nocheat");
    return !builder.overflowed;
}
