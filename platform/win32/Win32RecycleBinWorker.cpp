#include "platform/win32/Win32RecycleBinWorker.h"

#include <utility>

#include "platform/win32/Win32Convert.h"
#include "platform/win32/Win32Shell.h"

namespace dustvale::win32 {

namespace {

// How long the end of the program waits for a request under way before it leaves the thread
// to end with the process: an emptying of a large bin can take many seconds.
constexpr DWORD kStopWaitMs = 300;
// The thread's stack, reserved: the shell's calls need far less than the usual megabyte, and a
// program that idles all day keeps what it reserves.
constexpr SIZE_T kStackReserve = 256 * 1024;

using State = Win32RecycleBinWorker::State;

RecycleBinResult Run(const State::Request& request) {
    RecycleBinResult result;
    result.task = request.task;
    if (request.task == RecycleBinTask::Query) {
        result.info.cbSize = 20;
        result.status = QueryRecycleBinNow(request.root, result.info);
    } else {
        const std::optional<Text> root =
            request.allDrives ? std::nullopt : std::optional<Text>(request.root);
        result.status = EmptyRecycleBinNow(request.owner, root, request.flags);
    }
    return result;
}

// Keeps the result and tells the window, unless the worker has been given up meanwhile: its
// window may be gone, and nobody would take the result.
void Deliver(State& state, RecycleBinResult result) {
    const std::lock_guard lock(state.mutex);
    if (state.stopping) return;
    state.results.push_back(result);
    ::PostMessageW(state.window, state.doneMessage, 0, 0);
}

DWORD WINAPI RunRequests(void* parameter) {
    // The thread's own share of the state, which keeps it alive for as long as the thread runs.
    const std::unique_ptr<std::shared_ptr<State>> shared(
        static_cast<std::shared_ptr<State>*>(parameter));
    State& state = **shared;
    // The shell's calls may use COM objects (namespace extensions of other bins' drives).
    const HRESULT com =
        ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
    for (;;) {
        std::unique_lock lock(state.mutex);
        state.wake.wait(lock, [&] { return state.stopping || !state.requests.empty(); });
        if (state.stopping) break;
        const State::Request request = std::move(state.requests.front());
        state.requests.pop_front();
        lock.unlock();
        Deliver(state, Run(request));
    }
    if (SUCCEEDED(com)) ::CoUninitialize();
    return 0;
}

}  // namespace

Win32RecycleBinWorker::Win32RecycleBinWorker(Hwnd window, std::int32_t doneMessage)
    : state_(std::make_shared<State>()) {
    state_->window = ToHwnd(window);
    state_->doneMessage = static_cast<UINT>(doneMessage);
    auto shared = std::make_unique<std::shared_ptr<State>>(state_);
    thread_.reset(::CreateThread(nullptr, kStackReserve, RunRequests, shared.get(),
                                 STACK_SIZE_PARAM_IS_A_RESERVATION, nullptr));
    if (thread_) (void)shared.release();  // the thread owns its share now
}

Win32RecycleBinWorker::~Win32RecycleBinWorker() {
    {
        const std::lock_guard lock(state_->mutex);
        state_->stopping = true;
        state_->requests.clear();
    }
    state_->wake.notify_all();
    // Not forever: a request under way finishes by itself, or ends with the process.
    if (thread_) ::WaitForSingleObject(thread_.get(), kStopWaitMs);
}

void Win32RecycleBinWorker::Query(const Text& root) {
    Add(State::Request{RecycleBinTask::Query, root, false, 0, 0});
}

void Win32RecycleBinWorker::Empty(Hwnd owner, const std::optional<Text>& root,
                                  std::uint32_t flags) {
    Add(State::Request{RecycleBinTask::Empty, root.value_or(Text()), !root.has_value(), owner,
                       flags});
}

void Win32RecycleBinWorker::Add(State::Request request) {
    if (!thread_) {
        // Without a thread of its own the request runs here, and still ends as it would there.
        Deliver(*state_, Run(request));
        return;
    }
    {
        const std::lock_guard lock(state_->mutex);
        state_->requests.push_back(std::move(request));
    }
    state_->wake.notify_one();
}

std::vector<RecycleBinResult> Win32RecycleBinWorker::TakeResults() {
    const std::lock_guard lock(state_->mutex);
    return std::exchange(state_->results, {});
}

}  // namespace dustvale::win32
