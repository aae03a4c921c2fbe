// Looks for an emulator's ROMs with its own audit ("-verifyroms"), on a thread of its own.
#pragma once

#include "common/app_messages.h"
#include "emulator/rom_audit.h"

#include <windows.h>

#include <string>

// How long an audit may run in all: MAME 0.251 looks through its 45,294
// sets in about 9 s with no ROMs on Linux, and for minutes with a full set
// on Windows. Compiled for each program, so that a test build waits less.
extern const DWORD kAuditLimitMs;

// kAuditAnswerMessage is posted to the window that asked, with lParam an
// AuditResult; kAuditLookingMessage to it when MAME itself starts looking,
// after the check of what was kept: only then does the search take long.

enum class AuditEnd {
    found,      // `games` holds what MAME found
    unchanged,  // the emulator and its ROM folders are as `known` said: not asked again
    unfinished, // ended at its time or its output's bound
    noAnswer,   // the emulator could not be started, or named no set and no count
    cancelled,  // cancelRomAudit
};

struct AuditResult {
    AuditEnd end;
    FoundGames games; // its key whatever the end; its names when found
    bool keyKnown;    // the emulator's program file was found: the key can tell a change
};

// Starts the audit of the emulator of `command` for `window`, unless one
// runs already (false). `known`, when not null, is the key of the result
// kept: an emulator and folders that still match it are not audited.
bool startRomAudit(HWND window, const char* command, const AuditKey* known);

// The result that kAuditAnswerMessage announced, once the thread has ended:
// it stays valid until the next start.
const AuditResult& takeRomAuditResult();

bool romAuditRunning();

// Ends the audit under way, if any: its answer comes, cancelled.
void cancelRomAudit();

// At the program's end: ends the audit and waits a moment for its files to go.
void endRomAuditBeforeExit();

// What the audits found, kept in "found.ini" beside emulators.ini and read
// at the first need. Only the user-interface thread calls these.
// The result kept for the emulator of `command`, or null.
const FoundGames* keptFoundGames(const char* command);
// Keeps `games` for its command in place of what was kept, and writes the
// file anew; entries of emulators no longer listed go. Failures are silent.
void keepFoundGames(const FoundGames& games);
