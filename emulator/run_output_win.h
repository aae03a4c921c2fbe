// What a hidden run leaves in the program's folder: its output, read with a bound and then removed.
#pragma once

#include <windows.h>

#include <cstddef>
#include <string>

// At most `mostBytes` of the program's own file `name`, as the run wrote
// them; the file is then removed.
std::string takeRunBytes(const char* name, std::size_t mostBytes);

// takeRunBytes, brought into Hobrin's code page from the form the emulator
// wrote it in.
std::string takeRunOutput(const char* name, std::size_t mostBytes);

// Removes a file that a run wrote, once the caller has read it.
void removeRunOutput(const char* name);

// Tries `attempt` until it succeeds (true), 40 times 50 ms apart at most:
// for a file that something else still holds a moment after a run, which
// lets it go well within those two seconds. False when no try succeeded.
template <class Attempt>
bool retryForTwoSeconds(Attempt attempt)
{
    for (int tries = 1;; ++tries) {
        if (attempt())
            return true;
        if (tries == 40)
            return false;
        Sleep(50);
    }
}
