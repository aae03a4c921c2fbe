// The listing scan's single steps, from memory and from a file.
#include "emulator/listing_scan.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

struct Step {
    bool game;
    std::string shortName, description;
};

bool operator==(const Step& a, const Step& b)
{
    return a.game == b.game && a.shortName == b.shortName && a.description == b.description;
}

std::ostream& operator<<(std::ostream& out, const Step& s)
{
    return out << (s.game ? "game" : "not") << " {\"" << s.shortName << "\", \"" << s.description << "\"}";
}

// Runs the scan loop to the end, recording every step; the fields must end
// within their buffers on every step.
std::vector<Step> steps(ListingStream& stream, std::size_t nameSize = 10, std::size_t descriptionSize = 250)
{
    std::vector<Step> result;
    std::vector<char> name(nameSize, '#'), description(descriptionSize, '#');
    while (!listingEnded(stream)) {
        bool game =
            scanListingEntry(stream, name.data(), nameSize, description.data(), descriptionSize) == ScanResult::game;
        EXPECT_NE(std::memchr(name.data(), '\0', nameSize), nullptr);
        EXPECT_NE(std::memchr(description.data(), '\0', descriptionSize), nullptr);
        result.push_back({game, name.data(), description.data()});
        if (result.size() > 10000) {
            ADD_FAILURE() << "the scan does not end";
            break;
        }
    }
    return result;
}

std::vector<Step> stepsOf(const std::string& text)
{
    ListingStream stream;
    openListingMemory(stream, text.data(), text.size());
    return steps(stream);
}

TEST(ScanListingEntry, StepsLikeTheFormattedRead)
{
    const struct {
        const char* label;
        const char* text;
        std::vector<Step> expected;
    } cases[] = {
        {"heading words fail one at a time",
         "Name:     Description:\npacman    \"Pac-Man (Midway)\"\n",
         {{false, "Name:", ""}, {false, "Descripti", ""}, {true, "pacman", "Pac-Man (Midway)"}}},
        // The unmatched character stays for the next step's word.
        {"word where the quote belongs", "ab cd \"E\"", {{false, "ab", ""}, {true, "cd", "E"}}},
        {"empty quotes leave the closing quote unread",
         "abc \"\"def \"G\"",
         {{false, "abc", ""}, {true, "\"def", "G"}}},
        {"description spans a line end without a quote", "a \"x\ny\"\nb", {{true, "a", "x\ny"}, {false, "b", ""}}},
        {"no white space around the quotes", "a\"A\"b\"B\"", {{false, "a\"A\"b\"B\"", ""}}},
        // Today's emulators list titles holding quotes of their own.
        {"quotes inside a title",
         "cc10              \"Chess Challenger \"10\" (model CCX, rev. B)\"\r\ncc7 \"Apollo DN3000 19\" Mono\"\n",
         {{true, "cc10", "Chess Challenger \"10\" (model CCX, rev. B)"}, {true, "cc7", "Apollo DN3000 19\" Mono"}}},
        {"text after the line's last quote is dropped",
         "a \"A\" b \"B\" junk\nc \"C\"",
         {{true, "a", "A\" b \"B"}, {true, "c", "C"}}},
        {"word and white space at the end", "word \n", {{false, "word", ""}}},
        {"open quote at the end", "word \"", {{false, "word", ""}}},
        {"unterminated description", "word \"Pac", {{false, "word", ""}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        EXPECT_EQ(stepsOf(c.text), c.expected);
    }
}

TEST(ScanListingEntry, GameStepConsumesTheWhiteSpaceAfterIt)
{
    // The last game ends the stream by itself: no empty step follows it.
    EXPECT_EQ(stepsOf("a \"A\" \r\n\t"), (std::vector<Step>{{true, "a", "A"}}));
}

TEST(ScanListingEntry, OverlongFieldsAreCutAndTheStepEndsInStep)
{
    const std::string ten(10, 'n'), nine(9, 'n');
    const struct {
        const char* label;
        std::string text;
        std::vector<Step> expected;
    } cases[] = {
        // Had the step stopped after the word, `"x"` would be read as a game's name.
        {"overlong word consumes its description", ten + " \"x\"\n\"y\"", {{false, nine, "x"}, {false, "\"y\"", ""}}},
        // A zero byte would cut the name just as a short buffer would.
        {"word holding a zero byte is not a game",
         std::string("pac\0man \"P\"\nok \"Ok\"", 19),
         {{false, "pac", "P"}, {true, "ok", "Ok"}}},
        {"cut description consumed to its quote",
         "a \"" + std::string(249, 'd') + " w\"\n\"N\"",
         {{true, "a", std::string(249, 'd')}, {false, "\"N\"", ""}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        EXPECT_EQ(stepsOf(c.text), c.expected);
    }
}

TEST(ScanListingEntry, DescriptionsAreReadInTheFormOfTheWholeListing)
{
    // Today's emulators write UTF-8, older ones the legacy code page (1252 here).
    const std::string e = "\xC3\xA9";
    std::string eAcute600, e124, longInvalid = std::string(1200, 'x') + "\xC3\xA9\xFF";
    for (int i = 0; i < 600; ++i)
        eAcute600 += e;
    for (int i = 0; i < 124; ++i)
        e124 += e;
    const struct {
        const char* label;
        std::string text;
        std::vector<Step> expected;
    } cases[] = {
        {"accents",
         "attache   \"Attach\xC3\xA9 Case\"\nproblem   \"Probleml\xC3\xB6sungs-Modul\"\n",
         {{true, "attache", "Attach" + e + " Case"}, {true, "problem", "Probleml\xC3\xB6sungs-Modul"}}},
        {"Japanese title",
         "pacmanj   \"\xE3\x83\x91\xE3\x83\x83\xE3\x82\xAF\xE3\x83\x9E\xE3\x83\xB3 (Japan)\"\n",
         {{true, "pacmanj", "\xE3\x83\x91\xE3\x83\x83\xE3\x82\xAF\xE3\x83\x9E\xE3\x83\xB3 (Japan)"}}},
        {"code page 1252", "attache   \"Attach\xE9 Case\"\n", {{true, "attache", "Attach" + e + " Case"}}},
        {"one line of code page 1252 makes the whole listing so",
         "a \"Caf\xC3\xA9\"\nb \"Attach\xE9\"\n",
         {{true, "a", "Caf\xC3\x83\xC2\xA9"}, {true, "b", "Attach" + e}}},
        {"judged as a whole, past the closing quote", "a \"\xC3\xA9\" \xFF\n", {{true, "a", "\xC3\x83\xC2\xA9"}}},
        {"249 bytes cut before a multi-byte character",
         "long \"" + std::string(248, 'a') + "\xC3\xA9\xC3\xA9\"",
         {{true, "long", std::string(248, 'a')}}},
        {"longer than the scratch", "long \"" + eAcute600 + "\"", {{true, "long", e124}}},
        {"longer than the scratch, in code page 1252",
         "long \"" + longInvalid + "\"",
         {{true, "long", std::string(249, 'x')}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        EXPECT_EQ(stepsOf(c.text), c.expected);
    }
}

TEST(ScanListingEntry, FieldsFitTinyBuffers)
{
    ListingStream stream;
    const std::string text = "abc \"def\"\nx \"y\"";
    openListingMemory(stream, text.data(), text.size());
    EXPECT_EQ(steps(stream, 2, 1), (std::vector<Step>{{false, "a", ""}, {true, "x", ""}}));
}

std::string generatedListing(int games)
{
    std::string text = "Name:     Description:\n";
    for (int i = 0; i < games; ++i) {
        std::string n = std::to_string(i);
        text += "g" + n + std::string(static_cast<std::size_t>(i % 7) + 1, ' ') + "\"Game number " + n +
                std::string(static_cast<std::size_t>(i % 13), 'x') + "\"\n";
    }
    return text;
}

std::vector<Step> stepsFromFile(const std::string& text)
{
    std::FILE* file = std::tmpfile();
    EXPECT_NE(file, nullptr);
    if (!file)
        return {};
    std::fwrite(text.data(), 1, text.size(), file);
    std::rewind(file);
    ListingStream stream;
    openListingFile(stream, file);
    std::vector<Step> result = steps(stream);
    std::fclose(file);
    return result;
}

TEST(OpenListingFile, ReadsLikeMemoryAcrossEveryBufferBoundaryOffset)
{
    // Leading blanks shift where the 16 KiB refills fall, so over the offsets
    // a refill lands on each byte of a line, including the one put back.
    const std::string listing = generatedListing(1200);
    ASSERT_GT(listing.size(), 2 * sizeof(ListingStream::buffer));
    for (std::size_t shift = 0; shift < 40; ++shift) {
        SCOPED_TRACE(testing::Message() << "shift " << shift);
        const std::string text = std::string(shift, ' ') + listing;
        ASSERT_EQ(stepsFromFile(text), stepsOf(text));
    }
}

TEST(OpenListingFile, EmptyFileEndsTheScan)
{
    EXPECT_EQ(stepsFromFile(""), (std::vector<Step>{{false, "", ""}}));
}

TEST(OpenListingFile, ReadErrorEndsTheScan)
{
    // A stream opened for writing only fails every read.
    std::FILE* file = std::fopen("/dev/null", "w");
    ASSERT_NE(file, nullptr);
    ListingStream stream;
    openListingFile(stream, file);
    EXPECT_EQ(steps(stream), (std::vector<Step>{{false, "", ""}}));
    EXPECT_TRUE(stream.failed);
    std::fclose(file);
}

} // namespace
