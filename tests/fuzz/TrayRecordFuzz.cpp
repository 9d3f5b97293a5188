// Any texts into the icon record's three fixed UTF-16 buffers: first straight through
// StringToBuffer into a record whose other fields carry marks, then through the tray control
// (tooltip and balloon) into the record the shell receives. A buffer always ends with a NUL,
// keeps the first 127 / 255 / 63 code units of a text exactly and NULs after them, keeps its
// old content for an empty text, and nothing is written outside it.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <iterator>
#include <optional>

#include "platform/NotifyIconRecord.h"
#include "platform/sim/SimShell.h"
#include "platform/sim/SimWindowing.h"
#include "platform/sim/SimWindows.h"
#include "tests/fuzz/FuzzSupport.h"
#include "tray/StringToBuffer.h"
#include "tray/TrayIcon.h"

namespace dustvale::fuzz {
namespace {

static_assert(sizeof(NotifyIconRecord) == 936);

// The fuzzer's bytes as a sequence of texts: a length byte (in code units), then the units.
class TextReader {
public:
    TextReader(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}
    bool Done() const { return at_ >= size_; }
    std::uint8_t Byte() { return at_ < size_ ? data_[at_++] : 0; }
    Text Next() {
        // Lengths up to 255 + 255: past every buffer's limit, and exactly at it.
        const std::size_t units = static_cast<std::size_t>(Byte()) + (Byte() & 1 ? 255 : 0);
        const std::size_t bytes = std::min(units * 2, size_ - std::min(at_, size_));
        Text text = Utf16FromBytes(data_ + at_, bytes);
        at_ += bytes;
        return text;
    }

private:
    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t at_ = 0;
};

// The buffer after StringToBuffer(text): for a text, its first N - 1 units and NULs to the
// end; for an empty text, what it held before.
template <std::size_t N>
void CheckBuffer(const char16_t (&buffer)[N], const Text& text, const char16_t (&before)[N]) {
    FUZZ_CHECK(buffer[N - 1] == u'\0');
    if (text.empty()) {
        FUZZ_CHECK(std::equal(buffer, buffer + N, before));
        return;
    }
    const std::size_t kept = std::min(text.size(), N - 1);
    FUZZ_CHECK(std::equal(buffer, buffer + kept, text.begin()));
    FUZZ_CHECK(std::all_of(buffer + kept, buffer + N, [](char16_t c) { return c == u'\0'; }));
}

NotifyIconRecord MarkedRecord() {
    NotifyIconRecord record;
    record.cbSize = 0xC0C0C0C0;
    record.hWnd = 0x11111111;
    record.uID = 0x22222222;
    record.uFlags = 0x33333333;
    record.uCallbackMessage = 0x44444444;
    record.hIcon = 0x55555555;
    record.dwState = 0x66666666;
    record.dwStateMask = 0x77777777;
    record.uTimeoutOrVersion = 0x88888888;
    record.dwInfoFlags = 0x99999999;
    return record;
}

// Every field outside the three buffers as MarkedRecord left it.
void CheckMarks(const NotifyIconRecord& record) {
    const NotifyIconRecord marks = MarkedRecord();
    FUZZ_CHECK(record.cbSize == marks.cbSize && record.hWnd == marks.hWnd);
    FUZZ_CHECK(record.uID == marks.uID && record.uFlags == marks.uFlags);
    FUZZ_CHECK(record.uCallbackMessage == marks.uCallbackMessage && record.hIcon == marks.hIcon);
    FUZZ_CHECK(record.dwState == marks.dwState && record.dwStateMask == marks.dwStateMask);
    FUZZ_CHECK(record.uTimeoutOrVersion == marks.uTimeoutOrVersion);
    FUZZ_CHECK(record.dwInfoFlags == marks.dwInfoFlags);
}

template <std::size_t N>
void Apply(NotifyIconRecord& record, char16_t (&buffer)[N], const Text& text) {
    const NotifyIconRecord before = record;
    char16_t previous[N];
    std::copy(buffer, buffer + N, previous);
    StringToBuffer(text, buffer);
    CheckBuffer(buffer, text, previous);
    CheckMarks(record);
    // The other two buffers are untouched.
    if (static_cast<void*>(buffer) != record.szTip) FUZZ_CHECK(std::equal(record.szTip, record.szTip + 128, before.szTip));
    if (static_cast<void*>(buffer) != record.szInfo) FUZZ_CHECK(std::equal(record.szInfo, record.szInfo + 256, before.szInfo));
    if (static_cast<void*>(buffer) != record.szInfoTitle) FUZZ_CHECK(std::equal(record.szInfoTitle, record.szInfoTitle + 64, before.szInfoTitle));
}

void CheckBuffers(const std::uint8_t* data, std::size_t size) {
    NotifyIconRecord record = MarkedRecord();
    TextReader reader(data, size);
    while (!reader.Done()) {
        switch (reader.Byte() % 3) {
            case 0: Apply(record, record.szTip, reader.Next()); break;
            case 1: Apply(record, record.szInfo, reader.Next()); break;
            default: Apply(record, record.szInfoTitle, reader.Next()); break;
        }
    }
}

class FixedPicture final : public Picture {
public:
    HIcon Handle() const override { return 0x1111; }
};

class Quiet final : public TrayEvents {};

// The same texts through the control: the tooltip as the property gives it back and as the
// shell receives it, the balloon as the shell receives it.
void CheckControl(const std::uint8_t* data, std::size_t size) {
    sim::SimWindows sim;
    Platform platform = sim.platform();
    const Hwnd owner = sim.windows().CreateWindow(WindowKind::HiddenOwner, 0, nullptr);
    const Hwnd window = sim.windows().CreateWindow(WindowKind::Child, owner, nullptr);
    Quiet events;
    FixedPicture picture;
    TrayIcon control(platform, TrayHost{window, owner, true}, events);
    control.TakeInstanceNumber();
    control.SetIcon(picture);

    TextReader reader(data, size);
    FUZZ_CHECK(control.AddIcon());
    NotifyIconRecord expected{};
    while (!reader.Done()) {
        const std::uint8_t op = reader.Byte();
        const std::size_t callsBefore = sim.shell().NotifyCalls().size();
        if (op % 2 == 0) {
            const Text tip = reader.Next();
            char16_t previous[128];
            std::copy(std::begin(expected.szTip), std::end(expected.szTip), previous);
            StringToBuffer(tip, expected.szTip);
            control.SetTooltip(tip);
            const Text shown = control.Tooltip();
            FUZZ_CHECK(shown.size() == 128);
            FUZZ_CHECK(std::equal(shown.begin(), shown.end(), expected.szTip));
            CheckBuffer(control.Record().szTip, tip, previous);
        } else {
            const Text title = reader.Next();
            const Text message = reader.Next();
            StringToBuffer(message, expected.szInfo);
            StringToBuffer(title, expected.szInfoTitle);
            FUZZ_CHECK(control.ShowBalloon(title, message, 1, 5000));
        }
        const auto& calls = sim.shell().NotifyCalls();
        FUZZ_CHECK(calls.size() == callsBefore + 1);
        const NotifyIconRecord& sent = calls.back().record;
        FUZZ_CHECK(sent.cbSize == 936);
        FUZZ_CHECK(std::equal(std::begin(sent.szTip), std::end(sent.szTip), expected.szTip));
        FUZZ_CHECK(std::equal(std::begin(sent.szInfo), std::end(sent.szInfo), expected.szInfo));
        FUZZ_CHECK(std::equal(std::begin(sent.szInfoTitle), std::end(sent.szInfoTitle), expected.szInfoTitle));
    }
    const std::optional<bool> removed = control.RemoveIcon();
    FUZZ_CHECK(removed == true);
}

}  // namespace
}  // namespace dustvale::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    dustvale::fuzz::CheckBuffers(data, size);
    dustvale::fuzz::CheckControl(data, size);
    return 0;
}
