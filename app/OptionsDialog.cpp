#include "app/OptionsDialog.h"

#include "common/ApplicationPaths.h"
#include "common/ApplicationTitle.h"
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

// The window goes with the object; the setting it held is no longer there to take anything up.
OptionsDialog::~OptionsDialog() { Unload(); }

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
    // The user may tick auto-empty before typing a threshold: nothing empties the bin until the
    // dialog closes.
    autoEmpty_->Hold();
    // Shown, not stored: the file already holds it, in whatever form it was saved.
    lastStored_ = autoEmpty_->Value();
    const bool on = lastStored_ != kAutoCleanOff;
    if (on) window_->SetText(ThresholdBox, lastStored_);
    window_->SetChecked(AutoEmptyBox, on);
    window_->SetEnabled(ThresholdBox, on);
    // The autostart box starts clear whatever the registry holds: the Run value is never read
    // back.
}

void OptionsDialog::Unload() {
    if (!window_) return;
    window_.reset();
    programWindows_.Remove(*this);
}

void OptionsDialog::Close() {
    if (!window_) return;
    Unload();
    // The program goes by what the file holds, read as at start, so that a restart changes
    // nothing; a save that failed leaves the setting the file still holds.
    autoEmpty_->Set(LoadAutoClean(platform_, files_, ApplicationFolder(platform_.kernel)));
    autoEmpty_->Release();
}

Text OptionsDialog::ShownAutoEmpty() const {
    // As the user left it: no trimming. A text that is not a plain number is never due.
    return window_->IsChecked(AutoEmptyBox) ? window_->GetText(ThresholdBox) : kAutoCleanOff;
}

void OptionsDialog::StoreAutoEmpty(const Text& value) {
    lastStored_ = value;
    const Text folder = ApplicationFolder(platform_.kernel);
    if (SaveAutoClean(platform_, files_, folder, value)) return;
    // In a folder the user may not write to, such as Program Files, nothing redirects the write.
    platform_.ui.MessageBox(window_->Handle(),
                            u"Dustvale could not save its settings in \"" +
                                SettingsFilePath(folder) +
                                u"\". To keep them, move Dustvale to a folder you may write to.",
                            kApplicationTitle, mb::kOk | mb::kIconWarning);
}

void OptionsDialog::OnAutoEmptyClicked() {
    window_->SetEnabled(ThresholdBox, window_->IsChecked(AutoEmptyBox));
    StoreAutoEmpty(ShownAutoEmpty());
}

void OptionsDialog::OnAutostartClicked() {
    if (window_->IsChecked(AutostartBox)) {
        EnableAutostart();
    } else {
        DisableAutostart();
    }
}

void OptionsDialog::OnCloseClicked() {
    // Only what the user changed is written: a file saved in another form keeps its bytes.
    if (const Text shown = ShownAutoEmpty(); shown != lastStored_) StoreAutoEmpty(shown);
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
