#pragma once

// The platform under test, as the contract suites see it. The suites (*Contract.cpp) are typed
// over this fixture, and each contract executable links exactly one definition of it:
// SimInstantiation.cpp for the simulated Windows, Win32Instantiation.cpp for the real one.
// (A typed suite has to be instantiated in the file that registers it, so the choice of
// implementation is made at link time rather than by an instantiation per file.)

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "platform/Platform.h"

namespace dustvale::contract {

class PlatformUnderTest {
public:
    PlatformUnderTest();   // a fresh platform for one test
    ~PlatformUnderTest();  // removes the scratch folder and everything in it
    PlatformUnderTest(const PlatformUnderTest&) = delete;
    PlatformUnderTest& operator=(const PlatformUnderTest&) = delete;

    // "Sim" or "Win32": the last part of each test's name.
    static std::string Name();

    Platform platform();

    // A folder, empty at first, where the test may create files and folders; a full path
    // without final backslash, not a drive's root, free of blanks and non-ANSI letters.
    Text ScratchFolder();

    // Creates one folder (CreateDirectoryW): the file system interface itself has no call for
    // it, as the program never creates folders.
    bool MakeFolder(const Text& path);

    // Another program renames an entry (MoveFileW), while the test may hold it open.
    bool Rename(const Text& from, const Text& to);

    // Whether the Win32 side runs under Wine, where a few documented answers differ from
    // Windows' (docs/wine.md); the simulation answers as Windows does.
    static bool UnderWine();

    // Lets `ms` milliseconds pass while this thread's messages are dispatched, so that due
    // timers fire (the sim moves its virtual clock; Win32 runs a message loop for that long).
    void WaitForTimers(std::uint32_t ms);

    // Whether a taskbar with a tray exists. Without one the tray cases are skipped (under Wine
    // the tray exists only on a virtual desktop named "shell").
    bool HasTray();

    // Makes sure the entry at `path` has an 8.3 alias where the volume would make one:
    // Windows and Wine make them by themselves, the sim is given one here.
    void GiveShortName(const Text& path);

    // `bytes` of zero-filled memory for the test's own use, held until the fixture goes. In a
    // 64-bit process it lies above 4 GB, where 64-bit Windows places a program's stack, heap
    // and data, so that an address cut to 32 bits points elsewhere; a 32-bit process has no
    // such addresses and gets ordinary memory. Empty when no memory can be had.
    std::span<std::byte> HighMemory(std::size_t bytes);

    // A window of another thread that has stopped reading its messages, as a hung program's
    // window would; it goes with the fixture.
    Hwnd HungWindow();

    // The side, in pixels, of the image a picture holds; 0 when it holds none.
    std::int32_t PictureSide(const Picture& picture);

    // Where a dialog's controls lie, in the layout's order: left, top, width and height in
    // pixels of its client area.
    std::vector<std::array<std::int32_t, 4>> ControlPlaces(const DialogWindow& dialog);
    // The system tells a top-level window that its DPI is now `dpi` (WM_DPICHANGED, with the
    // window's rectangle as the one suggested).
    void TellDpiChanged(Hwnd window, std::int32_t dpi);

private:
    struct State;
    std::unique_ptr<State> state_;
};

// Names each instantiation after the implementation under test.
struct PlatformName {
    template <class T>
    static std::string GetName(int) {
        return T::Name();
    }
};

}  // namespace dustvale::contract
