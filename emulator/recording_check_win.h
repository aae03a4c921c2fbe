// Checking a recording on a thread of its own: reading it, asking the emulator, and its run without a screen.
#pragma once

#include "common/app_messages.h"
#include "common/program_files.h"
#include "emulator/command_line.h"
#include "emulator/game_list.h"
#include "emulator/recording_check.h"

#include <windows.h>

#include <atomic>
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

// Posted to the window that watches a check, in this order, each at most
// once; the report of each may be read once its message has arrived:
// the file and its head are read (checkFileReport); MAME runs (the check's
// elapsed time counts from here); the check has ended (checkEndReport),
// the last message.
// (kCheckFileMessage, kCheckRunMessage, kCheckEndMessage: common/app_messages.h)

struct CheckFileReport {
    RecordingHeader header;
    char frames[256]; // what the frames tell: "The file holds N frames, m:ss", or why they were not counted
};

struct CheckEndReport {
    long long playedFrames; // what MAME played, -1 when it did not say
    int speed;              // its average recorded speed in percent, -1 when it did not say
    char played[128];       // "Total playback frames: N, average recorded speed N%", or ""
    char verdict[1024];     // whole: the window gives it room
    char picture[512];      // checks\NAME.png when MAME saved one, else ""
    char status[128];       // why there is no picture, or ""
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
    unsigned secondsToRun; // 0: to the recording's end, without a picture
    char command[512];
    CommandForms forms;
};

// Stops a check's work from another thread: the event ends an emulator's
// run or question, the flag a read or a count between blocks.
struct CheckStop {
    HANDLE event;
    const std::atomic<bool>* flag;
};

// Reads the recording, asks its emulator what the check needs, counts its
// frames and decides how MAME plays them; false, with `verdict` set, when
// nothing is to run or the work was stopped. It reads and changes what is
// known of the emulators, so one thread at a time prepares.
bool prepareCheck(const CheckOrder& order, const CheckStop& stop, CheckPlan& plan, CheckFileReport& file, char* verdict,
                  std::size_t verdictSize);

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

// The verdict of a check broken off before MAME ran.
constexpr char kNotCheckedVerdict[] = "Cancelled: the recording was not checked.";

class RecordingCheck;

// Starts the check on a thread of its own; null when no thread could start.
// While it runs, the check is the only user of the version table and of
// what is known of the emulators: the window that starts it is modal.
RecordingCheck* startRecordingCheck(const CheckOrder& order, HWND window);

// Ends the check's work at once, whatever it is doing: its reading, its
// questions and MAME's run, with all MAME started. kCheckEndMessage still
// follows.
void cancelRecordingCheck(RecordingCheck& check);

const CheckFileReport& checkFileReport(const RecordingCheck& check);
const CheckEndReport& checkEndReport(const RecordingCheck& check);

// Once kCheckEndMessage has arrived: waits for the thread's exit and frees the check.
void finishRecordingCheck(RecordingCheck* check);
