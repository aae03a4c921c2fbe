// Deciding how MAME checks a recording: reading it, asking its emulator what the check needs, counting its frames.
#pragma once

#include "common/worker.h"
#include "emulator/command_line.h"
#include "emulator/game_list.h"
#include "emulator/recording_check.h"
#include "emulator/speed_graph.h"

#include <cstddef>

// What a check is asked: the recording, and what it falls back on when the
// recording's head names no system or no listed version. Copied by the
// check when it starts.
struct CheckOrder {
    char directory[512];                 // the recording's folder
    char fileName[256];                  // its whole file name
    char fallbackSystem[kShortNameSize]; // the selected game's short name, "" for none
    int fallbackVersion;                 // -1 for none
    // The game the recording must be of (a score's game), "" for any: a
    // head that names another is refused.
    char expectedSystem[kShortNameSize];
    // The version that checks it whatever its head names (a score's
    // version), -1 to choose by the head.
    int forcedVersion;
    // The picture is kept as checks\NAME.png after this name, or after the
    // recording's file name without its extension when it is "".
    char pictureName[64];
};

struct CheckFileReport {
    RecordingHeader header;
    char frames[256]; // what the frames tell: "The file holds N frames, m:ss", or why they were not counted
    SpeedGraph graph; // the speed the frames carry, to be drawn; not known when they were not read
};

// What a check decided before MAME runs: the system, the version and how
// long MAME plays, with what the run needs of the shared tables.
struct CheckPlan {
    bool fileRead; // the recording was read: the file's report holds what it tells
    RecordingHeader header;
    char system[kShortNameSize];
    int version;
    char versionId[20];
    RecordingFrames frames;
    bool lengthKnown;
    // What the frames tell of the play: a few figures, and the sentence of
    // the verdict ("" when no frame was read).
    FindingFigures figures;
    char findings[1024];
    SpeedGraph graph;
    unsigned secondsToRun; // 0: to the recording's end, without a picture
    char command[512];
    CommandForms forms;
};

// Reads the recording, asks its emulator what the check needs, counts its
// frames and decides how MAME plays them; false, with `verdict` set, when
// nothing is to run or the work was stopped. `worker` is the thread that
// prepares: its event ends a question, its flag the read and the count. It
// reads and changes what is known of the emulators, so one thread at a
// time prepares.
bool prepareCheck(const CheckOrder& order, const Worker& worker, CheckPlan& plan, CheckFileReport& file, char* verdict,
                  std::size_t verdictSize);

// The verdict of a check broken off before MAME ran.
constexpr char kNotCheckedVerdict[] = "Cancelled: the recording was not checked.";
