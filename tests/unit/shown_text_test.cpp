// Shown texts: which texts are UTF-8, and their copy into fixed fields of the ANSI code page.
#include "common/shown_text.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

const std::string kAttache = "Attach\xC3\xA9";                                              // Attaché
const std::string kPacMan = "\xE3\x83\x91\xE3\x83\x83\xE3\x82\xAF\xE3\x83\x9E\xE3\x83\xB3"; // パックマン

TEST(IsUtf8Text, OnlyStrictUtf8WithAMultiByteSequenceCounts)
{
    const struct {
        const char* label;
        std::string text;
        bool utf8;
    } cases[] = {
        {"accent", kAttache, true},
        {"Japanese title", kPacMan + " (Japan)", true},
        {"largest code point", "\xF4\x8F\xBF\xBF", true},
        {"last before the surrogates", "\xED\x9F\xBF", true},
        {"plain ASCII needs no conversion", "Pac-Man (Midway)", false},
        {"code page 1252", "Attach\xE9", false},
        {"overlong slash", "\xC0\xAF", false},
        {"overlong three bytes", "\xE0\x80\xAF", false},
        {"overlong four bytes", "\xF0\x8F\xBF\xBF", false},
        {"surrogate", "\xED\xA0\x80", false},
        {"past U+10FFFF", "\xF4\x90\x80\x80", false},
        {"never a lead byte", "\xF5\x80\x80\x80", false},
        {"stray continuation byte", kAttache + "\x80", false},
        {"sequence cut short", "Caf\xC3", false},
        {"sequence broken by ASCII",
         "\xE3\x83"
         "a",
         false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        EXPECT_EQ(isUtf8Text(c.text.data(), c.text.size()), c.utf8);
    }
}

// A double-byte code page like 932: katakana in two bytes, lead bytes 81-9F and E0-FC.
std::size_t encodeLike932(std::uint32_t codePoint, char* out)
{
    if (codePoint >= 0x30A1 && codePoint <= 0x30F6) {
        out[0] = '\x83';
        out[1] = static_cast<char>(0x40 + codePoint - 0x30A1);
        return 2;
    }
    out[0] = codePoint < 0x80 ? static_cast<char>(codePoint) : '?';
    return 1;
}

std::size_t charLengthLike932(unsigned char lead)
{
    return (lead >= 0x81 && lead <= 0x9F) || (lead >= 0xE0 && lead <= 0xFC) ? 2 : 1;
}

const AnsiCodePage kLike932 = {encodeLike932, charLengthLike932};

// Titles and console lines in tables of their own: listing_scan_test.cpp, console_text_test.cpp.
TEST(CopyShownText, ConvertsUtf8AndKeepsEveryOtherTextCutWithinACharacter)
{
    const std::string a249(249, 'a'), a248(248, 'a');
    std::string longJapanese;
    for (int i = 0; i < 60; ++i)
        longJapanese += kPacMan;
    const struct {
        const char* label;
        std::string text;
        std::size_t size;
        std::string expected;
        bool cut;
        const AnsiCodePage* codePage;
    } cases[] = {
        {"euro sign in the 80-9F bytes", "5 \xE2\x82\xAC", 250, "5 \x80", false, &systemCodePage},
        {"character past U+FFFF", "\xF0\x9F\x98\x80!", 250, "?!", false, &systemCodePage},
        // Best fit would make them a real backslash and quotation mark.
        {"fullwidth backslash and quote", "C:\xEF\xBC\xBC \xEF\xBC\x82", 250, "C:? ?", false, &systemCodePage},
        {"one bad byte keeps the whole text", kAttache + " \xFF", 250, kAttache + " \xFF", false, &systemCodePage},
        {"249 characters from 250 bytes", a248 + "\xC3\xA9", 250, a248 + "\xE9", false, &systemCodePage},
        {"cut before a character", a249 + "\xC3\xA9", 250, a249, true, &systemCodePage},
        {"cut of a long Japanese title", longJapanese, 250, std::string(249, '?'), true, &systemCodePage},
        {"double-byte characters whole", kPacMan, 6, "\x83\x70\x83\x62", true, &kLike932},
        {"double-byte text kept, cut before a lead byte", "a\x83\x50\x83\x62", 5, "a\x83\x50", true, &kLike932},
        {"nothing fits", kAttache, 1, "", true, &systemCodePage},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        std::vector<char> field(c.size + 8, '#');
        TextForm form = isUtf8Text(c.text.data(), c.text.size()) ? TextForm::utf8 : TextForm::ansi;
        ShownCopy copy = copyShownText(field.data(), c.size, c.text.data(), c.text.size(), form, *c.codePage);
        EXPECT_EQ(std::string(field.data(), copy.length), c.expected);
        EXPECT_EQ(field[copy.length], '\0');
        EXPECT_EQ(copy.cut, c.cut);
        EXPECT_EQ(std::string(field.data() + c.size, 8), std::string(8, '#')) << "written past the field";
    }
}

} // namespace
