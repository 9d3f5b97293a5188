#pragma once

// An in-memory Windows for the tests: deterministic, fast, and driven by the test.
//
//   SimWindows sim;
//   Form1 form(sim.platform());
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

    SimClock& clock();
    SimWindowing& windows();
    SimShell& shell();
    SimFileSystem& files();
    SimKernel& kernel();
    SimUserInterface& ui();

    // Moves virtual time forward by `ms`, firing every timer that falls due (in time order)
    // and dispatching posted messages on the way.
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
};

}  // namespace dustvale::sim
