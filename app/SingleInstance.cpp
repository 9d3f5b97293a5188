#include "app/SingleInstance.h"

#include <algorithm>

namespace dustvale {

namespace {

// How long a start waits for a Dustvale that owns the claim but does not answer yet (one that is
// still starting), and how often it looks again meanwhile.
constexpr std::uint64_t kGiveUpMs = 10000;
constexpr std::uint32_t kWaitSliceMs = 250;

// The user and the desktop, fit for a kernel object's name: a backslash there would name a
// folder of the object namespace.
Text ScopeOf(Platform& platform) {
    Text scope = platform.kernel.UserSid().value_or(Text());
    scope += u'@';
    scope += platform.windows.DesktopName();
    std::replace(scope.begin(), scope.end(), u'\\', u'_');
    return scope;
}

}  // namespace

std::int32_t RegisterAlreadyRunningMessage(Platform& platform) {
    return platform.windows.RegisterWindowMessage(u"Dustvale.AlreadyRunning." + ScopeOf(platform));
}

SingleInstance::SingleInstance(Platform& platform)
    : platform_(platform),
      alreadyRunningMessage_(RegisterAlreadyRunningMessage(platform)),
      // The session's own namespace: another log-on of the same user runs its own Dustvale.
      mutex_(platform.kernel,
             platform.kernel.CreateMutex(u"Local\\Dustvale.Running." + ScopeOf(platform))) {}

SingleInstance::~SingleInstance() { Release(); }

bool SingleInstance::Claim() {
    Kernel& kernel = platform_.kernel;
    const std::uint64_t giveUpAt = kernel.TickCount() + kGiveUpMs;
    for (;;) {
        if (mutex_ && kernel.WaitForMutex(mutex_.get(), 0)) {
            owned_ = true;
            return true;
        }
        if (AskRunningToShowBalloon()) return false;
        // Without the mutex (none can be made, or an elevated Dustvale that is still starting
        // keeps this process out of it) nothing tells whether another one runs: two are better
        // than none.
        if (!mutex_) return true;
        // Its owner lives (an ended one leaves it abandoned, to the next wait) but does not
        // answer: a second Dustvale would not help.
        if (kernel.TickCount() >= giveUpAt) return false;
        if (kernel.WaitForMutex(mutex_.get(), kWaitSliceMs)) {
            owned_ = true;
            return true;
        }
    }
}

void SingleInstance::Release() {
    if (!owned_) return;
    owned_ = false;
    platform_.kernel.ReleaseMutex(mutex_.get());
}

bool SingleInstance::AskRunningToShowBalloon() {
    if (alreadyRunningMessage_ == 0) return false;
    // Only the running Dustvale's main window knows the message; the program's other windows
    // (the tray demo's among them) leave it to the default procedure, which answers 0.
    for (const Hwnd window : platform_.windows.FindWindows(kProgramWindowClass)) {
        if (platform_.windows.SendMessage(window, alreadyRunningMessage_, 0, 0) ==
            kAlreadyRunningAnswer) {
            return true;
        }
    }
    return false;
}

}  // namespace dustvale
