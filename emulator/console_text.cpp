// Prepares the emulator's console output for a multi-line edit control.
#include "emulator/console_text.h"

#include "common/shown_text.h"

#include <cstring>

namespace {

bool endsLine(char c)
{
    return c == '\r' || c == '\n';
}

// The line's form. A line that the read cut may stop inside a character; it
// is converted without that character when what comes before is UTF-8,
// rather than shown as another code page's letters. A whole line never is:
// a code-page line that ends in an accented letter would lose it.
TextForm lineForm(const char* line, std::size_t length, bool cutByTheRead)
{
    const Utf8Check check = checkUtf8Text(line, length);
    if (isUtf8Text(check))
        return TextForm::utf8;
    if (!cutByTheRead || check.invalid || check.pending == 0)
        return TextForm::ansi;
    std::size_t lead = length - 1;
    while (lead > 0 && (static_cast<unsigned char>(line[lead]) & 0xC0) == 0x80)
        --lead;
    return isUtf8Text(line, lead) ? TextForm::utf8 : TextForm::ansi;
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
    std::size_t length = 0;
    for (std::size_t start = 0; start < inputLength;) {
        std::size_t end = start;
        while (end < inputLength && !endsLine(input[end]))
            ++end;
        if (end > start) {
            ShownCopy copy = copyShownText(output + length, outputSize - length, input + start, end - start,
                                           lineForm(input + start, end - start, inputCut && end == inputLength));
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
