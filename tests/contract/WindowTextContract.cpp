// A window's text as the program sets it is what the text messages read back, on every
// platform: the tray demo names its window this way, and other programs read it so.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <span>

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

// Hands every message on: to the procedure it replaced, else to the default procedure.
class PassOn final : public MessageHandler {
public:
    explicit PassOn(Windowing& windows) : windows_(windows) {}
    LResult HandleMessage(Hwnd hwnd, std::int32_t message, WParam wParam,
                          LParam lParam) noexcept override {
        if (previous != 0) return windows_.CallWindowProc(previous, hwnd, message, wParam, lParam);
        return windows_.DefWindowProc(hwnd, message, wParam, lParam);
    }
    WindowProc previous = 0;

private:
    Windowing& windows_;
};

LParam AddressOf(const char16_t* text) { return reinterpret_cast<LParam>(text); }

// WM_SETTEXT and WM_GETTEXT carry the address of a text: placed above 4 GB, where 64-bit
// Windows has a program's memory, it must reach the default procedure whole through the
// program's own procedures, the one a window is made with and one put over another's.
TYPED_TEST_P(WindowTextContract, TextsAbove4GBPassWholeThroughAProcedureToTheDefaultOne) {
    Windowing& windows = this->windows;
    const std::span<std::byte> memory = this->fixture.HighMemory(4096);
    ASSERT_GE(memory.size(), 4096u);
    auto* const text = reinterpret_cast<char16_t*>(memory.data());
    char16_t* const buffer = text + 1024;
    if constexpr (sizeof(void*) == 8) {
        ASSERT_GT(reinterpret_cast<std::uintptr_t>(text), std::uintptr_t{0xFFFFFFFF});
    }
    const Text set = u"Corbeille pleine ✓ Ж";
    std::copy(set.begin(), set.end(), text);  // the memory is zero-filled: a NUL follows
    const auto length = static_cast<LResult>(set.size());

    for (const bool subclassed : {false, true}) {
        SCOPED_TRACE(subclassed ? "a procedure put over another's" : "the window's own procedure");
        PassOn own(windows);
        PassOn over(windows);
        const Hwnd hwnd =
            windows.CreateWindow(WindowKind::HiddenOwner, 0, subclassed ? nullptr : &own);
        ASSERT_NE(hwnd, 0u);
        if (subclassed) {
            over.previous = windows.SubclassWindow(hwnd, over);
            ASSERT_NE(over.previous, 0u);
        }

        EXPECT_NE(windows.SendMessage(hwnd, msg::kSetText, 0, AddressOf(text)), 0);
        EXPECT_EQ(windows.SendMessage(hwnd, msg::kGetTextLength, 0, 0), length);
        EXPECT_EQ(windows.SendGetText(hwnd, 32), Buffer(set, 32));

        // The whole text and its NUL, nothing past them; then what fits in five characters.
        std::fill_n(buffer, 32, u'#');
        EXPECT_EQ(windows.SendMessage(hwnd, msg::kGetText, 32, AddressOf(buffer)), length);
        EXPECT_EQ(Text(buffer, set.size() + 2), set + u'\0' + u'#');
        std::fill_n(buffer, 32, u'#');
        EXPECT_EQ(windows.SendMessage(hwnd, msg::kGetText, 5, AddressOf(buffer)), 4);
        EXPECT_EQ(Text(buffer, 6), Text(u"Corb\0#", 6));

        if (subclassed) windows.RestoreWindowProc(hwnd, over.previous);
        windows.DestroyWindow(hwnd);
    }
}

REGISTER_TYPED_TEST_SUITE_P(WindowTextContract, TextSetOnAWindowIsWhatItsTextMessagesRead,
                            TextsAbove4GBPassWholeThroughAProcedureToTheDefaultOne);
INSTANTIATE_TYPED_TEST_SUITE_P(Platform, WindowTextContract, PlatformUnderTest, PlatformName);

}  // namespace
}  // namespace dustvale::contract
