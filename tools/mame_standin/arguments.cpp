// The stand-in's command line: a game's name and the switches that each kind of emulator knows.
#include "standin.h"

namespace standin {
namespace {

// The kinds that know a switch, as bits: every kind after 2006 refuses the
// sort switches, as MAME does, and only today's knows cheat and plugins.
enum : unsigned {
    k2006 = 1u << static_cast<int>(Kind::of2006),
    kBetween = 1u << static_cast<int>(Kind::between),
    kToday = 1u << static_cast<int>(Kind::today),
    kLater = kBetween | kToday,
    kBeforeToday = k2006 | kBetween,
    kAll = k2006 | kBetween | kToday,
};

// What follows a switch: today's -sound names the sound module, where the
// earlier kinds' is a flag.
enum class Takes { nothing, text, integer, sampleRate, soundModule };

struct Switch {
    const char* name;
    Takes takes;
    unsigned kinds;
    bool Options::*flag;        // set by the switch
    std::string Options::*text; // its value; a switch that takes nothing puts its own name there
    long long Options::*number; // its value
};

constexpr Switch plain(const char* name, unsigned kinds = kAll)
{
    return {name, Takes::nothing, kinds, nullptr, nullptr, nullptr};
}
constexpr Switch flag(const char* name, bool Options::*flag, unsigned kinds = kAll)
{
    return {name, Takes::nothing, kinds, flag, nullptr, nullptr};
}
constexpr Switch named(const char* name, std::string Options::*text, unsigned kinds)
{
    return {name, Takes::nothing, kinds, nullptr, text, nullptr};
}
constexpr Switch text(const char* name, std::string Options::*text = nullptr)
{
    return {name, Takes::text, kAll, nullptr, text, nullptr};
}
constexpr Switch integer(const char* name, long long Options::*number = nullptr, unsigned kinds = kAll)
{
    return {name, Takes::integer, kinds, nullptr, nullptr, number};
}

const Switch kSwitches[] = {
    plain("-hws", kBeforeToday),
    plain("-nohws", kBeforeToday),
    plain("-window"),
    plain("-nowindow"),
    {"-sound", Takes::soundModule, kAll, nullptr, nullptr, nullptr},
    plain("-nosound", kBeforeToday),
    plain("-afs"),
    plain("-noafs"),
    plain("-mouse"),
    plain("-nomouse"),
    plain("-joy"),
    plain("-nojoy"),
    flag("-listfull", &Options::listFull),
    named("-sortname", &Options::sortSwitch, k2006),
    named("-sortdriver", &Options::sortSwitch, k2006),
    {"-sr", Takes::sampleRate, kAll, nullptr, nullptr, nullptr},
    integer("-frameskip"),
    text("-nvram_directory"),
    text("-cfg_directory"),
    text("-input_directory", &Options::inputDirectory),
    text("-record", &Options::record),
    text("-playback", &Options::playback),
    text("-version", &Options::version),
    flag("-showconfig", &Options::showConfig, kLater),
    flag("-verifyroms", &Options::verifyRoms),
    text("-kind"), // read before the rest (readControl)
    flag("-help", &Options::help),
    text("-listxml", &Options::listXml),
    text("-video"),
    plain("-nothrottle"),
    flag("-exit_after_playback", &Options::exitAfterPlayback, kLater),
    integer("-seconds_to_run", &Options::secondsToRun, kLater),
    text("-snapshot_directory", &Options::snapshotDirectory),
    plain("-noplugins", kToday),
    plain("-nocheat", kToday),
};

const Switch* findSwitch(const std::string& name)
{
    for (const Switch& candidate : kSwitches) {
        if (name == candidate.name)
            return &candidate;
    }
    return nullptr;
}

// Today's MAME ends with 6 on a switch it does not know and with 3 on a
// word left over; the stand-in of 2006 with 1 on either.
int takeGame(const std::string& word, Kind kind, Options& options)
{
    if (!options.game.empty())
        return kind != Kind::of2006 ? fail("unknown option: " + word, 3)
                                    : fail("more than one game given: " + options.game + " and " + word);
    if (word.empty())
        return fail("empty game name");
    options.game = word;
    return 0;
}

// The switch at argv[at] and its value, if it takes one; AT moves past what it took.
int takeSwitch(int argc, char** argv, int& at, Kind kind, Options& options)
{
    const std::string arg = argv[at];
    const Switch* found = findSwitch(arg);
    if (!found || !(found->kinds & (1u << static_cast<int>(kind))))
        return fail("unknown option: " + arg, kind != Kind::of2006 ? 6 : 1);

    std::string value;
    if (found->takes != Takes::nothing && (found->takes != Takes::soundModule || kind == Kind::today)) {
        if (at + 1 >= argc)
            return fail("option " + arg + " needs an argument");
        value = argv[++at];
    }
    long long number = 0;
    if (found->takes == Takes::sampleRate &&
        (!parseInteger(value, 0, 1000000, number) || (number != 11025 && number != 22050 && number != 44100)))
        return fail("invalid sample rate for -sr: " + value + " (use 11025, 22050 or 44100)");
    if (found->takes == Takes::integer && !parseInteger(value, -2147483647LL - 1, 2147483647LL, number))
        return fail("invalid number for " + arg + ": " + value);

    if (found->flag)
        options.*found->flag = true;
    if (found->text)
        options.*found->text = found->takes == Takes::nothing ? arg : value;
    if (found->number)
        options.*found->number = number;
    return 0;
}

} // namespace

int parseArguments(int argc, char** argv, const Control& control, Options& options)
{
    for (int at = 1; at < argc; ++at) {
        const char* arg = argv[at];
        int result =
            arg[0] != '-' ? takeGame(arg, control.kind, options) : takeSwitch(argc, argv, at, control.kind, options);
        if (result != 0)
            return result;
    }
    return 0;
}

} // namespace standin
