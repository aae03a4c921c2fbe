// Hobrin's texts are in its own code page; text from outside comes in UTF-8 or in the system's legacy one.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// Hobrin's own code page is UTF-8 wherever Windows lets a program choose it
// (the manifest's activeCodePage, Windows 10 version 1903 on); elsewhere it
// is the system's ANSI code page. Text from outside (an emulator's listing
// and answers, a feed, a file written by hand) is UTF-8 or in the system's
// legacy ANSI code page, and is brought into Hobrin's once, where it enters.

// The most bytes one character takes in Hobrin's code page (four in UTF-8).
constexpr std::size_t kMaxAnsiCharBytes = 4;

// The system's legacy ANSI code page, one character at a time.
struct LegacyCodePage {
    // Writes the code page's bytes for `codePoint` into `out` (room for
    // kMaxAnsiCharBytes) and returns their count. A character that the code
    // page lacks becomes "?", never a look-alike: a fullwidth backslash must
    // not turn into a real one.
    std::size_t (*encode)(std::uint32_t codePoint, char* out);
    // The character that starts `text` (length > 0): its code point, and its
    // length in bytes; 0 when the text ends inside it (a lead byte last).
    std::size_t (*decode)(const unsigned char* text, std::size_t length, std::uint32_t& codePoint);
};

struct CodePages {
    bool programUtf8; // Hobrin's code page is UTF-8; else it is `legacy` itself
    const LegacyCodePage* legacy;
};

// Where Hobrin runs: shown_text_win.cpp asks Windows; the native builds
// (shown_text_posix.cpp) are Hobrin on today's Windows, UTF-8 with code
// page 1252 as the legacy one.
const CodePages& programCodePages();

// A strict UTF-8 check fed one byte at a time: overlong forms, surrogates,
// code points above U+10FFFF, stray continuation bytes and bytes that never
// start a sequence make the text "not UTF-8".
struct Utf8Check {
    unsigned char pending = 0; // continuation bytes still expected
    unsigned char low = 0x80;  // range of the next continuation byte
    unsigned char high = 0xBF;
    bool invalid = false;
    bool multiByte = false; // a sequence of two or more bytes was completed
};

inline void checkUtf8Byte(Utf8Check& check, unsigned char byte)
{
    if (check.pending == 0 && byte < 0x80)
        return;
    if (check.pending > 0) {
        if (byte < check.low || byte > check.high) {
            check.invalid = true;
            check.pending = 0;
            return;
        }
        if (--check.pending == 0)
            check.multiByte = true;
        check.low = 0x80;
        check.high = 0xBF;
        return;
    }
    if (byte >= 0xC2 && byte <= 0xDF)
        check.pending = 1;
    else if (byte >= 0xE0 && byte <= 0xEF) {
        check.pending = 2;
        if (byte == 0xE0)
            check.low = 0xA0; // below: overlong
        else if (byte == 0xED)
            check.high = 0x9F; // above: surrogates
    } else if (byte >= 0xF0 && byte <= 0xF4) {
        check.pending = 3;
        if (byte == 0xF0)
            check.low = 0x90; // below: overlong
        else if (byte == 0xF4)
            check.high = 0x8F; // above: past U+10FFFF
    } else
        check.invalid = true; // 80-C1 (stray or overlong) and F5-FF
}

// Whole UTF-8 with at least one multi-byte sequence: the text to read as
// UTF-8. Plain ASCII reads the same either way.
inline bool isUtf8Text(const Utf8Check& check)
{
    return !check.invalid && check.multiByte && check.pending == 0;
}

// The same for a text that a bound in bytes may have cut: its last
// character may be cut short.
inline bool isCutUtf8Text(const Utf8Check& check)
{
    return !check.invalid && check.multiByte;
}

// Feeds `length` bytes to the check, runs of ASCII eight at a time; it
// stops at the first invalid byte.
void checkUtf8Bytes(Utf8Check& check, const unsigned char* bytes, std::size_t length);

// The check over a whole text; it stops at the first invalid byte.
Utf8Check checkUtf8Text(const char* text, std::size_t length);
bool isUtf8Text(const char* text, std::size_t length);

// How a text from outside is written. The decision is taken over a whole
// file or answer, so that one title's bytes never read otherwise than its
// neighbours'.
enum class TextForm { legacy, utf8 };

inline TextForm textFormOf(const Utf8Check& check)
{
    return isUtf8Text(check) ? TextForm::utf8 : TextForm::legacy;
}
TextForm textFormOf(const char* text, std::size_t length);
// For a text that a bound in bytes may have cut (a read that stopped at its
// limit): UTF-8 also when its last character is cut short.
TextForm cutTextFormOf(const char* text, std::size_t length);

struct ShownCopy {
    std::size_t length; // bytes written, the terminating zero not counted
    bool cut;           // the field was full before the text ended
};

// Copies `length` bytes of `text`, written in `form`, into `field` of `size`
// bytes (size > 0) in Hobrin's code page: converted where the two differ, a
// character that the code page lacks as "?". A UTF-8 text cut inside its
// last character leaves that character out; bytes that are not the form
// they are said to be become "?". Cut to the field without splitting a
// character, always zero-terminated.
ShownCopy copyShownText(char* field, std::size_t size, const char* text, std::size_t length, TextForm form,
                        const CodePages& codePages = programCodePages());

// The same, the form judged from the text itself.
ShownCopy copyShownText(char* field, std::size_t size, const char* text, std::size_t length);

// The length of `text` without a character of Hobrin's code page that its
// last bytes begin but do not end: where a bounded copy or format must stop
// so as not to split one.
std::size_t wholeCharsLength(const char* text, std::size_t length, const CodePages& codePages = programCodePages());

// Whether `text` is whole text of Hobrin's code page: valid UTF-8, or in a
// legacy code page not ending inside a character. A name that is not would
// reach a file call as broken bytes.
bool isProgramText(const char* text, std::size_t length, const CodePages& codePages = programCodePages());

// The whole of a text from outside in Hobrin's code page.
std::string programText(const char* text, std::size_t length, TextForm form,
                        const CodePages& codePages = programCodePages());

// A text of Hobrin's as UTF-8: for the files that Hobrin writes and the
// report, which are UTF-8 whatever the code page.
std::string utf8Text(const char* text, std::size_t length, const CodePages& codePages = programCodePages());
inline std::string utf8Text(const std::string& text)
{
    return utf8Text(text.data(), text.size());
}
