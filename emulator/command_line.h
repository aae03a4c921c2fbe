// Composes the emulator command lines of a game run: play, record or playback.
#pragma once

#include "common/bounded_text.h"
#include "shell/settings.h"

#include <cstddef>

enum class LaunchMode { playback = 0, record = 1, play = 2 };

struct LaunchRequest {
    const char* command;   // the emulator version's command
    const char* shortName; // the game
    const Settings* options;
    const char* additionalParameters; // passed through unexamined
    LaunchMode mode;
    const char* inputDirectory; // playback only; null for none
    const char* fileName;       // playback only; null plays the game's own recording
};

// Appends the eight option switches, each with its leading space.
void appendOptionSwitches(TextBuilder& line, const Settings& options);

// Writes the whole command line into `line` of `size` bytes. False when it
// does not fit: the caller must not run a cut command.
bool composeLaunchLine(char* line, std::size_t size, const LaunchRequest& request);
