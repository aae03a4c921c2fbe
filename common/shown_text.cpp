// Texts from outside brought into Hobrin's code page, and Hobrin's texts into UTF-8.
#include "common/shown_text.h"

#include <cstring>

namespace {

// The character at `text` read as UTF-8: its code point and length; 0 when
// the text ends inside it. A byte that starts no valid sequence is one "?".
std::size_t decodeUtf8(const unsigned char* text, std::size_t length, std::uint32_t& codePoint)
{
    Utf8Check check;
    checkUtf8Byte(check, text[0]);
    if (check.invalid) {
        codePoint = '?';
        return 1;
    }
    const std::size_t size = 1u + check.pending;
    static const unsigned char kLeadBits[] = {0, 0x7F, 0x1F, 0x0F, 0x07};
    codePoint = text[0] & kLeadBits[size];
    for (std::size_t i = 1; i < size; ++i) {
        if (i == length)
            return 0;
        checkUtf8Byte(check, text[i]);
        if (check.invalid) {
            codePoint = '?';
            return 1;
        }
        codePoint = (codePoint << 6) | (text[i] & 0x3Fu);
    }
    return size;
}

std::size_t encodeUtf8(std::uint32_t codePoint, char* out)
{
    if (codePoint < 0x80) {
        out[0] = static_cast<char>(codePoint);
        return 1;
    }
    if (codePoint > 0x10FFFF || (codePoint >= 0xD800 && codePoint <= 0xDFFF)) {
        out[0] = '?';
        return 1;
    }
    std::size_t size = codePoint < 0x800 ? 2 : codePoint < 0x10000 ? 3 : 4;
    static const unsigned char kLeadMarks[] = {0, 0, 0xC0, 0xE0, 0xF0};
    for (std::size_t i = size - 1; i > 0; --i) {
        out[i] = static_cast<char>(0x80 | (codePoint & 0x3F));
        codePoint >>= 6;
    }
    out[0] = static_cast<char>(kLeadMarks[size] | codePoint);
    return size;
}

using Decode = std::size_t (*)(const unsigned char* text, std::size_t length, std::uint32_t& codePoint);
using Encode = std::size_t (*)(std::uint32_t codePoint, char* out);

// Character by character from one code page into another, as much as `room`
// bytes hold.
ShownCopy copyConverted(char* field, std::size_t room, const unsigned char* text, std::size_t length, Decode decode,
                        Encode encode)
{
    std::size_t written = 0;
    for (std::size_t i = 0; i < length;) {
        // Every code page keeps ASCII as it is.
        if (text[i] < 0x80) {
            if (written == room)
                return {written, true};
            field[written++] = static_cast<char>(text[i++]);
            continue;
        }
        std::uint32_t codePoint = 0;
        std::size_t used = decode(text + i, length - i, codePoint);
        if (used == 0)
            break;
        char bytes[kMaxAnsiCharBytes];
        std::size_t size = encode(codePoint, bytes);
        if (size > room - written)
            return {written, true};
        std::memcpy(field + written, bytes, size);
        written += size;
        i += used;
    }
    return {written, false};
}

// A text already in the code page: its bytes, up to the last whole
// character that fits. Decoding is only needed where that may differ.
ShownCopy copyAsIs(char* field, std::size_t room, const unsigned char* text, std::size_t length, Decode decode)
{
    if (length <= room) {
        std::memcpy(field, text, length);
        return {length, false};
    }
    std::size_t end = 0;
    bool cut = false;
    while (end < length) {
        std::size_t size = 1;
        std::uint32_t codePoint = 0;
        if (text[end] >= 0x80 && (size = decode(text + end, length - end, codePoint)) == 0)
            break; // a character that the text ends inside
        if (size > room - end) {
            cut = true;
            break;
        }
        end += size;
    }
    std::memcpy(field, text, end);
    return {end, cut};
}

bool hasHighByte(const unsigned char* text, std::size_t length)
{
    for (std::size_t i = 0; i < length; ++i) {
        if (text[i] >= 0x80)
            return true;
    }
    return false;
}

// Valid UTF-8 to its end, ASCII included.
bool isWholeUtf8(const char* text, std::size_t length)
{
    Utf8Check check = checkUtf8Text(text, length);
    return !check.invalid && check.pending == 0;
}

Decode decoderOf(TextForm form, const CodePages& codePages)
{
    return form == TextForm::utf8 ? decodeUtf8 : codePages.legacy->decode;
}

} // namespace

void checkUtf8Bytes(Utf8Check& check, const unsigned char* bytes, std::size_t length)
{
    std::size_t i = 0;
    while (i < length && !check.invalid) {
        if (check.pending == 0) {
            // Titles and answers are mostly ASCII: eight bytes at a time.
            while (i + 8 <= length) {
                std::uint64_t word;
                std::memcpy(&word, bytes + i, sizeof word);
                if (word & 0x8080808080808080u)
                    break;
                i += 8;
            }
            if (i == length)
                break;
        }
        checkUtf8Byte(check, bytes[i++]);
    }
}

Utf8Check checkUtf8Text(const char* text, std::size_t length)
{
    Utf8Check check;
    checkUtf8Bytes(check, reinterpret_cast<const unsigned char*>(text), length);
    return check;
}

bool isUtf8Text(const char* text, std::size_t length)
{
    return isUtf8Text(checkUtf8Text(text, length));
}

TextForm textFormOf(const char* text, std::size_t length)
{
    return textFormOf(checkUtf8Text(text, length));
}

TextForm cutTextFormOf(const char* text, std::size_t length)
{
    return isCutUtf8Text(checkUtf8Text(text, length)) ? TextForm::utf8 : TextForm::legacy;
}

ShownCopy copyShownText(char* field, std::size_t size, const char* text, std::size_t length, TextForm form,
                        const CodePages& codePages)
{
    const std::size_t room = size - 1;
    const unsigned char* bytes = reinterpret_cast<const unsigned char*>(text);
    const bool same = (form == TextForm::utf8) == codePages.programUtf8;
    ShownCopy copy{};
    if (!same && hasHighByte(bytes, length)) {
        copy = copyConverted(field, room, bytes, length, decoderOf(form, codePages),
                             codePages.programUtf8 ? encodeUtf8 : codePages.legacy->encode);
    } else if (form == TextForm::utf8 && !isWholeUtf8(text, length)) {
        // Cut inside its last character, or holding bytes that are no
        // UTF-8: each character is looked at.
        copy = copyConverted(field, room, bytes, length, decodeUtf8, encodeUtf8);
    } else {
        copy = copyAsIs(field, room, bytes, length, decoderOf(form, codePages));
    }
    field[copy.length] = '\0';
    return copy;
}

ShownCopy copyShownText(char* field, std::size_t size, const char* text, std::size_t length)
{
    return copyShownText(field, size, text, length, textFormOf(text, length));
}

std::size_t wholeCharsLength(const char* text, std::size_t length, const CodePages& codePages)
{
    const unsigned char* bytes = reinterpret_cast<const unsigned char*>(text);
    if (codePages.programUtf8) {
        // Only a sequence that UTF-8 begins there and the text ends inside
        // is left out; bytes that begin none are kept as they are.
        const std::size_t from = length > 3 ? length - 3 : 0;
        for (std::size_t lead = length; lead > from; --lead) {
            Utf8Check check;
            for (std::size_t i = lead - 1; i < length && !check.invalid; ++i)
                checkUtf8Byte(check, bytes[i]);
            if (bytes[lead - 1] >= 0xC0)
                return !check.invalid && check.pending > 0 ? lead - 1 : length;
        }
        return length;
    }
    std::size_t end = 0;
    while (end < length) {
        std::uint32_t codePoint = 0;
        std::size_t size = bytes[end] < 0x80 ? 1 : codePages.legacy->decode(bytes + end, length - end, codePoint);
        if (size == 0)
            break;
        end += size;
    }
    return end;
}

bool isProgramText(const char* text, std::size_t length, const CodePages& codePages)
{
    if (codePages.programUtf8)
        return isWholeUtf8(text, length);
    return wholeCharsLength(text, length, codePages) == length;
}

std::string programText(const char* text, std::size_t length, TextForm form, const CodePages& codePages)
{
    // A legacy character takes at most three bytes in UTF-8, a UTF-8 one
    // at most as many in a legacy code page as it had.
    std::string converted(length * 3 + 1, '\0');
    ShownCopy copy = copyShownText(&converted[0], converted.size(), text, length, form, codePages);
    converted.resize(copy.length);
    return converted;
}

std::string utf8Text(const char* text, std::size_t length, const CodePages& codePages)
{
    if (codePages.programUtf8)
        return programText(text, length, TextForm::utf8, codePages);
    return programText(text, length, TextForm::legacy, CodePages{true, codePages.legacy});
}
