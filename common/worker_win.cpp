// A thread of work that its owner starts, may stop at any moment, and waits for once it has ended.
#include "common/worker.h"

#include <process.h>

bool startWorker(Worker& worker, unsigned(__stdcall* body)(void*), void* argument)
{
    worker.cancel = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    if (!worker.cancel)
        return false;
    worker.thread = reinterpret_cast<HANDLE>(_beginthreadex(nullptr, 0, body, argument, 0, nullptr));
    if (!worker.thread) {
        CloseHandle(worker.cancel);
        worker.cancel = nullptr;
        return false;
    }
    return true;
}

void stopWorker(Worker& worker)
{
    worker.stop = true;
    SetEvent(worker.cancel);
}

void finishWorker(Worker& worker)
{
    WaitForSingleObject(worker.thread, INFINITE);
    closeWorker(worker);
}

void closeWorker(Worker& worker)
{
    CloseHandle(worker.thread);
    CloseHandle(worker.cancel);
    worker.thread = nullptr;
    worker.cancel = nullptr;
}
