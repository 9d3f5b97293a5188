#pragma once

// One Dustvale per signed-in user on a desktop: the Run value at log-on and a start by hand
// would otherwise give two icons, two monitors and two auto-emptiers.
//
// A start first claims the user's place on its desktop: a named mutex in the session's own
// namespace, whose name holds the user and the desktop. The claim is owned by the running
// Dustvale until its main window closes; a process that ends without letting go leaves it
// abandoned, and the next claim takes it. A start that finds the claim owned asks the running
// Dustvale, with a registered message sent to the program's windows on the desktop, to show a
// balloon at its icon, and does not run.

#include <cstdint>

#include "platform/KernelHandle.h"
#include "platform/Platform.h"

namespace dustvale {

// The running Dustvale's answer to the message: it shows its balloon. Any other answer (0 above
// all) comes from a window that is not a running Dustvale of this user: the demo's, one of
// another user's Dustvale, or one whose main window has closed.
inline constexpr LResult kAlreadyRunningAnswer = 0x44565331;

// The registered message that asks the Dustvale of this user and desktop to show its balloon;
// 0 when the system gives none.
std::int32_t RegisterAlreadyRunningMessage(Platform& platform);

class SingleInstance {
public:
    explicit SingleInstance(Platform& platform);
    ~SingleInstance();  // lets go of the claim
    SingleInstance(const SingleInstance&) = delete;
    SingleInstance& operator=(const SingleInstance&) = delete;

    // true: this start is the one to run, and holds the claim until Release. false: another
    // Dustvale of the user runs on this desktop and was asked for its balloon, or holds the
    // claim without answering for 10 seconds (one that is still starting, or hangs). A
    // Dustvale that is starting or ending is waited for meanwhile.
    bool Claim();
    // Lets go of the claim, once the program no longer shows its icon: a new start may run.
    void Release();

private:
    bool AskRunningToShowBalloon();

    Platform& platform_;
    std::int32_t alreadyRunningMessage_ = 0;
    UniqueKernelHandle mutex_;
    bool owned_ = false;
};

}  // namespace dustvale
