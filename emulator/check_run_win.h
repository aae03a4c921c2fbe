// MAME's run of a planned check, hidden and without a screen, and the folders of a check's files.
#pragma once

#include "common/program_files.h"
#include "emulator/check_plan_win.h"

#include <windows.h>

struct CheckEndReport {
    long long playedFrames; // what MAME played, -1 when it did not say
    int speed;              // its average recorded speed in percent, -1 when it did not say
    char played[128];       // "Total playback frames: N, average recorded speed N%", or ""
    char verdict[1024];     // whole: the window gives it room
    char picture[512];      // checks\NAME.png when MAME saved one, else ""
    char status[128];       // why there is no picture, or ""
    FindingFigures figures; // what the frames tell of the play, for a table's columns
    SpeedGraph graph;       // and the speed, to be drawn
};

// Where one MAME run of a check keeps its files, so that runs side by side
// never share one.
struct CheckPlace {
    const char* snapshotFolder;
    const char* outputFile;
    const char* errorFile;
};
constexpr CheckPlace kSingleCheckPlace{kCheckSnapshotFolder, kCheckOutputFile, kCheckErrorFile};

// MAME plays the planned check, hidden, until it ends or `cancel` is set;
// what it printed and saved give `end`, its picture kept as
// checks\NAME.png after the recording's name. It reads no shared table.
void runCheckedMame(const CheckOrder& order, const CheckPlan& plan, const CheckPlace& place, HANDLE cancel,
                    CheckEndReport& end);

// Removes a folder of a check's and all in it: MAME's snapshot folder with
// the folders it makes per system, a table row's folder with its archive,
// recording and MAME's output.
void removeCheckFolder(const char* folder);
