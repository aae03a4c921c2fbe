// The "Add MAME version" dialog, and the main window's "Add..." and "Remove" of emulator versions.
#include "shell/add_version.h"
#include "common/dialog_text.h"
#include "common/late_dlls.h"

#include "common/ascii.h"
#include "common/bounded_text.h"
#include "common/message.h"
#include "emulator/emulator_identity_win.h"
#include "emulator/emulator_run_win.h"
#include "emulator/known_emulators_win.h"
#include "emulator/versions.h"
#include "emulator/versions_win.h"
#include "shell/splash.h"
#include "shell/app.h"
#include "resource.h"

#include <cstring>

namespace {

const char kAddTitle[] = "Add MAME version";
const char kRemoveTitle[] = "Remove MAME version";
// The fourth line of a record names the platform; every emulator Hobrin
// starts is a Windows program.
const char kPlatform[] = "Win32";

// What the dialog shows and the player confirms.
struct VersionFields {
    char command[sizeof(EmulatorVersion::command)];
    char name[sizeof(EmulatorVersion::name)];
    char versionId[sizeof(EmulatorVersion::versionId)];
};

// Blanks around a typed text are never meant: a name's would be dropped
// when read back, and an identifier's would match no score.
void readTrimmed(HWND dialog, int id, char* text, int size)
{
    readDialogText(dialog, id, text, static_cast<std::size_t>(size));
    std::size_t length = std::strlen(text), start = 0;
    while (length > 0 && isAsciiWhiteSpace(static_cast<unsigned char>(text[length - 1])))
        --length;
    while (start < length && isAsciiWhiteSpace(static_cast<unsigned char>(text[start])))
        ++start;
    std::memmove(text, text + start, length - start);
    text[length - start] = '\0';
}

void onOpen(HWND dialog, VersionFields* fields)
{
    SetWindowLongPtrA(dialog, DWLP_USER, reinterpret_cast<LONG_PTR>(fields));
    SetDlgItemTextA(dialog, IDC_ADD_COMMAND, fields->command);
    SendDlgItemMessageA(dialog, IDC_ADD_NAME, EM_LIMITTEXT, sizeof fields->name - 1, 0);
    SendDlgItemMessageA(dialog, IDC_ADD_VERSION_ID, EM_LIMITTEXT, sizeof fields->versionId - 1, 0);
    SetDlgItemTextA(dialog, IDC_ADD_NAME, fields->name);
    SetDlgItemTextA(dialog, IDC_ADD_VERSION_ID, fields->versionId);
    HWND name = GetDlgItem(dialog, IDC_ADD_NAME);
    SendMessageA(dialog, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(name), TRUE);
}

void onOk(HWND dialog)
{
    VersionFields* fields = reinterpret_cast<VersionFields*>(GetWindowLongPtrA(dialog, DWLP_USER));
    readTrimmed(dialog, IDC_ADD_NAME, fields->name, sizeof fields->name);
    readTrimmed(dialog, IDC_ADD_VERSION_ID, fields->versionId, sizeof fields->versionId);
    if (fields->name[0] == '\0')
        showMessage("Give this MAME version a name: it is what the list of versions shows.", kAddTitle);
    else if (fields->versionId[0] == '\0')
        showMessage(
            "Give this MAME version its identifier, as the leaderboard shows it for scores made with it "
            "(for example 0.251).",
            kAddTitle);
    else
        EndDialog(dialog, IDOK);
}

INT_PTR CALLBACK addVersionProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG: onOpen(dialog, reinterpret_cast<VersionFields*>(lParam)); return FALSE;
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case IDC_ADD_OK: onOk(dialog); break;
        case IDC_ADD_CANCEL: EndDialog(dialog, IDCANCEL); break;
        }
        return TRUE;
    case WM_CLOSE: EndDialog(dialog, IDCANCEL); return TRUE;
    }
    return FALSE;
}

// The emulator's program, chosen in an Open dialog; false when cancelled.
bool chooseProgram(HWND owner, char* path, DWORD size)
{
    OPENFILENAMEA dialog{};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = owner;
    dialog.lpstrFilter = "Programs (*.exe)\0*.exe\0All files (*.*)\0*.*\0";
    dialog.nFilterIndex = 1;
    dialog.lpstrFile = path;
    dialog.nMaxFile = size;
    dialog.lpstrTitle = "Choose MAME's program";
    dialog.Flags = OFN_NOCHANGEDIR | OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY;
    return late::GetOpenFileNameA(&dialog) != FALSE;
}

// The command as versions.ini holds it: a path with a blank in quotes, so
// that Windows takes it whole.
void composeCommand(const char* path, char* command, std::size_t size)
{
    if (std::strpbrk(path, " \t"))
        formatText(command, size, "\"%s\"", path);
    else
        copyText(command, size, path);
}

// Tells the player why `path` is not added, unless it answered as MAME.
bool answeredAsMame(const EmulatorIdentity& identity, const char* path)
{
    char message[1024];
    char reason[256];
    switch (identity.answer) {
    case HelpAnswer::mame: return true;
    case HelpAnswer::notStarted:
        systemErrorText(identity.detail, reason, sizeof reason);
        formatText(message, sizeof message, "Hobrin could not start %s: %s", path, reason);
        break;
    case HelpAnswer::noAnswer:
        formatText(message, sizeof message,
                   "%s did not answer within %lu seconds when asked \"-help\", which MAME answers at once. Hobrin "
                   "ended it and did not add it.",
                   path, static_cast<unsigned long>(kQuestionLimitMs / 1000));
        break;
    case HelpAnswer::tooLong:
        formatText(message, sizeof message,
                   "%s printed more than %lu KB when asked \"-help\", which MAME answers in a few lines. Hobrin "
                   "ended it and did not add it.",
                   path, static_cast<unsigned long>(kMostAnswerBytes / 1024));
        break;
    case HelpAnswer::crashed:
        formatText(message, sizeof message,
                   "%s ended abnormally (exception 0x%08lX) when asked \"-help\", which MAME answers. Hobrin did not "
                   "add it.",
                   path, static_cast<unsigned long>(identity.detail));
        break;
    case HelpAnswer::noBanner:
        formatText(message, sizeof message,
                   "%s does not answer \"-help\" as MAME does: MAME's answer begins with its name and version, "
                   "such as \"MAME v0.251\". Hobrin did not add it (exit code %lu).",
                   path, static_cast<unsigned long>(identity.detail));
        break;
    }
    showMessage(message, kAddTitle);
    return false;
}

// Tells the player why versions.ini was left as it was, if it was.
bool fileChanged(const VersionsFileResult& result, const char* title)
{
    char message[1024];
    char reason[256];
    switch (result.change) {
    case VersionsFileChange::done: return true;
    case VersionsFileChange::refused:
        if (result.edit == VersionsEdit::lastIncomplete)
            formatText(message, sizeof message,
                       "The last version in versions.ini, \"%s\", lacks some of its four lines, so a version added "
                       "after it would be read into it. Remove it, or complete it in versions.ini, then add again.",
                       versionCount > 0 ? versionTable[versionCount - 1].name : "");
        else if (result.edit == VersionsEdit::full)
            formatText(message, sizeof message,
                       "versions.ini lists %d MAME versions, as many as Hobrin reads. Remove one before you add "
                       "another.",
                       kMaxVersions);
        else
            copyText(message, sizeof message, "This version cannot be written in versions.ini as it stands.");
        break;
    case VersionsFileChange::changedOutside:
        copyText(message, sizeof message,
                 "versions.ini was changed outside Hobrin since it was read, so nothing was removed. The list now "
                 "shows what the file holds.");
        break;
    case VersionsFileChange::readOnly:
        copyText(message, sizeof message,
                 "versions.ini is read-only, so Hobrin leaves it as it is. Clear its read-only attribute to add or "
                 "remove versions here.");
        break;
    case VersionsFileChange::tooLarge:
        copyText(message, sizeof message,
                 "versions.ini is larger than any list of versions (over 1 MB), so Hobrin leaves it as it is.");
        break;
    case VersionsFileChange::failed:
        systemErrorText(result.error, reason, sizeof reason);
        formatText(message, sizeof message, "Hobrin could not change versions.ini: %s\n\nThe file is as it was.",
                   reason);
        break;
    }
    showMessage(message, title);
    return false;
}

} // namespace

int addEmulatorVersion(HWND owner, HWND versions)
{
    if (versionCount >= kMaxVersions) {
        fileChanged({VersionsFileChange::refused, VersionsEdit::full, 0}, kAddTitle);
        return -1;
    }
    char path[MAX_PATH] = "";
    if (!chooseProgram(owner, path, sizeof path))
        return -1;
    VersionFields fields{};
    composeCommand(path, fields.command, sizeof fields.command);
    int listed = findSameCommand(fields.command);
    if (listed >= 0) {
        char message[1024];
        formatText(message, sizeof message, "%s is already listed, as \"%s\".", path, versionTable[listed].name);
        showMessage(message, kAddTitle);
        return -1;
    }
    // The question blocks this thread, for up to its time limit.
    HCURSOR cursor = SetCursor(LoadCursor(nullptr, IDC_WAIT));
    HWND splash = openSplash(owner, "Asking MAME its version - please wait...");
    EmulatorIdentity identity = identifyEmulator(fields.command);
    if (splash)
        DestroyWindow(splash);
    SetCursor(cursor);
    if (!answeredAsMame(identity, path))
        return -1;
    formatText(fields.name, sizeof fields.name, "MAME %s", identity.versionId);
    copyText(fields.versionId, sizeof fields.versionId, identity.versionId);
    if (DialogBoxParamA(appInstance, MAKEINTRESOURCEA(IDD_ADD_VERSION), owner, addVersionProc,
                        reinterpret_cast<LPARAM>(&fields)) != IDOK)
        return -1;
    if (!fileChanged(addVersionToFile({fields.name, fields.command, fields.versionId, kPlatform}), kAddTitle))
        return -1;
    reloadVersions(versions);
    // Appended after every record read, it is the last one.
    int added = versionCount - 1;
    if (added < 0 || std::strcmp(versionTable[added].command, fields.command) != 0)
        return -1;
    rememberHelpVersion(added, identity.versionId);
    return added;
}

bool removeEmulatorVersion(HWND owner, HWND versions, int versionIndex)
{
    if (versionIndex < 0 || versionIndex >= versionCount)
        return false;
    char question[512];
    formatText(question, sizeof question,
               "Remove \"%s\" from the list of MAME versions?\n\nIts program stays where it is; only versions.ini "
               "forgets it.",
               versionTable[versionIndex].name);
    if (MessageBoxA(owner, question, kRemoveTitle, MB_YESNO | MB_ICONQUESTION) != IDYES)
        return false;
    VersionsFileResult result = removeVersionFromFile(versionIndex);
    bool removed = fileChanged(result, kRemoveTitle);
    if (removed || result.change == VersionsFileChange::changedOutside)
        reloadVersions(versions);
    return removed || result.change == VersionsFileChange::changedOutside;
}
