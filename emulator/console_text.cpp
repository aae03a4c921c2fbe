// Prepares the emulator's console output for a multi-line edit control.
#include "emulator/console_text.h"

std::size_t convertConsoleText(const char* input, std::size_t inputLength, char* output, std::size_t outputSize)
{
    if (outputSize == 0)
        return 0;
    std::size_t length = 0;
    for (std::size_t i = 0; i < inputLength && input[i] != '\0'; ++i) {
        bool loneReturn = input[i] == '\r' && (i + 1 >= inputLength || input[i + 1] != '\n');
        std::size_t needed = loneReturn ? 2 : 1;
        if (length + needed >= outputSize)
            break;
        output[length++] = input[i];
        if (loneReturn)
            output[length++] = '\n';
    }
    output[length] = '\0';
    return length;
}
