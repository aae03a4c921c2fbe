// Shown texts: the strict UTF-8 check and the bounded copy that converts UTF-8 to the ANSI code page.
#include "common/shown_text.h"

#include <cstring>

const AnsiCodePage systemCodePage = {encodeAnsiChar, ansiCharLength};

namespace {

// Decodes the sequence at `text`, which the check has found valid, into
// `codePoint`. Returns its length, or 0 when it runs past `length` (a text
// cut inside its last character).
std::size_t decodeUtf8(const unsigned char* text, std::size_t length, std::uint32_t& codePoint)
{
    unsigned char lead = text[0];
    std::size_t size = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
    if (size > length)
        return 0;
    static const unsigned char kLeadBits[] = {0, 0x7F, 0x1F, 0x0F, 0x07};
    codePoint = lead & kLeadBits[size];
    for (std::size_t i = 1; i < size; ++i)
        codePoint = (codePoint << 6) | (text[i] & 0x3Fu);
    return size;
}

ShownCopy copyConverted(char* field, std::size_t room, const unsigned char* text, std::size_t length,
                        const AnsiCodePage& codePage)
{
    std::size_t written = 0;
    for (std::size_t i = 0; i < length;) {
        // Every ANSI code page keeps ASCII as it is.
        if (text[i] < 0x80) {
            if (written == room)
                return {written, true};
            field[written++] = static_cast<char>(text[i++]);
            continue;
        }
        std::uint32_t codePoint = 0;
        std::size_t used = decodeUtf8(text + i, length - i, codePoint);
        if (used == 0)
            break;
        char bytes[kMaxAnsiCharBytes];
        std::size_t size = codePage.encode(codePoint, bytes);
        if (size > room - written)
            return {written, true};
        for (std::size_t k = 0; k < size; ++k)
            field[written++] = bytes[k];
        i += used;
    }
    return {written, false};
}

ShownCopy copyAsIs(char* field, std::size_t room, const char* text, std::size_t length, const AnsiCodePage& codePage)
{
    if (length <= room) {
        std::memcpy(field, text, length);
        return {length, false};
    }
    // Only a cut needs the characters: it must not leave half of one.
    std::size_t end = 0;
    while (end < length) {
        std::size_t size = codePage.charLength(static_cast<unsigned char>(text[end]));
        if (size > room - end)
            break;
        end += size;
    }
    std::memcpy(field, text, end);
    return {end, true};
}

} // namespace

Utf8Check checkUtf8Text(const char* text, std::size_t length)
{
    Utf8Check check;
    for (std::size_t i = 0; i < length && !check.invalid; ++i)
        checkUtf8Byte(check, static_cast<unsigned char>(text[i]));
    return check;
}

bool isUtf8Text(const char* text, std::size_t length)
{
    return isUtf8Text(checkUtf8Text(text, length));
}

ShownCopy copyShownText(char* field, std::size_t size, const char* text, std::size_t length, TextForm form,
                        const AnsiCodePage& codePage)
{
    const std::size_t room = size - 1;
    ShownCopy copy = form == TextForm::utf8
                         ? copyConverted(field, room, reinterpret_cast<const unsigned char*>(text), length, codePage)
                         : copyAsIs(field, room, text, length, codePage);
    field[copy.length] = '\0';
    return copy;
}

ShownCopy copyShownText(char* field, std::size_t size, const char* text, std::size_t length)
{
    return copyShownText(field, size, text, length, isUtf8Text(text, length) ? TextForm::utf8 : TextForm::ansi);
}
