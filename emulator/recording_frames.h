// A recording's frames: how large a machine's are, and what they tell of the recording when counted.
#pragma once

#include "emulator/frame_findings.h"

#include <atomic>
#include <cstddef>
#include <cstdint>

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
// A day of frames at twice the machine's rate (60 a second when it lists
// none, or a rate no game's screen has): MAME writes a frame for each of its
// updates, not for each of the screen's, and Pong, listed at 60.18 Hz,
// writes some 85.5 a second of play.
std::uint64_t mostRecordingFrames(const MachineInputs& inputs);

// The first 16 bytes of every frame, little-endian: when MAME recorded it
// (whole seconds, then attoseconds) and its speed then.
struct FrameStamp {
    std::int32_t seconds;
    std::int64_t attoseconds;
    std::uint32_t speed; // as MAME wrote it
};
constexpr std::size_t kFrameStampBytes = 16;

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

// `findings`, when given, started (startFrameFindings) by the caller, is fed
// each whole frame counted and finished after the last.
RecordingFrames countRecordingFrames(const unsigned char* data, std::size_t length, std::size_t frameBytes,
                                     const FrameBounds& bounds = FrameBounds{~std::uint64_t(0), nullptr},
                                     FrameFindings* findings = nullptr);

// Whether the count tells the recording's play length: it was read without
// an error or a bound, and its last frame's time is one a recording has.
bool playLengthKnown(const RecordingFrames& frames);

// The emulated seconds a check runs to see a recording of that length
// whole and a second more, within a day and a second.
unsigned secondsToRunFor(double lastFrameSeconds);

// The number that `count` bytes hold, the lowest first.
std::uint64_t littleEndian(const unsigned char* bytes, std::size_t count);
