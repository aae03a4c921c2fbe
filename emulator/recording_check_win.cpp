// Checking a recording on a thread of its own: reading it, asking the emulator, and its run without a screen.
#include "emulator/recording_check_win.h"

#include "common/bounded_text.h"
#include "common/window_post.h"
#include "common/worker.h"

#include <new>

// The check's state. The window's thread makes it, may cancel it, and
// frees it once the check's thread has posted its end. The reports are the
// check thread's until it posts their message, and read-only after.
class RecordingCheck {
public:
    CheckOrder order;
    HWND window;
    Worker worker;    // stopped by Cancel
    bool ran = false; // MAME was run: its verdict tells how it ended
    CheckFileReport file{};
    CheckEndReport end{};
};

namespace {

unsigned __stdcall checkOnThread(void* argument)
{
    RecordingCheck& check = *static_cast<RecordingCheck*>(argument);
    CheckPlan plan{};
    bool planned =
        prepareCheck(check.order, check.worker, plan, check.file, check.end.verdict, sizeof check.end.verdict);
    if (plan.fileRead)
        PostMessageA(check.window, kCheckFileMessage, 0, 0);
    if (planned && !check.worker.stop.load()) {
        PostMessageA(check.window, kCheckRunMessage, 0, 0);
        check.ran = true;
        runCheckedMame(check.order, plan, kSingleCheckPlace, check.worker.cancel, check.end);
    }
    // Broken off before MAME ran, the work's last word would be a refusal
    // that the cancel caused.
    if (check.worker.stop.load() && !check.ran)
        copyText(check.end.verdict, sizeof check.end.verdict, kNotCheckedVerdict);
    postToWindow(check.window, kCheckEndMessage, 0, 0);
    return 0;
}

} // namespace

RecordingCheck* startRecordingCheck(const CheckOrder& order, HWND window)
{
    RecordingCheck* check = new (std::nothrow) RecordingCheck();
    if (!check)
        return nullptr;
    check->order = order;
    check->window = window;
    if (!startWorker(check->worker, checkOnThread, check)) {
        delete check;
        return nullptr;
    }
    return check;
}

void cancelRecordingCheck(RecordingCheck& check)
{
    stopWorker(check.worker);
}

const CheckFileReport& checkFileReport(const RecordingCheck& check)
{
    return check.file;
}

const CheckEndReport& checkEndReport(const RecordingCheck& check)
{
    return check.end;
}

void finishRecordingCheck(RecordingCheck* check)
{
    if (!check)
        return;
    finishWorker(check->worker);
    delete check;
}
