#pragma once

// The Recycle Bin's query and emptying on a thread of their own, with COM started there as the
// shell's calls want it. Requests wait in a queue and run one at a time; the end of each is
// posted to the window that asked, and its result waits until it is taken.

#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>

#include "platform/RecycleBinWorker.h"
#include "platform/win32/UniqueHandle.h"
#include "platform/win32/WindowsApi.h"

namespace dustvale::win32 {

class Win32RecycleBinWorker final : public RecycleBinWorker {
public:
    Win32RecycleBinWorker(Hwnd window, std::int32_t doneMessage);
    ~Win32RecycleBinWorker() override;
    Win32RecycleBinWorker(const Win32RecycleBinWorker&) = delete;
    Win32RecycleBinWorker& operator=(const Win32RecycleBinWorker&) = delete;

    void Query(const Text& root) override;
    void Empty(Hwnd owner, const std::optional<Text>& root, std::uint32_t flags) override;
    std::vector<RecycleBinResult> TakeResults() override;

    // What the thread shares with this object. The thread holds its own share, so the state
    // outlives the object while a request is under way.
    struct State {
        struct Request {
            RecycleBinTask task = RecycleBinTask::Query;
            Text root;  // a query's root, or an emptying's when it has one
            bool allDrives = false;
            Hwnd owner = 0;
            std::uint32_t flags = 0;
        };
        HWND window = nullptr;
        UINT doneMessage = 0;
        std::mutex mutex;
        std::condition_variable wake;
        std::deque<Request> requests;
        std::vector<RecycleBinResult> results;
        bool stopping = false;  // the object is gone: nothing more is run or delivered
    };

private:
    void Add(State::Request request);

    std::shared_ptr<State> state_;
    unique_handle thread_;  // null when no thread could be started: requests then run here
};

}  // namespace dustvale::win32
