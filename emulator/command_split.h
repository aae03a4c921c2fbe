// An emulator command taken apart as CreateProcess takes it: the program, then its arguments.
#pragma once

#include <cstddef>

// Where the parts of a command lie in its text.
struct CommandParts {
    const char* program; // without the quotes around it
    std::size_t programLength;
    const char* arguments; // without the blanks around them
    std::size_t argumentsLength;
};

// Splits `command` as CreateProcess does when it is given no program name:
// blanks before the program are skipped; a program that starts with a
// quote runs to the next quote (to the end when none follows), any other
// to the first blank or tab; the rest holds the arguments. False when the
// program is empty.
bool splitCommand(const char* command, CommandParts& parts);
