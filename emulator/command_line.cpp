// Composes the emulator command lines of a game run: play, record or playback.
#include "emulator/command_line.h"

#include "common/bounded_text.h"

namespace {

const char* choose(std::int32_t field, const char* on, const char* off)
{
    return field == 1 ? on : off;
}

} // namespace

void appendOptionSwitches(TextBuilder& line, const Settings& options)
{
    static const char* const sampleRates[] = {" -sr 11025", " -sr 22050", " -sr 44100"};

    appendText(line, choose(options.hardwareStretch, " -hws", " -nohws"));
    appendText(line, choose(options.windowed, " -window", " -nowindow"));
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
    TextBuilder builder = startText(line, size);
    appendText(builder, request.command);
    appendText(builder, " ");
    appendText(builder, request.shortName);
    appendOptionSwitches(builder, *request.options);
    appendText(builder, " ");
    appendText(builder, request.additionalParameters);
    if (request.mode == LaunchMode::play)
        return !builder.overflowed;

    appendText(builder, " -nvram_directory NUL");
    if (request.options->keepCfg == 0)
        appendText(builder, " -cfg_directory NUL");
    if (request.mode == LaunchMode::record) {
        appendText(builder, " -record \"");
        appendText(builder, request.shortName);
    } else {
        if (request.inputDirectory) {
            appendText(builder, " -input_directory ");
            appendText(builder, request.inputDirectory);
        }
        appendText(builder, " -playback \"");
        appendText(builder, request.fileName ? request.fileName : request.shortName);
    }
    appendText(builder, "\"");
    return !builder.overflowed;
}
