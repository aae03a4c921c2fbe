// Prepares the emulator's console output for a multi-line edit control.
#include "emulator/console_text.h"

#include "common/shown_text.h"

#include <cstring>

namespace {

bool endsLine(char c)
{
    return c == '\r' || c == '\n';
}

} // namespace

std::size_t convertConsoleText(const char* input, std::size_t inputLength, bool inputCut, char* output,
                               std::size_t outputSize)
{
    if (outputSize == 0)
        return 0;
    // A zero byte ends the text, so the text itself is whole.
    if (const void* zero = std::memchr(input, '\0', inputLength)) {
        inputLength = static_cast<std::size_t>(static_cast<const char*>(zero) - input);
        inputCut = false;
    }
    // The whole output is judged at once: today's emulators write UTF-8,
    // older ones the system's legacy code page. A read that stopped at its
    // bound may end inside a character, left out when the rest is UTF-8.
    const TextForm form = inputCut ? cutTextFormOf(input, inputLength) : textFormOf(input, inputLength);
    std::size_t length = 0;
    for (std::size_t start = 0; start < inputLength;) {
        std::size_t end = start;
        while (end < inputLength && !endsLine(input[end]))
            ++end;
        if (end > start) {
            ShownCopy copy = copyShownText(output + length, outputSize - length, input + start, end - start, form);
            length += copy.length;
            if (copy.cut)
                break;
        }
        if (end == inputLength)
            break;
        bool loneReturn = input[end] == '\r' && (end + 1 >= inputLength || input[end + 1] != '\n');
        std::size_t needed = loneReturn ? 2 : 1;
        if (length + needed >= outputSize)
            break;
        output[length++] = input[end];
        if (loneReturn)
            output[length++] = '\n';
        start = end + 1;
    }
    output[length] = '\0';
    return length;
}
