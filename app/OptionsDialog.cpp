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
        {ControlKind::TextBox, u"15", {3360, 120, 495, 285}},
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

void OptionsDialog::Show(const Text& autoClean) {
    if (window_) {
        window_->BringToFront();
        return;
    }
    Load(autoClean);
    if (window_) window_->ShowCentred();
}

void OptionsDialog::Load(const Text& autoClean) {
    // Every load creates the controls afresh with the contents of the layout.
    window_ = platform_.dialogs.CreateDialogWindow(OptionsDialogLayout(), *this);
    if (!window_) return;
    programWindows_.Add(*this);
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
    const Text appFolder = ApplicationFolder(platform_.kernel);
    if (window_->IsChecked(AutoEmptyBox)) {
        window_->SetEnabled(ThresholdBox, true);
        // Stored as the user left it: no trimming and no check that it is a number.
        SaveAutoClean(platform_, files_, appFolder, window_->GetText(ThresholdBox));
    } else {
        window_->SetEnabled(ThresholdBox, false);
        SaveAutoClean(platform_, files_, appFolder, kAutoCleanOff);
    }
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

void SingleOptionsDialog::ShowOptions(const Text& autoClean) {
    if (!dialog_) {
        dialog_ =
            std::make_unique<OptionsDialog>(platform_, programWindows_, files_, initialization_);
    }
    dialog_->Show(autoClean);
}

}  // namespace dustvale
