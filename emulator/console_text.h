// Prepares the emulator's console output for a multi-line edit control.
#pragma once

#include <cstddef>

// Copies `input` up to its first zero byte or `inputLength`, adding a line
// feed after every carriage return that is not followed by one (the edit
// control breaks lines only at CR LF). Each line (ended by CR, LF or CR LF)
// that is UTF-8 is converted to the ANSI code page, any other kept as it
// is. `inputCut` says that the read stopped before the file's end, so the
// last line may end inside a character. The result is cut where `output` is
// full, never inside a character, and always zero-terminated. Returns its
// length.
std::size_t convertConsoleText(const char* input, std::size_t inputLength, bool inputCut, char* output,
                               std::size_t outputSize);
