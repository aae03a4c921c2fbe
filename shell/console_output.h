// The "Console output" window: what the emulator printed during its last run.
#pragma once

// Shows "mame.out" modally, without an owner, then deletes the file.
void runConsoleOutput();

// After a launch that ran the emulator (`launchResult` 0), the console
// output window, when the player asked for it.
void showConsoleAfterRun(int launchResult);
