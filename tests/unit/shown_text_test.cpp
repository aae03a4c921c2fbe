// Shown texts: which texts are UTF-8, and their copy into fixed fields of the program's code page.
#include "common/shown_text.h"
#include "common/shown_text_posix.h"

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

TEST(TextForm, ATextIsUtf8WholeOrLegacyAndACutMayEndInsideItsLastCharacter)
{
    const struct {
        std::string text;
        TextForm whole, cut;
    } cases[] = {
        {kAttache, TextForm::utf8, TextForm::utf8},
        {"Attach\xE9", TextForm::legacy, TextForm::legacy},
        {kAttache + " Caf\xC3", TextForm::legacy, TextForm::utf8},
        {"Caf\xC3", TextForm::legacy, TextForm::legacy}, // a lone lead byte shows nothing of UTF-8
        {kAttache + "\xC3 ", TextForm::legacy, TextForm::legacy},
        {"Pac-Man", TextForm::legacy, TextForm::legacy},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(textFormOf(c.text.data(), c.text.size()), c.whole);
        EXPECT_EQ(cutTextFormOf(c.text.data(), c.text.size()), c.cut);
    }
}

// A double-byte code page like 932: katakana in two bytes, lead bytes 81-9F and E0-FC.
bool isLeadLike932(unsigned char byte)
{
    return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
}

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

std::size_t decodeLike932(const unsigned char* text, std::size_t length, std::uint32_t& codePoint)
{
    if (!isLeadLike932(text[0])) {
        codePoint = text[0] < 0x80 ? text[0] : '?';
        return 1;
    }
    if (length < 2)
        return 0;
    codePoint = text[0] == 0x83 && text[1] >= 0x40 && text[1] <= 0x96 ? 0x30A1u + text[1] - 0x40 : '?';
    return 2;
}

const LegacyCodePage kLike932 = {encodeLike932, decodeLike932};
const CodePages kUtf8Program = {true, &kCodePage1252}, kOld1252 = {false, &kCodePage1252}, kOld932 = {false, &kLike932},
                kUtf8With932 = {true, &kLike932};

// Titles, console lines and feeds in tables of their own: listing_scan_test.cpp, console_text_test.cpp,
// score_record_test.cpp.
TEST(CopyShownText, BringsUtf8AndLegacyTextIntoTheProgramsCodePageCutWithinACharacter)
{
    const std::string a249(249, 'a'), a248(248, 'a');
    std::string longJapanese, japanese83;
    for (int i = 0; i < 60; ++i)
        longJapanese += kPacMan;
    for (int i = 0; i < 83; ++i)
        japanese83 += kPacMan.substr(static_cast<std::size_t>(i % 5) * 3, 3);
    const TextForm utf8 = TextForm::utf8, legacy = TextForm::legacy;
    const struct {
        const char* label;
        std::string text;
        TextForm form;
        std::size_t size;
        std::string expected;
        bool cut;
        const CodePages* codePages;
    } cases[] = {
        // Today's Windows: UTF-8 kept, the legacy code page's letters brought in.
        {"UTF-8 kept", kPacMan + " " + kAttache, utf8, 250, kPacMan + " " + kAttache, false, &kUtf8Program},
        {"legacy accent", "Attach\xE9", legacy, 250, kAttache, false, &kUtf8Program},
        {"legacy euro sign and control", "5 \x80\x81", legacy, 250, "5 \xE2\x82\xAC\xC2\x81", false, &kUtf8Program},
        {"one bad byte reads the whole text as legacy", kAttache + " \xFF", legacy, 250,
         "Attach\xC3\x83\xC2\xA9 \xC3\xBF", false, &kUtf8Program},
        {"legacy letter that no longer fits", a248 + "\xE9", legacy, 250, a248, true, &kUtf8Program},
        {"cut before a character", a249 + "\xC3\xA9", utf8, 250, a249, true, &kUtf8Program},
        {"cut of a long Japanese title", longJapanese, utf8, 250, japanese83, true, &kUtf8Program},
        {"a read cut inside the last character", "Caf\xC3", utf8, 250, "Caf", false, &kUtf8Program},
        {"bytes that are no UTF-8, said to be",
         "a\xFF"
         "b",
         utf8, 250, "a?b", false, &kUtf8Program},
        {"legacy double-byte letters", "\x83\x70\x83\x62", legacy, 250, "\xE3\x83\x91\xE3\x83\x83", false,
         &kUtf8With932},
        {"legacy text ending in a lead byte", "a\x83", legacy, 250, "a", false, &kUtf8With932},
        {"nothing fits", kAttache, utf8, 1, "", true, &kUtf8Program},
        // Windows before 1903: the program's code page is the legacy one.
        {"euro sign in the 80-9F bytes", "5 \xE2\x82\xAC", utf8, 250, "5 \x80", false, &kOld1252},
        {"character past U+FFFF", "\xF0\x9F\x98\x80!", utf8, 250, "?!", false, &kOld1252},
        // Best fit would make them a real backslash and quotation mark.
        {"fullwidth backslash and quote", "C:\xEF\xBC\xBC \xEF\xBC\x82", utf8, 250, "C:? ?", false, &kOld1252},
        {"legacy kept", "Attach\xE9", legacy, 250, "Attach\xE9", false, &kOld1252},
        {"cut of a long Japanese title as marks", longJapanese, utf8, 250, std::string(249, '?'), true, &kOld1252},
        {"double-byte characters whole", kPacMan, utf8, 6, "\x83\x70\x83\x62", true, &kOld932},
        {"double-byte text kept, cut before a lead byte", "a\x83\x50\x83\x62", legacy, 5, "a\x83\x50", true, &kOld932},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        std::vector<char> field(c.size + 8, '#');
        ShownCopy copy = copyShownText(field.data(), c.size, c.text.data(), c.text.size(), c.form, *c.codePages);
        EXPECT_EQ(std::string(field.data(), copy.length), c.expected);
        EXPECT_EQ(field[copy.length], '\0');
        EXPECT_EQ(copy.cut, c.cut);
        EXPECT_EQ(std::string(field.data() + c.size, 8), std::string(8, '#')) << "written past the field";
        if (!c.cut)
            EXPECT_EQ(programText(c.text.data(), c.text.size(), c.form, *c.codePages), c.expected);
    }
    // The files Hobrin writes are UTF-8 whatever its code page.
    EXPECT_EQ(utf8Text("Attach\xE9", 7, kOld1252), kAttache);
    EXPECT_EQ(utf8Text(kAttache.data(), kAttache.size(), kUtf8Program), kAttache);
}

TEST(WholeCharsLength, LeavesOutACharacterThatTheTextEndsInside)
{
    const struct {
        std::string text;
        std::size_t length;
        const CodePages* codePages;
    } cases[] = {
        {"ab\xE3\x83", 2, &kUtf8Program}, {"ab\xE3\x83\x91", 5, &kUtf8Program},
        {"a\xC3", 1, &kUtf8Program},      {"\xF0\x9F\x98", 0, &kUtf8Program},
        {"", 0, &kUtf8Program},           {"\x80\x80\x80\x80", 4, &kUtf8Program},
        {"a\x83", 1, &kOld932},           {"a\x83\x50", 3, &kOld932},
        {"a\xE9", 2, &kOld1252},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.text));
        EXPECT_EQ(wholeCharsLength(c.text.data(), c.text.size(), *c.codePages), c.length);
    }
}

} // namespace
