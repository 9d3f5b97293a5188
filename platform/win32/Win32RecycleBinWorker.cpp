#include "platform/win32/Win32RecycleBinWorker.h"

#include <optional>
#include <utility>

#include "platform/win32/Win32Convert.h"

namespace dustvale::win32 {

namespace {

// The thread's stack, reserved: the shell's calls need far less than the usual megabyte, and a
// program that idles all day keeps what it reserves.
constexpr SIZE_T kStackReserve = 256 * 1024;

using State = Win32RecycleBinWorker::State;

RecycleBinResult RunRequest(State::Request& request) {
    RecycleBinResult result;
    try {
        result = request.work();
    } catch (...) {
        // Nothing may leave the thread; the request failed.
        result = RecycleBinResult{};
        result.status = E_UNEXPECTED;
    }
    result.task = request.task;
    return result;
}

// Keeps the result and tells the window, unless the worker has been given up meanwhile: its
// window may be gone, and nobody would take the result.
void Deliver(State& state, const RecycleBinResult& result) {
    const std::lock_guard lock(state.mutex);
    if (state.stopping) return;
    state.results.push_back(result);
    ::PostMessageW(state.window, state.doneMessage, 0, 0);
}

// The next request to run; nothing when there is none or the worker is given up.
std::optional<State::Request> Next(State& state, bool& stopping) {
    const std::lock_guard lock(state.mutex);
    stopping = state.stopping;
    if (stopping || state.requests.empty()) return std::nullopt;
    State::Request request = std::move(state.requests.front());
    state.requests.pop_front();
    return request;
}

void PumpMessages() {
    MSG message;
    while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        ::TranslateMessage(&message);
        ::DispatchMessageW(&message);
    }
}

DWORD WINAPI RunRequests(void* parameter) {
    // The thread's own share of the state, which keeps it alive for as long as the thread runs.
    const std::unique_ptr<std::shared_ptr<State>> shared(
        static_cast<std::shared_ptr<State>*>(parameter));
    State& state = **shared;
    // The shell's calls may use COM objects (namespace extensions of other bins' drives),
    // which want a single-threaded apartment; such an apartment must run its messages.
    const HRESULT com =
        ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
    for (;;) {
        bool stopping = false;
        std::optional<State::Request> request = Next(state, stopping);
        if (stopping) break;
        if (request) {
            Deliver(state, RunRequest(*request));
            continue;
        }
        HANDLE wake = state.wake.get();
        ::MsgWaitForMultipleObjectsEx(1, &wake, INFINITE, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
        PumpMessages();
    }
    if (SUCCEEDED(com)) ::CoUninitialize();
    return 0;
}

}  // namespace

Win32RecycleBinWorker::Win32RecycleBinWorker(Hwnd window, std::int32_t doneMessage,
                                             Win32WorkerThreads& threads)
    : state_(std::make_shared<State>()) {
    state_->window = ToHwnd(window);
    state_->doneMessage = static_cast<UINT>(doneMessage);
    state_->wake.reset(::CreateEventW(nullptr, FALSE, FALSE, nullptr));
    if (!state_->wake) return;
    auto shared = std::make_unique<std::shared_ptr<State>>(state_);
    unique_handle thread(::CreateThread(nullptr, kStackReserve, RunRequests, shared.get(),
                                        STACK_SIZE_PARAM_IS_A_RESERVATION, nullptr));
    if (!thread) return;
    (void)shared.release();  // the thread owns its share now
    threads.Add(std::move(thread));
    threaded_ = true;
}

Win32RecycleBinWorker::~Win32RecycleBinWorker() {
    {
        const std::lock_guard lock(state_->mutex);
        state_->stopping = true;
        state_->requests.clear();
    }
    if (state_->wake) ::SetEvent(state_->wake.get());
}

void Win32RecycleBinWorker::Run(RecycleBinTask task, RecycleBinWork work) {
    State::Request request{task, std::move(work)};
    if (!threaded_) {
        // Without a thread of its own the request runs here, and still ends as it would there.
        Deliver(*state_, RunRequest(request));
        return;
    }
    {
        const std::lock_guard lock(state_->mutex);
        state_->requests.push_back(std::move(request));
    }
    ::SetEvent(state_->wake.get());
}

std::vector<RecycleBinResult> Win32RecycleBinWorker::TakeResults() {
    const std::lock_guard lock(state_->mutex);
    return std::exchange(state_->results, {});
}

}  // namespace dustvale::win32
