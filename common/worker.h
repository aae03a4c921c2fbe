// A thread of work that its owner starts, may stop at any moment, and waits for once it has ended.
#pragma once

#include <windows.h>

#include <atomic>

// The owner starts it and stops it; the work's thread only reads `cancel`
// and `stop`. The event ends an emulator's run or question, the flag a
// read, a download or a count between blocks.
struct Worker {
    HANDLE thread = nullptr;
    HANDLE cancel = nullptr; // manual-reset: once set, it stays set
    std::atomic<bool> stop{false};
};

// Makes the event and runs `body(argument)` on a thread of its own; false,
// with nothing left open, when the system has no event or thread to give.
bool startWorker(Worker& worker, unsigned(__stdcall* body)(void*), void* argument);

// Sets the flag and the event: the work ends as soon as it looks.
void stopWorker(Worker& worker);

// Waits for the thread's end, then closes its handles.
void finishWorker(Worker& worker);

// Closes the handles without waiting: the thread's own last act, once no
// owner waits for it any more.
void closeWorker(Worker& worker);
