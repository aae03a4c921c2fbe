// Taking an emulator command apart into its program and arguments, as CreateProcess does.
#include "emulator/command_split.h"

#include <cstring>

namespace {

bool isBlank(char c)
{
    return c == ' ' || c == '\t';
}

} // namespace

bool splitCommand(const char* command, CommandParts& parts)
{
    while (isBlank(*command))
        ++command;
    const char* rest;
    if (*command == '"') {
        parts.program = command + 1;
        const char* quote = std::strchr(parts.program, '"');
        parts.programLength = quote ? static_cast<std::size_t>(quote - parts.program) : std::strlen(parts.program);
        rest = quote ? quote + 1 : parts.program + parts.programLength;
    } else {
        parts.program = command;
        rest = command;
        while (*rest && !isBlank(*rest))
            ++rest;
        parts.programLength = static_cast<std::size_t>(rest - command);
    }
    while (isBlank(*rest))
        ++rest;
    std::size_t length = std::strlen(rest);
    while (length > 0 && isBlank(rest[length - 1]))
        --length;
    parts.arguments = rest;
    parts.argumentsLength = length;
    return parts.programLength > 0;
}
