// The addresses of the YORL service, all built from one base address set when the program is built.
#pragma once

// Followed by a game's short name and, for a split, "-" and its name.
extern const char kHighScoresAddress[];
extern const char kRecentUploadsAddress[];
// Followed by a recording's name and ".zip".
extern const char kRecordingAddress[];
