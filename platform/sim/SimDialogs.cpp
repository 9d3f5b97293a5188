#include "platform/sim/SimDialogs.h"

#include <algorithm>

namespace dustvale::sim {

namespace {

PixelRect ToPixels(const TwipsRect& twips, std::int32_t dpi) {
    return {TwipsToPixels(twips.left, dpi), TwipsToPixels(twips.top, dpi),
            TwipsToPixels(twips.width, dpi), TwipsToPixels(twips.height, dpi)};
}

bool IsDigit(char16_t c) { return c >= u'0' && c <= u'9'; }

}  // namespace

SimDialog::SimDialog(SimDialogs& owner, SimWindowing& windows, const DialogLayout& layout,
                     DialogListener& listener)
    : owner_(owner), windows_(windows), layout_(layout), listener_(listener) {
    for (const ControlLayout& control : layout.controls) {
        controls_.push_back({control.kind, control.text, false, true, {}});
    }
    hwnd_ = windows_.CreateWindow(WindowKind::HiddenOwner, 0, this);
    Layout(windows_.GetDpiForWindow(hwnd_));
}

void SimDialog::Layout(std::int32_t dpi) {
    client_ = {0, 0, TwipsToPixels(layout_.clientWidth, dpi),
               TwipsToPixels(layout_.clientHeight, dpi)};
    for (std::size_t i = 0; i < controls_.size(); ++i) {
        controls_[i].pixels = ToPixels(layout_.controls[i].bounds, dpi);
    }
}

LResult SimDialog::HandleMessage(Hwnd hwnd, std::int32_t message, WParam wParam,
                                 LParam lParam) noexcept {
    if (message == msg::kDpiChanged) {
        Layout(static_cast<std::int32_t>(wParam & 0xFFFF));
        return 0;
    }
    return windows_.DefWindowProc(hwnd, message, wParam, lParam);
}

void SimDialog::DragTo(Point topLeft) { windows_.MoveWindow(hwnd_, topLeft); }

SimDialog::~SimDialog() {
    owner_.Forget(this);
    if (hwnd_ != 0) windows_.DestroyWindow(hwnd_);
}

void SimDialog::ShowCentred() {
    visible_ = true;
    ++shownCentred_;
    windows_.SetForegroundWindow(hwnd_);
}

void SimDialog::BringToFront() {
    ++broughtToFront_;
    windows_.SetForegroundWindow(hwnd_);
}

bool SimDialog::IsChecked(std::size_t control) const { return controls_.at(control).checked; }

void SimDialog::SetChecked(std::size_t control, bool checked) {
    controls_.at(control).checked = checked;
}

Text SimDialog::GetText(std::size_t control) const { return controls_.at(control).text; }

void SimDialog::SetText(std::size_t control, const Text& text) {
    controls_.at(control).text = text;
}

void SimDialog::SetEnabled(std::size_t control, bool enabled) {
    controls_.at(control).enabled = enabled;
}

void SimDialog::Focus(std::size_t control) {
    controls_.at(control);  // an index the dialog has
    focused_ = control;
}

void SimDialog::Click(std::size_t control) {
    Control& target = controls_.at(control);
    if (!target.enabled || target.kind == ControlKind::TextBox ||
        target.kind == ControlKind::Label) {
        return;
    }
    if (target.kind == ControlKind::CheckBox) target.checked = !target.checked;
    // The listener may destroy this dialog: nothing of it is touched afterwards.
    listener_.ControlClicked(control);
}

void SimDialog::Type(std::size_t control, const Text& text) {
    Control& target = controls_.at(control);
    if (!target.enabled || target.kind != ControlKind::TextBox) return;
    if (!layout_.controls.at(control).digitsOnly) {
        target.text = text;
        return;
    }
    // Key by key, as Windows takes them: each character that is not a digit is refused.
    target.text.clear();
    for (char16_t c : text) {
        if (IsDigit(c)) {
            target.text += c;
        } else {
            ++refusalBalloons_;
        }
    }
}

void SimDialog::Paste(std::size_t control, const Text& text) {
    Control& target = controls_.at(control);
    if (!target.enabled || target.kind != ControlKind::TextBox) return;
    if (layout_.controls.at(control).digitsOnly &&
        (text.empty() || !std::all_of(text.begin(), text.end(), IsDigit))) {
        ++refusalBalloons_;
        return;
    }
    target.text = text;
}

void SimDialog::Enter() {
    for (std::size_t i = 0; i < controls_.size(); ++i) {
        if (controls_[i].kind == ControlKind::DefaultButton) {
            Click(i);
            return;
        }
    }
}

void SimDialog::Escape() { listener_.CloseRequested(); }
void SimDialog::CloseBox() { listener_.CloseRequested(); }

std::unique_ptr<DialogWindow> SimDialogs::CreateDialogWindow(const DialogLayout& layout,
                                                             DialogListener& listener) {
    if (failCreates_ > 0) {
        --failCreates_;
        return nullptr;
    }
    auto dialog = std::make_unique<SimDialog>(*this, windows_, layout, listener);
    open_.push_back(dialog.get());
    ++created_;
    return dialog;
}

void SimDialogs::Forget(SimDialog* dialog) { std::erase(open_, dialog); }

}  // namespace dustvale::sim
