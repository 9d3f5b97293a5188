#include "app/OptionsDialog.h"

#include "common/ApplicationPaths.h"
#include "res/ResourceIds.h"
#include "settings/Autostart.h"
#include "settings/SettingsFile.h"

namespace dustvale {

DialogLayout OptionsDialogLayout() {
    DialogLayout layout;
    layout.caption = u"Options";
    layout.clientWidth = 4680;
    layout.clientHeight = 1500;
    layout.smallIcon = IDI_OPTIONS;
    // The auto-empty box's caption reads around the threshold box, which lies over its run of
    // 14 blanks.
    layout.controls = {
        {ControlKind::CheckBox,
         u"Empty Recycle Bin if there are more than              files(s).",
         {120, 120, 4335, 255}},
        // Digits only, as Windows' number fields: a word, a separator or a unit cannot be typed.
        {.kind = ControlKind::TextBox,
         .text = u"15",
         .bounds = {3360, 120, 495, 285},
         .digitsOnly = true},
        {ControlKind::CheckBox, u"Auto Start with Windows.", {120, 600, 4335, 255}},
        {ControlKind::DefaultButton, u"Close", {3360, 960, 1215, 495}},
    };
    return layout;
}

OptionsDialog::OptionsDialog(Platform& platform, ProgramWindows& programWindows,
                             NumberedFiles& files, WindowStartup& initialization)
    : platform_(platform), programWindows_(programWindows), files_(files) {
    InitializeCommonControls(initialization);
}

OptionsDialog::~OptionsDialog() { Close(); }

void OptionsDialog::InitializeCommonControls(WindowStartup& initialization) {
    initialization.StartCommonControls();
    initialization.InitUserExClasses();
}

void OptionsDialog::Show(AutoEmptySetting& autoEmpty) {
    if (window_) {
        window_->BringToFront();
        return;
    }
    autoEmpty_ = &autoEmpty;
    Load();
    if (window_) window_->ShowCentred();
}

void OptionsDialog::Load() {
    // Every load creates the controls afresh with the contents of the layout.
    window_ = platform_.dialogs.CreateDialogWindow(OptionsDialogLayout(), *this);
    if (!window_) return;
    programWindows_.Add(*this);
    const Text autoClean = autoEmpty_->Value();
    if (autoClean != kAutoCleanOff) {
        window_->SetText(ThresholdBox, autoClean);
        SetCheck(AutoEmptyBox, true);  // a change: OnAutoEmptyClicked stores the setting again
        window_->SetEnabled(ThresholdBox, true);
    } else {
        SetCheck(AutoEmptyBox, false);
        window_->SetEnabled(ThresholdBox, false);
    }
    // The autostart box starts clear whatever the registry holds: the Run value is never read
    // back.
}

void OptionsDialog::Close() {
    if (!window_) return;
    window_.reset();
    programWindows_.Remove(*this);
}

void OptionsDialog::SetCheck(Control box, bool checked) {
    const bool before = window_->IsChecked(box);
    window_->SetChecked(box, checked);
    if (before != checked) ControlClicked(box);
}

void OptionsDialog::StoreAutoEmpty() {
    const bool on = window_->IsChecked(AutoEmptyBox);
    window_->SetEnabled(ThresholdBox, on);
    // Stored as the user left it: no trimming. A text without a number is never due.
    const Text value = on ? window_->GetText(ThresholdBox) : kAutoCleanOff;
    SaveAutoClean(platform_, files_, ApplicationFolder(platform_.kernel), value);
    // The program goes by it at once, whether or not the file could be written.
    autoEmpty_->Set(value);
}

void OptionsDialog::OnAutoEmptyClicked() { StoreAutoEmpty(); }

void OptionsDialog::OnAutostartClicked() {
    if (window_->IsChecked(AutostartBox)) {
        EnableAutostart();
    } else {
        DisableAutostart();
    }
}

void OptionsDialog::OnCloseClicked() {
    StoreAutoEmpty();
    Close();
}

void OptionsDialog::EnableAutostart() {
    WriteAutostart(platform_.registry, AutostartCommand(ApplicationFolder(platform_.kernel),
                                                        ExecutableName(platform_.kernel)));
}

void OptionsDialog::DisableAutostart() { DeleteAutostart(platform_.registry); }

void OptionsDialog::ControlClicked(std::size_t control) {
    switch (control) {
        case AutoEmptyBox: return OnAutoEmptyClicked();
        case AutostartBox: return OnAutostartClicked();
        case CloseButton: return OnCloseClicked();
        default: return;
    }
}

// The title bar's close box or Esc: the window goes, nothing is stored.
void OptionsDialog::CloseRequested() { Close(); }

void SingleOptionsDialog::ShowOptions(AutoEmptySetting& autoEmpty) {
    if (!dialog_) {
        dialog_ =
            std::make_unique<OptionsDialog>(platform_, programWindows_, files_, initialization_);
    }
    dialog_->Show(autoEmpty);
}

}  // namespace dustvale
