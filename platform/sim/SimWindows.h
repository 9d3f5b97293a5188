#pragma once

// An in-memory Windows for the tests: deterministic, fast, and driven by the test.
//
//   SimWindows sim;
//   TrayApplication app(sim.platform(), ...);
//   sim.Advance(1000);                 // virtual time: timers fire, posted messages run
//   sim.tray().Click(...);             // the shell sends the tray callback message
//
// Each part below mirrors one platform interface and adds what a test needs to set the
// scene and to look at what the program did. Where the simulation and Windows disagree,
// the simulation is wrong: the contract tests run the same checks against both.

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/Platform.h"
#include "platform/sim/SimCommonControls.h"
#include "platform/sim/SimDialogs.h"
#include "platform/sim/SimRegistry.h"
#include "platform/sim/SimWindowing.h"

namespace dustvale::sim {

class SimClock;
class SimWindowing;
class SimShell;
class SimFileSystem;
class SimKernel;
class SimUserInterface;

// Thrown by the simulated ExitProcess: the process ends, and the test catches this.
struct ProcessExit {
    std::uint32_t exitCode = 0;
};

class SimWindows {
public:
    SimWindows();
    ~SimWindows();
    SimWindows(const SimWindows&) = delete;
    SimWindows& operator=(const SimWindows&) = delete;

    Platform platform();

    // Another process of the same user on this machine and desktop: a kernel of its own (its
    // handles, its exit), sharing this one's named kernel objects. It runs with
    // platform(process): this machine's desktop, shell, disk and registry. One thread serves
    // both in the simulation, so a message sent to the other process's window is handled at
    // once; while one waits for a mutex the other owns, virtual time passes on the desktop.
    // The process must end (be destroyed) before this SimWindows.
    std::unique_ptr<SimKernel> StartOtherProcess();
    Platform platform(SimKernel& process);

    SimClock& clock();
    SimWindowing& windows();
    SimShell& shell();
    SimFileSystem& files();
    SimKernel& kernel();
    SimUserInterface& ui();
    // The registry, the common controls and the dialogs (defined in SimWindowsSettings.cpp).
    SimRegistry& registry();
    SimCommonControls& commonControls();
    SimDialogs& dialogs();

    // The machine starts with drive C: holding the executable (in use, as a running program
    // is), C:\Windows, C:\Windows\Temp and the user's temporary folder named by the kernel.

    // Moves virtual time forward by `ms`, firing every timer that falls due (in time order)
    // and dispatching posted messages on the way. Safe to call from inside a timer handler or
    // a message-box script: a nested call never fires a tick twice.
    void Advance(std::uint32_t ms);
    // Dispatches the messages already posted, without moving time.
    void Pump();

private:
    std::unique_ptr<SimClock> clock_;
    std::unique_ptr<SimWindowing> windows_;
    std::unique_ptr<SimShell> shell_;
    std::unique_ptr<SimFileSystem> files_;
    std::unique_ptr<SimKernel> kernel_;
    std::unique_ptr<SimUserInterface> ui_;
    // Made here rather than in the constructor, after windows_ (which the dialogs use).
    std::unique_ptr<SimRegistry> registry_ = std::make_unique<SimRegistry>();
    std::unique_ptr<SimCommonControls> commonControls_ = std::make_unique<SimCommonControls>();
    std::unique_ptr<SimDialogs> dialogs_ = std::make_unique<SimDialogs>(*windows_);
};

}  // namespace dustvale::sim
