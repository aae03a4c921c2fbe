// Prepares the emulator's console output for a multi-line edit control.
#pragma once

#include <cstddef>

// Copies `input` up to its first zero byte or `inputLength`, adding a line
// feed after every carriage return that is not followed by one (the edit
// control breaks lines only at CR LF), brought into Hobrin's code page from
// UTF-8 or the legacy code page, as the whole text is written. `inputCut`
// says that the read stopped before the file's end, so the last line may
// end inside a character. The result is cut where `output` is
// full, never inside a character, and always zero-terminated. Returns its
// length.
std::size_t convertConsoleText(const char* input, std::size_t inputLength, bool inputCut, char* output,
                               std::size_t outputSize);
