// What a recording's frames tell of the way it was played: its speed second
// by second, and the pauses, slow play and loaded states they show.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// Each frame carries the emulation's speed as MAME measured it: a fraction
// of real time times 2^20, so 1 << 20 is 100%. The value is measured over a
// quarter of a second of emulated time and carried by the frames that
// follow that quarter.
constexpr std::uint32_t kFullSpeed = 1u << 20;

// A day of play, one entry a second: the per-second series never grows past it.
constexpr std::size_t kMostSecondsKept = 24 * 60 * 60;
// A stand-still from a speed of 0 is taken as a day; the texts name it so.
constexpr double kLongestStandStill = 24.0 * 60 * 60;
// Each kind of finding keeps its first 16 and counts the rest.
constexpr std::size_t kFindingsKept = 16;

struct PlayFinding {
    double at; // seconds of play where it was found
    // A pause: how long the emulation stood still, 0 when the recording
    // does not tell (MAME's own pause). Slow play: how long it lasted. A
    // loaded state: how far the time moved, negative when back.
    double seconds;
    std::uint32_t speed; // the speed that showed a pause; slow play's average
};

struct FindingList {
    PlayFinding kept[kFindingsKept];
    std::size_t keptCount;
    std::uint64_t count; // all found, kept or not
};

// A run of frames that carry the same speed: one measurement.
struct SpeedRun {
    double start; // seconds of play at its first frame
    double span;  // seconds of play its frames cover, once the next run began
    std::uint32_t speed;
    bool measured; // false for the frames before MAME's first measurement
};

// Where the machine's frames fall: every frame period from an anchor.
struct FrameGrid {
    bool anchored;
    std::int32_t seconds; // the anchor: the last frame on the grid
    std::int64_t attoseconds;
    double period;   // 0 until two steps alike have shown it
    double lastStep; // the last step longer than a repeat of a frame's time
    bool pending;    // a frame off the grid, waiting for the next one
    std::int32_t pendingSeconds;
    std::int64_t pendingAttoseconds;
    double pendingAt;
};

struct FrameFindings {
    std::uint64_t frames;
    // MAME's measurements after its start, stand-stills left out, and the
    // extremes among them.
    std::uint64_t measurements;
    std::uint32_t lowestSpeed;
    std::uint32_t highestSpeed;
    // The sum of every frame's speed, as MAME's own "Average recorded
    // speed" counts them; it stops growing after 2^32 frames.
    std::uint64_t speedSum;
    std::uint64_t framesSummed;
    double playSeconds; // emulated time played, time jumps left out
    double slowSeconds; // play at a speed below 90%
    // The speed of each second of play in tenths of a percent (1000 is
    // 100%, at most 65535), reserved once for a day; `seriesFull` when play
    // went on past it.
    std::vector<std::uint16_t> perSecond;
    bool seriesFull;
    FindingList pauses, slowPlay, loadedStates;
    double pausedSeconds; // of all pauses whose length is recorded

    // The walk's own state.
    double frameSeconds;   // one frame at the machine's rate
    double jumpSeconds;    // a step forward longer than this is a time jump
    double measureSeconds; // the emulated time one measurement spans
    bool started;
    bool finished;
    std::int32_t lastSeconds;
    std::int64_t lastAttoseconds;
    std::uint64_t secondSum, secondFrames; // the second of play being summed
    SpeedRun before, current, latest;      // the last three runs, latest still growing
    int runs;                              // how many of those three exist (0 to 3)
    bool slowOpen;                         // a stretch of slow play is open
    PlayFinding slow;                      // it, and the speed summed over its play
    double slowSpeedSum;
    FrameGrid grid;
};

// The rate at which a machine's frames are judged and bounded: its
// screen's `listedRate` in frames a second, or 60 when that is not known or
// is no game screen's (below one frame a second, or past a thousand).
double screenRate(double listedRate);

// `frameRate` is the machine's screen rate in frames a second (0 when not
// known: screenRate). Reserves the per-second series.
void startFrameFindings(FrameFindings& findings, double frameRate);
// One whole frame's time and speed, in the order the recording holds them.
void addFrame(FrameFindings& findings, std::int32_t seconds, std::int64_t attoseconds, std::uint32_t speed);
// After the last frame: decides on the last measurement and closes what is open.
void finishFrameFindings(FrameFindings& findings);

// The findings in a few figures, small enough to hand to a window.
struct FindingFigures {
    bool known;        // frames were read
    int lowestPercent; // the lowest speed measured, whole percent; -1 when none was
    std::uint64_t pauses, slowStretches, loadedStates;
    double pausedSeconds;
};
FindingFigures findingFigures(const FrameFindings& findings);

// The texts below are in frame_findings_text.cpp.

// A table's cells: "62%"; "2, 8 s", "1" (a pause whose length is not
// recorded) or "0"; the count of loaded states. All empty when not known.
struct FindingCells {
    char lowest[8];
    char paused[48];
    char states[24];
};
FindingCells findingCells(const FindingFigures& figures);
// A mark for a table's verdict, "[Loaded state, paused, slow] ", of the
// kinds found; empty when none.
void formatFindingMark(const FindingFigures& figures, char* text, std::size_t size);

// The average speed over all frames in whole percents, as MAME reports it.
std::uint64_t averageSpeedPercent(const FrameFindings& findings);

// The verdict's texts (UTF-8). Each returns false when `size` was too small
// and the text was cut; 512 bytes hold any of them.
// "Paused twice: at 1:12 for 6 s and at 3:40 for 2 s." Empty when none.
bool formatPauses(const FrameFindings& findings, char* text, std::size_t size);
// "Played slow at 0:40 for 12 s (80%)." Empty when none.
bool formatSlowPlay(const FrameFindings& findings, char* text, std::size_t size);
// "A saved state was loaded at 2:05: the time runs back 14.2 s there."
// Empty when none.
bool formatLoadedStates(const FrameFindings& findings, char* text, std::size_t size);
// All of it: the findings, then what was not found and the speed, as in "No
// pause, no slow play, no loaded state; speed 99–100%."
bool formatFrameVerdict(const FrameFindings& findings, char* text, std::size_t size);
