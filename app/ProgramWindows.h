#pragma once

// The program's open windows: the main window and the Options dialog. The process lives as long
// as one of them is open: when the last one closes, the message loop is told to end.

#include <cstddef>
#include <vector>

#include "platform/Windowing.h"

namespace dustvale {

// A window as the bookkeeping sees it.
class ProgramWindow {
public:
    // Closes the window: it stops its work, gives up what the user can see of it and leaves
    // the open windows. Safe to call from inside the window's own handlers and more than once.
    virtual void Close() = 0;

protected:
    ~ProgramWindow() = default;
};

class ProgramWindows {
public:
    explicit ProgramWindows(Windowing& windows) : windows_(windows) {}
    ProgramWindows(const ProgramWindows&) = delete;
    ProgramWindows& operator=(const ProgramWindows&) = delete;

    // A window counts from its opening (adding it twice counts once)...
    void Add(ProgramWindow& window);
    // ...until its closing; the last one to leave ends the message loop.
    void Remove(ProgramWindow& window);

    // The open windows in the order they were opened.
    const std::vector<ProgramWindow*>& All() const { return open_; }
    std::size_t Count() const { return open_.size(); }

private:
    Windowing& windows_;
    std::vector<ProgramWindow*> open_;
};

}  // namespace dustvale
