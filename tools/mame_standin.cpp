// A stand-in for the MAME emulator: a console program that takes its switches, lists games and "runs" one.
//
// Everything is relative to the working directory. Files a test may put there:
//   standin-games.txt    shortname<TAB>driver<TAB>description per line ('#' lines and empty lines skipped);
//                        without it a built-in list of classic games is used; a driver "(device)"
//                        makes the line a device, which only kind=today lists, after its systems
//   standin-listing.txt  when present, -listfull prints exactly these bytes instead
//   standin-console.txt  when present, a game run prints exactly these bytes after its own lines
//   standin-control.txt  key=value lines: exit_code=N, run_ms=N, listing_ms=N, slow_ms=N (a
//                        recording's frames from N ms on carry 80% for 2 s, else 100%),
//                        back_ms=N (from N ms on their time reads a second less, as after
//                        a loaded state), sort_needed=1 (a
//                        -listfull without -sortname or -sortdriver lists nothing and ends with
//                        exit code 1), and kind=K (or the
//                        switch -kind K, which a versions.ini can give one version), the
//                        emulator of which years to stand for:
//                        2006     (the default) as MAME 0.106: -listfull sorts by -sortname or
//                                 -sortdriver, recordings are named NAME.inp for NAME and begin
//                                 with the game's name, -showconfig is unknown
//                        between  no sort switches, -listfull lists by short name, recordings
//                                 are named as given, -showconfig answers with the core options,
//                                 still with -hws (a Windows build with DirectDraw) and -sound as
//                                 a switch
//                        today    as MAME 0.251: the same, without -hws, with cheat and plugins
//                                 (-nocheat, -noplugins), with -sound taking a
//                                 sound module and recordings that begin with "MAMEINP"; -listfull
//                                 lists its systems by short name, then its devices in its own order
//                        found=NAME NAME...  the sets -verifyroms finds (none without it);
//                        audit=K  its words: today (the default after 2006: "romset NAME is good"
//                                 and the closing count), 2006 (the same, with its progress on
//                                 standard error; the default of kind 2006) or oldest
//                                 ("NAME correct", no count); audit_ms=N: it looks that long first
//                        help=K   how -help answers: banner (the default: the banner of the
//                                 kind's MAME, its version from -version), none (usage without a
//                                 banner), crash (ends with an access violation), hang (never ends),
//                                 flood (prints without end)
//   Checks of recordings (kind between and today): -playback with -exit_after_playback (ends at the
//   recording's end) or -seconds_to_run N (ends at N emulated seconds, saving a picture in the
//   -snapshot_directory), -video none, -sound none and -nothrottle: the run reports as MAME 0.251
//   does, from today's recordings, which hold a zlib stream of frames of 24 bytes (one port)
//   (check_error=TEXT in the control file ends a check with "Fatal error: TEXT" instead);
//   -listxml NAME answers with the machine's first element, isdevice="yes" for a device, its one
//   <port> or, with ports=none in the control file, only the <input> of older listings; from a
//   standin-listing.txt, the entries from its first line that sorts below the one before are devices
// With "-launcher" as its first argument it starts itself again with the rest of its line and
// waits, as a launcher does: its own run writes nothing.
// and one it writes:
//   standin-calls.txt    every invocation appends its GetCommandLineA() text and "\r\n"
//   standin-checks.txt   every check's run appends "start T" as it begins and "end T" as it ends,
//                        T the system's tick count in milliseconds
#include <windows.h>

#include <fcntl.h>
#include <io.h>
#include <zlib.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

const char kGamesFile[] = "standin-games.txt";
const char kListingFile[] = "standin-listing.txt";
const char kConsoleFile[] = "standin-console.txt";
const char kControlFile[] = "standin-control.txt";
const char kCallsFile[] = "standin-calls.txt";
const char kChecksFile[] = "standin-checks.txt";

struct Game {
    std::string name;
    std::string driver;
    std::string description;
};

const Game kBuiltInGames[] = {
    {"pacman", "pacman.c", "Pac-Man (Midway)"},
    {"mspacman", "pacman.c", "Ms. Pac-Man"},
    {"puckman", "pacman.c", "PuckMan (Japan set 1)"},
    {"galaga", "galaga.c", "Galaga (Namco rev. B)"},
    {"digdug", "galaga.c", "Dig Dug (rev 2)"},
    {"xevious", "galaga.c", "Xevious (Namco)"},
    {"dkong", "dkong.c", "Donkey Kong (US set 1)"},
    {"dkongjr", "dkong.c", "Donkey Kong Junior (US)"},
    {"robotron", "williams.c", "Robotron (Solid Blue label)"},
    {"defender", "williams.c", "Defender (Red label)"},
    {"joust", "williams.c", "Joust (White/Green label)"},
    {"1942", "1942.c", "1942 (Revision B)"},
    {"1943", "1943.c", "1943: The Battle of Midway (US)"},
    {"frogger", "frogger.c", "Frogger"},
    {"qbert", "gottlieb.c", "Q*bert (US set 1)"},
    {"tempest", "tempest.c", "Tempest (rev 3)"},
    {"asteroid", "asteroid.c", "Asteroids (rev 2)"},
    {"missile", "missile.c", "Missile Command (set 1)"},
    {"centiped", "centiped.c", "Centipede (revision 3)"},
    {"bublbobl", "bublbobl.c", "Bubble Bobble"},
    {"sf2", "cps1.c", "Street Fighter II - The World Warrior (World 910522)"},
    {"mk", "midtunit.c", "Mortal Kombat (rev 5.0 T-Unit 03/19/93)"},
    {"ddragon", "ddragon.c", "Double Dragon (Japan)"},
    {"gauntlet", "gauntlet.c", "Gauntlet (rev 14)"},
    {"outrun", "segaorun.c", "Out Run (set 1)"},
    // Devices in build order, as today's MAME lists them after its systems:
    // the first sorts after the last system.
    {"z80", "(device)", "Zilog Z80"},
    {"ym2151", "(device)", "Yamaha YM2151 OPM"},
    {"dac_1bit", "(device)", "1-Bit DAC"},
    {"gfxdecode", "(device)", "gfxdecode"},
};

const char kDeviceDriver[] = "(device)";

struct Options {
    std::string game;
    std::string version; // of the kind's MAME when not given
    std::string inputDirectory;
    std::string record;
    std::string playback;
    bool haveInputDirectory = false;
    bool listFull = false;
    bool sortByDriver = false;
    bool sortSwitch = false;
    bool showConfig = false;
    bool verifyRoms = false;
    bool help = false;
    std::string listXml;
    bool exitAfterPlayback = false;
    long long secondsToRun = -1;
    std::string snapshotDirectory;
};

enum class Kind { of2006, between, today };
enum class Help { banner, none, crash, hang, flood };
enum class AuditWords { byKind, today, of2006, oldest };

struct Control {
    long long exitCode = 0;
    DWORD runMs = 300;
    DWORD listingMs = 0;
    bool sortNeeded = false;
    bool portsListed = true;
    std::string checkError; // a check ends with "Fatal error: " and this
    Kind kind = Kind::of2006;
    Help help = Help::banner;
    std::vector<std::string> found; // what -verifyroms finds
    AuditWords auditWords = AuditWords::byKind;
    DWORD auditMs = 0;
    DWORD frameMs = 0;                  // a check lasts run_ms and this long for each frame more
    long long slowMs = -1, backMs = -1; // a recording's slow play and time back, -1 for none
};

// The front-end reads these logs line by line while we run, so each call is one
// whole append and the file is shared for reading and for other writers.
void appendLine(const char* fileName, std::string line)
{
    line += "\r\n";
    for (int attempt = 0; attempt < 50; ++attempt) {
        HANDLE file = CreateFileA(fileName, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file != INVALID_HANDLE_VALUE) {
            DWORD written = 0;
            WriteFile(file, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
            CloseHandle(file);
            return;
        }
        if (GetLastError() != ERROR_SHARING_VIOLATION)
            break;
        Sleep(10);
    }
    std::fprintf(stderr, "Warning: could not append to %s\n", fileName);
}

void logCommandLine()
{
    appendLine(kCallsFile, GetCommandLineA());
}

// A check's run, "start" or "end" and the system's tick count, so that a
// test can see how many ran at once.
void logCheckRun(const char* what)
{
    appendLine(kChecksFile, std::string(what) + " " + std::to_string(GetTickCount()));
}

// Whole file in binary; false when it cannot be opened.
bool readFile(const std::string& path, std::string& contents)
{
    FILE* file = std::fopen(path.c_str(), "rb");
    if (!file)
        return false;
    contents.clear();
    char chunk[65536];
    size_t got;
    while ((got = std::fread(chunk, 1, sizeof chunk, file)) > 0)
        contents.append(chunk, got);
    bool ok = !std::ferror(file);
    std::fclose(file);
    return ok;
}

std::vector<std::string> splitLines(const std::string& text)
{
    std::vector<std::string> lines;
    size_t start = 0;
    // A UTF-8 mark from a text editor is not part of the first line.
    if (text.compare(0, 3, "\xEF\xBB\xBF") == 0)
        start = 3;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        std::string line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        lines.push_back(line);
        start = end + 1;
    }
    return lines;
}

std::string trim(const std::string& text)
{
    const char* blanks = " \t\r\n";
    size_t first = text.find_first_not_of(blanks);
    if (first == std::string::npos)
        return std::string();
    size_t last = text.find_last_not_of(blanks);
    return text.substr(first, last - first + 1);
}

// Whole text as a decimal integer within [low, high]; no partial matches.
bool parseInteger(const std::string& text, long long low, long long high, long long& value)
{
    if (text.empty())
        return false;
    const char* begin = text.c_str();
    char* end = nullptr;
    errno = 0;
    long long parsed = std::strtoll(begin, &end, 10);
    if (errno == ERANGE || end == begin || *end != '\0' || parsed < low || parsed > high)
        return false;
    // strtoll skips leading blanks; an argument with them is not a plain number.
    if (begin[0] == ' ' || begin[0] == '\t')
        return false;
    value = parsed;
    return true;
}

bool parseKind(const std::string& text, Kind& kind)
{
    if (text == "2006")
        kind = Kind::of2006;
    else if (text == "between")
        kind = Kind::between;
    else if (text == "today")
        kind = Kind::today;
    else
        return false;
    return true;
}

void readControlFile(Control& control)
{
    std::string text;
    if (!readFile(kControlFile, text))
        return;
    for (const std::string& rawLine : splitLines(text)) {
        std::string line = trim(rawLine);
        if (line.empty() || line[0] == '#')
            continue;
        size_t equals = line.find('=');
        if (equals == std::string::npos) {
            std::fprintf(stderr, "Warning: %s: ignoring line without '='\n", kControlFile);
            continue;
        }
        std::string key = trim(line.substr(0, equals));
        std::string valueText = trim(line.substr(equals + 1));
        long long value = 0;
        if (key == "exit_code") {
            // Up to 0xFFFFFFFF so a test can fake a crash status such as 0xC0000005.
            if (parseInteger(valueText, -2147483647LL - 1, 4294967295LL, value))
                control.exitCode = value;
            else
                std::fprintf(stderr, "Warning: %s: bad exit_code\n", kControlFile);
        } else if (key == "kind") {
            Kind kind = Kind::of2006;
            if (parseKind(valueText, kind))
                control.kind = kind;
            else
                std::fprintf(stderr, "Warning: %s: kind is 2006, between or today\n", kControlFile);
        } else if (key == "help") {
            const char* const names[] = {"banner", "none", "crash", "hang", "flood"};
            bool known = false;
            for (int i = 0; i < 5; ++i) {
                if (valueText == names[i]) {
                    control.help = static_cast<Help>(i);
                    known = true;
                }
            }
            if (!known)
                std::fprintf(stderr, "Warning: %s: help is banner, none, crash, hang or flood\n", kControlFile);
        } else if (key == "sort_needed") {
            control.sortNeeded = valueText == "1";
        } else if (key == "check_error") {
            control.checkError = valueText;
        } else if (key == "ports") {
            control.portsListed = valueText != "none";
        } else if (key == "found") {
            control.found.clear();
            std::string rest = valueText + " ";
            for (size_t at = 0, end; (end = rest.find(' ', at)) != std::string::npos; at = end + 1) {
                if (end > at)
                    control.found.push_back(rest.substr(at, end - at));
            }
        } else if (key == "audit") {
            if (valueText == "today")
                control.auditWords = AuditWords::today;
            else if (valueText == "2006")
                control.auditWords = AuditWords::of2006;
            else if (valueText == "oldest")
                control.auditWords = AuditWords::oldest;
            else
                std::fprintf(stderr, "Warning: %s: audit is today, 2006 or oldest\n", kControlFile);
        } else if (key == "slow_ms" || key == "back_ms") {
            if (parseInteger(valueText, 0, 0xFFFFFFFELL, value))
                (key == "slow_ms" ? control.slowMs : control.backMs) = value;
            else
                std::fprintf(stderr, "Warning: %s: bad %s\n", kControlFile, key.c_str());
        } else if (key == "frame_ms") {
            if (parseInteger(valueText, 0, 60000, value))
                control.frameMs = static_cast<DWORD>(value);
            else
                std::fprintf(stderr, "Warning: %s: bad frame_ms\n", kControlFile);
        } else if (key == "audit_ms") {
            if (parseInteger(valueText, 0, 0xFFFFFFFELL, value))
                control.auditMs = static_cast<DWORD>(value);
            else
                std::fprintf(stderr, "Warning: %s: bad audit_ms\n", kControlFile);
        } else if (key == "run_ms" || key == "listing_ms") {
            // INFINITE (0xFFFFFFFF) is kept out: a test wants a long run, not a hang.
            if (parseInteger(valueText, 0, 0xFFFFFFFELL, value))
                (key == "run_ms" ? control.runMs : control.listingMs) = static_cast<DWORD>(value);
            else
                std::fprintf(stderr, "Warning: %s: bad %s\n", kControlFile, key.c_str());
        } else {
            std::fprintf(stderr, "Warning: %s: unknown key %s\n", kControlFile, key.c_str());
        }
    }
}

Control readControl(int argc, char** argv)
{
    Control control;
    readControlFile(control);
    // The switch wins over the file.
    for (int i = 1; i + 1 < argc; ++i) {
        if (std::string(argv[i]) == "-kind" && !parseKind(argv[i + 1], control.kind))
            std::fprintf(stderr, "Warning: -kind is 2006, between or today\n");
    }
    return control;
}

std::vector<Game> readGames()
{
    std::string text;
    if (!readFile(kGamesFile, text))
        return std::vector<Game>(std::begin(kBuiltInGames), std::end(kBuiltInGames));
    std::vector<Game> games;
    for (const std::string& line : splitLines(text)) {
        if (line.empty() || line[0] == '#')
            continue;
        // Missing fields are empty, so a test can list a game without a description.
        Game game;
        size_t tab1 = line.find('\t');
        game.name = line.substr(0, tab1);
        if (tab1 != std::string::npos) {
            size_t tab2 = line.find('\t', tab1 + 1);
            game.driver = line.substr(tab1 + 1, tab2 == std::string::npos ? std::string::npos : tab2 - tab1 - 1);
            if (tab2 != std::string::npos)
                game.description = line.substr(tab2 + 1);
        }
        games.push_back(game);
    }
    return games;
}

// Today's MAME ends with 6 on a switch it does not know and with 3 on a
// word left over; the stand-in of 2006 with 1 on either.
int fail(const std::string& message, int exitCode = 1)
{
    std::fprintf(stderr, "Error: %s\n", message.c_str());
    return exitCode;
}

// Returns 0 when the command line is good, else the exit code after reporting it.
int parseArguments(int argc, char** argv, const Control& control, Options& options)
{
    // Every kind after 2006 refuses the sort switches, as MAME does.
    const bool later = control.kind != Kind::of2006;
    const bool today = control.kind == Kind::today;
    enum Kind { Flag, Text, Integer, SampleRate };
    struct Switch {
        const char* name;
        Kind kind;
    };
    static const Switch kSwitches[] = {
        {"-hws", Flag},
        {"-nohws", Flag},
        {"-window", Flag},
        {"-nowindow", Flag},
        {"-sound", Flag},
        {"-nosound", Flag},
        {"-afs", Flag},
        {"-noafs", Flag},
        {"-mouse", Flag},
        {"-nomouse", Flag},
        {"-joy", Flag},
        {"-nojoy", Flag},
        {"-listfull", Flag},
        {"-sortname", Flag},
        {"-sortdriver", Flag},
        {"-sr", SampleRate},
        {"-frameskip", Integer},
        {"-nvram_directory", Text},
        {"-cfg_directory", Text},
        {"-input_directory", Text},
        {"-record", Text},
        {"-playback", Text},
        {"-version", Text},
        {"-showconfig", Flag},
        {"-verifyroms", Flag},
        {"-kind", Text},
        {"-help", Flag},
        {"-listxml", Text},
        {"-video", Text},
        {"-nothrottle", Flag},
        {"-exit_after_playback", Flag},
        {"-seconds_to_run", Integer},
        {"-snapshot_directory", Text},
        {"-noplugins", Flag},
        {"-nocheat", Flag},
    };
    auto refused = [&](const std::string& arg) {
        if (arg == "-sortname" || arg == "-sortdriver")
            return later;
        if (arg == "-hws" || arg == "-nohws" || arg == "-nosound")
            return today;
        if (arg == "-noplugins" || arg == "-nocheat")
            return !today;
        if (arg == "-exit_after_playback" || arg == "-seconds_to_run")
            return !later;
        return arg == "-showconfig" && !later;
    };

    bool haveGame = false;
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        if (arg.empty() || arg[0] != '-') {
            if (haveGame)
                return later ? fail("unknown option: " + arg, 3)
                             : fail("more than one game given: " + options.game + " and " + arg);
            if (arg.empty())
                return fail("empty game name");
            options.game = arg;
            haveGame = true;
            continue;
        }
        const Switch* found = nullptr;
        for (const Switch& candidate : kSwitches) {
            if (arg == candidate.name) {
                found = &candidate;
                break;
            }
        }
        if (!found || refused(arg))
            return fail("unknown option: " + arg, later ? 6 : 1);

        std::string value;
        // Today's -sound names the sound module.
        if (found->kind != Flag || (today && arg == "-sound")) {
            if (i + 1 >= argc)
                return fail("option " + arg + " needs an argument");
            value = argv[++i];
        }
        long long number = 0;
        switch (found->kind) {
        case Flag:
            if (arg == "-listfull")
                options.listFull = true;
            else if (arg == "-sortname" || arg == "-sortdriver") {
                options.sortByDriver = arg == "-sortdriver";
                options.sortSwitch = true;
            } else if (arg == "-showconfig")
                options.showConfig = true;
            else if (arg == "-verifyroms")
                options.verifyRoms = true;
            else if (arg == "-help")
                options.help = true;
            else if (arg == "-exit_after_playback")
                options.exitAfterPlayback = true;
            break;
        case SampleRate:
            if (!parseInteger(value, 0, 1000000, number) || (number != 11025 && number != 22050 && number != 44100))
                return fail("invalid sample rate for -sr: " + value + " (use 11025, 22050 or 44100)");
            break;
        case Integer:
            if (!parseInteger(value, -2147483647LL - 1, 2147483647LL, number))
                return fail("invalid number for " + arg + ": " + value);
            if (arg == "-seconds_to_run")
                options.secondsToRun = number;
            break;
        case Text:
            if (arg == "-input_directory") {
                options.inputDirectory = value;
                options.haveInputDirectory = true;
            } else if (arg == "-record") {
                options.record = value;
            } else if (arg == "-playback") {
                options.playback = value;
            } else if (arg == "-version") {
                options.version = value;
            } else if (arg == "-listxml") {
                options.listXml = value;
            } else if (arg == "-snapshot_directory") {
                options.snapshotDirectory = value;
            }
            break;
        }
    }
    return 0;
}

void writeAll(FILE* stream, const std::string& bytes)
{
    if (!bytes.empty())
        std::fwrite(bytes.data(), 1, bytes.size(), stream);
    std::fflush(stream);
}

int listGames(const Options& options, const Control& control)
{
    if (control.listingMs > 0)
        Sleep(control.listingMs);
    if (control.sortNeeded && !options.sortSwitch)
        return fail("-listfull needs -sortname or -sortdriver");

    std::string raw;
    if (readFile(kListingFile, raw)) {
        writeAll(stdout, raw);
        return 0;
    }

    std::vector<Game> games, devices;
    for (const Game& game : readGames())
        (game.driver == kDeviceDriver ? devices : games).push_back(game);
    if (control.kind != Kind::of2006) {
        // Later MAMEs list by short name, in columns of 18; today's lists its
        // devices after its systems, in its own order.
        std::stable_sort(games.begin(), games.end(), [](const Game& a, const Game& b) { return a.name < b.name; });
        if (control.kind == Kind::today)
            games.insert(games.end(), devices.begin(), devices.end());
        std::string out = "Name:             Description:\n";
        for (const Game& game : games) {
            out += game.name;
            out.append(game.name.size() < 18 ? 18 - game.name.size() : 1, ' ');
            out += "\"" + game.description + "\"\n";
        }
        writeAll(stdout, out);
        return 0;
    }
    if (options.sortByDriver) {
        std::stable_sort(games.begin(), games.end(), [](const Game& a, const Game& b) {
            int byDriver = a.driver.compare(b.driver);
            return byDriver != 0 ? byDriver < 0 : a.name < b.name;
        });
    } else {
        std::stable_sort(games.begin(), games.end(), [](const Game& a, const Game& b) { return a.name < b.name; });
    }

    // One buffer and one write: a benchmark times this with thousands of games.
    std::string out = "Name:     Description:\n";
    size_t needed = out.size();
    for (const Game& game : games)
        needed += std::max<size_t>(game.name.size() + 1, 10) + game.description.size() + 3;
    out.reserve(needed);
    for (const Game& game : games) {
        out += game.name;
        out.append(game.name.size() < 10 ? 10 - game.name.size() : 1, ' ');
        out += '"';
        out += game.description;
        out += "\"\n";
    }
    writeAll(stdout, out);
    return 0;
}

// The banner each kind's MAME prints first for -help, then some of its usage.
int showHelp(const Options& options, const Control& control)
{
    std::fflush(stdout);
    switch (control.help) {
    case Help::banner: break;
    case Help::none: std::printf("Usage: mame-standin [options] gamename\n"); return 0;
    case Help::crash: ExitProcess(0xC0000005u);
    case Help::hang: Sleep(INFINITE); return 0;
    case Help::flood:
        for (;;)
            std::printf("MAME v0.251 (mame0251) - Multiple Arcade Machine Emulator, and more of it\n");
    }
    const char* v = options.version.c_str();
    switch (control.kind) {
    case Kind::of2006:
        std::printf(
            "M.A.M.E. v%s (May 14 2006) - Multiple Arcade Machine Emulator\n"
            "Copyright (C) 1997-2006 by Nicola Salmoria and the MAME Team\n\n",
            v);
        break;
    case Kind::between:
        std::printf("MAME v%s (Feb 24 2016)\nCopyright Nicola Salmoria and the MAME team\n\n", v);
        break;
    case Kind::today: std::printf("MAME v%s (mame0251)\nCopyright MAMEdev and contributors\n\n", v); break;
    }
    std::printf("Usage:  mame-standin [machine] [media] [software] [options]\n");
    return 0;
}

// The first element of -listxml NAME; an unknown name is refused as MAME does.
int showMachine(const Options& options, const Control& control)
{
    bool found = false, device = false;
    std::string raw;
    if (readFile(kListingFile, raw)) {
        // From a verbatim listing, devices begin where its order first breaks.
        std::string previous;
        for (const std::string& line : splitLines(raw)) {
            std::size_t quote = line.find('"');
            if (quote == std::string::npos)
                continue;
            std::string name = trim(line.substr(0, quote));
            device = device || (!previous.empty() && name < previous);
            previous = name;
            if (name == options.listXml) {
                found = true;
                break;
            }
        }
    } else {
        for (const Game& game : readGames()) {
            if (game.name == options.listXml && (game.driver != kDeviceDriver || control.kind == Kind::today)) {
                found = true;
                device = game.driver == kDeviceDriver;
                break;
            }
        }
    }
    if (!found) {
        std::fprintf(stderr, "No matching machines found for '%s'\n", options.listXml.c_str());
        return 5;
    }
    const char* element = control.kind == Kind::of2006 ? "game" : "machine";
    std::printf(
        "<?xml version=\"1.0\"?>\n<!DOCTYPE mame [\n<!ELEMENT mame (%s+)>\n]>\n\n<mame build=\"%s\">\n"
        "\t<%s name=\"%s\" sourcefile=\"standin.cpp\"%s>\n\t\t<input players=\"1\" coins=\"1\"/>\n%s"
        "\t</%s>\n</mame>\n",
        element, options.version.c_str(), element, options.listXml.c_str(),
        device ? " isdevice=\"yes\" runnable=\"no\"" : "",
        control.portsListed ? "\t\t<port tag=\":IN0\">\n\t\t</port>\n" : "", element);
    return 0;
}

// The audit of the ROMs: the sets of "found=", in the words of the era.
int verifyRoms(const Control& control)
{
    if (control.auditMs > 0)
        Sleep(control.auditMs);
    AuditWords words = control.auditWords;
    if (words == AuditWords::byKind)
        words = control.kind == Kind::of2006 ? AuditWords::of2006 : AuditWords::today;
    std::string out;
    for (size_t i = 0; i < control.found.size(); ++i) {
        if (words == AuditWords::of2006)
            std::fprintf(stderr, "%u%%\r", static_cast<unsigned>(100 * (i + 1) / control.found.size()));
        out += words == AuditWords::oldest ? control.found[i] + "    correct\n"
                                           : "romset " + control.found[i] + " is good\n";
    }
    if (words != AuditWords::oldest)
        out += std::to_string(control.found.size()) + " romsets found, " + std::to_string(control.found.size()) +
               " were OK.\n";
    writeAll(stdout, out);
    return 0;
}

// The core options as the emulators after 2006 list them, with their values.
int showConfig(const Control& control)
{
    std::string out =
        "#\n# CORE CONFIGURATION OPTIONS\n#\nreadconfig                1\nwriteconfig               0\n\n"
        "#\n# CORE SEARCH PATH OPTIONS\n#\nrompath                   roms\n\n"
        "#\n# CORE OUTPUT DIRECTORY OPTIONS\n#\ncfg_directory             cfg\n"
        "nvram_directory           nvram\ninput_directory           inp\n\n"
        "#\n# CORE STATE/PLAYBACK OPTIONS\n#\nplayback                  \nrecord                    \n\n"
        "#\n# CORE PERFORMANCE OPTIONS\n#\nautoframeskip             0\nframeskip                 0\n\n"
        "#\n# CORE SOUND OPTIONS\n#\nsamplerate                48000\n\n";
    if (control.kind == Kind::today) {
        out += "#\n# CORE MISC OPTIONS\n#\ncheat                     0\n\n";
        out += "#\n# SCRIPTING OPTIONS\n#\nplugins                   1\n\n";
        out += "#\n# OSD SOUND OPTIONS\n#\nsound                     auto\n";
    } else {
        out += "#\n# WINDOWS VIDEO OPTIONS\n#\nhwstretch                 1\n\n";
        out += "#\n# CORE SOUND OPTIONS\n#\nsound                     1\n";
    }
    writeAll(stdout, out);
    return 0;
}

bool isSeparator(char c)
{
    return c == '\\' || c == '/';
}

// The recording's path: the input directory joined with the name. A MAME of
// 2006 adds ".inp", and a name may hold dots of its own ("best.run" is the
// file "best.run.inp"); later emulators take the name as given.
std::string recordingPath(const Options& options, const Control& control, const std::string& name)
{
    std::string directory = options.haveInputDirectory ? options.inputDirectory : "inp";
    std::string file = control.kind == Kind::of2006 ? name + ".inp" : name;
    if (directory.empty())
        return file;
    if (!isSeparator(directory.back()))
        directory += '\\';
    return directory + file;
}

// Creates every missing directory along PATH; true when it exists at the end.
bool createDirectories(const std::string& path)
{
    for (size_t i = 1; i <= path.size(); ++i) {
        if (i < path.size() && !isSeparator(path[i]))
            continue;
        std::string prefix = path.substr(0, i);
        // Skip drive roots such as "C:" and the leading separators of UNC or rooted paths.
        if (prefix.empty() || isSeparator(prefix.back()) || (prefix.size() == 2 && prefix[1] == ':'))
            continue;
        // Failures along the way (a UNC server name, say) don't matter; only the end result does.
        CreateDirectoryA(prefix.c_str(), nullptr);
    }
    DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// The first 8 bytes of a recording: the game's short name, zero padded or cut.
std::string recordingHeader(const std::string& game)
{
    std::string header = game.substr(0, 8);
    header.resize(8, '\0');
    return header;
}

// Today's head: the mark, the time, the format's version 3.0, the game's
// short name in bytes 20 to 31 and the emulator that made it in 32 to 63.
std::string todaysRecordingHeader(const Options& options)
{
    std::string header("MAMEINP\0", 8);
    header += std::string("\xd6\xd0\x17\x6b\0\0\0\0\x03\0\0\0", 12);
    std::string game = options.game.substr(0, 12);
    game.resize(12, '\0');
    std::string made = "MAME " + options.version + " (stand-in)";
    made.resize(32, '\0');
    return header + game + made;
}

// Today's frames: 16 bytes of time and speed and 8 for the one port, 60 a
// second for as long as the run lasts, one zlib stream. Their speed is
// 100% (1 << 20) but where slow_ms makes it 80%.
const std::size_t kFrameBytes = 24;

std::string todaysFrames(const Control& control)
{
    std::size_t count = control.runMs * 60 / 1000 + 1;
    std::string frames(count * kFrameBytes, '\0');
    for (std::size_t i = 0; i < count; ++i) {
        const long long ms = static_cast<long long>(i) * 1000 / 60;
        const std::size_t shown = control.backMs >= 0 && ms >= control.backMs && i >= 60 ? i - 60 : i;
        std::int32_t seconds = static_cast<std::int32_t>(shown / 60);
        std::int64_t attoseconds = static_cast<std::int64_t>(shown % 60) * 16666666666666667LL;
        std::uint32_t speed = control.slowMs >= 0 && ms >= control.slowMs && ms < control.slowMs + 2000
                                  ? (1u << 20) * 4 / 5 + 1
                                  : 1u << 20;
        std::memcpy(&frames[i * kFrameBytes], &seconds, 4);
        std::memcpy(&frames[i * kFrameBytes + 4], &attoseconds, 8);
        std::memcpy(&frames[i * kFrameBytes + 12], &speed, 4);
        frames[i * kFrameBytes + 16] = static_cast<char>(i);
    }
    uLongf size = compressBound(static_cast<uLong>(frames.size()));
    std::string packed(size, '\0');
    compress(reinterpret_cast<Bytef*>(&packed[0]), &size, reinterpret_cast<const Bytef*>(frames.data()),
             static_cast<uLong>(frames.size()));
    packed.resize(size);
    return packed;
}

// The frames of a recording's zlib stream, whole or cut: as many whole
// frames as it inflates to.
std::size_t countFrames(const std::string& stream)
{
    z_stream z{};
    inflateInit(&z);
    z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(stream.data()));
    z.avail_in = static_cast<uInt>(stream.size());
    std::size_t total = 0;
    unsigned char out[16384];
    int result = Z_OK;
    while (result == Z_OK) {
        z.next_out = out;
        z.avail_out = sizeof out;
        result = inflate(&z, Z_NO_FLUSH);
        total += sizeof out - z.avail_out;
        if (z.avail_out != 0 && z.avail_in == 0)
            break;
    }
    inflateEnd(&z);
    return total / kFrameBytes;
}

std::string bigEndian(std::uint32_t value)
{
    return std::string{static_cast<char>(value >> 24), static_cast<char>(value >> 16), static_cast<char>(value >> 8),
                       static_cast<char>(value)};
}

std::string pngChunk(const char* type, const std::string& body)
{
    std::string typed = std::string(type, 4) + body;
    return bigEndian(static_cast<std::uint32_t>(body.size())) + typed +
           bigEndian(static_cast<std::uint32_t>(
               crc32(0, reinterpret_cast<const Bytef*>(typed.data()), static_cast<uInt>(typed.size()))));
}

// A picture of the last frame, as MAME saves one: an 8-bit RGB PNG.
bool writeSnapshot(const std::string& path, std::uint32_t width, std::uint32_t height)
{
    std::string rows;
    for (std::uint32_t y = 0; y < height; ++y) {
        rows += '\0';
        for (std::uint32_t x = 0; x < width; ++x)
            rows += std::string{static_cast<char>(x * 4), static_cast<char>(y * 4), static_cast<char>(128)};
    }
    uLongf size = compressBound(static_cast<uLong>(rows.size()));
    std::string packed(size, '\0');
    compress(reinterpret_cast<Bytef*>(&packed[0]), &size, reinterpret_cast<const Bytef*>(rows.data()),
             static_cast<uLong>(rows.size()));
    packed.resize(size);
    std::string header = bigEndian(width) + bigEndian(height) + std::string("\x08\x02\0\0\0", 5);
    std::string png = std::string("\x89PNG\r\n\x1a\n", 8) + pngChunk("IHDR", header) + pngChunk("IDAT", packed) +
                      pngChunk("IEND", "");
    FILE* file = std::fopen(path.c_str(), "wb");
    bool ok = file && std::fwrite(png.data(), 1, png.size(), file) == png.size();
    return file && std::fclose(file) == 0 && ok;
}

// A check of a recording, as MAME 0.251 reports one: played without a
// screen to the recording's end, or to -seconds_to_run with a picture.
int checkRecording(const Options& options, const std::string& data)
{
    if (data.size() < 64 || data.compare(0, 8, std::string("MAMEINP\0", 8)) != 0) {
        std::fprintf(stderr, "Fatal error: Input file is corrupt or invalid (missing header)\n");
        return 3;
    }
    std::printf("Input file: %s\nINP version %d.%d\nCreated Tue Dec  8 20:31:53 2026\n\nRecorded using %.32s\n",
                options.playback.c_str(), data[16], data[17], data.c_str() + 32);
    std::size_t frames = countFrames(data.substr(64));
    std::printf("Total playback frames: %u\nAverage recorded speed: 100%%\n", static_cast<unsigned>(frames));
    if (options.secondsToRun > 0 && !options.snapshotDirectory.empty()) {
        std::string folder = options.snapshotDirectory + "\\" + options.game;
        if (!createDirectories(folder) || !writeSnapshot(folder + "\\0000.png", 64, 48))
            std::fprintf(stderr, "Warning: could not save a snapshot in %s\n", folder.c_str());
    }
    if (options.exitAfterPlayback)
        std::printf("Exiting MAME now...\n");
    return 0;
}

int writeRecording(const Options& options, const Control& control, const std::string& path)
{
    // The folder holding the file, so a NAME with folders of its own works too.
    size_t lastSeparator = path.find_last_of("\\/");
    std::string directory = lastSeparator == std::string::npos ? std::string() : path.substr(0, lastSeparator);
    if (!directory.empty() && !createDirectories(directory)) {
        std::fprintf(stderr, "Couldn't create input directory %s\n", directory.c_str());
        return 2;
    }
    std::string data = control.kind == Kind::today ? todaysRecordingHeader(options) + todaysFrames(control)
                                                   : recordingHeader(options.game);
    for (int i = 0; i < 64 && control.kind != Kind::today; ++i)
        data += static_cast<char>((i * 37 + 11) & 0xFF);
    FILE* file = std::fopen(path.c_str(), "wb");
    bool ok = file && std::fwrite(data.data(), 1, data.size(), file) == data.size();
    if (file && std::fclose(file) != 0)
        ok = false;
    if (!ok) {
        std::fprintf(stderr, "Couldn't create recording file %s\n", path.c_str());
        return 2;
    }
    std::printf("Recording to %s\n", path.c_str());
    return 0;
}

int checkPlayback(const Options& options, const Control& control, const std::string& path)
{
    std::string data;
    if (!readFile(path, data)) {
        if (control.kind != Kind::of2006) {
            // Today's words; a MAME ends so when its input file is missing.
            std::printf("Ignoring MAME exception: Input file %s not found\n", options.playback.c_str());
            std::fprintf(stderr, "Fatal error: Input file %s not found\n", options.playback.c_str());
            return 3;
        }
        std::fprintf(stderr, "Couldn't open playback file %s\n", path.c_str());
        return 2;
    }
    std::string expected =
        control.kind == Kind::today ? todaysRecordingHeader(options).substr(20, 12) : recordingHeader(options.game);
    std::size_t at = control.kind == Kind::today ? 20 : 0;
    if (data.size() < at + expected.size() || data.compare(at, expected.size(), expected) != 0)
        std::fprintf(stderr, "Warning: playback file %s was not recorded for %s\n", path.c_str(), options.game.c_str());
    std::printf("Playing back %s\n", path.c_str());
    return 0;
}

int runGame(const Options& options, const Control& control)
{
    const char* game = options.game.c_str();
    std::printf("MAME stand-in %s\n", options.version.c_str());
    std::printf("Loading %s...\rLoaded %s.\r\n", game, game);
    std::fprintf(stderr, "Warning: stand-in has no real emulation\n");
    // Today's emulators print their messages in UTF-8, older ones in the ANSI code page.
    std::string console;
    if (readFile(kConsoleFile, console))
        writeAll(stdout, console);

    if (!options.playback.empty() && (options.exitAfterPlayback || options.secondsToRun > 0)) {
        std::string data;
        if (!readFile(recordingPath(options, control, options.playback), data)) {
            std::fprintf(stderr, "Fatal error: Input file %s not found\n", options.playback.c_str());
            return 3;
        }
        if (!control.checkError.empty()) {
            std::fprintf(stderr, "Fatal error: %s\n", control.checkError.c_str());
            return 3;
        }
        logCheckRun("start");
        int result = checkRecording(options, data);
        std::fflush(stdout);
        if (result == 0 && control.runMs > 0)
            Sleep(control.runMs);
        if (result == 0 && control.frameMs > 0)
            Sleep(static_cast<DWORD>(countFrames(data.substr(64)) * control.frameMs));
        logCheckRun("end");
        return result != 0 ? result : static_cast<int>(static_cast<unsigned>(control.exitCode & 0xFFFFFFFFLL));
    }
    if (!options.playback.empty()) {
        int result = checkPlayback(options, control, recordingPath(options, control, options.playback));
        if (result != 0)
            return result;
    }
    if (!options.record.empty()) {
        int result = writeRecording(options, control, recordingPath(options, control, options.record));
        if (result != 0)
            return result;
    }
    std::fflush(stdout);
    std::fflush(stderr);

    if (control.runMs > 0)
        Sleep(control.runMs);
    return static_cast<int>(static_cast<unsigned>(control.exitCode & 0xFFFFFFFFLL));
}

// "-launcher" first: stands for a launcher that starts the emulator and
// waits for it, as a player's front-end script would. It starts itself
// again with the rest of its line, with its standard handles, and ends
// with that run's exit code.
int launchAnother()
{
    std::string line = GetCommandLineA();
    std::size_t at = line.find(" -launcher");
    if (at == std::string::npos)
        return 1;
    line.erase(at, std::strlen(" -launcher"));
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    startup.hStdOutput = GetStdHandle(STD_OUTPUT_HANDLE);
    startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
    PROCESS_INFORMATION process{};
    if (!CreateProcessA(nullptr, &line[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &process))
        return 1;
    WaitForSingleObject(process.hProcess, INFINITE);
    DWORD exitCode = 1;
    GetExitCodeProcess(process.hProcess, &exitCode);
    CloseHandle(process.hProcess);
    CloseHandle(process.hThread);
    return static_cast<int>(exitCode);
}

} // namespace

int main(int argc, char** argv)
{
    // Exact bytes out: a lone "\r" stays lone and "\n" never becomes "\r\n".
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stderr), _O_BINARY);

    if (argc > 1 && std::string(argv[1]) == "-launcher")
        return launchAnother();
    logCommandLine();

    Control control = readControl(argc, argv);
    Options options;
    int result = parseArguments(argc, argv, control, options);
    if (result != 0)
        return result;

    if (options.version.empty())
        options.version = control.kind == Kind::today ? "0.251" : control.kind == Kind::between ? "0.171" : "0.106";
    if (options.help)
        return showHelp(options, control);
    if (!options.listXml.empty())
        return showMachine(options, control);
    if (options.listFull)
        return listGames(options, control);
    if (options.showConfig)
        return showConfig(control);
    if (options.verifyRoms)
        return verifyRoms(control);
    if (options.game.empty()) {
        std::fprintf(stderr,
                     "Usage: mame-standin [options] gamename\n"
                     "       mame-standin -listfull [-sortname | -sortdriver]\n");
        return 1;
    }
    return runGame(options, control);
}
