// The "Console output" window: what the emulator printed during its last run.
#pragma once

// Shows "mame.out" modally, without an owner, then deletes the file.
void runConsoleOutput();
