// Checking every recording of a score table: downloads one at a time, MAME runs side by side, on a thread that hands
// out the work.
#include "online/disk_files.h"
#include "online/check_table_win.h"

#include "common/window_post.h"
#include "common/program_folder.h"
#include "common/bounded_text.h"
#include "common/program_files.h"
#include "common/worker.h"
#include "emulator/check_plan_win.h"
#include "emulator/check_run_win.h"
#include "emulator/versions.h"
#include "online/disk_files_win.h"
#include "online/extract.h"
#include "online/file_names.h"
#include "online/recording_fetch.h"
#include "online/recording_playback.h"

#include <process.h>

#include <atomic>
#include <memory>
#include <new>
#include <vector>

// The table's work. The window's thread makes it, may cancel it, and frees
// it once the coordinator has posted its end; the coordinator and the runs
// it starts read the order and post what they find.
class CheckTable {
public:
    TableOrder order;
    // Where row updates go; null once the window has left the work to end alone.
    std::atomic<HWND> window{nullptr};
    // The thread that hands out the work. Cancel stops it, and with it
    // every download, MAME run and question.
    Worker coordinator;
    // Set by whichever comes second of the coordinator's end and the
    // window's leaving: the window then frees the table (finishCheckTable),
    // or the coordinator frees it itself once it was left.
    std::atomic<bool> endOrLeft{false};
};

namespace {

// One row's MAME run, on a thread of its own, with its files in a folder
// of its own: checks\runN, which holds the extracted recording, MAME's
// snapshot folder and what it prints.
struct Run {
    CheckTable* table;
    int row;
    CheckOrder order;
    CheckPlan plan;
    char snapshot[MAX_PATH];
    char output[MAX_PATH];
    char errors[MAX_PATH];
    char checkedWith[20];
    HANDLE thread;
};

// A download stops when the table is cancelled.
class StopWatcher : public FetchWatcher {
public:
    explicit StopWatcher(const std::atomic<bool>& stop) : stop_(stop) {}
    bool stopAsked() override { return stop_.load(); }
    void announced(DWORD, bool) override {}
    void received(unsigned long long, bool) override {}

private:
    const std::atomic<bool>& stop_;
};

// A new update of `row`, or null when there is no memory for it.
RowUpdate* newRowUpdate(int row, RowState state, const char* checkedWith)
{
    RowUpdate* update = new (std::nothrow) RowUpdate();
    if (!update)
        return nullptr;
    update->row = row;
    update->state = state;
    copyText(update->checkedWith, sizeof update->checkedWith, checkedWith);
    update->end.playedFrames = -1;
    update->end.speed = -1;
    return update;
}

// The window takes each update; what cannot be posted is not kept.
void postRowUpdate(const CheckTable& table, RowUpdate* update)
{
    HWND window = table.window.load();
    if (update && (!window || !postToWindow(window, kTableRowMessage, 0, reinterpret_cast<LPARAM>(update))))
        delete update;
}

void postState(const CheckTable& table, int row, RowState state, const char* checkedWith = "")
{
    postRowUpdate(table, newRowUpdate(row, state, checkedWith));
}

// A verdict before any MAME run; with `plan`, what its frames told up to
// there (a damaged file's), as a single check shows it too.
void postVerdict(const CheckTable& table, int row, const char* checkedWith, const char* verdict,
                 const CheckPlan* plan = nullptr)
{
    if (RowUpdate* update = newRowUpdate(row, RowState::checked, checkedWith)) {
        copyText(update->end.verdict, sizeof update->end.verdict, verdict);
        if (plan && plan->figures.known) {
            update->end.figures = plan->figures;
            update->end.graph = plan->graph;
        }
        postRowUpdate(table, update);
    }
}

// Downloads row `row`'s recording into its folder, extracts it and prepares
// its check; false, with the row's verdict posted, when nothing is to run.
bool prepareRow(CheckTable& table, int row, Run& run)
{
    const TableScore& score = table.order.scores[static_cast<std::size_t>(row)];
    const ScoreRecord& record = score.record;
    const int version = scoreVersion(record, table.order.fallbackVersion);
    if (version >= 0 && version < versionCount)
        copyText(run.checkedWith, sizeof run.checkedWith, versionTable[version].versionId);
    char verdict[1024];
    char name[sizeof record.recordingName];
    copyText(name, sizeof name, record.recordingName);
    // The name comes from the service and becomes a file name and part of
    // an address, as for "Download and playback".
    if (!isUsableRecordingName(name)) {
        formatText(verdict, sizeof verdict, "Can't download: the recording's name \"%s\" is no usable file name.",
                   name);
        postVerdict(table, row, run.checkedWith, verdict);
        return false;
    }
    char folder[MAX_PATH];
    formatText(folder, sizeof folder, "%s\\run%d", kChecksFolder, row + 1);
    removeCheckFolder(folder);
    CreateDirectoryA(ownFile(kChecksFolder).c_str(), nullptr);
    char archive[MAX_PATH + 1];
    HANDLE file = CreateDirectoryA(ownFile(folder).c_str(), nullptr)
                      ? createTemporaryHandle(folder, archive, sizeof archive)
                      : INVALID_HANDLE_VALUE;
    if (file == INVALID_HANDLE_VALUE) {
        postVerdict(table, row, run.checkedWith, "Can't save recording: Cannot create file (disk full?)");
        removeCheckFolder(folder);
        return false;
    }
    postState(table, row, RowState::downloading, run.checkedWith);
    char downloadName[64];
    formatText(downloadName, sizeof downloadName, "%s.zip", name);
    StopWatcher watcher(table.coordinator.stop);
    FetchOutcome fetched = fetchRecording(downloadName, file, watcher);
    CloseHandle(file);
    ExtractResult extracted{};
    const char* title = nullptr;
    // A check refused before MAME ran: its plan, whose frames the row shows
    // as far as they were read (figures.known tells whether they were).
    const CheckPlan* toldSoFar = nullptr;
    char words[512];
    if (fetched.end == FetchEnd::complete) {
        extracted = extractInputLog(archive, folder);
        removeFile(archive);
    }
    if (fetched.end == FetchEnd::stopped || table.coordinator.stop.load()) {
        copyText(verdict, sizeof verdict, kNotCheckedVerdict);
    } else if (fetched.end == FetchEnd::failed) {
        formatText(verdict, sizeof verdict, "%s: %s", fetched.title, fetched.text);
    } else if (!describeExtraction(extracted, words, sizeof words, title)) {
        formatText(verdict, sizeof verdict, "%s: %s", title, words);
    } else {
        CheckOrder& order = run.order;
        order = CheckOrder{};
        copyText(order.directory, sizeof order.directory, folder);
        copyText(order.fileName, sizeof order.fileName, extracted.baseName);
        copyText(order.fallbackSystem, sizeof order.fallbackSystem, score.game);
        copyText(order.expectedSystem, sizeof order.expectedSystem, score.game);
        order.fallbackVersion = version;
        order.forcedVersion = version;
        // Named after the score's recording, which the service names once:
        // two archives may hold recordings of one name.
        copyText(order.pictureName, sizeof order.pictureName, name);
        CheckFileReport fileReport{};
        if (prepareCheck(order, table.coordinator, run.plan, fileReport, verdict, sizeof verdict)) {
            formatText(run.snapshot, sizeof run.snapshot, "%s\\snapshot", folder);
            formatText(run.output, sizeof run.output, "%s\\check.out", folder);
            formatText(run.errors, sizeof run.errors, "%s\\check.err", folder);
            return true;
        }
        if (table.coordinator.stop.load())
            copyText(verdict, sizeof verdict, kNotCheckedVerdict);
        else
            toldSoFar = &run.plan;
    }
    postVerdict(table, row, run.checkedWith, verdict, toldSoFar);
    removeCheckFolder(folder);
    return false;
}

unsigned __stdcall runRow(void* argument)
{
    Run& run = *static_cast<Run*>(argument);
    CheckTable& table = *run.table;
    RowUpdate* update = newRowUpdate(run.row, RowState::checked, run.checkedWith);
    CheckEndReport end{};
    runCheckedMame(run.order, run.plan, CheckPlace{run.snapshot, run.output, run.errors}, table.coordinator.cancel,
                   end);
    removeCheckFolder(run.order.directory);
    if (update) {
        update->end = end;
        update->frames = run.plan.frames;
        update->lengthKnown = run.plan.lengthKnown;
    }
    postRowUpdate(table, update);
    return 0;
}

// Waits for one of the runs to end, and forgets those that have.
void reapRuns(std::vector<std::unique_ptr<Run>>& running, DWORD waitMs)
{
    std::vector<HANDLE> threads;
    for (const auto& run : running)
        threads.push_back(run->thread);
    if (threads.empty())
        return;
    // A wait that fails returns at once: a short sleep instead keeps the
    // loop from spinning, and each thread is looked at alone below.
    if (WaitForMultipleObjects(static_cast<DWORD>(threads.size()), threads.data(), FALSE, waitMs) == WAIT_FAILED)
        Sleep(50);
    for (std::size_t i = running.size(); i-- > 0;) {
        if (WaitForSingleObject(running[i]->thread, 0) == WAIT_OBJECT_0) {
            CloseHandle(running[i]->thread);
            running.erase(running.begin() + static_cast<std::ptrdiff_t>(i));
        }
    }
}

// Hands out the work: each row is downloaded and prepared here, one at a
// time, and its MAME run given a thread of its own as soon as fewer than
// checkSlots() run.
unsigned __stdcall coordinate(void* argument)
{
    CheckTable& table = *static_cast<CheckTable*>(argument);
    const std::size_t slots = static_cast<std::size_t>(checkSlots());
    std::vector<std::unique_ptr<Run>> running;
    for (std::size_t row = 0; row < table.order.scores.size() && !table.coordinator.stop.load(); ++row) {
        std::unique_ptr<Run> run(new (std::nothrow) Run());
        if (!run)
            break;
        run->table = &table;
        run->row = static_cast<int>(row);
        if (!prepareRow(table, run->row, *run))
            continue;
        while (running.size() >= slots && !table.coordinator.stop.load())
            reapRuns(running, INFINITE);
        if (table.coordinator.stop.load()) {
            postVerdict(table, run->row, run->checkedWith, kNotCheckedVerdict);
            removeCheckFolder(run->order.directory);
            break;
        }
        postState(table, run->row, RowState::checking, run->checkedWith);
        run->thread = reinterpret_cast<HANDLE>(_beginthreadex(nullptr, 0, runRow, run.get(), 0, nullptr));
        if (!run->thread) {
            postVerdict(table, run->row, run->checkedWith, "MAME could not be started to check the recording.");
            removeCheckFolder(run->order.directory);
            continue;
        }
        running.push_back(std::move(run));
    }
    while (!running.empty())
        reapRuns(running, INFINITE);
    if (table.endOrLeft.exchange(true)) {
        // The window has gone: nothing waits for this table but its end.
        closeWorker(table.coordinator);
        delete &table;
        return 0;
    }
    if (HWND window = table.window.load())
        postToWindow(window, kTableEndMessage, 0, 0);
    return 0;
}

} // namespace

int checkSlots()
{
    SYSTEM_INFO system{};
    GetSystemInfo(&system);
    // One wait can watch at most MAXIMUM_WAIT_OBJECTS threads.
    DWORD processors =
        system.dwNumberOfProcessors < MAXIMUM_WAIT_OBJECTS ? system.dwNumberOfProcessors : MAXIMUM_WAIT_OBJECTS;
    return processors > 0 ? static_cast<int>(processors) : 1;
}

CheckTable* startCheckTable(const TableOrder& order, HWND window)
{
    std::unique_ptr<CheckTable> table(new (std::nothrow) CheckTable());
    if (!table)
        return nullptr;
    table->order = order;
    table->window = window;
    if (!startWorker(table->coordinator, coordinate, table.get()))
        return nullptr;
    return table.release();
}

void cancelCheckTable(CheckTable& table)
{
    stopWorker(table.coordinator);
}

void leaveCheckTable(CheckTable* table)
{
    if (!table)
        return;
    table->window = nullptr;
    cancelCheckTable(*table);
    // Ended already: its end message, if any, goes nowhere now.
    if (table->endOrLeft.exchange(true))
        finishCheckTable(table);
}

void finishCheckTable(CheckTable* table)
{
    if (!table)
        return;
    finishWorker(table->coordinator);
    delete table;
}
