// What a recording holds, and what MAME said when it played it to its end without a screen.
#pragma once

#include "emulator/recording_game.h"

#include <atomic>
#include <cstddef>
#include <cstdint>

// The head of a recording of MAME 0.125 and later: "MAMEINP" and a zero
// byte, the creation time (seconds since 1970), the format's version at
// 0x10 (major) and 0x11 (minor), the system at 0x14 (12 bytes) and the
// program that made it at 0x20 (32 bytes); the frames follow from 0x40, as
// one zlib stream.
constexpr std::size_t kRecordingHeadBytes = 0x40;

struct RecordingHeader {
    bool present; // the file begins with that head
    unsigned major;
    unsigned minor;
    std::uint64_t created;
    char system[kRecordingGameSize];
    char madeBy[33];
};

RecordingHeader readRecordingHeader(const unsigned char* bytes, std::size_t length);

// The version identifier in what a head names as its maker: "MAME 0.251
// (mame0251)" gives "0.251". False, with an empty text, when there is none.
bool makerVersion(const char* madeBy, char* versionId, std::size_t size);

// The inputs of the first machine that a "-listxml NAME" answer describes:
// each frame of its recordings takes 16 bytes of time and speed, 8 for each
// <port> and 13 for each <analog>. `known` is false when the answer holds
// no machine, or lists its controls without ports, as older MAMEs did.
// `refresh` is the rate of its fastest screen in frames a second, 0 when
// it lists none.
struct MachineInputs {
    bool known;
    int ports;
    int analogs;
    double refresh;
};

MachineInputs readMachineInputs(const char* text, std::size_t length);
std::size_t frameBytes(const MachineInputs& inputs);

// No recording that MAME made plays longer than a day: a file that holds
// more is refused, and a play length past it is not believed.
constexpr double kMostPlaySeconds = 24.0 * 60 * 60;
// A day of frames at the machine's rate (60 a second when it lists none,
// or a rate no game's screen has).
std::uint64_t mostRecordingFrames(const MachineInputs& inputs);

// The frames of a recording's data (what follows its head), inflated as far
// as the stream goes.
struct RecordingFrames {
    bool readable;           // the data is a zlib stream
    bool complete;           // the stream has its end: the file was not cut
    std::uint64_t bytes;     // inflated
    std::uint64_t frames;    // whole frames of `frameBytes` each
    double lastFrameSeconds; // the time of the last whole frame: the play length
    bool damaged;            // the stream breaks off with an error of its data
    std::uint64_t damagedAt; // then: how far into the data, in the file's bytes
    bool pastBound;          // counting stopped at the bound's frame
    bool stopped;            // counting was stopped from outside
};

// What ends a count early: a bound in frames, and a flag that another
// thread may set (read between blocks of 64 KB).
struct FrameBounds {
    std::uint64_t mostFrames;
    const std::atomic<bool>* stop;
};

RecordingFrames countRecordingFrames(const unsigned char* data, std::size_t length, std::size_t frameBytes,
                                     const FrameBounds& bounds = FrameBounds{~std::uint64_t(0), nullptr});

// Whether the count tells the recording's play length: it was read without
// an error or a bound, and its last frame's time is one a recording has.
bool playLengthKnown(const RecordingFrames& frames);

// The emulated seconds a check runs to see a recording of that length
// whole and a second more, within a day and a second.
unsigned secondsToRunFor(double lastFrameSeconds);

// What MAME wrote on its standard output while it played a recording back:
// "Total playback frames: N" and "Average recorded speed: N%" (-1 when
// absent), and the line that says the recording is another machine's.
struct PlaybackReport {
    long long playedFrames;
    int speed;
    char otherMachine[160];
};

PlaybackReport readPlaybackReport(const char* text, std::size_t length);

// MAME's own words on its standard error: its "Fatal error" lines, or else
// its first line, cut to `size` bytes with "..." at the cut. Empty when it
// wrote nothing.
void mameWords(const char* text, std::size_t length, char* words, std::size_t size);

// "m:ss" for a length in seconds (minutes without a bound).
void formatPlayLength(double seconds, char* text, std::size_t size);

// How a check ended.
struct CheckOutcome {
    bool ended;             // MAME ended by itself within the limit
    unsigned long exitCode; // when it ended
    RecordingFrames file;
    PlaybackReport report;
    const char* words; // MAME's own words (mameWords), "" when none
};

// The verdict line: "Plays to its end: N of N frames, m:ss", "Cut short:
// the file ends inside its data; MAME played N frames", "Stops at frame N
// of M", or MAME's own words when it refused the recording or ended
// abnormally. When the file's frames were not counted (`readable` false),
// only what MAME played.
void formatVerdict(const CheckOutcome& outcome, char* text, std::size_t size);

// Orders version identifiers as MAME numbered its releases: "0.37b5" before
// "0.37", "0.120rc2" before "0.120", "0.106u2" after "0.106". Negative,
// zero or positive as strcmp; an identifier that is no version sorts first.
int compareVersions(const char* a, const char* b);
