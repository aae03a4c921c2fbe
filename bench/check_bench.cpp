// A check of a recording under Wine or Windows, beside MAME's own headless
// playback of the same file in the same run: in the folder that
// HOBRIN_BENCH_CHECK_FOLDER names, mame.exe (MAME 0.251) and its recording
// inp\check.inp. MAME's run is "-playback ... -exit_after_playback -video
// none -sound none -nothrottle"; Hobrin's is timed from the file chosen in
// "Check INP" to its verdict, picture included. With HOBRIN_BENCH_TABLE
// set, also the table of four copies of that recording that the service
// lists as pong's high scores, from "Check all..." to its last verdict,
// beside four of MAME's playbacks one after the other and two at a time.
// Prints figures for tools/bench_report.py; it fails nothing.
#include "bench/bench_win.h"

#include "resource.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

using namespace bench;

namespace {

const int kRounds = 3;
const DWORD kCheckTimeoutMs = 600000;

// MAME's own playback of the recording to its end, without a screen,
// started; null when it could not start.
HANDLE startMame(const std::string& folder)
{
    std::string line = "\"" + folder +
                       "\\mame.exe\" pong -input_directory inp -playback check.inp "
                       "-exit_after_playback -video none -sound none -nothrottle";
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_HIDE;
    PROCESS_INFORMATION process{};
    if (!CreateProcessA(nullptr, &line[0], nullptr, nullptr, FALSE, DETACHED_PROCESS, nullptr, folder.c_str(), &startup,
                        &process))
        return nullptr;
    CloseHandle(process.hThread);
    return process.hProcess;
}

// `count` of MAME's playbacks, `atOnce` at a time, timed together.
double mameMs(const std::string& folder, int count = 1, int atOnce = 1)
{
    double begin = nowMs();
    for (int started = 0; started < count; started += atOnce) {
        std::vector<HANDLE> running;
        for (int i = 0; i < atOnce && started + i < count; ++i) {
            if (HANDLE process = startMame(folder))
                running.push_back(process);
        }
        if (running.empty())
            return -1.0;
        WaitForMultipleObjects(static_cast<DWORD>(running.size()), running.data(), TRUE, kCheckTimeoutMs);
        for (HANDLE process : running)
            CloseHandle(process);
    }
    return nowMs() - begin;
}

// "Check all..." of pong's table, from the press to its last verdict; -1
// when a step failed. The progress line goes to `progress`.
double tableMs(DWORD processId, HWND window, int rows, std::string& progress, double& slowestAnswerMs)
{
    SendDlgItemMessageA(window, IDC_MAIN_GOTO, WM_SETTEXT, 0, reinterpret_cast<LPARAM>("pong"));
    PostMessageA(GetDlgItem(window, IDC_MAIN_FIND), BM_CLICK, 0, 0);
    PostMessageA(GetDlgItem(window, IDC_MAIN_HIGH_SCORES), BM_CLICK, 0, 0);
    HWND scores = GetDlgItem(window, IDC_MAIN_SCORE_LIST);
    if (!waitFor([&] { return SendMessageA(scores, LB_GETCOUNT, 0, 0) == rows; }, 30000))
        return -1.0;
    double begin = nowMs();
    PostMessageA(GetDlgItem(window, IDC_MAIN_CHECK_ALL), BM_CLICK, 0, 0);
    HWND table = waitForWindow(processId, "Recording checks", 10000, 1);
    if (!table)
        return -1.0;
    // Meanwhile the window answers: a message sent to it, as a click is,
    // every 100 ms, and the slowest answer kept.
    slowestAnswerMs = 0;
    while (!IsWindowEnabled(GetDlgItem(table, IDC_TABLE_CLOSE))) {
        if (nowMs() - begin > kCheckTimeoutMs)
            return -1.0;
        double asked = nowMs();
        DWORD_PTR answer = 0;
        SendMessageTimeoutA(table, WM_NULL, 0, 0, SMTO_NORMAL, 5000, &answer);
        slowestAnswerMs = std::max(slowestAnswerMs, nowMs() - asked);
        Sleep(100);
    }
    double elapsed = nowMs() - begin;
    progress = controlText(table, IDC_TABLE_PROGRESS);
    PostMessageA(GetDlgItem(table, IDC_TABLE_CLOSE), BM_CLICK, 0, 0);
    waitFor([&] { return !IsWindow(table); }, 10000);
    return elapsed;
}

// One check in the running program, from the file chosen to the verdict;
// -1 when a step failed. The verdict goes to `verdict`.
double checkMs(DWORD processId, HWND window, const std::string& file, std::string& verdict)
{
    PostMessageA(GetDlgItem(window, IDC_MAIN_CHECK), BM_CLICK, 0, 0);
    HWND open = waitForWindow(processId, "Check INP", 10000, 5);
    if (!typeFileName(open, file))
        return -1.0;
    double begin = nowMs();
    PostMessageA(open, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    HWND check = waitForWindow(processId, "Recording check", 10000, 1);
    if (!check ||
        !waitFor([&] { return IsWindowEnabled(GetDlgItem(check, IDC_CHECK_CLOSE)) != FALSE; }, kCheckTimeoutMs))
        return -1.0;
    double elapsed = nowMs() - begin;
    verdict = controlText(check, IDC_CHECK_VERDICT);
    PostMessageA(GetDlgItem(check, IDC_CHECK_CLOSE), BM_CLICK, 0, 0);
    waitFor([&] { return !IsWindow(check); }, 10000);
    return elapsed;
}

} // namespace

int main()
{
    const char* folder = std::getenv("HOBRIN_BENCH_CHECK_FOLDER");
    if (!folder || !*folder) {
        std::fprintf(stderr, "check: HOBRIN_BENCH_CHECK_FOLDER names no folder\n");
        return 1;
    }
    Program hobrin;
    if (!hobrin.start(moduleDirectory() + "\\hobrin.exe", folder))
        return 1;
    HWND window = waitForWindow(hobrin.id(), "Hobrin", 120000, 10);
    const std::string file = std::string(folder) + "\\inp\\check.inp";
    std::string verdict;
    // The first check asks MAME its version, once: not timed.
    if (!window || checkMs(hobrin.id(), window, file, verdict) < 0) {
        std::fprintf(stderr, "check: the first check did not end\n");
        return 1;
    }
    // The baseline build, when given, checks the same recording in a copy
    // of the folder (FOLDER-baseline, made by tools/bench.sh), so that
    // neither reads the other's files; in turns with this one, each alone.
    Program baseline;
    HWND baseWindow = nullptr;
    std::string baseVerdict;
    const std::string baseFolder = std::string(folder) + "-baseline";
    const std::string baseFile = baseFolder + "\\inp\\check.inp";
    if (const char* path = baselineProgram()) {
        if (baseline.start(path, baseFolder))
            baseWindow = waitForWindow(baseline.id(), "Hobrin", 120000, 10);
        if (!baseWindow || checkMs(baseline.id(), baseWindow, baseFile, baseVerdict) < 0) {
            std::fprintf(stderr, "check: the baseline's first check did not end\n");
            return 1;
        }
    }
    std::vector<double> mame, checked, added, base, overBase;
    for (int round = 0; round < kRounds; ++round) {
        mame.push_back(mameMs(folder));
        checked.push_back(checkMs(hobrin.id(), window, file, verdict));
        added.push_back(checked.back() - mame.back());
        if (baseWindow) {
            base.push_back(checkMs(baseline.id(), baseWindow, baseFile, baseVerdict));
            overBase.push_back(checked.back() - base.back());
        }
    }
    if (baseWindow) {
        std::fprintf(stderr, "check: the baseline's verdict: %s\n", baseVerdict.c_str());
        printFigure("check.baseline_ms", median(base));
        printFigure("check.over_baseline_ms", median(overBase));
    }
    std::fprintf(stderr, "check: %s\n", verdict.c_str());
    // "Plays to its end: N of N frames, m:ss": the recording's length.
    std::size_t colon = verdict.rfind(':');
    double length =
        colon != std::string::npos && colon >= 2
            ? std::atof(verdict.c_str() + verdict.rfind(' ', colon) + 1) * 60 + std::atof(verdict.c_str() + colon + 1)
            : -1.0;
    printFigure("check.length_s", length);
    printFigure("check.mame_ms", median(mame));
    printFigure("check.hobrin_ms", median(checked));
    printFigure("check.added_ms", median(added));
    if (!std::getenv("HOBRIN_BENCH_TABLE"))
        return 0;
    const int kTableRows = 4;
    SYSTEM_INFO system{};
    GetSystemInfo(&system);
    printFigure("check.processors", system.dwNumberOfProcessors);
    printFigure("check.four_in_turn_ms", mameMs(folder, kTableRows, 1));
    printFigure("check.four_two_at_once_ms", mameMs(folder, kTableRows, 2));
    std::string progress;
    double slowestAnswerMs = -1;
    printFigure("check.table_ms", tableMs(hobrin.id(), window, kTableRows, progress, slowestAnswerMs));
    printFigure("check.table_answer_ms", slowestAnswerMs);
    std::fprintf(stderr, "check: %s\n", progress.c_str());
    if (baseWindow)
        printFigure("check.table_baseline_ms",
                    tableMs(baseline.id(), baseWindow, kTableRows, progress, slowestAnswerMs));
    return 0;
}
