// The contract suites run against the simulated Windows; built with DUSTVALE_SIM_WINE_HANDLES
// (dustvale_contract_sim_wine), against the simulation with handles that behave as Wine's,
// which the suites then hold to the answers Wine itself gives in the Win32 run.

#include <sys/mman.h>

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <memory>
#include <vector>

#include "platform/sim/SimDialogs.h"
#include "platform/sim/SimFileSystem.h"
#include "platform/sim/SimKernel.h"
#include "platform/sim/SimUserInterface.h"
#include "platform/sim/SimWindows.h"
#include "tests/contract/ContractFixture.h"

namespace dustvale::contract {

namespace {

#ifdef DUSTVALE_SIM_WINE_HANDLES
constexpr bool kWineHandles = true;
#else
constexpr bool kWineHandles = false;
#endif

struct Unmap {
    std::size_t bytes = 0;
    void operator()(std::byte* address) const noexcept { ::munmap(address, bytes); }
};
using MappedMemory = std::unique_ptr<std::byte, Unmap>;

MappedMemory MapAbove4GB(std::size_t bytes) {
    // A place asked for above 4 GB; where it is taken, Linux maps higher still, near the top
    // of the address space, as it does all its mappings.
    constexpr std::uint64_t kAbove4GB = std::uint64_t{1} << 32;
    void* const wanted = reinterpret_cast<void*>(static_cast<std::uintptr_t>(kAbove4GB));
    void* const address =
        ::mmap(wanted, bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (address == MAP_FAILED) return MappedMemory(nullptr, Unmap{});
    return MappedMemory(static_cast<std::byte*>(address), Unmap{bytes});
}

}  // namespace

struct PlatformUnderTest::State {
    sim::SimWindows sim;
    std::vector<MappedMemory> highMemory;
};

PlatformUnderTest::PlatformUnderTest() : state_(std::make_unique<State>()) {
    state_->sim.files().UseWineHandles(kWineHandles);
    if (kWineHandles) {
        // As in every prefix Wine makes: drive Z: is the Unix root.
        state_->sim.files().AddDrive(u'Z');
        state_->sim.kernel().RunUnderWine(true);
        state_->sim.kernel().MapUnixFolder(u"/", u"Z:\\");
        state_->sim.kernel().SetEnvironmentVariable(u"WINEHOMEDIR", u"\\??\\Z:\\home\\bob");
    }
}

PlatformUnderTest::~PlatformUnderTest() = default;  // the whole machine goes with the test

std::string PlatformUnderTest::Name() { return kWineHandles ? "SimAsWine" : "Sim"; }

Platform PlatformUnderTest::platform() { return state_->sim.platform(); }

Text PlatformUnderTest::ScratchFolder() {
    const Text folder = u"C:\\Users\\Bob\\AppData\\Local\\Temp\\contract";
    if (!state_->sim.files().Exists(folder)) state_->sim.files().AddFolder(folder);
    return folder;
}

bool PlatformUnderTest::MakeFolder(const Text& path) {
    sim::SimFileSystem& files = state_->sim.files();
    const std::size_t cut = path.rfind(u'\\');
    if (files.Exists(path) || cut == Text::npos || !files.Exists(path.substr(0, cut))) return false;
    files.AddFolder(path);
    return true;
}

bool PlatformUnderTest::Rename(const Text& from, const Text& to) {
    sim::SimFileSystem& files = state_->sim.files();
    if (!files.Exists(from) || files.Exists(to)) return false;
    files.MoveEntry(from, to);
    return true;
}

bool PlatformUnderTest::UnderWine() { return kWineHandles; }

void PlatformUnderTest::WaitForTimers(std::uint32_t ms) { state_->sim.Advance(ms); }

bool PlatformUnderTest::HasTray() { return state_->sim.windows().Taskbar() != 0; }

std::int32_t PlatformUnderTest::PictureSide(const Picture& picture) {
    return state_->sim.ui().SizeOf(picture.Handle());
}

std::vector<std::array<std::int32_t, 4>> PlatformUnderTest::ControlPlaces(
    const DialogWindow& dialog) {
    const auto& simulated = dynamic_cast<const sim::SimDialog&>(dialog);
    std::vector<std::array<std::int32_t, 4>> places;
    for (std::size_t i = 0; i < simulated.ControlCount(); ++i) {
        const sim::PixelRect r = simulated.ControlPixels(i);
        places.push_back({r.left, r.top, r.width, r.height});
    }
    return places;
}

void PlatformUnderTest::TellDpiChanged(Hwnd window, std::int32_t dpi) {
    sim::Rect suggested{};
    const auto word = static_cast<WParam>(dpi & 0xFFFF);
    state_->sim.windows().SendMessage(window, msg::kDpiChanged, word | word << 16,
                                      reinterpret_cast<LParam>(&suggested));
}

Hwnd PlatformUnderTest::HungWindow() {
    const Hwnd window = state_->sim.windows().CreateForeignWindow(u"Static", u"hung");
    state_->sim.windows().Hang(window);
    return window;
}

std::span<std::byte> PlatformUnderTest::HighMemory(std::size_t bytes) {
    MappedMemory memory = MapAbove4GB(bytes);
    if (!memory) return {};
    const std::span<std::byte> block(memory.get(), bytes);
    state_->highMemory.push_back(std::move(memory));
    return block;
}

void PlatformUnderTest::GiveShortName(const Text& path) {
    // The alias NTFS would make: up to six letters of the name, "~1", up to three of the
    // extension, in upper case, without blanks and dots.
    Text name = path.substr(path.rfind(u'\\') + 1);
    std::size_t dot = name.rfind(u'.');
    Text base = name.substr(0, dot), extension = dot == Text::npos ? Text{} : name.substr(dot + 1);
    const bool plain = std::all_of(base.begin(), base.end(), [](char16_t c) { return c > u' ' && c < 128 && c != u'.'; });
    if (plain && !base.empty() && base.size() <= 8 && extension.size() <= 3) return;  // already 8.3
    auto shorten = [](const Text& part, std::size_t length) {
        Text result;
        for (char16_t c : part) {
            if (result.size() == length) break;
            if (c == u' ' || c == u'.') continue;
            result.push_back(c < 128 ? static_cast<char16_t>(std::toupper(c)) : u'_');
        }
        return result;
    };
    Text alias = shorten(base, 6) + u"~1";
    if (!extension.empty()) alias += u"." + shorten(extension, 3);
    if (alias != name) state_->sim.files().SetShortName(path, alias);
}

}  // namespace dustvale::contract
