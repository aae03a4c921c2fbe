// Composes the emulator command lines of a game run: play, record or playback.
#pragma once

#include "common/bounded_text.h"
#include "common/settings.h"

#include <cstddef>

enum class LaunchMode { playback = 0, record = 1, play = 2 };

// The longest short name MAME gives a system.
constexpr std::size_t kMostSystemNameLength = 16;

// Whether `name` is a system's short name as MAME writes them: 1 to 16
// of "a"-"z", "0"-"9" and "_", the first a letter or a digit. Whoever
// gives a name (a recording's head, a feed, a listing), only such a name
// goes on a command line: any other could be a switch ("-cc" writes a
// mame.ini) or reshape the line.
bool isMameSystemName(const char* name);

// The question "-listxml NAME". False when `name` is no system name or
// the question does not fit.
bool composeMachineQuestion(char* question, std::size_t size, const char* name);

// The forms of the switches that an emulator version takes. The defaults
// are those of a MAME of 2006, whose lines never change.
struct CommandForms {
    bool hardwareStretchSwitch = true; // takes -hws / -nohws; else no switch at all
    bool soundTakesModule = false;     // -sound auto / -sound none, not -sound / -nosound
    // Records and plays back a file by the name given, where a MAME of 2006
    // added ".inp": it gets recordings by their whole file names.
    bool namesAsGiven = false;
    // Takes -noplugins and -nocheat: a check runs without the player's
    // plugins and cheats, which change a game's memory and so its play.
    bool pluginsSwitch = false;
    bool cheatSwitch = false;
};

struct LaunchRequest {
    const char* command;   // the emulator version's command
    const char* shortName; // the game
    const Settings* options;
    const char* additionalParameters; // passed through unexamined
    LaunchMode mode;
    const char* inputDirectory; // playback only; null for none
    // Playback only: the recording's file name, whole; null plays the
    // game's own recording. An emulator of 2006 gets it without its
    // extension (from its last dot on).
    const char* fileName;
    CommandForms forms;
};

// A check of a recording: the game plays the recording back without a
// screen, sound or speed limit until `secondsToRun` emulated seconds, when
// MAME saves a picture of its screen in `snapshotDirectory` and ends; with
// `secondsToRun` 0, when the recording ends (-exit_after_playback, MAME
// 0.171 on), without a picture. No stored machine state or configuration
// is read or written, and no plugin or cheat is on where the emulator
// takes the switches.
struct CheckRequest {
    const char* command;
    const char* shortName;
    const char* inputDirectory;
    const char* fileName; // whole, as for a playback
    unsigned secondsToRun;
    const char* snapshotDirectory;
    CommandForms forms;
};

// False when the line does not fit, the short name is no system name, or a
// folder or the file name is empty or holds a quote (a file name a
// backslash too): none of them may add or drop an argument.
bool composeCheckLine(char* line, std::size_t size, const CheckRequest& request);

// Appends the eight option switches, each with its leading space, in the
// forms that `forms` names.
void appendOptionSwitches(TextBuilder& line, const Settings& options, const CommandForms& forms = CommandForms());

// Writes the whole command line into `line` of `size` bytes. False when it
// does not fit, the short name is no system name, or a playback's folder or
// file name is refused as composeCheckLine refuses them: the caller must
// not run a cut command.
bool composeLaunchLine(char* line, std::size_t size, const LaunchRequest& request);
