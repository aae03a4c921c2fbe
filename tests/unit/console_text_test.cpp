// Turning the emulator's console output into CR LF lines for the edit control.
#include "emulator/console_text.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

constexpr char kGuardByte = '#';

struct Converted {
    std::size_t length;
    std::string text;
};

Converted convert(const std::string& input, std::size_t inputLength, std::size_t outputSize, bool inputCut = false)
{
    std::vector<char> output(outputSize + 16, kGuardByte);
    Converted c;
    c.length = convertConsoleText(input.data(), inputLength, inputCut, output.data(), outputSize);
    for (std::size_t i = outputSize; i < output.size(); ++i)
        EXPECT_EQ(output[i], kGuardByte) << "byte " << i << " past the output written";
    const std::size_t end = outputSize == 0 ? 0 : strnlen(output.data(), outputSize);
    EXPECT_TRUE(outputSize == 0 || end < outputSize) << "output not zero-terminated";
    c.text = std::string(output.data(), end);
    EXPECT_EQ(c.length, c.text.size());
    return c;
}

TEST(ConvertConsoleText, AddsALineFeedAfterEveryLoneCarriageReturn)
{
    const struct {
        const char* label;
        std::string input;
        std::size_t inputLength;
        const char* expected;
    } cases[] = {
        {"lone CR", "ab\rcd", 5, "ab\r\ncd"},
        {"CR LF kept", "ab\r\ncd", 6, "ab\r\ncd"},
        {"lone LF kept", "ab\ncd", 5, "ab\ncd"},
        {"CR at the end", "ab\r", 3, "ab\r\n"},
        {"CR CR LF", "a\r\r\nb", 5, "a\r\n\r\nb"},
        {"LF CR", "a\n\rb", 4, "a\n\r\nb"},
        {"zero byte ends the text", std::string("ab\0cd", 5), 5, "ab"},
        {"CR before a zero byte", std::string("a\r\0\n", 4), 4, "a\r\n"},
        {"input length bounds the text", "abcdef", 3, "abc"},
        // The LF past the bound is not part of the text.
        {"CR at the bound", "ab\r\ncd", 3, "ab\r\n"},
        {"empty", "", 0, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        EXPECT_EQ(convert(c.input, c.inputLength, 64).text, c.expected);
    }
}

TEST(ConvertConsoleText, ReadsTheWholeOutputAsUtf8OrInTheLegacyCodePage)
{
    const std::string e = "\xC3\xA9", legacyE = "\xC3\x83\xC2\xA9"; // é, and its bytes read in code page 1252
    const struct {
        const char* label;
        std::string input;
        std::size_t outputSize;
        std::string expected;
        bool inputCut = false;
    } cases[] = {
        {"UTF-8 kept",
         "Gr\xC3\xBC\xC3\x9F"
         "e\r\nAttach" +
             e + "\rok\n",
         64,
         "Gr\xC3\xBC\xC3\x9F"
         "e\r\nAttach" +
             e + "\r\nok\n"},
        {"code page 1252 brought in",
         "Gr\xFC\xDF"
         "e\r\nAttach\xE9\rok\n",
         64,
         "Gr\xC3\xBC\xC3\x9F"
         "e\r\nAttach" +
             e + "\r\nok\n"},
        {"Japanese", "\xE3\x83\x91\xE3\x83\x83\xE3\x82\xAF!\n", 64, "\xE3\x83\x91\xE3\x83\x83\xE3\x82\xAF!\n"},
        {"one invalid byte makes it all code page 1252", e + " \xC0\xAF\n" + e, 64,
         legacyE + " \xC3\x80\xC2\xAF\n" + legacyE},
        // The read of the console file can stop inside a character.
        {"last line cut inside a character", "ok\n" + e + "t\xC3", 64, "ok\n" + e + "t", true},
        {"whole text ending in a code-page letter", "ok\n" + e + "t\xC3", 64, "ok\n" + legacyE + "t\xC3\x83"},
        {"code-page text cut by the read", "ok\ncaf\xE9", 64, "ok\ncaf" + e, true},
        {"zero byte makes the text whole", std::string("\xC3\xA9\xC3\0x", 6), 64, legacyE + "\xC3\x83", true},
        {"cut between characters", e + e + e, 4, e},
        {"two characters fit", e + e + e, 5, e + e},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        EXPECT_EQ(convert(c.input, c.input.size(), c.outputSize, c.inputCut).text, c.expected);
    }
}

TEST(ConvertConsoleText, CutsWhereTheOutputIsFull)
{
    const struct {
        const char* label;
        std::string input;
        std::size_t outputSize;
        const char* expected;
    } cases[] = {
        {"plain text", "abcdef", 4, "abc"},
        {"exact fit", "abc", 4, "abc"},
        {"added LF would not fit", "ab\r", 4, "ab"},
        {"added LF fits exactly", "ab\r", 5, "ab\r\n"},
        {"one byte", "abc", 1, ""},
        {"nothing", "abc", 0, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        EXPECT_EQ(convert(c.input, c.input.size(), c.outputSize).text, c.expected);
    }
}

TEST(ConvertConsoleText, FullConsoleBufferOfLoneReturnsStaysInTheOutput)
{
    const std::string input(20480, '\r');
    Converted c = convert(input, input.size(), 20960);
    EXPECT_LE(c.length, 20959u);
    EXPECT_GE(c.length, 20958u);
    for (std::size_t i = 0; i < c.text.size(); i += 2)
        ASSERT_EQ(c.text.compare(i, 2, "\r\n"), 0) << "at " << i;
}

} // namespace
