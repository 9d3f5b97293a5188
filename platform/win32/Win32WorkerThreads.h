#pragma once

// The threads the program started for the Recycle Bin. A request given up on may keep its
// thread inside the shell for good, so the end of the program must know whether any is left.

#include <mutex>
#include <vector>

#include "platform/win32/UniqueHandle.h"
#include "platform/win32/WindowsApi.h"

namespace dustvale::win32 {

class Win32WorkerThreads {
public:
    Win32WorkerThreads() = default;
    Win32WorkerThreads(const Win32WorkerThreads&) = delete;
    Win32WorkerThreads& operator=(const Win32WorkerThreads&) = delete;

    // Keeps the handle of a thread that was started.
    void Add(unique_handle thread);
    // True when every thread kept has ended, or ends within `timeoutMs`.
    bool AllEndWithin(DWORD timeoutMs);

private:
    std::mutex mutex_;
    std::vector<unique_handle> threads_;
};

}  // namespace dustvale::win32
