#pragma once

// The Recycle Bin's query and emptying on a thread of their own, in a single-threaded COM
// apartment as the shell's objects want it, whose messages the thread pumps while it waits.
// Requests wait in a queue and run one at a time; the end of each is posted to the window that
// asked, and its result waits until it is taken. A worker given up does not wait for the
// request under way: the thread ends when that request returns, if it ever does.

#include <deque>
#include <memory>
#include <mutex>

#include "platform/RecycleBinWorker.h"
#include "platform/win32/UniqueHandle.h"
#include "platform/win32/Win32WorkerThreads.h"
#include "platform/win32/WindowsApi.h"

namespace dustvale::win32 {

class Win32RecycleBinWorker final : public RecycleBinWorker {
public:
    // The thread's handle goes to `threads`, which outlives it.
    Win32RecycleBinWorker(Hwnd window, std::int32_t doneMessage, Win32WorkerThreads& threads);
    ~Win32RecycleBinWorker() override;
    Win32RecycleBinWorker(const Win32RecycleBinWorker&) = delete;
    Win32RecycleBinWorker& operator=(const Win32RecycleBinWorker&) = delete;

    void Run(RecycleBinTask task, RecycleBinWork work) override;
    std::vector<RecycleBinResult> TakeResults() override;

    // What the thread shares with this object. The thread holds its own share, so the state
    // outlives the object while a request is under way.
    struct State {
        struct Request {
            RecycleBinTask task = RecycleBinTask::Query;
            RecycleBinWork work;
        };
        HWND window = nullptr;
        UINT doneMessage = 0;
        unique_handle wake;  // set when a request comes or the worker is given up
        std::mutex mutex;
        std::deque<Request> requests;
        std::vector<RecycleBinResult> results;
        bool stopping = false;  // the object is gone: nothing more is run or delivered
    };

private:
    std::shared_ptr<State> state_;
    bool threaded_ = false;  // false when no thread could be started: requests then run here
};

}  // namespace dustvale::win32
