#include "platform/win32/Win32DigitsOnlyBox.h"

#include <commctrl.h>

#include <algorithm>
#include <optional>
#include <string>

namespace dustvale::win32 {

namespace {

constexpr UINT_PTR kSubclassId = 1;

class ClipboardOpen {
public:
    explicit ClipboardOpen(HWND owner) : open_(::OpenClipboard(owner) != FALSE) {}
    ~ClipboardOpen() {
        if (open_) ::CloseClipboard();
    }
    ClipboardOpen(const ClipboardOpen&) = delete;
    ClipboardOpen& operator=(const ClipboardOpen&) = delete;
    explicit operator bool() const { return open_; }

private:
    bool open_;
};

// The clipboard's text, read while it is open; nothing when it holds none or cannot be read.
std::optional<std::wstring> ClipboardText(HWND owner) {
    const ClipboardOpen clipboard(owner);
    if (!clipboard) return std::nullopt;
    HANDLE data = ::GetClipboardData(CF_UNICODETEXT);
    if (data == nullptr) return std::nullopt;
    const auto* text = static_cast<const wchar_t*>(::GlobalLock(data));
    if (text == nullptr) return std::nullopt;
    // Within the block, whether or not another program ended its text with a NUL.
    const std::size_t units = ::GlobalSize(data) / sizeof(wchar_t);
    std::wstring copy(text, std::find(text, text + units, L'\0'));
    ::GlobalUnlock(data);
    return copy;
}

bool IsDigitsAlone(const std::wstring& text) {
    return !text.empty() &&
           std::all_of(text.begin(), text.end(), [](wchar_t c) { return c >= L'0' && c <= L'9'; });
}

void Paste(HWND edit) {
    const std::optional<std::wstring> text = ClipboardText(edit);
    if (!text) return;  // nothing a text box could take
    if (IsDigitsAlone(*text)) {
        // The text that was looked at is the text that goes in, whatever the clipboard holds
        // by now.
        ::SendMessageW(edit, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(text->c_str()));
        return;
    }
    // The box's own answer to a letter typed into it: the same sound and balloon, in the
    // system's language.
    if ((::GetWindowLongPtrW(edit, GWL_STYLE) & ES_NUMBER) != 0) {
        ::DefSubclassProc(edit, WM_CHAR, L'A', 0);
    } else {
        ::MessageBeep(MB_OK);
    }
}

LRESULT CALLBACK DigitsOnlyProc(HWND edit, UINT message, WPARAM wParam, LPARAM lParam,
                                UINT_PTR id, DWORD_PTR) {
    switch (message) {
        case WM_PASTE:
            Paste(edit);
            return 0;
        case WM_KEYDOWN:
            // Shift+Insert pastes without a WM_PASTE in some edit controls (Wine's among them).
            if (wParam == VK_INSERT && (::GetKeyState(VK_SHIFT) & 0x8000) != 0 &&
                (::GetKeyState(VK_CONTROL) & 0x8000) == 0) {
                if ((::GetWindowLongPtrW(edit, GWL_STYLE) & ES_READONLY) == 0) Paste(edit);
                return 0;
            }
            break;
        case WM_NCDESTROY:
            ::RemoveWindowSubclass(edit, DigitsOnlyProc, id);
            break;
        default:
            break;
    }
    return ::DefSubclassProc(edit, message, wParam, lParam);
}

}  // namespace

void RefuseNonDigitPastes(HWND edit) {
    ::SetWindowSubclass(edit, DigitsOnlyProc, kSubclassId, 0);
}

}  // namespace dustvale::win32
