// The game that an input recording is for, read from its first bytes.
#pragma once

#include <cstddef>

// The bytes to read from the start of a recording to know its game.
constexpr std::size_t kRecordingHeadSize = 32;
// The longest short name a recording holds (twelve bytes) and its end.
constexpr std::size_t kRecordingGameSize = 13;

// A MAME of 2006 names the game in the first 8 bytes; today's emulators
// begin with "MAMEINP" and a zero byte and name it in bytes 20 to 31. Either
// name ends at its first zero byte. `head` holds the first `length` bytes of
// the recording. False when they are too few for the recording's form.
bool readRecordingGame(const unsigned char* head, std::size_t length, char (&game)[kRecordingGameSize]);
