// Prepares the emulator's console output for a multi-line edit control.
#include "emulator/console_text.h"

#include "common/shown_text.h"

#include <cstring>

namespace {

bool endsLine(char c)
{
    return c == '\r' || c == '\n';
}

// The line's form. The last line may stop inside a character where the read
// stopped; it is converted without that character rather than shown as
// another code page's letters.
TextForm lineForm(const char* line, std::size_t length, bool last)
{
    Utf8Check check;
    for (std::size_t i = 0; i < length && !check.invalid; ++i)
        checkUtf8Byte(check, static_cast<unsigned char>(line[i]));
    return isUtf8Text(check) || (last && isUtf8Start(check)) ? TextForm::utf8 : TextForm::ansi;
}

} // namespace

std::size_t convertConsoleText(const char* input, std::size_t inputLength, char* output, std::size_t outputSize)
{
    if (outputSize == 0)
        return 0;
    if (const void* zero = std::memchr(input, '\0', inputLength))
        inputLength = static_cast<std::size_t>(static_cast<const char*>(zero) - input);
    std::size_t length = 0;
    for (std::size_t start = 0; start < inputLength;) {
        std::size_t end = start;
        while (end < inputLength && !endsLine(input[end]))
            ++end;
        if (end > start) {
            ShownCopy copy = copyShownText(output + length, outputSize - length, input + start, end - start,
                                           lineForm(input + start, end - start, end == inputLength));
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
