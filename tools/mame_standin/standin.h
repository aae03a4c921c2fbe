// The stand-in emulator's shared parts: the files and keys it reads, its options and settings, its parts' entries.
//
// A stand-in for the MAME emulator: a console program that takes its switches, lists games and "runs" one.
// Each part is a file of its own: main.cpp dispatches, listing.cpp lists (-listfull, -listxml),
// game_run.cpp runs a game, questions.cpp answers -help and -showconfig, audit.cpp does
// -verifyroms, check.cpp plays a recording back with its picture; arguments.cpp reads the
// command line, control.cpp the control file, common.cpp holds the file and text helpers.
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
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdio>
#include <string>
#include <vector>

namespace standin {

enum class Kind { of2006, between, today };
enum class Help { banner, none, crash, hang, flood };
enum class AuditWords { byKind, today, of2006, oldest };

struct Options {
    std::string game;
    std::string version; // of the kind's MAME when not given
    std::string inputDirectory = "inp";
    std::string record;
    std::string playback;
    std::string sortSwitch; // the last of -sortname and -sortdriver, if any
    bool listFull = false;
    bool showConfig = false;
    bool verifyRoms = false;
    bool help = false;
    std::string listXml;
    bool exitAfterPlayback = false;
    long long secondsToRun = -1;
    std::string snapshotDirectory;
};

// What standin-control.txt and -kind set.
// A control key's number that was not given.
const DWORD kNone = 0xFFFFFFFF;

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
    DWORD frameMs = 0;                    // a check lasts run_ms and this long for each frame more
    DWORD slowMs = kNone, backMs = kNone; // a recording's slow play and time back
};

// Today's recordings: frames of 16 bytes of time and speed and 8 for the one port.
const std::size_t kFrameBytes = 24;

// common.cpp: files and texts.
void appendLine(const char* fileName, std::string line);
// Whole file in binary; false when it cannot be opened.
bool readFile(const std::string& path, std::string& contents);
std::vector<std::string> splitLines(const std::string& text);
std::string trim(const std::string& text);
// Whole text as a decimal integer within [low, high]; no partial matches.
bool parseInteger(const std::string& text, long long low, long long high, long long& value);
inline bool isSeparator(char c)
{
    return c == '\\' || c == '/';
}
// Creates every missing directory along PATH; true when it exists at the end.
bool createDirectories(const std::string& path);
void writeAll(FILE* stream, const std::string& bytes);
// Reports MESSAGE as an error and returns EXITCODE.
int fail(const std::string& message, int exitCode = 1);
// The control file's exit code as the process's.
int exitStatus(const Control& control);

// control.cpp
Control readControl(int argc, char** argv);

// arguments.cpp: 0 when the command line is good, else the exit code after reporting it.
int parseArguments(int argc, char** argv, const Control& control, Options& options);

// listing.cpp
int listGames(const Options& options, const Control& control);
int showMachine(const Options& options, const Control& control);

// questions.cpp
int showHelp(const Options& options, const Control& control);
int showConfig(const Control& control);

// audit.cpp
int verifyRoms(const Control& control);

// game_run.cpp
std::string recordingPath(const Options& options, const Control& control, const std::string& name);
int runGame(const Options& options, const Control& control);

// check.cpp: a check is a playback that ends by itself.
bool isCheck(const Options& options);
int runCheck(const Options& options, const Control& control);

} // namespace standin
