// Recording downloads under Wine or Windows, driven as a user would: from
// the worker's start (the title "Downloading ...", set right after it) to
// "Download complete.", for the archives bench_1m.zip and bench_16m.zip in
// the stand-in service's folder HOBRIN_BENCH_YORL_DATA. Each round starts a
// fresh hobrin.exe, lists the one high score whose recording is the archive,
// opens its Score Properties and presses "Download and playback". Prints
// figures for tools/bench_report.py; it fails nothing.
#include "bench/bench_win.h"

#include "resource.h"

#include <cstdio>
#include <cstdlib>

using namespace bench;

namespace {

const char kSaveTitle[] = "Save downloaded recording as...";
const DWORD kDownloadTimeoutMs = 180000;

struct Download {
    const char* figure;
    const char* game;      // listed by the stand-in emulator, its high score names the recording
    const char* recording; // inp\RECORDING.zip in the service's folder
    int rounds;
    std::vector<double> times;
};

std::string scoreAnswer(const Download& download)
{
    return std::string("header\n('1000','1','a1','0.106','1100000000','") + download.recording +
           "','t','Bench',\"Bench\",'1','12.5','Run')<P>\n";
}

// One download in a fresh program; -1 when a step failed.
double downloadMs(const std::string& folder, int gameIndex, long long expectedBytes)
{
    Program hobrin;
    if (!hobrin.start(moduleDirectory() + "\\hobrin.exe", folder))
        return -1.0;
    HWND window = waitForWindow(hobrin.id(), "Hobrin", 30000, 5);
    if (!window) {
        std::fprintf(stderr, "download: no main window\n");
        return -1.0;
    }
    HWND scores = GetDlgItem(window, IDC_MAIN_SCORE_LIST);
    SendDlgItemMessageA(window, IDC_MAIN_GAME_LIST, LB_SETCURSEL, static_cast<WPARAM>(gameIndex), 0);
    PostMessageA(GetDlgItem(window, IDC_MAIN_HIGH_SCORES), BM_CLICK, 0, 0);
    if (!waitFor([&] { return SendMessageA(scores, LB_GETCOUNT, 0, 0) == 1 && listLine(scores, 0) != ""; }, 10000)) {
        std::fprintf(stderr, "download: the high score was not listed\n");
        return -1.0;
    }
    SendMessageA(scores, LB_SETCURSEL, 0, 0);
    PostMessageA(window, WM_COMMAND, MAKEWPARAM(IDC_MAIN_SCORE_LIST, LBN_DBLCLK), reinterpret_cast<LPARAM>(scores));
    HWND properties = waitForWindow(hobrin.id(), "Score Properties", 10000, 5);
    if (!properties) {
        std::fprintf(stderr, "download: no Score Properties window\n");
        return -1.0;
    }
    PostMessageA(GetDlgItem(properties, IDC_SCORE_DOWNLOAD), BM_CLICK, 0, 0);
    HWND save = waitForWindow(hobrin.id(), kSaveTitle, 10000, 5);
    std::string target = folder + "\\download.zip";
    DeleteFileA(target.c_str());
    if (!typeFileName(save, target)) {
        std::fprintf(stderr, "download: no save dialog with a file-name box\n");
        return -1.0;
    }

    // The clock starts when the title says "Downloading ...", which the
    // window sets right after it has started the worker: the save dialog's
    // own closing is not the download's time.
    double started = nowMs();
    bool seenStart = false;
    PostMessageA(save, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(save, IDOK)));
    HWND download = nullptr;
    bool failed = false;
    int looks = 0;
    bool complete = waitFor(
        [&] {
            // Only the title is read every millisecond: a search through
            // every window at that pace would slow the program down.
            if (!download || ++looks % 50 == 0) {
                if (!download)
                    download = findDialogWithControl(hobrin.id(), IDC_DOWNLOAD_PROGRESS);
                // A failure shows a message box.
                failed = findWindow(hobrin.id(), "Can't download") || findWindow(hobrin.id(), "Can't save recording");
            }
            std::string title = download ? controlText(download, IDC_DOWNLOAD_TITLE) : std::string();
            if (!seenStart && title.rfind("Downloading ", 0) == 0) {
                seenStart = true;
                started = nowMs();
            }
            return failed || title == "Download complete.";
        },
        kDownloadTimeoutMs);
    double elapsed = nowMs() - started;
    if (failed) {
        std::fprintf(stderr, "download: the program reported a failure\n");
        return -1.0;
    }
    if (!complete) {
        std::fprintf(stderr, "download: not complete after %lu s\n", kDownloadTimeoutMs / 1000);
        return -1.0;
    }
    long long saved = fileSize(target);
    if (saved != expectedBytes) {
        std::fprintf(stderr, "download: %lld bytes saved, %lld served\n", saved, expectedBytes);
        return -1.0;
    }
    return elapsed;
}

} // namespace

int main()
{
    const char* data = std::getenv("HOBRIN_BENCH_YORL_DATA");
    if (!data || !*data) {
        std::fprintf(stderr, "HOBRIN_BENCH_YORL_DATA names no folder: run tools/bench.sh\n");
        return 1;
    }
    Download downloads[] = {
        {"download.1m_ms", "dl1m", "bench_1m", 7, {}},
        {"download.16m_ms", "dl16m", "bench_16m", 3, {}},
    };
    std::vector<std::string> games;
    for (const Download& download : downloads) {
        games.push_back(download.game);
        if (!writeFile(std::string(data) + "\\scores\\" + download.game + ".txt", scoreAnswer(download))) {
            std::fprintf(stderr, "cannot write the answers into %s\n", data);
            return 1;
        }
    }
    std::string folder = prepareProgramFolder("hobrin-bench-download", games);
    if (folder.empty())
        return 1;
    for (int game = 0; game < static_cast<int>(games.size()); ++game) {
        Download& download = downloads[game];
        long long bytes = fileSize(std::string(data) + "\\inp\\" + download.recording + ".zip");
        if (bytes < 0) {
            std::fprintf(stderr, "no archive %s.zip in %s\\inp\n", download.recording, data);
            return 1;
        }
        for (int round = 0; round < download.rounds; ++round) {
            double elapsed = downloadMs(folder, game, bytes);
            if (elapsed < 0)
                return 1;
            download.times.push_back(elapsed);
        }
        printFigure(download.figure, median(download.times));
    }
    return 0;
}
