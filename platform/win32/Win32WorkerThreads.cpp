#include "platform/win32/Win32WorkerThreads.h"

#include <algorithm>
#include <utility>

namespace dustvale::win32 {

void Win32WorkerThreads::Add(unique_handle thread) {
    const std::lock_guard lock(mutex_);
    // Threads that ended long ago need not be kept.
    std::erase_if(threads_, [](const unique_handle& kept) {
        return ::WaitForSingleObject(kept.get(), 0) == WAIT_OBJECT_0;
    });
    threads_.push_back(std::move(thread));
}

bool Win32WorkerThreads::AllEndWithin(DWORD timeoutMs) {
    const std::lock_guard lock(mutex_);
    const ULONGLONG deadline = ::GetTickCount64() + timeoutMs;
    for (const unique_handle& thread : threads_) {
        const ULONGLONG now = ::GetTickCount64();
        const DWORD left = now >= deadline ? 0 : static_cast<DWORD>(deadline - now);
        if (::WaitForSingleObject(thread.get(), left) != WAIT_OBJECT_0) return false;
    }
    return true;
}

}  // namespace dustvale::win32
