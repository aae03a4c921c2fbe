// The texts of the Score Properties and download windows.
#include "online/download_text.h"
#include "online/score_text.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <cstring>
#include <limits>
#include <string>

namespace {

TEST(TruncateToInt, CutsTowardZeroAndSaturates)
{
    const struct {
        double value;
        int expected;
    } cases[] = {
        {12.9, 12},
        {-2.5, -2},
        {99.99, 99},
        {0.0, 0},
        {1e300, INT_MAX},
        {-1e300, INT_MIN},
        {std::numeric_limits<double>::infinity(), INT_MAX},
        {std::nan(""), 0},
    };
    for (const auto& c : cases)
        EXPECT_EQ(truncateToInt(c.value), c.expected) << c.value;
}

TEST(FormatUploadTime, FixedEnglishFormWithZeroPaddedDayAndNewline)
{
    std::tm time{};
    time.tm_year = 70;
    time.tm_mon = 0;
    time.tm_mday = 1;
    time.tm_hour = 1;
    time.tm_wday = 4;
    char text[64];
    formatUploadTime(&time, text, sizeof text);
    EXPECT_STREQ(text, "Uploaded on: Thu Jan 01 01:00:00 1970\n");

    time = std::tm{};
    time.tm_year = 106;
    time.tm_mon = 11;
    time.tm_mday = 24;
    time.tm_hour = 23;
    time.tm_min = 5;
    time.tm_sec = 9;
    time.tm_wday = 0;
    formatUploadTime(&time, text, sizeof text);
    EXPECT_STREQ(text, "Uploaded on: Sun Dec 24 23:05:09 2006\n");
}

TEST(FormatUploadTime, TimeThatCannotBeConvertedSaysSo)
{
    char text[64];
    formatUploadTime(nullptr, text, sizeof text);
    EXPECT_STREQ(text, "Uploaded on: unknown date\n");
    std::tm broken{};
    broken.tm_mon = 12;
    formatUploadTime(&broken, text, sizeof text);
    EXPECT_STREQ(text, "Uploaded on: unknown date\n");
}

TEST(DownloadProgress, CountsBlocksAsTheLineAlwaysHas)
{
    // The final read of nothing ends each answer.
    EXPECT_EQ(progressBlocks(1024, false), 1u);
    EXPECT_EQ(progressBlocks(2048, false), 2u);
    EXPECT_EQ(progressBlocks(2048, true), 3u);
    EXPECT_EQ(progressBlocks(1024, false), 1u);
    EXPECT_EQ(progressBlocks(1500, false), 2u);
    EXPECT_EQ(progressBlocks(1500, true), 2u);
    EXPECT_EQ(progressBlocks(0, true), 1u);
    // Reads shorter than a block count the block begun.
    EXPECT_EQ(progressBlocks(100, false), 1u);
    EXPECT_EQ(progressBlocks(1025, false), 2u);
    EXPECT_EQ(progressBlocks(0xFFFFFFFFFFFFull, true), 0xFFFFFFFFu);
}

TEST(DownloadProgress, LineShowsTheTotalOnlyWhenALengthCame)
{
    char text[64];
    formatProgress(text, sizeof text, 3, true, 2048);
    EXPECT_STREQ(text, "Recieved: 3 kB / 3 kB");
    formatProgress(text, sizeof text, 2, true, 1500);
    EXPECT_STREQ(text, "Recieved: 2 kB / 2 kB");
    formatProgress(text, sizeof text, 7, false, 0);
    EXPECT_STREQ(text, "Recieved: 7 kB");
    formatProgress(text, sizeof text, 1, true, 0xFFFFFFFFu);
    EXPECT_STREQ(text, "Recieved: 1 kB / 4194304 kB");
}

} // namespace

TEST(DownloadAddress, EncodesWhatAnAddressCannotHold)
{
    const struct {
        const char* name;
        std::size_t size;
        const char* encoded; // "" when it does not fit
    } cases[] = {
        {"pacman_1000-ann.x~", 64, "pacman_1000-ann.x~"},
        {"a b", 64, "a%20b"},
        {"a+b&c=d?e", 64, "a%2Bb%26c%3Dd%3Fe"},
        {"\xe9t\xe9", 64, "%E9t%E9"},
        {"abc", 4, "abc"},
        {"abc", 3, ""},
        {"a b", 6, "a%20b"},
        {"a b", 5, ""},
    };
    for (const auto& c : cases) {
        char target[64];
        EXPECT_EQ(encodeAddressPart(target, c.size, c.name), *c.encoded != '\0') << c.name;
        EXPECT_STREQ(target, c.encoded) << c.name;
    }
}

// A typed split or a listed short name never adds a parameter to the
// request or cuts its address.
TEST(HighScoresAddress, EncodesTheGameAndTheSplit)
{
    const char* base = "http://h/yorl/index.cgi?mode=fe_scores&short=";
    const struct {
        const char* shortName;
        const char* split;
        std::size_t size;
        const char* address; // "" when it does not fit
    } cases[] = {
        {"pacman", "", 128, "http://h/yorl/index.cgi?mode=fe_scores&short=pacman"},
        {"pacman", "turbo", 128, "http://h/yorl/index.cgi?mode=fe_scores&short=pacman-turbo"},
        {"pacman", "a&mode=x", 128, "http://h/yorl/index.cgi?mode=fe_scores&short=pacman-a%26mode%3Dx"},
        {"pacman", "#1 %+", 128, "http://h/yorl/index.cgi?mode=fe_scores&short=pacman-%231%20%25%2B"},
        {"pac&man", "", 128, "http://h/yorl/index.cgi?mode=fe_scores&short=pac%26man"},
        {"pacman", "turbo", 58, "http://h/yorl/index.cgi?mode=fe_scores&short=pacman-turbo"},
        {"pacman", "turbo", 57, ""},
    };
    for (const auto& c : cases) {
        char address[128];
        EXPECT_EQ(composeHighScoresAddress(address, c.size, base, c.shortName, c.split), *c.address != '\0') << c.split;
        EXPECT_STREQ(address, c.address) << c.split;
    }
}
