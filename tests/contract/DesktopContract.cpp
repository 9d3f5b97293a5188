// What another start of the program relies on to find the running one: who the user is, which
// desktop it is on, and the program's windows there, found by their class and asked with a
// registered message.

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "tests/contract/ContractFixture.h"

namespace dustvale::contract {
namespace {

// Answers one message with a known value, as the running program's main window does.
class Answering final : public MessageHandler {
public:
    Answering(Windowing& windows, std::int32_t message) : windows_(windows), message_(message) {}
    LResult HandleMessage(Hwnd hwnd, std::int32_t message, WParam wParam,
                          LParam lParam) noexcept override {
        if (message == message_) return 0x4D2;
        return windows_.DefWindowProc(hwnd, message, wParam, lParam);
    }

private:
    Windowing& windows_;
    std::int32_t message_;
};

template <class F>
class DesktopContract : public ::testing::Test {
protected:
    F fixture;
    Platform platform = fixture.platform();
};

TYPED_TEST_SUITE_P(DesktopContract);

TYPED_TEST_P(DesktopContract, TheUserAndTheDesktopHaveNames) {
    const std::optional<Text> sid = this->platform.kernel.UserSid();
    ASSERT_TRUE(sid);
    EXPECT_EQ(sid->substr(0, 4), u"S-1-") << "a security identifier in its text form";
    EXPECT_FALSE(this->platform.windows.DesktopName().empty());
}

TYPED_TEST_P(DesktopContract, AProgramWindowIsFoundByItsClassAndAnswersARegisteredMessage) {
    Windowing& windows = this->platform.windows;
    const std::int32_t message = windows.RegisterWindowMessage(u"Dustvale.Contract.Asked");
    ASSERT_NE(message, 0);
    Answering answering(windows, message);
    const Hwnd owner = windows.CreateWindow(WindowKind::HiddenOwner, 0, &answering);
    ASSERT_NE(owner, 0u);
    const Hwnd child = windows.CreateWindow(WindowKind::Child, owner, nullptr);
    ASSERT_NE(child, 0u);
    EXPECT_EQ(windows.GetClassName(owner), kProgramWindowClass);

    // Top-level windows only, the class named in any letter case.
    const std::vector<Hwnd> found = windows.FindWindows(u"DUSTVALEWINDOW");
    EXPECT_NE(std::find(found.begin(), found.end(), owner), found.end());
    EXPECT_EQ(std::find(found.begin(), found.end(), child), found.end());
    EXPECT_EQ(windows.SendMessage(owner, message, 0, 0), 0x4D2);
    EXPECT_EQ(windows.SendMessage(child, message, 0, 0), 0) << "unknown to the default procedure";
    EXPECT_TRUE(windows.FindWindows(u"Dustvale_NoSuchClass_4711").empty());

    windows.DestroyWindow(owner);
    const std::vector<Hwnd> after = windows.FindWindows(kProgramWindowClass);
    EXPECT_EQ(std::find(after.begin(), after.end(), owner), after.end());
}

REGISTER_TYPED_TEST_SUITE_P(DesktopContract, TheUserAndTheDesktopHaveNames,
                            AProgramWindowIsFoundByItsClassAndAnswersARegisteredMessage);
INSTANTIATE_TYPED_TEST_SUITE_P(Platform, DesktopContract, PlatformUnderTest, PlatformName);

}  // namespace
}  // namespace dustvale::contract
