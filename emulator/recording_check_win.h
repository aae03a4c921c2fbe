// Checking a recording on a thread of its own: reading it, asking the emulator, and its run without a screen.
#pragma once

#include "common/app_messages.h"
#include "emulator/check_plan_win.h"
#include "emulator/check_run_win.h"

#include <windows.h>

// Posted to the window that watches a check, in this order, each at most
// once; the report of each may be read once its message has arrived:
// the file and its head are read (checkFileReport); MAME runs (the check's
// elapsed time counts from here); the check has ended (checkEndReport),
// the last message.
// (kCheckFileMessage, kCheckRunMessage, kCheckEndMessage: common/app_messages.h)

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
