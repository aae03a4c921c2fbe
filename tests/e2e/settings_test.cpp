// The options in "hobrin.cfg": read at start-up, kept as the user clicks, written at close.
#include "tests/e2e/driver.h"

#include "resource.h"

using namespace e2e;

namespace {

using Slots = std::vector<std::uint32_t>;

// Slot positions in the file.
enum Slot {
    soundEnabled,
    sampleRateIndex,
    hardwareStretch,
    windowed,
    autoFrameskip,
    frameskipLevel,
    reserved,
    sortByDriver,
    askInpName,
    useMouse,
    useJoystick,
    keepCfg,
    showConsole
};

const Slots kDefaults = {1, 1, 1, 0, 1, 0, 0, 0, 0, 0, 0, 0, 0};

class SettingsFileTest : public HobrinTest {
protected:
    Slots savedSlots()
    {
        std::string bytes = readFile("hobrin.cfg");
        EXPECT_EQ(bytes.size(), 52u);
        return settingsSlots(bytes);
    }
};

TEST_F(SettingsFileTest, ClosingWritesDefaultsWhenNoSettingsFile)
{
    ASSERT_NE(start(), nullptr);
    EXPECT_EQ(closeWithCloseBox(), 0u);
    EXPECT_EQ(savedSlots(), kDefaults);
    EXPECT_FALSE(fileExists("hobrin.cfg.tmp"));
}

TEST_F(SettingsFileTest, ExitAndSystemMenuCloseWriteTheFileToo)
{
    HWND window = start();
    ASSERT_NE(window, nullptr);
    press(window, IDC_MAIN_EXIT);
    EXPECT_EQ(waitForExit(), 0u);
    EXPECT_EQ(savedSlots(), kDefaults);

    DeleteFileA(path("hobrin.cfg").c_str());
    window = start();
    ASSERT_NE(window, nullptr);
    PostMessageA(window, WM_CLOSE, 0, 0);
    EXPECT_EQ(waitForExit(), 0u);
    EXPECT_EQ(savedSlots(), kDefaults);
}

TEST_F(SettingsFileTest, ToggledOptionsAndSampleRateSurviveARestart)
{
    HWND window = start();
    ASSERT_NE(window, nullptr);
    for (int id : {IDC_MAIN_WINDOWED, IDC_MAIN_NO_HW_STRETCH, IDC_MAIN_SHOW_CONSOLE, IDC_MAIN_AUTO_FRAMESKIP,
                   IDC_MAIN_USE_JOYSTICK, IDC_MAIN_USE_JOYSTICK})
        press(window, id);
    selectComboItem(window, IDC_MAIN_SAMPLE_RATE, 2);
    SendDlgItemMessageA(window, IDC_MAIN_FRAMESKIP_UPDOWN, UDM_SETPOS, 0, MAKELPARAM(7, 0));
    flushPostedMessages(window, IDC_MAIN_ABOUT);
    EXPECT_EQ(closeWithCloseBox(), 0u);
    EXPECT_EQ(savedSlots(), (Slots{1, 2, 0, 1, 0, 7, 0, 0, 0, 0, 0, 0, 1}));

    window = start();
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(isChecked(window, IDC_MAIN_WINDOWED));
    EXPECT_TRUE(isChecked(window, IDC_MAIN_NO_HW_STRETCH));
    EXPECT_TRUE(isChecked(window, IDC_MAIN_SHOW_CONSOLE));
    EXPECT_FALSE(isChecked(window, IDC_MAIN_AUTO_FRAMESKIP));
    EXPECT_FALSE(isChecked(window, IDC_MAIN_USE_JOYSTICK));
    EXPECT_EQ(text(window, IDC_MAIN_SAMPLE_RATE), "44,100Hz");
    EXPECT_EQ(upDownPosition(window, IDC_MAIN_FRAMESKIP_UPDOWN), 7);
}

TEST_F(SettingsFileTest, EveryOptionBoxFollowsItsField)
{
    writeFile("hobrin.cfg", settingsBytes({0, 0, 0, 1, 0, 3, 0, 1, 1, 1, 1, 1, 1}));
    HWND window = start();
    ASSERT_NE(window, nullptr);
    for (int id :
         {IDC_MAIN_NO_SOUND, IDC_MAIN_NO_HW_STRETCH, IDC_MAIN_WINDOWED, IDC_MAIN_SORT_BY_DRIVER, IDC_MAIN_ASK_INP_NAME,
          IDC_MAIN_USE_MOUSE, IDC_MAIN_USE_JOYSTICK, IDC_MAIN_KEEP_CFG, IDC_MAIN_SHOW_CONSOLE})
        EXPECT_TRUE(isChecked(window, id)) << "control " << id;
    EXPECT_FALSE(isChecked(window, IDC_MAIN_AUTO_FRAMESKIP));
    EXPECT_EQ(text(window, IDC_MAIN_SAMPLE_RATE), "11,025Hz");
    EXPECT_EQ(upDownPosition(window, IDC_MAIN_FRAMESKIP_UPDOWN), 3);
}

TEST_F(SettingsFileTest, SampleRateWithoutSelectionIsStoredAsMinusOne)
{
    HWND window = start();
    ASSERT_NE(window, nullptr);
    selectComboItem(window, IDC_MAIN_SAMPLE_RATE, -1);
    EXPECT_EQ(closeWithCloseBox(), 0u);
    std::string bytes = readFile("hobrin.cfg");
    ASSERT_EQ(bytes.size(), 52u);
    EXPECT_EQ(bytes.substr(4, 4), std::string("\xFF\xFF\x00\x00", 4));

    window = start();
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(comboSelection(window, IDC_MAIN_SAMPLE_RATE), -1);
}

TEST_F(SettingsFileTest, HighHalvesOfTheSixteenBitFieldsAreCarriedThrough)
{
    Slots slots = kDefaults;
    slots[sampleRateIndex] = 0xABCD0002;
    slots[frameskipLevel] = 0x12340004;
    writeFile("hobrin.cfg", settingsBytes(slots));
    HWND window = start();
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(text(window, IDC_MAIN_SAMPLE_RATE), "44,100Hz");
    EXPECT_EQ(upDownPosition(window, IDC_MAIN_FRAMESKIP_UPDOWN), 4);
    selectComboItem(window, IDC_MAIN_SAMPLE_RATE, 0);
    EXPECT_EQ(closeWithCloseBox(), 0u);
    Slots saved = savedSlots();
    EXPECT_EQ(saved[sampleRateIndex], 0xABCD0000u);
    EXPECT_EQ(saved[frameskipLevel], 0x12340004u);
}

TEST_F(SettingsFileTest, ShortFileReplacesOnlyItsLeadingBytes)
{
    writeFile("hobrin.cfg", settingsBytes({0, 2}));
    HWND window = start();
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(isChecked(window, IDC_MAIN_NO_SOUND));
    EXPECT_EQ(text(window, IDC_MAIN_SAMPLE_RATE), "44,100Hz");
    EXPECT_TRUE(isChecked(window, IDC_MAIN_AUTO_FRAMESKIP));
    EXPECT_EQ(closeWithCloseBox(), 0u);
    EXPECT_EQ(savedSlots(), (Slots{0, 2, 1, 0, 1, 0, 0, 0, 0, 0, 0, 0, 0}));
}

TEST_F(SettingsFileTest, HandEditedFieldOfTwoShowsUncheckedAndBecomesOne)
{
    Slots slots = kDefaults;
    slots[windowed] = 2;
    slots[useMouse] = 2;
    writeFile("hobrin.cfg", settingsBytes(slots));
    HWND window = start();
    ASSERT_NE(window, nullptr);
    EXPECT_FALSE(isChecked(window, IDC_MAIN_WINDOWED));
    EXPECT_FALSE(isChecked(window, IDC_MAIN_USE_MOUSE));
    press(window, IDC_MAIN_WINDOWED);
    flushPostedMessages(window, IDC_MAIN_ABOUT);
    EXPECT_TRUE(isChecked(window, IDC_MAIN_WINDOWED));
    EXPECT_EQ(closeWithCloseBox(), 0u);
    Slots saved = savedSlots();
    EXPECT_EQ(saved[windowed], 1u);
    EXPECT_EQ(saved[useMouse], 2u) << "an untouched field keeps its value";
}

TEST_F(SettingsFileTest, DisableSoundSwitchesTheSampleRateBox)
{
    Slots slots = kDefaults;
    slots[soundEnabled] = 0;
    writeFile("hobrin.cfg", settingsBytes(slots));
    HWND window = start();
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(isChecked(window, IDC_MAIN_NO_SOUND));
    EXPECT_FALSE(isEnabled(window, IDC_MAIN_SAMPLE_RATE));
    press(window, IDC_MAIN_NO_SOUND);
    EXPECT_TRUE(waitUntil([&] { return isEnabled(window, IDC_MAIN_SAMPLE_RATE); }));
    EXPECT_FALSE(isChecked(window, IDC_MAIN_NO_SOUND));
    press(window, IDC_MAIN_NO_SOUND);
    EXPECT_TRUE(waitUntil([&] { return !isEnabled(window, IDC_MAIN_SAMPLE_RATE); }));
    press(window, IDC_MAIN_NO_SOUND);
    EXPECT_TRUE(waitUntil([&] { return isEnabled(window, IDC_MAIN_SAMPLE_RATE); }));
    EXPECT_EQ(closeWithCloseBox(), 0u);
    EXPECT_EQ(savedSlots()[soundEnabled], 1u);
}

TEST_F(SettingsFileTest, SoundFieldOtherThanOneLeavesTheSampleRateBoxDisabled)
{
    Slots slots = kDefaults;
    slots[soundEnabled] = 2;
    writeFile("hobrin.cfg", settingsBytes(slots));
    HWND window = start();
    ASSERT_NE(window, nullptr);
    EXPECT_FALSE(isChecked(window, IDC_MAIN_NO_SOUND));
    EXPECT_FALSE(isEnabled(window, IDC_MAIN_SAMPLE_RATE));
}

// A save that fails is told, once, and never leaves a cut file.
TEST_F(SettingsFileTest, FailedSaveIsToldAndKeepsTheSettingsOfEarlierRuns)
{
    const struct {
        const char* label;
        bool fullDisk;
    } cases[] = {{"no room for the new record beside the file", false}, {"full disk", true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        if (c.fullDisk)
            useDirectory(smallDisk() + "\\settings");
        Slots slots = kDefaults;
        slots[windowed] = 1;
        std::string earlier = settingsBytes(slots);
        writeFile("hobrin.cfg", earlier);
        if (!c.fullDisk)
            makeDirectory("hobrin.cfg.tmp");
        HWND window = start();
        ASSERT_NE(window, nullptr);
        press(window, IDC_MAIN_WINDOWED);
        flushPostedMessages(window, IDC_MAIN_ABOUT);
        if (c.fullDisk)
            fillDisk(directory(), 0);
        PostMessageA(window, WM_SYSCOMMAND, SC_CLOSE, 0);
        const std::string told = answerMessageBox(processId(), "Hobrin");
        const std::string start = "Hobrin could not save your options in " + path("hobrin.cfg") + ": ";
        EXPECT_EQ(told.rfind(start, 0), 0u) << told;
        EXPECT_GT(told.size(), start.size() + 40) << "says why";
        EXPECT_EQ(waitForExit(), 0u);
        EXPECT_EQ(readFile("hobrin.cfg"), earlier);
        EXPECT_EQ(fileExists("hobrin.cfg.tmp"), !c.fullDisk) << "only the folder in the way is left";
    }
}

TEST_F(SettingsFileTest, ReadOnlySettingsFileIsLeftAsItWas)
{
    std::string earlier = settingsBytes(kDefaults);
    writeFile("hobrin.cfg", earlier);
    SetFileAttributesA(path("hobrin.cfg").c_str(), FILE_ATTRIBUTE_READONLY);
    HWND window = start();
    ASSERT_NE(window, nullptr);
    press(window, IDC_MAIN_WINDOWED);
    flushPostedMessages(window, IDC_MAIN_ABOUT);
    EXPECT_EQ(closeWithCloseBox(), 0u);
    EXPECT_EQ(readFile("hobrin.cfg"), earlier);
    EXPECT_FALSE(fileExists("hobrin.cfg.tmp"));
}

} // namespace
