// The release archive as a player gets it: unpacked into a fresh folder, it runs.
#include "tests/e2e/driver.h"

#include "resource.h"

#include <unzip.h>

#include <algorithm>

using namespace e2e;

namespace {

class ReleaseTest : public HobrinTest {
protected:
    // Unpacks every member of the archive into the test's folder and returns
    // the members' names, sorted. Members are expected at the top level.
    std::vector<std::string> unpack(const std::string& archivePath)
    {
        std::vector<std::string> names;
        unzFile archive = unzOpen(archivePath.c_str());
        if (!archive) {
            ADD_FAILURE() << "cannot open " << archivePath
                          << ": build it with cmake --build build/win --target package";
            return names;
        }
        for (int step = unzGoToFirstFile(archive); step == UNZ_OK; step = unzGoToNextFile(archive)) {
            char name[256] = "";
            unz_file_info info;
            if (unzGetCurrentFileInfo(archive, &info, name, sizeof name, nullptr, 0, nullptr, 0) != UNZ_OK ||
                unzOpenCurrentFile(archive) != UNZ_OK) {
                ADD_FAILURE() << "damaged member after " << names.size() << " members";
                break;
            }
            std::string bytes;
            char block[4096];
            int got;
            while ((got = unzReadCurrentFile(archive, block, sizeof block)) > 0)
                bytes.append(block, static_cast<std::size_t>(got));
            EXPECT_EQ(got, 0) << name;
            EXPECT_EQ(unzCloseCurrentFile(archive), UNZ_OK) << name;
            writeFile(name, bytes);
            names.push_back(name);
        }
        unzClose(archive);
        std::sort(names.begin(), names.end());
        return names;
    }
};

TEST_F(ReleaseTest, UnpackedArchiveOpensWithTheGamesAndTheExampleVersions)
{
    deleteFile("versions.ini");
    EXPECT_EQ(unpack(moduleDirectory() + "\\" + HOBRIN_RELEASE_ARCHIVE),
              (std::vector<std::string>{"README.txt", "hobrin.exe", "versions-example.ini"}));
    EXPECT_NE(readFile("README.txt").find(HOBRIN_SERVICE_URL), std::string::npos)
        << "the README names the service address the program was built for";

    // As a player would: the emulator beside the program (or under Program
    // Files where the test run installed it), the example's versions after
    // one of the player's own.
    std::string standin = moduleDirectory() + "\\mame-standin.exe";
    ASSERT_TRUE(CopyFileA(standin.c_str(), path("mame-standin.exe").c_str(), FALSE));
    writeFile("versions.ini", "MAME 0.106 (stand-in)\r\n" + standinCommand(0) + "\r\n0.106\r\nWin32\r\n" +
                                  readFile("versions-example.ini"));
    ASSERT_TRUE(launch(path("hobrin.exe")));
    HWND window = waitForMainWindow();
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(comboLines(window, IDC_MAIN_VERSION),
              (std::vector<std::string>{"MAME 0.106 (stand-in)", "MAME 0.106", "MAME 0.37b5 for YORL"}));
    EXPECT_EQ(listLines(window, IDC_MAIN_GAME_LIST).size(), 25u);
    EXPECT_EQ(text(window, IDC_MAIN_TOTAL), "Total number of MAME drivers: 25");
}

// What Windows reads before it starts the program: it runs with the rights
// of whoever starts it (never elevated, never redirected to the VirtualStore
// when unpacked under Program Files), on Windows 7 to 11, at the system's DPI,
// with the controls of Common Controls 6 in the look of today's Windows.
TEST(ManifestTest, ProgramRunsAsItsUserOnWindows7To11AtTheSystemDpiInTodaysLook)
{
    HMODULE program = LoadLibraryExA((moduleDirectory() + "\\hobrin.exe").c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(program, nullptr);
    HRSRC resource = FindResourceA(program, CREATEPROCESS_MANIFEST_RESOURCE_ID, RT_MANIFEST);
    HGLOBAL loaded = resource ? LoadResource(program, resource) : nullptr;
    std::string manifest;
    if (loaded)
        manifest.assign(static_cast<const char*>(LockResource(loaded)), SizeofResource(program, resource));
    FreeLibrary(program);
    ASSERT_FALSE(manifest.empty()) << "no manifest";
    for (const char* wanted : {
             "<requestedExecutionLevel level=\"asInvoker\" uiAccess=\"false\"/>",
             "<supportedOS Id=\"{35138b9a-5d96-4fbd-8e2d-a2440225f93a}\"/>", // Windows 7
             "<supportedOS Id=\"{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}\"/>", // Windows 8
             "<supportedOS Id=\"{1f676c76-80e1-4239-95bb-83d0f6d0da78}\"/>", // Windows 8.1
             "<supportedOS Id=\"{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}\"/>", // Windows 10 and 11
             "<dpiAware xmlns=\"http://schemas.microsoft.com/SMI/2005/WindowsSettings\">true</dpiAware>",
             "name=\"Microsoft.Windows.Common-Controls\" version=\"6.0.0.0\"",
         })
        EXPECT_NE(manifest.find(wanted), std::string::npos) << wanted;
}

} // namespace
