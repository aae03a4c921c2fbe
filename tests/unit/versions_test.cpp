// Reading "versions.ini" records and looking versions up by identifier.
#include "common/shown_text_posix.h"
#include "emulator/versions.h"
#include "emulator/versions_edit.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

struct Record {
    std::string name, command, versionId;
};

bool operator==(const Record& a, const Record& b)
{
    return a.name == b.name && a.command == b.command && a.versionId == b.versionId;
}

std::ostream& operator<<(std::ostream& out, const Record& r)
{
    return out << "{\"" << r.name << "\", \"" << r.command << "\", \"" << r.versionId << "\"}";
}

// Table slots are filled with this byte so untouched slots and missing
// terminators stand out.
constexpr unsigned char kCanaryByte = 0xA5;

bool isCanary(const EmulatorVersion& slot)
{
    const unsigned char* bytes = reinterpret_cast<const unsigned char*>(&slot);
    for (std::size_t i = 0; i < sizeof slot; ++i) {
        if (bytes[i] != kCanaryByte)
            return false;
    }
    return true;
}

template <std::size_t N>
bool terminated(const char (&field)[N])
{
    return std::memchr(field, '\0', N) != nullptr;
}

// Reads `text` with room for `capacity` records; one canary slot follows the
// capacity and must never be written.
std::vector<Record> read(const std::string& text, int capacity = kMaxVersions,
                         const CodePages& codePages = programCodePages())
{
    std::vector<char> bytes(text.begin(), text.end());
    std::vector<EmulatorVersion> table(static_cast<std::size_t>(capacity) + 1);
    std::memset(table.data(), kCanaryByte, table.size() * sizeof(EmulatorVersion));
    int count = readVersionsText(bytes.data(), bytes.size(), table.data(), capacity, nullptr, codePages);

    EXPECT_GE(count, 0);
    EXPECT_LE(count, capacity);
    EXPECT_TRUE(isCanary(table[static_cast<std::size_t>(capacity)])) << "slot past capacity written";
    std::vector<Record> records;
    for (int i = 0; i < count && i <= capacity; ++i) {
        const EmulatorVersion& v = table[static_cast<std::size_t>(i)];
        EXPECT_TRUE(terminated(v.name) && terminated(v.command) && terminated(v.versionId)) << "record " << i;
        records.push_back({v.name, v.command, v.versionId});
    }
    return records;
}

const std::vector<Record> kTwoRecords = {
    {"MAME 0.37b5", "mame37b5.exe", "037b5"},
    {"MAME 0.36", "mame36.exe -noror", "036"},
};

TEST(ReadVersions, ReadsFourLineRecordsIgnoringTheFourthLine)
{
    EXPECT_EQ(read("MAME 0.37b5\nmame37b5.exe\n037b5\nnotes\n"
                   "MAME 0.36\nmame36.exe -noror\n036\nmore notes\n"),
              kTwoRecords);
}

TEST(ReadVersions, LineEndVariantsReadAlike)
{
    const struct {
        const char* label;
        const char* text;
    } cases[] = {
        {"CR LF",
         "MAME 0.37b5\r\nmame37b5.exe\r\n037b5\r\nnotes\r\n"
         "MAME 0.36\r\nmame36.exe -noror\r\n036\r\nmore notes\r\n"},
        {"no final line end",
         "MAME 0.37b5\nmame37b5.exe\n037b5\nnotes\n"
         "MAME 0.36\nmame36.exe -noror\n036\nmore notes"},
        {"blank lines around records",
         "MAME 0.37b5\nmame37b5.exe\n037b5\nnotes\n\n\n"
         "MAME 0.36\nmame36.exe -noror\n036\nmore notes\n\n"},
        {"empty and indented lines between fields",
         "MAME 0.37b5\n\n   mame37b5.exe\n\t037b5\n \t \nnotes\n"
         "  \t MAME 0.36\r\n\r\nmame36.exe -noror\n036\n    more notes\n"},
        {"leading empty lines",
         "\n\nMAME 0.37b5\nmame37b5.exe\n037b5\nnotes\n"
         "MAME 0.36\nmame36.exe -noror\n036\nmore notes\n"},
        {"leading CR LF lines then blanks",
         "\r\n\r\n  MAME 0.37b5\nmame37b5.exe\n037b5\nnotes\n"
         "MAME 0.36\nmame36.exe -noror\n036\nmore notes\n"},
        {"a DOS end-of-file byte at the end",
         "MAME 0.37b5\r\nmame37b5.exe\r\n037b5\r\nnotes\r\n"
         "MAME 0.36\r\nmame36.exe -noror\r\n036\r\nmore notes\r\n\x1a"},
        {"a DOS end-of-file byte ends the file",
         "MAME 0.37b5\nmame37b5.exe\n037b5\nnotes\n"
         "MAME 0.36\nmame36.exe -noror\n036\nmore notes\x1a\nX\nx.exe\n"},
        {"a UTF-8 byte-order mark",
         "\xEF\xBB\xBFMAME 0.37b5\r\nmame37b5.exe\r\n037b5\r\nnotes\r\n"
         "MAME 0.36\r\nmame36.exe -noror\r\n036\r\nmore notes\r\n"},
        {"a UTF-8 byte-order mark, then empty lines",
         "\xEF\xBB\xBF\n\nMAME 0.37b5\nmame37b5.exe\n037b5\nnotes\n"
         "MAME 0.36\nmame36.exe -noror\n036\nmore notes\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        EXPECT_EQ(read(c.text), kTwoRecords);
    }
}

TEST(ReadVersions, FieldKeepsBlanksInsideAndAtItsEnd)
{
    EXPECT_EQ(read("MAME  0.36 \nmame36.exe -x  \n036 \nnotes\n"),
              (std::vector<Record>{{"MAME  0.36 ", "mame36.exe -x  ", "036 "}}));
}

TEST(ReadVersions, VeryFirstLineKeepsItsLeadingBlanks)
{
    EXPECT_EQ(read("  MAME 0.36\nmame36.exe\n036\nnotes\n"),
              (std::vector<Record>{{"  MAME 0.36", "mame36.exe", "036"}}));
    EXPECT_EQ(read("\xEF\xBB\xBF  MAME 0.36\nmame36.exe\n036\nnotes\n"),
              (std::vector<Record>{{"  MAME 0.36", "mame36.exe", "036"}}))
        << "after a byte-order mark";
    EXPECT_EQ(read("\xEF\xBBMAME 0.36\nmame36.exe\n036\nnotes\n"),
              (std::vector<Record>{{"\xC3\xAF\xC2\xBBMAME 0.36", "mame36.exe", "036"}}))
        << "only the whole mark is one: the rest reads in the legacy code page";
}

TEST(ReadVersions, LoneCarriageReturnInsideALineIsText)
{
    // Only CR right before LF is a line end.
    EXPECT_EQ(read("A\rB\r\nrun.exe\nid\nx\n"), (std::vector<Record>{{"A\rB", "run.exe", "id"}}));
}

TEST(ReadVersions, OverlongFieldsAreCutAndLaterRecordsStayInStep)
{
    const std::string name(300, 'n'), command(700, 'c'), versionId(40, 'v'), fourth(30, 'f');
    const struct {
        const char* label;
        std::string text;
        Record expected;
    } cases[] = {
        {"name", name + "\nrun.exe\nid\nx\n", {std::string(203, 'n'), "run.exe", "id"}},
        {"command", "A\n" + command + "\nid\nx\n", {"A", std::string(511, 'c'), "id"}},
        {"versionId", "A\nrun.exe\n" + versionId + "\nx\n", {"A", "run.exe", std::string(19, 'v')}},
        {"fourth line", "A\nrun.exe\nid\n" + fourth + "\n", {"A", "run.exe", "id"}},
        {"exact widths",
         std::string(203, 'n') + "\n" + std::string(511, 'c') + "\n" + std::string(19, 'v') + "\n" +
             std::string(11, 'f') + "\n",
         {std::string(203, 'n'), std::string(511, 'c'), std::string(19, 'v')}},
    };
    const Record next = {"Next", "next.exe", "nx"};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        EXPECT_EQ(read(c.text + "Next\nnext.exe\nnx\nnotes\n"), (std::vector<Record>{c.expected, next}));
    }
}

std::string records(int count)
{
    std::string text;
    for (int i = 0; i < count; ++i) {
        std::string n = std::to_string(i);
        text += "Name" + n + "\nrun" + n + ".exe\nid" + n + "\nnote\n";
    }
    return text;
}

TEST(ReadVersions, StopsAtCapacityWithoutWritingPastIt)
{
    const struct {
        int records, capacity, expected;
    } cases[] = {
        {101, kMaxVersions, kMaxVersions},
        {100, kMaxVersions, kMaxVersions},
        {3, 2, 2},
        {1, 0, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.records << " records, capacity " << c.capacity);
        std::vector<Record> got = read(records(c.records), c.capacity);
        ASSERT_EQ(static_cast<int>(got.size()), c.expected);
        if (!got.empty())
            EXPECT_EQ(got.back(),
                      (Record{"Name" + std::to_string(c.expected - 1), "run" + std::to_string(c.expected - 1) + ".exe",
                              "id" + std::to_string(c.expected - 1)}));
    }
}

TEST(ReadVersions, FileWithoutAnyFieldYieldsNoRecords)
{
    for (const char* text : {"", "\n", "\n\n\n", "\r\n\r\n", "\n  \t\n"}) {
        SCOPED_TRACE(testing::PrintToString(std::string(text)));
        EXPECT_TRUE(read(text).empty());
    }
}

TEST(ReadVersions, ShortLastRecordIsListedWithMissingFieldsEmpty)
{
    const std::string full = "A\na.exe\nida\nx\n";
    const Record a = {"A", "a.exe", "ida"};
    const struct {
        const char* tail;
        Record last;
    } cases[] = {
        {"B", {"B", "", ""}},
        {"B\n", {"B", "", ""}},
        {"B\nb.exe", {"B", "b.exe", ""}},
        {"B\nb.exe\n\n", {"B", "b.exe", ""}},
        {"B\nb.exe\nidb", {"B", "b.exe", "idb"}},
        {"B\nb.exe\nidb\n", {"B", "b.exe", "idb"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.tail);
        EXPECT_EQ(read(full + c.tail), (std::vector<Record>{a, c.last}));
    }
}

class FindVersion : public testing::Test {
protected:
    void SetUp() override
    {
        std::memset(versionTable, 0, sizeof versionTable);
        const char* ids[] = {"037b5", "036", "036 ", "036", "MAME"};
        for (int i = 0; i < 5; ++i)
            std::strcpy(versionTable[i].versionId, ids[i]);
        std::strcpy(versionTable[5].versionId, "hidden");
        versionCount = 5;
    }
    void TearDown() override { versionCount = 0; }
};

TEST_F(FindVersion, ReturnsFirstExactCaseSensitiveMatch)
{
    const struct {
        const char* text;
        int index;
    } cases[] = {
        {"037b5", 0}, {"036", 1},  {"036 ", 2}, {"MAME", 4},    {"mame", -1},
        {"03", -1},   {"037", -1}, {"", -1},    {"hidden", -1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::PrintToString(std::string(c.text)));
        EXPECT_EQ(findVersion(c.text), c.index);
    }
}

TEST_F(FindVersion, IdWithTrailingBlankDoesNotMatchWithoutIt)
{
    std::strcpy(versionTable[1].versionId, "036 ");
    std::strcpy(versionTable[3].versionId, "036 ");
    EXPECT_EQ(findVersion("036"), -1);
}

TEST_F(FindVersion, EmptyTableFindsNothing)
{
    versionCount = 0;
    EXPECT_EQ(findVersion("037b5"), -1);
    EXPECT_EQ(findVersion(""), -1);
}

TEST_F(FindVersion, ListsTheCommandsOfCountedRecordsOnly)
{
    std::strcpy(versionTable[0].command, "C:\\mame\\mame.exe");
    std::strcpy(versionTable[5].command, "hidden.exe");
    EXPECT_TRUE(isListedCommand("C:\\mame\\mame.exe"));
    EXPECT_FALSE(isListedCommand("c:\\mame\\mame.exe")) << "case-sensitive";
    EXPECT_FALSE(isListedCommand("C:\\mame\\mame.exe "));
    EXPECT_FALSE(isListedCommand("hidden.exe")) << "past versionCount";
}

// Adding and removing a record keeps every byte of the others, and the file
// then reads as the same records with that one added or gone.
TEST(EditVersions, KeepsTheBytesOfEveryOtherRecord)
{
    const NewVersion added = {"MAME 0.251", "\"C:\\My MAME\\mame.exe\"", "0.251", "Win32"};
    const std::string record = "MAME 0.251\r\n\"C:\\My MAME\\mame.exe\"\r\n0.251\r\nWin32\r\n";
    const std::string a = "A\r\na.exe\r\n1\r\nx\r\n", b = "  B\r\n\r\nb.exe\r\n2\r\nx\r\n\r\n",
                      c = "\tC\r\nc.exe\r\n3\r\nx", bom = "\xEF\xBB\xBF";
    enum { add = -1 };
    const struct {
        const char* label;
        std::string file;
        int remove; // add, or the record removed
        VersionsEdit result;
        std::string after;
    } cases[] = {
        {"add to no file", "", add, VersionsEdit::done, record},
        {"add in the file's own line end", "A\na.exe\n1\nx\n", add, VersionsEdit::done,
         "A\na.exe\n1\nx\nMAME 0.251\n\"C:\\My MAME\\mame.exe\"\n0.251\nWin32\n"},
        {"add after a last line without its end", a + b + c, add, VersionsEdit::done, a + b + c + "\r\n" + record},
        {"add before a DOS end-of-file byte", a + "\x1a" + "junk", add, VersionsEdit::done,
         a + record + "\x1a" + "junk"},
        {"add after blank lines only", "\r\n \r\n", add, VersionsEdit::done, "\r\n \r\n" + record},
        {"add after a record of two lines", a + "D\r\nd.exe\r\n", add, VersionsEdit::lastIncomplete, ""},
        {"add past the limit", records(kMaxVersions), add, VersionsEdit::full, ""},
        {"remove the middle one", a + b + c, 1, VersionsEdit::done, a + c},
        {"remove the last one", a + b + c, 2, VersionsEdit::done, a + b},
        {"remove the first, the next indented", a + b + c, 0, VersionsEdit::done, "\r\n" + b + c},
        {"remove the first after blank lines", "\n\n" + a + c, 0, VersionsEdit::done, "\n\n" + c},
        {"remove the only one, keeping the end byte", a + "\x1a", 0, VersionsEdit::done, "\x1a"},
        {"remove one that is not there", a, 1, VersionsEdit::full, ""},
        {"add after a byte-order mark alone", bom, add, VersionsEdit::done, bom + record},
        {"add after a byte-order mark", bom + a, add, VersionsEdit::done, bom + a + record},
        {"remove the first, keeping the byte-order mark", bom + a + "D\nd.exe\n4\nx", 0, VersionsEdit::done,
         bom + "D\nd.exe\n4\nx"},
        {"remove the first, the next indented, after the mark", bom + a + b, 0, VersionsEdit::done, bom + "\r\n" + b},
        {"remove the first, the next named from the mark's bytes", a + bom + c, 0, VersionsEdit::done,
         "\r\n" + bom + c},
    };
    for (const auto& t : cases) {
        SCOPED_TRACE(t.label);
        std::string file = t.file;
        bool done = t.remove == add ? appendVersion(file, added) == t.result : removeVersion(file, t.remove);
        EXPECT_TRUE(done == (t.remove == add || t.result == VersionsEdit::done));
        if (t.result != VersionsEdit::done) {
            EXPECT_EQ(file, t.file) << "a refused edit changes nothing";
            continue;
        }
        EXPECT_EQ(file, t.after);
        std::vector<Record> expected = read(t.file);
        if (t.remove == add)
            expected.push_back({added.name, added.command, added.versionId});
        else
            expected.erase(expected.begin() + t.remove);
        EXPECT_EQ(read(file), expected);
    }
    for (const char* name : {"", " lead", "two\nlines", "two\rlines"}) {
        std::string file = a;
        EXPECT_EQ(appendVersion(file, {name, "m.exe", "1", "Win32"}), VersionsEdit::badField) << name;
        EXPECT_EQ(appendVersion(file, {"M", "m.exe", name, "Win32"}), VersionsEdit::badField) << name;
    }
}

// Notepad saves UTF-8 without a mark today, with one before; a file of the
// 2000s is in the legacy code page. Each reads as the same names, and an
// edit keeps every letter of each.
TEST(EditVersions, NothingIsLostWhateverFormTheFileIsWrittenIn)
{
    const std::string e = "\xC3\xA9", lodz =
                                          "\xC5\x81\xC3\xB3"
                                          "d\xC5\xBA"; // é, Łódź
    const std::string utf8 = "MAME\r\n\"C:\\" + e + "mulateurs\\mame.exe\"\r\n0.106\r\nWin32\r\n";
    const std::string legacy = "MAME\r\n\"C:\\\xE9mulateurs\\mame.exe\"\r\n0.106\r\nWin32\r\n";
    const Record read1 = {"MAME", "\"C:\\" + e + "mulateurs\\mame.exe\"", "0.106"};
    for (const std::string& file : {utf8, "\xEF\xBB\xBF" + utf8, legacy})
        EXPECT_EQ(read(file), std::vector<Record>{read1}) << file;

    const CodePages oldProgram = codePage1252Program();
    const NewVersion polish = {lodz.c_str(), "g.exe", "0.251", "Win64"}, plain = {"Plain", "p.exe", "1", "Win32"},
                     western = {"Caf\xE9", "c.exe", "2", "Win32"};
    const struct {
        const char* label;
        std::string file;
        const NewVersion* added; // null: remove the first record
        const CodePages* codePages;
        std::string after;
    } cases[] = {
        {"a Polish name turns a legacy file into UTF-8", legacy, &polish, &programCodePages(),
         utf8 + lodz + "\r\ng.exe\r\n0.251\r\nWin64\r\n"},
        {"an ASCII record keeps a legacy file so", legacy, &plain, &programCodePages(),
         legacy + "Plain\r\np.exe\r\n1\r\nWin32\r\n"},
        {"a legacy program writes a legacy file's letters as they are", legacy, &western, &oldProgram,
         legacy + "Caf\xE9\r\nc.exe\r\n2\r\nWin32\r\n"},
        {"a legacy program writes UTF-8 into a UTF-8 file", utf8, &western, &oldProgram,
         utf8 + "Caf" + e + "\r\nc.exe\r\n2\r\nWin32\r\n"},
        {"what is left reads as before, not as UTF-8 by chance", legacy + "A\xC3\xA9\r\na.exe\r\n1\r\nx\r\n", nullptr,
         &programCodePages(), "A\xC3\x83\xC2\xA9\r\na.exe\r\n1\r\nx\r\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        std::vector<Record> expected = read(c.file, kMaxVersions, *c.codePages);
        std::string file = c.file;
        if (c.added) {
            ASSERT_EQ(appendVersion(file, *c.added, *c.codePages), VersionsEdit::done);
            expected.push_back({c.added->name, c.added->command, c.added->versionId});
        } else {
            ASSERT_TRUE(removeVersion(file, 0, *c.codePages));
            expected.erase(expected.begin());
        }
        EXPECT_EQ(file, c.after);
        EXPECT_EQ(read(file, kMaxVersions, *c.codePages), expected);
    }
}

} // namespace
