#include "platform/win32/Win32Dialogs.h"

#include <algorithm>
#include <optional>
#include <vector>

#include "platform/CaptionFit.h"
#include "platform/win32/UniqueHandle.h"
#include "platform/win32/Win32DigitsOnlyBox.h"
#include "platform/win32/Win32Convert.h"

namespace dustvale::win32 {

namespace {

// Marks the program's modeless dialogs, so the message loop knows which windows to hand to
// the dialog manager.
constexpr wchar_t kDialogProperty[] = L"Dustvale.Dialog";
constexpr int kFirstControlId = 100;
constexpr WORD kButtonClass = 0x0080;
// The system's button, less CS_PARENTDC: a check box whose caption reads around a text box
// must not draw outside its own window region (see Arrange), and a CS_PARENTDC window draws
// with its parent's clipping, region or not.
constexpr wchar_t kCheckBoxClass[] = L"DustvaleCheckBox";
constexpr WORD kEditClass = 0x0081;
constexpr WORD kStaticClass = 0x0082;
constexpr WORD kDialogFontPoints = 8;
// Microsoft Sans Serif on Windows, the face the layout was drawn with; Tahoma under Wine.
constexpr wchar_t kDialogFont[] = L"MS Shell Dlg";
// An ordinary resizable frame with a title bar and its minimise, maximise and close boxes.
constexpr DWORD kDialogStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME |
                               WS_MINIMIZEBOX | WS_MAXIMIZEBOX | DS_SETFONT;
constexpr DWORD kDialogExStyle = WS_EX_APPWINDOW;

using unique_font = unique_any<HFONT, &::DeleteObject>;

// The words of an in-memory DLGTEMPLATE with its DLGITEMTEMPLATEs. The dialog and its
// controls are described without sizes: they are placed in pixels once the dialog exists,
// since dialog units follow the font and the layout is measured in twips.
class TemplateWriter {
public:
    void Word(WORD value) { words_.push_back(value); }
    void Dword(DWORD value) {
        Word(LOWORD(value));
        Word(HIWORD(value));
    }
    void String(const wchar_t* text) {
        for (; *text != 0; ++text) Word(static_cast<WORD>(*text));
        Word(0);
    }
    void String(const Text& text) {
        for (char16_t c : text) Word(static_cast<WORD>(c));
        Word(0);
    }
    void AlignToDword() {
        if (words_.size() % 2 != 0) Word(0);
    }
    // operator new gives storage aligned for any type, so the template starts on a DWORD.
    std::vector<WORD> Take() { return std::move(words_); }

private:
    std::vector<WORD> words_;
};

DWORD ControlStyle(const ControlLayout& control) {
    const DWORD common = WS_CHILD | WS_VISIBLE | WS_TABSTOP;
    switch (control.kind) {
        // Centred on the height of the text box it follows, as that box centres its text.
        case ControlKind::Label: return WS_CHILD | WS_VISIBLE | SS_LEFT | SS_CENTERIMAGE;
        case ControlKind::CheckBox: return common | BS_AUTOCHECKBOX;
        case ControlKind::TextBox:
            return common | ES_AUTOHSCROLL | ES_LEFT | (control.digitsOnly ? ES_NUMBER : 0);
        case ControlKind::DefaultButton: return common | BS_DEFPUSHBUTTON;
    }
    return common;
}

// The predefined class of a control the system draws as it is.
WORD SystemClass(ControlKind kind) {
    switch (kind) {
        case ControlKind::TextBox: return kEditClass;
        case ControlKind::Label: return kStaticClass;
        case ControlKind::CheckBox:
        case ControlKind::DefaultButton: return kButtonClass;
    }
    return kButtonClass;
}

std::vector<WORD> BuildTemplate(const DialogLayout& layout) {
    TemplateWriter writer;
    writer.Dword(kDialogStyle);
    writer.Dword(kDialogExStyle);
    writer.Word(static_cast<WORD>(layout.controls.size()));
    for (int i = 0; i < 4; ++i) writer.Word(0);  // x, y, cx, cy
    writer.Word(0);                               // no menu
    writer.Word(0);                               // the standard dialog class
    writer.String(layout.caption);
    writer.Word(kDialogFontPoints);
    writer.String(kDialogFont);
    for (std::size_t i = 0; i < layout.controls.size(); ++i) {
        const ControlLayout& control = layout.controls[i];
        const bool edit = control.kind == ControlKind::TextBox;
        writer.AlignToDword();
        writer.Dword(ControlStyle(control));
        writer.Dword(edit ? WS_EX_CLIENTEDGE : 0);
        for (int j = 0; j < 4; ++j) writer.Word(0);
        writer.Word(static_cast<WORD>(kFirstControlId + i));
        if (control.kind == ControlKind::CheckBox) {
            writer.String(kCheckBoxClass);
        } else {
            writer.Word(0xFFFF);
            writer.Word(SystemClass(control.kind));
        }
        writer.String(control.text);
        writer.Word(0);  // no creation data
    }
    return writer.Take();
}

RECT PixelRect(const TwipsRect& twips, std::int32_t dpi) {
    const int left = TwipsToPixels(twips.left, dpi);
    const int top = TwipsToPixels(twips.top, dpi);
    return {left, top, left + TwipsToPixels(twips.width, dpi),
            top + TwipsToPixels(twips.height, dpi)};
}

unique_font DialogFont(int pixelHeight) {
    LOGFONTW font{};
    font.lfHeight = -pixelHeight;
    font.lfWeight = FW_NORMAL;
    font.lfCharSet = DEFAULT_CHARSET;
    ::lstrcpynW(font.lfFaceName, kDialogFont, LF_FACESIZE);
    return unique_font(::CreateFontIndirectW(&font));
}

using unique_dc = unique_any<HDC, &::DeleteDC>;
using unique_bitmap = unique_any<HBITMAP, &::DeleteObject>;

// A strip of memory in which a caption is drawn black on white, as the button draws it, to find
// where its words' ink lies: under Wine, glyphs are drawn a few pixels wider or narrower than
// the text extent says.
class InkStrip {
public:
    InkStrip(int width, int height) : width_(width), height_(height) {
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof(info.bmiHeader);
        info.bmiHeader.biWidth = width;
        info.bmiHeader.biHeight = -height;  // rows from the top
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        info.bmiHeader.biCompression = BI_RGB;
        dc_ = unique_dc(::CreateCompatibleDC(nullptr));
        if (!dc_) return;
        void* bits = nullptr;
        bitmap_ = unique_bitmap(::CreateDIBSection(dc_.get(), &info, DIB_RGB_COLORS, &bits,
                                                   nullptr, 0));
        if (!bitmap_) return;
        pixels_ = static_cast<const DWORD*>(bits);
        ::SelectObject(dc_.get(), bitmap_.get());
        ::SetTextColor(dc_.get(), RGB(0, 0, 0));
        ::SetBkMode(dc_.get(), TRANSPARENT);
    }

    explicit operator bool() const { return pixels_ != nullptr; }
    HDC Dc() const { return dc_.get(); }

    int Extent(const Text& text) const {
        SIZE size{};
        ::GetTextExtentPoint32W(dc_.get(), Wide(text), static_cast<int>(text.size()), &size);
        return size.cx;
    }

    // Draws the text from the strip's left edge, as a single-line button caption.
    void Draw(const Text& text) {
        RECT all{0, 0, width_, height_};
        ::FillRect(dc_.get(), &all, static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH)));
        ::DrawTextW(dc_.get(), Wide(text), static_cast<int>(text.size()), &all,
                    DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
        ::GdiFlush();
    }

    // The first column past the last ink.
    int InkEnd() const {
        for (int x = width_ - 1; x >= 0; --x) {
            if (Inked(x)) return x + 1;
        }
        return 0;
    }
    // The first column of ink from `from` on.
    int InkFrom(int from) const {
        for (int x = from; x < width_; ++x) {
            if (Inked(x)) return x;
        }
        return width_;
    }

private:
    bool Inked(int x) const {
        for (int y = 0; y < height_; ++y) {
            if ((pixels_[y * width_ + x] & 0xFF) < 0x80) return true;
        }
        return false;
    }

    int width_;
    int height_;
    unique_bitmap bitmap_;  // selected into dc_ for the strip's life, so it goes after dc_
    unique_dc dc_;
    const DWORD* pixels_ = nullptr;
};

// The dialog font's height in pixels at `dpi`.
int NaturalFontHeight(std::int32_t dpi) { return ::MulDiv(kDialogFontPoints, dpi, 72); }

// The caption of `around` measured in the dialog's font at each height. A check box starts its
// caption after the check square (13 pixels at 96 DPI as the button draws it, or the system's
// check-mark size where that is larger) and a gap of half the width of "0".
CaptionFont FitCaption(const Text& caption, const CaptionAround& around, std::int32_t dpi,
                       const DpiFunctions& dpiFunctions) {
    const int natural = NaturalFontHeight(dpi);
    InkStrip strip(2 * around.width, 2 * natural + 8);
    if (!strip) return {natural, CaptionAlign::Left, false};
    const int glyph = std::max(dpiFunctions.SystemMetric(SM_CXMENUCHECK, static_cast<UINT>(dpi)),
                               ::MulDiv(13, dpi, 96));
    const Text before = caption.substr(0, around.blanks.first);
    return ChooseCaptionFont(
        around, natural, [&](std::int32_t height) -> std::optional<CaptionWidths> {
            const unique_font font = DialogFont(height);
            if (!font) return std::nullopt;
            const HGDIOBJ previous = ::SelectObject(strip.Dc(), font.get());
            INT zero = 0;
            ::GetCharWidth32W(strip.Dc(), L'0', L'0', &zero);
            CaptionWidths widths{glyph + zero / 2, strip.Extent(caption)};
            strip.Draw(before);
            widths.beforeEnd = strip.InkEnd();
            strip.Draw(caption);
            widths.afterStart = strip.InkFrom(widths.beforeEnd + 1);
            widths.wholeEnd = strip.InkEnd();
            ::SelectObject(strip.Dc(), previous);
            return widths;
        });
}

// The icon resource `id` at the side the metric gives at `dpi`.
unique_hicon LoadIconResource(std::uint32_t id, int metric, UINT dpi,
                              const DpiFunctions& dpiFunctions) {
    if (id == 0) return unique_hicon();
    const int side = dpiFunctions.SystemMetric(metric, dpi);
    return unique_hicon(static_cast<HICON>(::LoadImageW(::GetModuleHandleW(nullptr),
                                                        MAKEINTRESOURCEW(id), IMAGE_ICON, side,
                                                        side, LR_DEFAULTCOLOR)));
}

class Win32Dialog final : public DialogWindow {
public:
    Win32Dialog(const DialogLayout& layout, DialogListener& listener,
                const DpiFunctions& dpiFunctions)
        : layout_(layout), listener_(listener), dpiFunctions_(dpiFunctions) {}

    ~Win32Dialog() override {
        if (hwnd_ == nullptr) return;
        // The window must not call back into an object that is going away.
        ::SetWindowLongPtrW(hwnd_, DWLP_USER, 0);
        ::RemovePropW(hwnd_, kDialogProperty);
        ::DestroyWindow(hwnd_);
    }
    Win32Dialog(const Win32Dialog&) = delete;
    Win32Dialog& operator=(const Win32Dialog&) = delete;

    bool Create() {
        const std::vector<WORD> words = BuildTemplate(layout_);
        hwnd_ = ::CreateDialogIndirectParamW(
            ::GetModuleHandleW(nullptr), reinterpret_cast<const DLGTEMPLATE*>(words.data()),
            nullptr, &Win32Dialog::DialogProc, reinterpret_cast<LPARAM>(this));
        if (hwnd_ == nullptr) return false;
        ::SetPropW(hwnd_, kDialogProperty, reinterpret_cast<HANDLE>(1));
        for (std::size_t i = 0; i < layout_.controls.size(); ++i) {
            if (layout_.controls[i].digitsOnly) RefuseNonDigitPastes(Item(i));
        }
        // Laid out here at the DPI of the monitor it is on, and again whenever that changes.
        dpiFunctions_.LeaveDpiChangesToDialog(hwnd_);
        const UINT dpi = dpiFunctions_.ForWindow(hwnd_);
        const SIZE frame = Arrange(static_cast<std::int32_t>(dpi));
        ::SetWindowPos(hwnd_, nullptr, 0, 0, frame.cx, frame.cy,
                       SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
        SetIcons(dpi);
        return true;
    }

    Hwnd Handle() const override { return FromHwnd(hwnd_); }

    void ShowCentred() override {
        RECT frame{};
        ::GetWindowRect(hwnd_, &frame);
        const int width = frame.right - frame.left;
        const int height = frame.bottom - frame.top;
        const int x = (::GetSystemMetrics(SM_CXSCREEN) - width) / 2;
        const int y = (::GetSystemMetrics(SM_CYSCREEN) - height) / 2;
        ::SetWindowPos(hwnd_, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        ::ShowWindow(hwnd_, SW_SHOWNORMAL);
        ::SetForegroundWindow(hwnd_);
    }

    void Hide() override { ::ShowWindow(hwnd_, SW_HIDE); }

    void BringToFront() override {
        if (::IsIconic(hwnd_)) ::ShowWindow(hwnd_, SW_RESTORE);
        ::SetForegroundWindow(hwnd_);
    }

    bool IsChecked(std::size_t control) const override {
        return ::SendMessageW(Item(control), BM_GETCHECK, 0, 0) == BST_CHECKED;
    }

    void SetChecked(std::size_t control, bool checked) override {
        // BM_SETCHECK sends no notification: a state set here is never reported.
        ::SendMessageW(Item(control), BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
    }

    Text GetText(std::size_t control) const override {
        const HWND item = Item(control);
        const int length = ::GetWindowTextLengthW(item);
        if (length <= 0) return Text();
        std::vector<wchar_t> buffer(static_cast<std::size_t>(length) + 1);
        const int copied = ::GetWindowTextW(item, buffer.data(), length + 1);
        return FromWide(buffer.data(), static_cast<std::size_t>(copied > 0 ? copied : 0));
    }

    void SetText(std::size_t control, const Text& text) override {
        ::SetWindowTextW(Item(control), Wide(text));
    }

    void SetEnabled(std::size_t control, bool enabled) override {
        ::EnableWindow(Item(control), enabled ? TRUE : FALSE);
    }

    void Focus(std::size_t control) override {
        // As the dialog manager moves the focus on Tab: the default button follows, and an
        // edit control's text is selected.
        ::SendMessageW(hwnd_, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(Item(control)), TRUE);
    }

private:
    HWND Item(std::size_t control) const {
        return ::GetDlgItem(hwnd_, kFirstControlId + static_cast<int>(control));
    }

    // The title bar's and the task switcher's icons, at the sizes of `dpi`. The window keeps
    // using the icons it was given until it is given others: the old ones go only afterwards.
    void SetIcons(UINT dpi) {
        unique_hicon small = LoadIconResource(layout_.smallIcon, SM_CXSMICON, dpi, dpiFunctions_);
        unique_hicon big = LoadIconResource(layout_.smallIcon, SM_CXICON, dpi, dpiFunctions_);
        if (small) {
            ::SendMessageW(hwnd_, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(small.get()));
            smallIcon_ = std::move(small);
        }
        if (big) {
            ::SendMessageW(hwnd_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(big.get()));
            bigIcon_ = std::move(big);
        }
    }

    // The dialog moved to a monitor of another scaling, or its monitor's scaling changed: the
    // layout, the fonts and the icons of the new DPI, in the place the system suggests.
    void OnDpiChanged(UINT dpi, const RECT& suggested) {
        const SIZE frame = Arrange(static_cast<std::int32_t>(dpi));
        ::SetWindowPos(hwnd_, nullptr, suggested.left, suggested.top, frame.cx, frame.cy,
                       SWP_NOZORDER | SWP_NOACTIVATE);
        SetIcons(dpi);
        ::InvalidateRect(hwnd_, nullptr, TRUE);
    }

    // Fonts and controls in pixels at `dpi`; returns the size of the window whose client area
    // the layout gives. A control never paints over one that follows it in the tab order:
    // where they overlap (a check box caption that reads around a text box) the earlier
    // control's window region leaves the later one out, so the later one shows and takes the
    // clicks there while the tab order stays as laid out.
    SIZE Arrange(std::int32_t dpi) {
        if (const std::optional<CaptionAround> around = FindCaptionAround(layout_, dpi)) {
            UseCaptionFont(*around, dpi);
        } else {
            UseFont(NaturalFontHeight(dpi));
        }
        RECT frame{0, 0, TwipsToPixels(layout_.clientWidth, dpi),
                   TwipsToPixels(layout_.clientHeight, dpi)};
        dpiFunctions_.AdjustWindowRect(frame, kDialogStyle, kDialogExStyle, static_cast<UINT>(dpi));
        std::vector<RECT> placed;
        for (std::size_t i = 0; i < layout_.controls.size(); ++i) {
            placed.push_back(PixelRect(layout_.controls[i].bounds, dpi));
            const RECT& r = placed.back();
            ::SetWindowPos(Item(i), nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top,
                           SWP_NOZORDER | SWP_NOACTIVATE);
        }
        for (std::size_t i = 0; i < placed.size(); ++i) {
            HRGN region = nullptr;
            for (std::size_t j = i + 1; j < placed.size(); ++j) {
                RECT overlap{};
                if (!::IntersectRect(&overlap, &placed[i], &placed[j])) continue;
                if (region == nullptr) {
                    region = ::CreateRectRgn(0, 0, placed[i].right - placed[i].left,
                                             placed[i].bottom - placed[i].top);
                }
                HRGN hole = ::CreateRectRgn(overlap.left - placed[i].left,
                                            overlap.top - placed[i].top,
                                            overlap.right - placed[i].left,
                                            overlap.bottom - placed[i].top);
                ::CombineRgn(region, region, hole, RGN_DIFF);
                ::DeleteObject(hole);
            }
            // The window owns its region from here on; none, where nothing overlaps any more.
            ::SetWindowRgn(Item(i), region, TRUE);
        }
        return {frame.right - frame.left, frame.bottom - frame.top};
    }

    // Every control in the dialog font at a pixel height. The controls take the new font
    // before the one they used goes.
    void UseFont(int pixelHeight) {
        unique_font font = DialogFont(pixelHeight);
        if (!font) return;
        for (std::size_t i = 0; i < layout_.controls.size(); ++i) {
            ::SendMessageW(Item(i), WM_SETFONT, reinterpret_cast<WPARAM>(font.get()), TRUE);
        }
        font_ = std::move(font);
    }

    // The dialog font, for every control, at the height at which a caption that reads around
    // another control stays readable, and that caption placed where its words keep clear of the
    // control (ChooseCaptionFont says how).
    void UseCaptionFont(const CaptionAround& around, std::int32_t dpi) {
        const CaptionFont chosen =
            FitCaption(layout_.controls[around.checkBox].text, around, dpi, dpiFunctions_);
        UseFont(chosen.pixelHeight);
        // The placement chosen at this DPI, which may differ from the one at the last.
        LONG_PTR align = 0;  // left: the button's own
        if (chosen.align == CaptionAlign::Centre) align = BS_CENTER;
        if (chosen.align == CaptionAlign::Right) align = BS_RIGHT;
        const HWND box = Item(around.checkBox);
        const LONG_PTR style = ::GetWindowLongPtrW(box, GWL_STYLE);
        ::SetWindowLongPtrW(box, GWL_STYLE, (style & ~LONG_PTR{BS_CENTER}) | align);
    }

    // What a command means; the listener may destroy the dialog, so nothing of it is touched
    // after the call.
    INT_PTR Command(int id, int code) {
        if (id == IDCANCEL) {  // Esc, the close box, Alt+F4
            listener_.CloseRequested();
            return TRUE;
        }
        if (id == IDOK) id = DefaultButtonId();  // Enter with no button focused
        const int index = id - kFirstControlId;
        if (index < 0 || index >= static_cast<int>(layout_.controls.size())) return FALSE;
        const ControlKind kind = layout_.controls[index].kind;
        if (code != BN_CLICKED || kind == ControlKind::TextBox || kind == ControlKind::Label) {
            return FALSE;
        }
        listener_.ControlClicked(static_cast<std::size_t>(index));
        return TRUE;
    }

    int DefaultButtonId() const {
        for (std::size_t i = 0; i < layout_.controls.size(); ++i) {
            if (layout_.controls[i].kind == ControlKind::DefaultButton) {
                return kFirstControlId + static_cast<int>(i);
            }
        }
        return 0;
    }

    static INT_PTR CALLBACK DialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
        if (message == WM_INITDIALOG) {
            auto* self = reinterpret_cast<Win32Dialog*>(lParam);
            ::SetWindowLongPtrW(hwnd, DWLP_USER, lParam);
            self->hwnd_ = hwnd;
            if (const int id = self->DefaultButtonId(); id != 0) {
                ::SendMessageW(hwnd, DM_SETDEFID, static_cast<WPARAM>(id), 0);
            }
            return TRUE;  // focus to the first control of the tab order
        }
        auto* self = reinterpret_cast<Win32Dialog*>(::GetWindowLongPtrW(hwnd, DWLP_USER));
        if (self == nullptr) return FALSE;
        if (message == WM_DPICHANGED && lParam != 0) {
            self->OnDpiChanged(LOWORD(wParam), *reinterpret_cast<const RECT*>(lParam));
            return TRUE;
        }
        if (message != WM_COMMAND) return FALSE;
        // Nothing may escape a window procedure: a failure ends the handling of the command.
        try {
            return self->Command(LOWORD(wParam), HIWORD(wParam));
        } catch (...) {
            return TRUE;
        }
    }

    DialogLayout layout_;
    DialogListener& listener_;
    const DpiFunctions& dpiFunctions_;
    HWND hwnd_ = nullptr;
    unique_hicon smallIcon_;
    unique_hicon bigIcon_;
    unique_font font_;  // the controls' font, of the dialog's DPI
};

}  // namespace

Win32Dialogs::Win32Dialogs() {
    WNDCLASSEXW button{};
    button.cbSize = sizeof(button);
    // With the visual-styles manifest this finds the themed button of comctl32 version 6.
    if (!::GetClassInfoExW(nullptr, L"Button", &button)) return;
    button.hInstance = ::GetModuleHandleW(nullptr);
    button.lpszClassName = kCheckBoxClass;
    button.style &= ~static_cast<UINT>(CS_PARENTDC | CS_GLOBALCLASS);
    checkBoxClass_ = ::RegisterClassExW(&button);
}

Win32Dialogs::~Win32Dialogs() {
    if (checkBoxClass_ != 0) ::UnregisterClassW(kCheckBoxClass, ::GetModuleHandleW(nullptr));
}

std::unique_ptr<DialogWindow> Win32Dialogs::CreateDialogWindow(const DialogLayout& layout,
                                                               DialogListener& listener) {
    auto dialog = std::make_unique<Win32Dialog>(layout, listener, dpiFunctions_);
    if (!dialog->Create()) return nullptr;
    return dialog;
}

bool TranslateDialogMessage(MSG& message) {
    // Only keys need a dialog's own handling (Tab, Enter, Esc, arrows, mnemonics); any other
    // message is dispatched as usual. This spares the once-a-second tick, and every other
    // message, two look-ups that each cost Wine a round trip to its server.
    if (message.message < WM_KEYFIRST || message.message > WM_KEYLAST) return false;
    if (message.hwnd == nullptr) return false;
    const HWND root = ::GetAncestor(message.hwnd, GA_ROOT);
    if (root == nullptr || ::GetPropW(root, kDialogProperty) == nullptr) return false;
    return ::IsDialogMessageW(root, &message) != FALSE;
}

}  // namespace dustvale::win32
