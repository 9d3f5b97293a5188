// What the tray control asks of the system besides the tray itself: named blocks of shared
// memory and named mutexes (the instance counter), and the walk of the desktop's windows
// with their class names and texts (the balloon search).

#include <gtest/gtest.h>

#include <array>
#include <cstddef>
#include <random>
#include <string>

#include "platform/KernelHandle.h"
#include "tests/contract/ContractFixture.h"

namespace dustvale::contract {
namespace {

// A name no other program (and no earlier run) uses.
Text UniqueName(const char16_t* stem) {
    std::random_device random;
    Text name = stem;
    for (char c : std::to_string(random()) + std::to_string(random())) {
        name.push_back(static_cast<char16_t>(c));
    }
    return name;
}

std::array<std::byte, 4> Bytes(std::uint8_t a, std::uint8_t b, std::uint8_t c, std::uint8_t d) {
    return {std::byte{a}, std::byte{b}, std::byte{c}, std::byte{d}};
}

template <class F>
class TrayServicesContract : public ::testing::Test {
protected:
    F fixture;
    Platform platform = fixture.platform();
    Kernel& kernel = platform.kernel;
    Windowing& windows = platform.windows;
};

TYPED_TEST_SUITE_P(TrayServicesContract);

TYPED_TEST_P(TrayServicesContract, SharedBlockIsCreatedZeroedAndSeenThroughEveryHandle) {
    Kernel& kernel = this->kernel;
    const Text name = UniqueName(u"Dustvale_Contract_Block_");
    EXPECT_EQ(kernel.OpenFileMapping(name), 0u);

    UniqueKernelHandle created(kernel, kernel.CreateFileMapping(name, 4));
    ASSERT_TRUE(created);
    std::array<std::byte, 4> read = Bytes(9, 9, 9, 9);
    ASSERT_TRUE(kernel.ReadMapping(created.get(), read));
    EXPECT_EQ(read, Bytes(0, 0, 0, 0));

    ASSERT_TRUE(kernel.WriteMapping(created.get(), Bytes(1, 2, 3, 4)));
    UniqueKernelHandle opened(kernel, kernel.OpenFileMapping(name));
    ASSERT_TRUE(opened);
    ASSERT_TRUE(kernel.ReadMapping(opened.get(), read));
    EXPECT_EQ(read, Bytes(1, 2, 3, 4));

    // A second create opens the existing block: its content stays.
    UniqueKernelHandle again(kernel, kernel.CreateFileMapping(name, 4));
    ASSERT_TRUE(again);
    ASSERT_TRUE(kernel.ReadMapping(again.get(), read));
    EXPECT_EQ(read, Bytes(1, 2, 3, 4));
}

TYPED_TEST_P(TrayServicesContract, BlockOpenedForReadingCannotBeWritten) {
    Kernel& kernel = this->kernel;
    const Text name = UniqueName(u"Dustvale_Contract_Block_");
    UniqueKernelHandle created(kernel, kernel.CreateFileMapping(name, 4));
    ASSERT_TRUE(created);
    UniqueKernelHandle opened(kernel, kernel.OpenFileMapping(name));
    ASSERT_TRUE(opened);
    EXPECT_FALSE(kernel.WriteMapping(opened.get(), Bytes(5, 5, 5, 5)));
    std::array<std::byte, 4> read{};
    EXPECT_FALSE(kernel.ReadMapping(0, read));
}

TYPED_TEST_P(TrayServicesContract, BlockEndsWithItsLastHandle) {
    Kernel& kernel = this->kernel;
    const Text name = UniqueName(u"Dustvale_Contract_Block_");
    UniqueKernelHandle first(kernel, kernel.CreateFileMapping(name, 4));
    UniqueKernelHandle second(kernel, kernel.OpenFileMapping(name));
    ASSERT_TRUE(first);
    ASSERT_TRUE(second);
    first.reset();
    UniqueKernelHandle stillThere(kernel, kernel.OpenFileMapping(name));
    EXPECT_TRUE(stillThere);
    stillThere.reset();
    second.reset();
    EXPECT_EQ(kernel.OpenFileMapping(name), 0u);
}

TYPED_TEST_P(TrayServicesContract, NamedMutexIsOwnedByItsWaiterUntilReleased) {
    Kernel& kernel = this->kernel;
    const Text name = UniqueName(u"Dustvale_Contract_Lock_");
    UniqueKernelHandle mutex(kernel, kernel.CreateMutex(name));
    ASSERT_TRUE(mutex);
    EXPECT_TRUE(kernel.WaitForMutex(mutex.get(), 1000));
    EXPECT_TRUE(kernel.WaitForMutex(mutex.get(), 1000));  // the owner may wait again
    kernel.ReleaseMutex(mutex.get());
    kernel.ReleaseMutex(mutex.get());
    UniqueKernelHandle same(kernel, kernel.CreateMutex(name));
    ASSERT_TRUE(same);
    EXPECT_TRUE(kernel.WaitForMutex(same.get(), 1000));
    kernel.ReleaseMutex(same.get());
}

TYPED_TEST_P(TrayServicesContract, WalkOfTheDesktopFindsOurWindowAndEnds) {
    Windowing& windows = this->windows;
    const Hwnd ours = windows.CreateWindow(WindowKind::HiddenOwner, 0, nullptr);
    ASSERT_NE(ours, 0u);
    Hwnd window = windows.GetWindow(windows.GetDesktopWindow(), WindowRelation::FirstChild);
    bool found = false;
    int steps = 0;
    for (; window != 0 && steps < 100000; ++steps) {
        found = found || window == ours;
        window = windows.GetWindow(window, WindowRelation::Next);
    }
    EXPECT_TRUE(found);
    EXPECT_EQ(window, 0u);
    windows.DestroyWindow(ours);
    EXPECT_EQ(windows.GetWindow(ours, WindowRelation::Next), 0u);
}

TYPED_TEST_P(TrayServicesContract, TextOfAWindowWithoutTextReadsAsNuls) {
    Windowing& windows = this->windows;
    const Hwnd ours = windows.CreateWindow(WindowKind::HiddenOwner, 0, nullptr);
    ASSERT_NE(ours, 0u);
    EXPECT_EQ(windows.SendMessage(ours, msg::kGetTextLength, 0, 0), 0);
    EXPECT_EQ(windows.SendGetText(ours, 5), Text(5, u'\0'));
    EXPECT_EQ(windows.SendGetText(ours, 0), Text());
    windows.DestroyWindow(ours);
}

TYPED_TEST_P(TrayServicesContract, TaskbarHasItsClassName) {
    if (!this->fixture.HasTray()) {
        GTEST_SKIP() << "no taskbar";
    }
    const Hwnd taskbar = this->windows.FindWindow(u"Shell_TrayWnd");
    ASSERT_NE(taskbar, 0u);
    EXPECT_EQ(this->windows.GetClassName(taskbar), u"Shell_TrayWnd");
    EXPECT_EQ(this->windows.GetClassName(0), Text());
}

REGISTER_TYPED_TEST_SUITE_P(TrayServicesContract,
                            SharedBlockIsCreatedZeroedAndSeenThroughEveryHandle,
                            BlockOpenedForReadingCannotBeWritten, BlockEndsWithItsLastHandle,
                            NamedMutexIsOwnedByItsWaiterUntilReleased,
                            WalkOfTheDesktopFindsOurWindowAndEnds,
                            TextOfAWindowWithoutTextReadsAsNuls, TaskbarHasItsClassName);
INSTANTIATE_TYPED_TEST_SUITE_P(Platform, TrayServicesContract, PlatformUnderTest, PlatformName);

}  // namespace
}  // namespace dustvale::contract
