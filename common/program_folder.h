// Hobrin's folder, where it keeps every file of its own, taken once at start.
#pragma once

#include <string>

// Takes the working folder that Hobrin was started in as its folder, once,
// before any other thread runs: every file of its own is then named whole
// from it, and no thread depends on the current directory, which an open
// common dialog can change meanwhile. False when the folder cannot be named
// (the program then names its files relative to the current directory).
bool rememberProgramFolder();

// The folder, whole, without a closing backslash ("C:" for a drive's root).
const std::string& programFolder();

// The whole path of the program's own file or folder `name`, relative to
// the program's folder; a path that is whole already is kept.
std::string ownFile(const char* name);
