// What a recording holds, and what MAME said when it played it to its end without a screen.
#pragma once

#include "emulator/recording_frames.h"
#include "emulator/recording_game.h"

#include <cstddef>
#include <cstdint>

// The head of a recording of MAME 0.125 and later: "MAMEINP" and a zero
// byte, the creation time (seconds since 1970), the format's version at
// 0x10 (major) and 0x11 (minor), the system at 0x14 (12 bytes) and the
// program that made it at 0x20 (32 bytes); the frames follow from 0x40, as
// one zlib stream.
constexpr std::size_t kRecordingHeadBytes = 0x40;

// The format whose frames the check reads: version 3, one zlib stream of
// frames that each begin with their time and speed (MAME 0.251 writes 3.0).
// Version 2, of MAME 0.125 to 0.128, laid its frames out otherwise: their
// bytes are not read as time and speed (docs/recording-frames.md).
constexpr unsigned kReadFramesFormat = 3;

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
    // What the frames tell of the play (formatFrameVerdict), "" or null
    // when no frame was read.
    const char* findings = nullptr;
};

// The verdict line: "Plays to its end: N of N frames, m:ss", "Cut short:
// the file ends inside its data; MAME played N frames", "Stops at frame N
// of M", or MAME's own words when it refused the recording or ended
// abnormally. When the file's frames were not counted (`readable` false),
// only what MAME played. The frames' findings follow.
void formatVerdict(const CheckOutcome& outcome, char* text, std::size_t size);

// Adds the frames' findings to a verdict, after `lead` ("" for none): a
// sentence of its own. Nothing when `findings` is empty.
void appendFindings(char* verdict, std::size_t size, const char* lead, const char* findings);

// Orders version identifiers as MAME numbered its releases: "0.37b5" before
// "0.37", "0.120rc2" before "0.120", "0.106u2" after "0.106". Negative,
// zero or positive as strcmp; an identifier that is no version sorts first.
int compareVersions(const char* a, const char* b);
