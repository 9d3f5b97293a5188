// A window's text as the program sets it is what the text messages read back, on every
// platform: the tray demo names its window this way, and other programs read it so.

#include <gtest/gtest.h>

#include "tests/contract/ContractFixture.h"

namespace dustvale::contract {
namespace {

template <class F>
class WindowTextContract : public ::testing::Test {
protected:
    F fixture;
    Windowing& windows = fixture.platform().windows;
};

TYPED_TEST_SUITE_P(WindowTextContract);

// The whole buffer that WM_GETTEXT fills: the text cut to fit, then NULs.
Text Buffer(const Text& text, std::size_t chars) {
    Text buffer = text.substr(0, chars - 1);
    buffer.resize(chars, u'\0');
    return buffer;
}

TYPED_TEST_P(WindowTextContract, TextSetOnAWindowIsWhatItsTextMessagesRead) {
    Windowing& windows = this->windows;
    const Hwnd ours = windows.CreateWindow(WindowKind::HiddenOwner, 0, nullptr);
    ASSERT_NE(ours, 0u);
    // Letters outside every ANSI code page travel unchanged; an empty text clears the last.
    const Text texts[] = {u"Tray demo 2", u"D\u00e9mo \u2713 \u0416", u""};
    for (const Text& text : texts) {
        SCOPED_TRACE(::testing::Message() << "text of " << text.size() << " characters");
        windows.SetWindowText(ours, text);
        const auto length = static_cast<std::int32_t>(text.size());
        EXPECT_EQ(windows.SendMessage(ours, msg::kGetTextLength, 0, 0), length);
        EXPECT_EQ(windows.SendGetText(ours, length + 1), Buffer(text, text.size() + 1));
        EXPECT_EQ(windows.SendGetText(ours, 3), Buffer(text, 3));  // what fits, and a NUL
    }
    windows.DestroyWindow(ours);
}

REGISTER_TYPED_TEST_SUITE_P(WindowTextContract, TextSetOnAWindowIsWhatItsTextMessagesRead);
INSTANTIATE_TYPED_TEST_SUITE_P(Platform, WindowTextContract, PlatformUnderTest, PlatformName);

}  // namespace
}  // namespace dustvale::contract
