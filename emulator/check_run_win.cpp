// MAME's run of a planned check, hidden and without a screen, and the folders of a check's files.
#include "emulator/check_run_win.h"

#include "common/bounded_text.h"
#include "common/program_files.h"
#include "common/program_folder.h"
#include "emulator/emulator_run_win.h"
#include "emulator/run_output_win.h"

#include <cstring>
#include <string>
#include <vector>

namespace {

struct FolderEntry {
    std::string path;
    bool folder;
    bool link; // a junction or symbolic link: never entered, only removed
};

// What a folder holds, "." and ".." left out.
std::vector<FolderEntry> folderEntries(const std::string& folder)
{
    std::vector<FolderEntry> entries;
    WIN32_FIND_DATAA findData;
    HANDLE search = FindFirstFileA((folder + "\\*").c_str(), &findData);
    if (search == INVALID_HANDLE_VALUE)
        return entries;
    do {
        if (std::strcmp(findData.cFileName, ".") != 0 && std::strcmp(findData.cFileName, "..") != 0)
            entries.push_back({folder + "\\" + findData.cFileName,
                               (findData.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0,
                               (findData.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0});
    } while (FindNextFileA(search, &findData));
    FindClose(search);
    return entries;
}

bool isPicture(const std::string& path)
{
    return path.size() > 4 && lstrcmpiA(path.c_str() + path.size() - 4, ".png") == 0;
}

// The PNG that MAME saved: "final.png" up to 0.219, the next free "%g/%i"
// name later, so whatever PNG is there, one level deep at most.
std::string findPicture(const char* folder)
{
    for (const FolderEntry& entry : folderEntries(ownFile(folder))) {
        if (!entry.folder && isPicture(entry.path))
            return entry.path;
        for (const FolderEntry& inner :
             entry.folder && !entry.link ? folderEntries(entry.path) : std::vector<FolderEntry>()) {
            if (!inner.folder && isPicture(inner.path))
                return inner.path;
        }
    }
    return std::string();
}

} // namespace

void removeCheckFolder(const char* folder)
{
    const std::string whole = ownFile(folder);
    for (const FolderEntry& entry : folderEntries(whole)) {
        // A link to a folder is removed as the link: what it points at is
        // no file of the check's.
        if (entry.folder && !entry.link)
            removeCheckFolder(entry.path.c_str());
        else if (entry.folder)
            RemoveDirectoryA(entry.path.c_str());
        else
            DeleteFileA(entry.path.c_str());
    }
    RemoveDirectoryA(whole.c_str());
}

void runCheckedMame(const CheckOrder& order, const CheckPlan& plan, const CheckPlace& place, HANDLE cancel,
                    CheckEndReport& end)
{
    end.playedFrames = -1;
    end.speed = -1;
    end.figures = plan.figures;
    end.graph = plan.graph;
    char line[1024];
    const CheckRequest request{plan.command,      plan.system,          order.directory, order.fileName,
                               plan.secondsToRun, place.snapshotFolder, plan.forms};
    if (!composeCheckLine(line, sizeof line, request)) {
        copyText(end.verdict, sizeof end.verdict, "MAME could not be started to check the recording.");
        return;
    }
    removeCheckFolder(place.snapshotFolder);
    CreateDirectoryA(ownFile(kChecksFolder).c_str(), nullptr);
    CreateDirectoryA(ownFile(place.snapshotFolder).c_str(), nullptr);
    RunOutcome outcome =
        runHidden(HiddenRun{line, place.outputFile, place.errorFile, INFINITE, kMostAnswerBytes, cancel, nullptr});
    std::string output = takeRunOutput(place.outputFile, kMostAnswerBytes);
    std::string errors = takeRunOutput(place.errorFile, kMostAnswerBytes);
    std::string savedPicture = findPicture(place.snapshotFolder);
    char pictureName[sizeof order.fileName];
    const char* dot = std::strrchr(order.fileName, '.');
    if (order.pictureName[0] != '\0')
        copyText(pictureName, sizeof pictureName, order.pictureName);
    else
        copySpan(pictureName, sizeof pictureName, order.fileName,
                 dot ? static_cast<std::size_t>(dot - order.fileName) : std::strlen(order.fileName));
    char keptPicture[MAX_PATH];
    if (outcome.end == RunEnd::ended && !savedPicture.empty() &&
        formatText(keptPicture, sizeof keptPicture, "%s\\%s.png", kChecksFolder, pictureName) &&
        MoveFileExA(savedPicture.c_str(), ownFile(keptPicture).c_str(),
                    MOVEFILE_REPLACE_EXISTING | MOVEFILE_COPY_ALLOWED))
        copyText(end.picture, sizeof end.picture, keptPicture);
    removeCheckFolder(place.snapshotFolder);

    PlaybackReport report = readPlaybackReport(output.data(), output.size());
    end.playedFrames = report.playedFrames;
    end.speed = report.speed;
    if (report.playedFrames >= 0)
        formatText(end.played, sizeof end.played,
                   report.speed >= 0 ? "Total playback frames: %lld, average recorded speed %d%%"
                                     : "Total playback frames: %lld",
                   report.playedFrames, report.speed);
    switch (outcome.end) {
    case RunEnd::ended: {
        char words[sizeof end.verdict];
        mameWords(errors.data(), errors.size(), words, sizeof words);
        RecordingFrames file = plan.frames;
        file.readable = plan.lengthKnown;
        formatVerdict(CheckOutcome{true, outcome.exitCode, file, report, words, plan.findings}, end.verdict,
                      sizeof end.verdict);
        if (end.picture[0] == '\0' && outcome.exitCode == 0 && plan.secondsToRun == 0)
            copyText(end.status, sizeof end.status, "No picture: the recording's length is not known.");
        break;
    }
    case RunEnd::tooLong:
        formatText(end.verdict, sizeof end.verdict,
                   "MAME printed more than %lu KB while it played the recording, which is not a check's report, "
                   "and was ended.",
                   static_cast<unsigned long>(kMostAnswerBytes / 1024));
        break;
    case RunEnd::cancelled:
    case RunEnd::timedOut:
        copyText(end.verdict, sizeof end.verdict, "Cancelled: MAME was ended before the recording's end.");
        break;
    case RunEnd::noFile:
    case RunEnd::notStarted:
        copyText(end.verdict, sizeof end.verdict, "MAME could not be started to check the recording.");
        break;
    case RunEnd::waitFailed:
        formatText(end.verdict, sizeof end.verdict,
                   "Hobrin could not wait for MAME (system error %lu) and ended it; the recording was not checked.",
                   static_cast<unsigned long>(outcome.error));
        break;
    }
}
