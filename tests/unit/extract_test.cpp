// Taking the recording and its companions out of zip archives built here with minizip's writer.
#include "online/disk_files.h"
#include "online/extract.h"
#include "online/file_names.h"

#include <sys/resource.h>
#include <sys/stat.h>
#include <zip.h>

#include <csignal>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace fs = std::filesystem;

namespace {

struct Member {
    Member(std::string name, std::string data = {}, bool stored = false)
        : name(std::move(name)), data(std::move(data)), stored(stored)
    {
    }
    std::string name;
    std::string data; // empty: "data of " + name, so a wrong member shows in the contents
    bool stored;
};

std::string dataOf(const Member& member)
{
    return member.data.empty() ? "data of " + member.name : member.data;
}

void writeZip(const fs::path& path, const std::vector<Member>& members)
{
    zipFile zip = zipOpen(path.c_str(), APPEND_STATUS_CREATE);
    ASSERT_NE(zip, nullptr);
    for (const Member& member : members) {
        std::string data = dataOf(member);
        int method = member.stored ? 0 : Z_DEFLATED;
        int level = member.stored ? 0 : Z_DEFAULT_COMPRESSION;
        ASSERT_EQ(
            zipOpenNewFileInZip(zip, member.name.c_str(), nullptr, nullptr, 0, nullptr, 0, nullptr, method, level),
            ZIP_OK);
        ASSERT_EQ(zipWriteInFileInZip(zip, data.data(), static_cast<unsigned>(data.size())), ZIP_OK);
        ASSERT_EQ(zipCloseFileInZip(zip), ZIP_OK);
    }
    ASSERT_EQ(zipClose(zip, nullptr), ZIP_OK);
}

std::string readFile(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

void writeFile(const fs::path& path, const std::string& bytes)
{
    std::ofstream(path, std::ios::binary) << bytes;
}

// Replaces every occurrence of `from` in the archive's bytes by `to`.
void patchArchive(const fs::path& path, const std::string& from, const std::string& to)
{
    std::string bytes = readFile(path);
    std::size_t at = bytes.find(from);
    ASSERT_NE(at, std::string::npos) << "nothing to patch";
    for (; at != std::string::npos; at = bytes.find(from, at + 1))
        bytes.replace(at, from.size(), to);
    writeFile(path, bytes);
}

// Text that deflates well and spans many of the extractor's read blocks.
std::string pattern(std::size_t size)
{
    std::string text;
    for (std::size_t i = 0; i < size; ++i)
        text += static_cast<char>('a' + (i * 7 + i / 13) % 26);
    return text;
}

class Extract : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::string tmpl = (fs::temp_directory_path() / "hobrin_extract_XXXXXX").string();
        ASSERT_NE(mkdtemp(tmpl.data()), nullptr);
        work = tmpl;
        archive = work / "in.zip";
        out = work / "out";
        fs::create_directory(out);
    }
    void TearDown() override { fs::remove_all(work); }

    ExtractResult run(const std::vector<Member>& members)
    {
        writeZip(archive, members);
        return extract();
    }
    ExtractResult extract() { return extractInputLog(archive.c_str(), out.c_str()); }

    // The names in the output folder; nothing may appear beside it.
    std::set<std::string> files()
    {
        for (const auto& entry : fs::directory_iterator(work)) {
            std::string name = entry.path().filename().string();
            EXPECT_TRUE(name == "in.zip" || name == "out") << "written beside the folder: " << name;
        }
        std::set<std::string> names;
        for (const auto& entry : fs::directory_iterator(out))
            names.insert(entry.path().filename().string());
        return names;
    }

    fs::path work, archive, out;
};

TEST_F(Extract, PicksTheRecordingAndCompanionsByTheSelectionRules)
{
    const struct {
        const char* behaviour;
        std::vector<Member> members;
        ExtractStatus status;
        const char* recording;
        std::set<std::string> files;
    } cases[] = {
        {"a recording in a folder", {{"dir/demo.inp", pattern(12000)}}, ExtractStatus::ok, "demo.inp", {"demo.inp"}},
        {"backslash folders", {{"a\\b\\x.cap"}, {"c\\y.inp"}}, ExtractStatus::ok, "y.inp", {"x.cap", "y.inp"}},
        {"first member in any case", {{"GAME.INP"}}, ExtractStatus::ok, "GAME.INP", {"GAME.INP"}},
        {"later members only in lower case", {{"readme.txt"}, {"GAME.INP"}}, ExtractStatus::noRecording, "", {}},
        {"companion then recording", {{"x.cap"}, {"x.inp"}}, ExtractStatus::ok, "x.inp", {"x.cap", "x.inp"}},
        {"companion after the recording", {{"x.inp"}, {"x.cap"}}, ExtractStatus::ok, "x.inp", {"x.cap", "x.inp"}},
        {"every later companion",
         {{"a.txt"}, {"b.cap"}, {"c.cap"}, {"d.inp"}},
         ExtractStatus::ok,
         "d.inp",
         {"b.cap", "c.cap", "d.inp"}},
        {"a first companion is the only one",
         {{"a.cap"}, {"b.cap"}, {"c.inp"}},
         ExtractStatus::ok,
         "c.inp",
         {"a.cap", "c.inp"}},
        {"first companion in any case", {{"A.CAP"}, {"b.inp"}}, ExtractStatus::ok, "b.inp", {"A.CAP", "b.inp"}},
        {"later companions only in lower case", {{"x.inp"}, {"y.Cap"}}, ExtractStatus::ok, "x.inp", {"x.inp"}},
        {"the first of two recordings", {{"r/a.inp"}, {"b.inp"}}, ExtractStatus::ok, "a.inp", {"a.inp"}},
        {"a later recording after a non-recording", {{"a.txt"}, {"b.inp"}}, ExtractStatus::ok, "b.inp", {"b.inp"}},
        {"names shorter than the suffix", {{"inp"}, {"cap"}, {"x.inp"}}, ExtractStatus::ok, "x.inp", {"x.inp"}},
        {"a bare suffix is a name", {{".inp"}}, ExtractStatus::ok, ".inp", {".inp"}},
        {"a folder entry is the archive's first member", {{"dir/"}, {"dir/X.INP"}}, ExtractStatus::noRecording, "", {}},
        {"folder entries are never written", {{"dir/"}, {"dir/x.inp"}}, ExtractStatus::ok, "x.inp", {"x.inp"}},
        {"companions without a recording are not written", {{"a.cap"}, {"b.cap"}}, ExtractStatus::noRecording, "", {}},
        {"a parent reference keeps only the base name", {{"../evil.inp"}}, ExtractStatus::ok, "evil.inp", {"evil.inp"}},
        {"an unsafe first member still decides the case rule",
         {{"AUX.txt"}, {"GAME.INP"}},
         ExtractStatus::noRecording,
         "",
         {}},
        {"an unsafe first companion is not one",
         {{"AUX.cap"}, {"b.cap"}, {"c.inp"}},
         ExtractStatus::ok,
         "c.inp",
         {"b.cap", "c.inp"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.behaviour);
        fs::remove_all(out);
        fs::create_directory(out);
        ExtractResult result = run(c.members);
        EXPECT_EQ(result.status, c.status);
        EXPECT_STREQ(result.baseName, c.recording);
        EXPECT_EQ(files(), c.files);
        for (const Member& member : c.members) {
            fs::path written = out / memberBaseName(member.name.c_str());
            if (c.files.count(written.filename().string()))
                EXPECT_EQ(readFile(written), dataOf(member)) << member.name;
        }
    }
}

TEST_F(Extract, NeverWritesMembersWithUnsafeNames)
{
    // Laid out by hand: one line per kind of name.
    // clang-format off
    const std::string unsafe[] = {
        "..", "a/..", ".", "dir/", "C:x.inp", "CON.inp", "con", "lpt1.cap", "Com9.cap", "nul.tar.inp",
        "x.inp.", "x.inp ", "a?b.inp", "a<b.inp", "a|b.cap", "a\"b.inp", "a*b.inp", "a\x01.inp", "a\x1f.cap",
        "COM1 .inp", "nul .inp", "AUX .cap", "CON .inp", "lpt1. .inp", "COM\xb9.inp", "conin$.inp", "com0.cap",
        std::string(252, 'b') + ".inp",                           // a base name of 256 characters
        std::string(400, 'd') + "/" + std::string(107, 'b') + ".inp",  // a stored name of 512
    };
    // clang-format on
    for (const std::string& name : unsafe) {
        SCOPED_TRACE(name);
        fs::remove_all(out);
        fs::create_directory(out);
        ExtractResult result = run({{name}, {"rec.inp"}});
        EXPECT_EQ(result.status, ExtractStatus::ok);
        EXPECT_STREQ(result.baseName, "rec.inp");
        EXPECT_EQ(files(), std::set<std::string>{"rec.inp"});
    }
}

TEST_F(Extract, AcceptsNamesUpToTheirLimits)
{
    const std::string base = std::string(251, 'b') + ".inp";       // 255 characters
    const std::string stored = std::string(255, 'd') + "/" + base; // 511 characters
    for (const std::string& name : {base, stored}) {
        fs::remove_all(out);
        fs::create_directory(out);
        ExtractResult result = run({{name}});
        EXPECT_EQ(result.status, ExtractStatus::ok);
        EXPECT_EQ(result.baseName, base);
        EXPECT_EQ(files(), std::set<std::string>{base});
    }
}

TEST_F(Extract, RefusesANameWithANulInside)
{
    // Read as a C string the name would be the companion "evil.cap".
    writeZip(archive, {{"evil.capXinp", "payload"}, {"real.inp"}});
    patchArchive(archive, "evil.capXinp", std::string("evil.cap\0inp", 12));
    ExtractResult result = extract();
    EXPECT_EQ(result.status, ExtractStatus::ok);
    EXPECT_STREQ(result.baseName, "real.inp");
    EXPECT_EQ(files(), std::set<std::string>{"real.inp"});
}

TEST_F(Extract, DamagedMemberLeavesNothingBehind)
{
    // Stored, so the one member's bytes can be found and changed after its CRC was written.
    const Member damaged{"pacman.inp", "intact recording", true};
    const Member damagedCompanion{"a.cap", "intact companion", true};
    const struct {
        const char* behaviour;
        std::vector<Member> members;
        const char* damaged;
    } cases[] = {
        {"recording", {damaged}, "pacman.inp"},
        {"recording after companions", {{"b.cap"}, {"c.cap"}, damaged}, "pacman.inp"},
        {"companion", {damagedCompanion, {"x.inp"}}, "a.cap"},
        {"companion after another", {{"x.inp"}, {"b.cap"}, damagedCompanion}, "a.cap"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.behaviour);
        writeZip(archive, c.members);
        patchArchive(archive, "intact", "broken");
        ExtractResult result = extract();
        EXPECT_EQ(result.status, ExtractStatus::corruptMember);
        EXPECT_STREQ(result.member, c.damaged);
        EXPECT_STREQ(result.baseName, "");
        EXPECT_EQ(files(), std::set<std::string>{});
    }
}

TEST_F(Extract, DamagedCompressedStreamIsCorrupt)
{
    writeZip(archive, {{"big.inp", pattern(12000)}});
    std::string bytes = readFile(archive);
    // The first local header's name and extra lengths give where the data starts.
    std::size_t data = 30 + static_cast<unsigned char>(bytes[26]) + static_cast<unsigned char>(bytes[28]);
    for (std::size_t i = data + 10; i < data + 40; ++i)
        bytes[i] = static_cast<char>(bytes[i] ^ 0x5a);
    writeFile(archive, bytes);
    ExtractResult result = extract();
    EXPECT_EQ(result.status, ExtractStatus::corruptMember);
    EXPECT_STREQ(result.member, "big.inp");
    EXPECT_EQ(files(), std::set<std::string>{});
}

TEST_F(Extract, RefusesWhatIsNotAnArchive)
{
    const struct {
        const char* behaviour;
        const char* bytes; // nullptr: no file at all
    } cases[] = {
        {"plain text", "this is not a zip archive, only some text\n"},
        {"an empty file", ""},
        {"a missing file", nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.behaviour);
        fs::remove(archive);
        if (c.bytes)
            writeFile(archive, c.bytes);
        EXPECT_EQ(extract().status, ExtractStatus::cannotOpenArchive);
        EXPECT_EQ(files(), std::set<std::string>{});
    }
    writeZip(archive, {{"a.cap"}, {"x.inp", pattern(5000)}});
    std::string whole = readFile(archive);
    writeFile(archive, whole.substr(0, whole.size() / 2));
    EXPECT_EQ(extract().status, ExtractStatus::cannotOpenArchive) << "the first half of an archive";
    EXPECT_EQ(files(), std::set<std::string>{});
}

TEST_F(Extract, ArchiveWithoutMembers)
{
    const std::string endRecord = std::string("PK\x05\x06", 4) + std::string(18, '\0');
    // minizip takes an end record at the very start for a missing one; after
    // other bytes (a self-extractor's, say) it opens an archive with nothing in it.
    writeFile(archive, endRecord);
    EXPECT_EQ(extract().status, ExtractStatus::cannotOpenArchive);
    writeFile(archive, "stub" + endRecord);
    EXPECT_EQ(extract().status, ExtractStatus::noRecording);
    EXPECT_EQ(files(), std::set<std::string>{});
}

// Every entry of the folder with its bytes, so that any change shows.
std::map<std::string, std::string> snapshot(const fs::path& folder)
{
    std::map<std::string, std::string> entries;
    for (const auto& entry : fs::directory_iterator(folder)) {
        const fs::path& path = entry.path();
        entries[path.filename().string()] = fs::is_symlink(path)     ? "link"
                                            : fs::is_directory(path) ? "folder"
                                                                     : readFile(path);
    }
    return entries;
}

// Writes beyond `bytes` fail in this process, as on a full disk.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        getrlimit(RLIMIT_FSIZE, &saved_);
        previous_ = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit = saved_;
        limit.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit()
    {
        setrlimit(RLIMIT_FSIZE, &saved_);
        std::signal(SIGXFSZ, previous_);
    }

private:
    rlimit saved_{};
    void (*previous_)(int) = nullptr;
};

TEST_F(Extract, FailedExtractionLeavesTheFolderAsItWas)
{
    const auto nothing = [](const fs::path&) {};
    const auto folderInTheWay = [](const fs::path& out) { fs::create_directory(out / "x.inp"); };
    const auto readOnlyRecording = [](const fs::path& out) {
        writeFile(out / "x.inp", "the user's own recording");
        fs::permissions(out / "x.inp", fs::perms::owner_read | fs::perms::group_read);
    };
    const auto linkInTheWay = [](const fs::path& out) { fs::create_symlink("/dev/full", out / "x.inp"); };
    const struct {
        const char* behaviour;
        void (*prepare)(const fs::path& out);
        rlim_t diskRoom; // 0: no limit
        const char* member;
    } cases[] = {
        {"a folder at the recording's name", folderInTheWay, 0, "x.inp"},
        {"a read-only file at the recording's name", readOnlyRecording, 0, "x.inp"},
        {"a link at the recording's name", linkInTheWay, 0, "x.inp"},
        {"the disk fills while the recording is written", nothing, 3000, "x.inp"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.behaviour);
        fs::remove_all(out);
        fs::create_directory(out);
        writeFile(out / "a.cap", "the user's own companion");
        c.prepare(out);
        const auto before = snapshot(out);
        writeZip(archive, {{"a.cap", pattern(2000)}, {"x.inp", pattern(5000)}});
        ExtractResult result;
        if (c.diskRoom) {
            FileSizeLimit limit(c.diskRoom);
            result = extract();
        } else {
            result = extract();
        }
        EXPECT_EQ(result.status, ExtractStatus::cannotCreateOutput);
        EXPECT_STREQ(result.member, c.member);
        EXPECT_EQ(snapshot(out), before);
    }
}

TEST_F(Extract, RefusesMembersItCannotTrust)
{
    // Raw members carry their bytes and sizes as given here.
    const auto rawMember = [](zipFile zip, const char* name, const std::string& data, unsigned long declaredSize) {
        ASSERT_EQ(zipOpenNewFileInZip2(zip, name, nullptr, nullptr, 0, nullptr, 0, nullptr, 0, 0, 1), ZIP_OK);
        ASSERT_EQ(zipWriteInFileInZip(zip, data.data(), static_cast<unsigned>(data.size())), ZIP_OK);
        ASSERT_EQ(
            zipCloseFileInZipRaw(zip, declaredSize,
                                 crc32(0, reinterpret_cast<const Bytef*>(data.data()), static_cast<uInt>(data.size()))),
            ZIP_OK);
    };
    const std::string recording = "pacman\0\0 and the rest of it";
    const struct {
        const char* behaviour;
        unsigned char method;
        unsigned long declaredSize;
        bool encrypted;
        ExtractStatus status;
    } cases[] = {
        {"compressed with BZip2", 12, recording.size(), false, ExtractStatus::unsupportedMember},
        {"compressed with LZMA", 14, recording.size(), false, ExtractStatus::unsupportedMember},
        {"encrypted", 0, recording.size(), true, ExtractStatus::unsupportedMember},
        {"shorter than its header says", 0, recording.size() + 100, false, ExtractStatus::corruptMember},
        {"larger than is ever extracted", 0, kMaxMemberSize + 1, false, ExtractStatus::memberTooLarge},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.behaviour);
        zipFile zip = zipOpen(archive.c_str(), APPEND_STATUS_CREATE);
        ASSERT_NE(zip, nullptr);
        rawMember(zip, "a.cap", "companion", 9);
        rawMember(zip, "x.inp", recording, c.declaredSize);
        ASSERT_EQ(zipClose(zip, nullptr), ZIP_OK);
        // The method and the encryption flag of the last member, in its local
        // header and in the directory.
        std::string bytes = readFile(archive);
        for (const std::string& signature : {std::string("PK\x03\x04", 4), std::string("PK\x01\x02", 4)}) {
            std::size_t flag = bytes.rfind(signature) + (signature[2] == 3 ? 6 : 8);
            bytes[flag] = static_cast<char>(bytes[flag] | (c.encrypted ? 1 : 0));
            bytes[flag + 2] = static_cast<char>(c.method);
        }
        writeFile(archive, bytes);
        ExtractResult result = extract();
        EXPECT_EQ(result.status, c.status);
        EXPECT_STREQ(result.member, "x.inp");
        EXPECT_EQ(files(), std::set<std::string>{});
    }
}

TEST_F(Extract, OutputFolderThatCannotHoldTheFiles)
{
    writeZip(archive, {{"x.inp"}});
    const std::string missing = (out / "missing").string();
    // Cut short, this path would name a file "sss..." inside the output folder.
    std::string tooLong = out.string();
    while (tooLong.size() < 1010)
        tooLong += "/.";
    tooLong += "/" + std::string(20, 's');
    for (const std::string& directory : {missing, tooLong, std::string()}) {
        ExtractResult result = extractInputLog(archive.c_str(), directory.c_str());
        EXPECT_EQ(result.status, ExtractStatus::cannotCreateOutput) << directory.size();
    }
    EXPECT_EQ(files(), std::set<std::string>{});
}

TEST_F(Extract, ReplacesAnExistingFile)
{
    writeFile(out / "x.inp", std::string(5000, 'o'));
    writeFile(out / "other.txt", "kept");
    ExtractResult result = run({{"x.inp", "new"}});
    EXPECT_EQ(result.status, ExtractStatus::ok);
    EXPECT_EQ(readFile(out / "x.inp"), "new");
    EXPECT_EQ(readFile(out / "other.txt"), "kept");
    EXPECT_EQ(files(), (std::set<std::string>{"x.inp", "other.txt"})) << "no temporary file is left";
}

TEST_F(Extract, OpensOnlyDiskFiles)
{
    writeFile(work / "plain", "bytes");
    fs::create_directory(work / "folder");
    // A FIFO without a writer: a blocking open or read would never return.
    ASSERT_EQ(mkfifo((work / "fifo").c_str(), 0600), 0);
    const struct {
        fs::path path;
        bool opens;
    } cases[] = {
        {work / "plain", true}, {work / "folder", false},  {work / "fifo", false},
        {"/dev/null", false},   {work / "missing", false},
    };
    for (const auto& c : cases) {
        std::FILE* file = openDiskFile(c.path.c_str());
        EXPECT_EQ(file != nullptr, c.opens) << c.path;
        if (file)
            std::fclose(file);
    }
}

TEST(ExtractNames, SafeFileNames)
{
    const struct {
        const char* name;
        bool safe;
    } cases[] = {
        // Laid out by hand: the safe names, then the unsafe ones by kind.
        // clang-format off
        {"pacman.inp", true}, {"a", true}, {".inp", true}, {" a.inp", true}, {"a b.inp", true},
        {"console.inp", true}, {"com10.inp", true}, {"lpt.inp", true}, {"x.con", true}, {" con.inp", true},
        {"a\x7f.inp", true}, {"\xc3\xa9t\xc3\xa9.inp", true}, {"COM\xc2\xb4.inp", true}, {"conin.inp", true},
        {nullptr, false}, {"", false}, {".", false}, {"..", false}, {"a.", false}, {"a ", false},
        {"CON", false}, {"con.inp", false}, {"Aux.txt", false}, {"nul.tar.gz", false}, {"PRN", false},
        {"com1", false}, {"COM9.x", false}, {"lpt1.cap", false}, {"LpT9", false}, {"com0.inp", false},
        {"COM1 .inp", false}, {"nul  .tar.gz", false}, {"lpt1. .inp", false}, {"CON .x", false},
        {"COM\xb9.inp", false}, {"lpt\xb2", false}, {"Com\xb3.cap", false}, {"CONIN$.inp", false},
        {"conout$", false}, {"conout$ .txt", false}, {"COM\xc2\xb9.inp", false}, {"lpt\xc2\xb2", false},
        // Bytes that are no UTF-8, the program's code page, would reach the file system broken.
        {"caf\xe9.inp", false}, {"\xe3\x83.inp", false},
        {"a:b", false}, {"a/b", false}, {"a\\b", false}, {"a<b", false}, {"a>b", false}, {"a\"b", false},
        {"a|b", false}, {"a?b", false}, {"a*b", false}, {"a\x01", false}, {"\x1f", false}, {"a\tb", false},
        // clang-format on
    };
    for (const auto& c : cases)
        EXPECT_EQ(isSafeFileName(c.name), c.safe) << (c.name ? c.name : "(null)");
    // A recording name is also the last part of an address.
    for (const char* name : {"a#b", "100%", "C:\\evil", "..\\..\\evil", "", "x.", "nul"})
        EXPECT_FALSE(isUsableRecordingName(name)) << name;
    for (const char* name : {"pacman_1000_ann", "a b", "a+b(1)&c"})
        EXPECT_TRUE(isUsableRecordingName(name)) << name;
}

TEST(ExtractNames, MemberBaseNames)
{
    const struct {
        const char* stored;
        const char* base;
    } cases[] = {
        {"a/b/c.inp", "c.inp"}, {"a\\b.inp", "b.inp"},
        {"a/b\\c/d", "d"},      {"dir/", ""},
        {"plain", "plain"},     {"/", ""},
        {"../x.cap", "x.cap"},  {"", ""},
        {nullptr, ""},
    };
    for (const auto& c : cases)
        EXPECT_STREQ(memberBaseName(c.stored), c.base) << (c.stored ? c.stored : "(null)");
}

} // namespace
