#pragma once

// Simulated modeless dialogs: each one records its layout, converted to pixels at the DPI of
// the monitor its window is on, and laid out again when that DPI changes, as the program's
// dialogs are; and the state of its controls. A test acts as the user would (click, type,
// Enter, Esc, the close box, a drag to another monitor) and looks at what the program did.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

#include "platform/DialogWindow.h"
#include "platform/sim/SimWindowing.h"

namespace dustvale::sim {

class SimDialogs;

struct PixelRect {
    std::int32_t left = 0;
    std::int32_t top = 0;
    std::int32_t width = 0;
    std::int32_t height = 0;
    friend bool operator==(const PixelRect&, const PixelRect&) = default;
};

class SimDialog final : public DialogWindow, private MessageHandler {
public:
    SimDialog(SimDialogs& owner, SimWindowing& windows, const DialogLayout& layout,
              DialogListener& listener);
    ~SimDialog() override;
    SimDialog(const SimDialog&) = delete;
    SimDialog& operator=(const SimDialog&) = delete;

    // DialogWindow
    Hwnd Handle() const override { return hwnd_; }
    void ShowCentred() override;
    void Hide() override { visible_ = false; }
    void BringToFront() override;
    bool IsChecked(std::size_t control) const override;
    void SetChecked(std::size_t control, bool checked) override;
    Text GetText(std::size_t control) const override;
    void SetText(std::size_t control, const Text& text) override;
    void SetEnabled(std::size_t control, bool enabled) override;
    void Focus(std::size_t control) override;

    // --- for tests: what the user sees -----------------------------------------------------
    const DialogLayout& Layout() const { return layout_; }
    std::size_t ControlCount() const { return controls_.size(); }
    // Sizes and places at the DPI of the dialog's monitor.
    PixelRect ClientPixels() const { return client_; }
    PixelRect ControlPixels(std::size_t control) const { return controls_.at(control).pixels; }
    bool IsEnabled(std::size_t control) const { return controls_.at(control).enabled; }
    bool IsVisible() const { return visible_; }
    // The control the program last gave the focus to, if any.
    std::optional<std::size_t> Focused() const { return focused_; }
    int TimesShownCentred() const { return shownCentred_; }
    int TimesBroughtToFront() const { return broughtToFront_; }
    // The balloons a digits-only box showed to refuse what was typed or pasted into it.
    int RefusalBalloons() const { return refusalBalloons_; }

    // --- for tests: what the user does -----------------------------------------------------
    // A mouse click. A disabled control, a text box and a label ignore it. A check box
    // toggles, then reports.
    void Click(std::size_t control);
    // The user replaces a text box's text (an enabled one only), typing it key by key: a box
    // for digits only refuses every other character. Nothing is reported.
    void Type(std::size_t control, const Text& text);
    // The user pastes `text` over the whole of a text box's text (an enabled one only). A box
    // for digits only refuses a paste that is not digits alone, as a typed letter.
    void Paste(std::size_t control, const Text& text);
    void Enter();     // presses the default button
    void Escape();    // asks to close
    void CloseBox();  // the title bar's close box: asks to close
    void DragTo(Point topLeft);  // the title bar dragged: the window moves there

private:
    LResult HandleMessage(Hwnd hwnd, std::int32_t message, WParam wParam,
                          LParam lParam) noexcept override;
    // Client area and controls in pixels at `dpi`.
    void Layout(std::int32_t dpi);

    struct Control {
        ControlKind kind;
        Text text;
        bool checked = false;
        bool enabled = true;
        PixelRect pixels;
    };
    SimDialogs& owner_;
    SimWindowing& windows_;
    DialogLayout layout_;
    DialogListener& listener_;
    Hwnd hwnd_ = 0;
    PixelRect client_;
    std::vector<Control> controls_;
    bool visible_ = false;
    int shownCentred_ = 0;
    int broughtToFront_ = 0;
    int refusalBalloons_ = 0;
    std::optional<std::size_t> focused_;
};

class SimDialogs final : public Dialogs {
public:
    explicit SimDialogs(SimWindowing& windows) : windows_(windows) {}

    // Dialogs
    std::unique_ptr<DialogWindow> CreateDialogWindow(const DialogLayout& layout,
                                                     DialogListener& listener) override;

    // --- for tests -------------------------------------------------------------------------
    // The dialogs that exist now, oldest first.
    const std::vector<SimDialog*>& Open() const { return open_; }
    // The newest dialog that exists now, or null.
    SimDialog* Current() const { return open_.empty() ? nullptr : open_.back(); }
    int Created() const { return created_; }
    void FailNextCreate(int n = 1) { failCreates_ += n; }

    // Used by SimDialog.
    void Forget(SimDialog* dialog);

private:
    SimWindowing& windows_;
    std::vector<SimDialog*> open_;
    int created_ = 0;
    int failCreates_ = 0;
};

}  // namespace dustvale::sim
