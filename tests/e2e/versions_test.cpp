// Emulator versions added from the main window and removed from it, versions.ini edited in place.
#include "tests/e2e/driver.h"

#include "resource.h"

#include <algorithm>

using namespace e2e;

namespace {

class VersionsTest : public HobrinTest {
protected:
    // A copy of the stand-in emulator in the working folder; its kind comes
    // from the folder's standin-control.txt.
    std::string copyStandin(const std::string& name)
    {
        std::string copy = path(name);
        EXPECT_TRUE(CopyFileA((moduleDirectory() + "\\mame-standin.exe").c_str(), copy.c_str(), FALSE));
        return copy;
    }

    HWND focused(HWND window)
    {
        GUITHREADINFO info{};
        info.cbSize = sizeof info;
        GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info);
        return info.hwndFocus;
    }
};

const char kNoVersion[] = "No MAME version yet: press Add... to choose your MAME";

// A first start has no versions.ini: the window says what to do. "Add..."
// asks the chosen program for its version, proposes its name and
// identifier, and lists its games at once; anything that does not answer
// as MAME, or is listed already, leaves versions.ini as it was. "Remove"
// asks first. The other records keep their bytes.
TEST_F(VersionsTest, EmulatorsAreAddedAndRemovedFromTheWindow)
{
    deleteFile("versions.ini");
    HWND window = start();
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(visibleWindowTitles(processId()), std::vector<std::string>{"Hobrin"}) << "no message box";
    EXPECT_EQ(text(window, IDC_MAIN_TOTAL), kNoVersion);
    EXPECT_EQ(focused(window), GetDlgItem(window, IDC_MAIN_ADD_VERSION));
    EXPECT_FALSE(isEnabled(window, IDC_MAIN_REMOVE_VERSION));
    press(window, IDC_MAIN_REFRESH);
    EXPECT_NE(answerMessageBox(processId(), "Refresh game list").find("versions.ini"), std::string::npos);

    const std::string old = copyStandin("mame 2006.exe"), between = copyStandin("mame0171.exe"),
                      today = copyStandin("mame0251.exe"), other = copyStandin("other.exe");
    std::string versions;
    const struct {
        const char* label;
        std::string program;
        const char* control;
        const char* name; // proposed; "" when refused before the dialog
        const char* typedName;
        const char* refusal;
    } cases[] = {
        {"a MAME of 2006, its path in quotes", old, "", "MAME 0.106", nullptr, nullptr},
        {"a MAME of 2016", between, "kind=between", "MAME 0.171", nullptr, nullptr},
        {"today's MAME, named by the player", today, "kind=today", "MAME 0.251", "My MAME", nullptr},
        {"listed already", today, "kind=today", "", nullptr, "is already listed, as \"My MAME\""},
        {"no banner", other, "help=none", "", nullptr, "does not answer \"-help\" as MAME does"},
        {"a crash", other, "help=crash", "", nullptr, "ended abnormally (exception 0xC0000005)"},
        {"no answer in time", other, "help=hang", "", nullptr, "did not answer within 10 seconds"},
        {"an answer without end", other, "help=flood", "", nullptr, "printed more than 256 KB when asked"},
        {"cancelled", other, "kind=today", "MAME 0.251", nullptr, ""},
        {"read-only versions.ini", other, "kind=today", "MAME 0.251", nullptr, "versions.ini is read-only"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        writeFile("standin-control.txt", std::string(c.control) + "\n");
        bool readOnly = std::string(c.label) == "read-only versions.ini";
        SetFileAttributesA(path("versions.ini").c_str(), readOnly ? FILE_ATTRIBUTE_READONLY : FILE_ATTRIBUTE_NORMAL);
        std::size_t listed = comboLines(window, IDC_MAIN_VERSION).size();
        press(window, IDC_MAIN_ADD_VERSION);
        chooseFile(processId(), "Choose MAME's program", c.program);
        if (c.name[0] != '\0') {
            HWND dialog = waitForWindow(processId(), "Add MAME version");
            ASSERT_NE(dialog, nullptr);
            const std::string command = c.program.find(' ') != std::string::npos ? "\"" + c.program + "\"" : c.program;
            EXPECT_EQ(text(dialog, IDC_ADD_COMMAND), command);
            EXPECT_EQ(text(dialog, IDC_ADD_NAME), c.name);
            const std::string id = std::string(c.name).substr(5);
            EXPECT_EQ(text(dialog, IDC_ADD_VERSION_ID), id);
            if (c.typedName)
                setText(dialog, IDC_ADD_NAME, c.typedName);
            press(dialog, c.refusal && !*c.refusal ? IDC_ADD_CANCEL : IDC_ADD_OK);
            EXPECT_TRUE(waitUntilGone(dialog));
            if (!c.refusal) {
                versions +=
                    std::string(c.typedName ? c.typedName : c.name) + "\r\n" + command + "\r\n" + id + "\r\nWin32\r\n";
                ASSERT_TRUE(waitUntil([&] { return comboLines(window, IDC_MAIN_VERSION).size() == listed + 1; }));
                ASSERT_TRUE(waitUntilShown(window));
                EXPECT_EQ(comboSelection(window, IDC_MAIN_VERSION), static_cast<int>(listed));
                EXPECT_EQ(text(window, IDC_MAIN_TOTAL), "Total number of MAME drivers: 25") << "devices left out";
                EXPECT_NE(readFile("emulators.ini").find("help_version=" + id + "\r\n"), std::string::npos);
            }
        }
        if (c.refusal && *c.refusal) {
            EXPECT_NE(answerMessageBox(processId(), "Add MAME version").find(c.refusal), std::string::npos);
        }
        flushPostedMessages(window, IDC_MAIN_ABOUT);
        EXPECT_EQ(readFile("versions.ini"), versions);
    }
    SetFileAttributesA(path("versions.ini").c_str(), FILE_ATTRIBUTE_NORMAL);
    EXPECT_TRUE(isEnabled(window, IDC_MAIN_REMOVE_VERSION));

    // The middle one: asked first, then gone with its bytes alone, and the
    // next one listed.
    const std::vector<std::string> records = {
        versions.substr(0, versions.find("MAME 0.171")),
        versions.substr(versions.find("MAME 0.171"), versions.find("My MAME") - versions.find("MAME 0.171")),
        versions.substr(versions.find("My MAME"))};
    selectComboItem(window, IDC_MAIN_VERSION, 1);
    for (int button : {IDNO, IDYES}) {
        press(window, IDC_MAIN_REMOVE_VERSION);
        EXPECT_NE(answerMessageBox(processId(), "Remove MAME version", kDefaultTimeoutMs, button).find("MAME 0.171"),
                  std::string::npos);
        flushPostedMessages(window, IDC_MAIN_ABOUT);
    }
    ASSERT_TRUE(waitUntil([&] { return comboLines(window, IDC_MAIN_VERSION).size() == 2; }));
    ASSERT_TRUE(waitUntilShown(window));
    EXPECT_EQ(readFile("versions.ini"), records[0] + records[2]);
    EXPECT_EQ(comboLines(window, IDC_MAIN_VERSION), (std::vector<std::string>{"MAME 0.106", "My MAME"}));
    EXPECT_EQ(comboSelection(window, IDC_MAIN_VERSION), 1);
    for (int left = 2; left > 0; --left) {
        press(window, IDC_MAIN_REMOVE_VERSION);
        answerMessageBox(processId(), "Remove MAME version", kDefaultTimeoutMs, IDYES);
        ASSERT_TRUE(waitUntil([&] { return comboLines(window, IDC_MAIN_VERSION).size() == left - 1u; }));
    }
    EXPECT_TRUE(waitUntil([&] { return text(window, IDC_MAIN_TOTAL) == kNoVersion; }));
    EXPECT_TRUE(listLines(window, IDC_MAIN_GAME_LIST).empty());
    EXPECT_EQ(readFile("versions.ini"), "");
}

// "Add..." refuses a program that is listed already under another spelling
// of its path, as CreateProcess would start it, and takes one that is
// listed only with other arguments. A byte-order mark that an editor put
// before the first record shows in no name, and stays when it is removed.
TEST_F(VersionsTest, ListedProgramIsFoundWhateverItsSpelling)
{
    // The test's folder holds a blank: a command names it in quotes.
    std::string upper = "\"" + copyStandin("upper.exe") + "\"";
    std::transform(upper.begin(), upper.end(), upper.begin(),
                   [](char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; });
    const struct {
        const char* name;
        std::string listed;
        std::string chosen;
        bool refused;
    } cases[] = {
        {"Quoted", "\"" + copyStandin("quoted.exe") + "\"", path("quoted.exe"), true},
        {"Other case", upper, path("upper.exe"), true},
        {"Relative", ".\\relative.exe", copyStandin("relative.exe"), true},
        {"Bare name", "bare.exe", copyStandin("bare.exe"), true},
        {"No extension", "\"" + path("noext") + "\"", copyStandin("noext.exe"), true},
        {"Other arguments", "\"" + copyStandin("args.exe") + "\" -kind today", path("args.exe"), false},
    };
    const std::string mark = "\xEF\xBB\xBF";
    std::string versions = mark + standinVersions();
    for (const auto& c : cases)
        versions += std::string(c.name) + "\n" + c.listed + "\n0.106\nWin32\n";
    writeFile("versions.ini", versions);
    HWND window = start();
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(comboLines(window, IDC_MAIN_VERSION).at(0), "MAME 0.106 (stand-in)");
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        press(window, IDC_MAIN_ADD_VERSION);
        chooseFile(processId(), "Choose MAME's program", c.chosen);
        if (c.refused) {
            std::string message = answerMessageBox(processId(), "Add MAME version");
            EXPECT_NE(message.find(" is already listed, as \"" + std::string(c.name) + "\"."), std::string::npos)
                << message;
        } else {
            HWND dialog = waitForWindow(processId(), "Add MAME version");
            ASSERT_NE(dialog, nullptr);
            press(dialog, IDC_ADD_CANCEL);
            EXPECT_TRUE(waitUntilGone(dialog));
        }
        flushPostedMessages(window, IDC_MAIN_ABOUT);
        EXPECT_EQ(readFile("versions.ini"), versions);
    }

    selectComboItem(window, IDC_MAIN_VERSION, 0);
    press(window, IDC_MAIN_REMOVE_VERSION);
    answerMessageBox(processId(), "Remove MAME version", kDefaultTimeoutMs, IDYES);
    ASSERT_TRUE(waitUntil([&] { return comboLines(window, IDC_MAIN_VERSION).size() == 7; }));
    EXPECT_EQ(readFile("versions.ini"), mark + versions.substr(versions.find("MAME 0.251 (stand-in)")));
    EXPECT_EQ(comboLines(window, IDC_MAIN_VERSION).at(0), "MAME 0.251 (stand-in)");
    EXPECT_FALSE(fileExists("versions.ini.tmp"));
    EXPECT_FALSE(fileExists("versions.ini.old.tmp"));
}

// A versions.ini that cannot be replaced (another program holds it open
// without letting it be renamed) stays as it was, and no temporary file of
// the edit stays behind.
TEST_F(VersionsTest, FileThatCannotBeReplacedStaysAsItWas)
{
    HWND window = start();
    ASSERT_NE(window, nullptr);
    const std::string before = readFile("versions.ini");
    HANDLE held = CreateFileA(path("versions.ini").c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    press(window, IDC_MAIN_REMOVE_VERSION);
    answerMessageBox(processId(), "Remove MAME version", kDefaultTimeoutMs, IDYES);
    std::string message = answerMessageBox(processId(), "Remove MAME version");
    CloseHandle(held);
    EXPECT_EQ(message.rfind("Hobrin could not change versions.ini: ", 0), 0u) << message;
    EXPECT_EQ(readFile("versions.ini"), before);
    EXPECT_EQ(comboLines(window, IDC_MAIN_VERSION).size(), 2u);
    EXPECT_FALSE(fileExists("versions.ini.tmp"));
    EXPECT_FALSE(fileExists("versions.ini.old.tmp"));
}

} // namespace
