// Checking a recording on a thread of its own: reading it, asking the emulator, and its run without a screen.
#pragma once

#include "emulator/game_list.h"
#include "emulator/recording_check.h"

#include <windows.h>

// What a check is asked: the recording, and what it falls back on when the
// recording's head names no system or no listed version. Copied by the
// check when it starts.
struct CheckOrder {
    char directory[512];                 // the recording's folder
    char fileName[256];                  // its whole file name
    char fallbackSystem[kShortNameSize]; // the selected game's short name, "" for none
    int fallbackVersion;                 // -1 for none
};

// Posted to the window that watches a check, in this order, each at most
// once; the report of each may be read once its message has arrived:
// the file and its head are read (checkFileReport); MAME runs (the check's
// elapsed time counts from here); the check has ended (checkEndReport),
// the last message.
constexpr UINT kCheckFileMessage = WM_APP + 4;
constexpr UINT kCheckRunMessage = WM_APP + 5;
constexpr UINT kCheckEndMessage = WM_APP + 6;

struct CheckFileReport {
    RecordingHeader header;
    char frames[256]; // what the frames tell: "The file holds N frames, m:ss", or why they were not counted
};

struct CheckEndReport {
    char played[128];   // "Total playback frames: N, average recorded speed N%", or ""
    char verdict[1024]; // whole: the window gives it room
    char picture[512];  // checks\NAME.png when MAME saved one, else ""
    char status[128];   // why there is no picture, or ""
};

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
