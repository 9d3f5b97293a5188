#include "app/Form2.h"

#include "common/ApplicationPaths.h"
#include "res/ResourceIds.h"
#include "settings/Autostart.h"
#include "settings/SettingsFile.h"

namespace dustvale {

DialogLayout Form2Layout() {
    DialogLayout layout;
    layout.caption = u"Options";
    layout.clientWidth = 4680;
    layout.clientHeight = 1500;
    layout.smallIcon = IDI_OPTIONS;
    // Check1's caption reads around Text1, which lies over the run of 14 blanks.
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

Form2::Form2(Platform& platform, LoadedForms& forms, FileTable& files,
             FormInitialization& initialization)
    : platform_(platform), forms_(forms), files_(files) {
    InitializeCommonControls(initialization);
}

Form2::~Form2() { Unload(); }

void Form2::InitializeCommonControls(FormInitialization& initialization) {
    initialization.StartCommonControls();
    initialization.InitUserExClasses();
}

void Form2::Show(const Text& autoClean) {
    if (window_) {
        window_->BringToFront();
        return;
    }
    Load(autoClean);
    if (window_) window_->ShowCentred();
}

void Form2::Load(const Text& autoClean) {
    // Every load creates the controls afresh with their design-time contents.
    window_ = platform_.dialogs.CreateDialogWindow(Form2Layout(), *this);
    if (!window_) return;
    forms_.Register(*this);
    if (autoClean != kAutoCleanOff) {
        window_->SetText(Text1, autoClean);
        SetCheck(Check1, true);  // a change: Check1_Click stores the setting again
        window_->SetEnabled(Text1, true);
    } else {
        SetCheck(Check1, false);
        window_->SetEnabled(Text1, false);
    }
    // Check2 starts clear whatever the registry holds: the Run value is never read back.
}

void Form2::Unload() {
    if (!window_) return;
    window_.reset();
    forms_.Unregister(*this);
}

void Form2::SetCheck(Control box, bool checked) {
    const bool before = window_->IsChecked(box);
    window_->SetChecked(box, checked);
    if (before != checked) ControlClicked(box);
}

void Form2::StoreAutoEmpty() {
    const Text appFolder = ApplicationFolder(platform_.kernel);
    if (window_->IsChecked(Check1)) {
        window_->SetEnabled(Text1, true);
        // Stored as the user left it: no trimming and no check that it is a number.
        SaveAutoClean(platform_, files_, appFolder, window_->GetText(Text1));
    } else {
        window_->SetEnabled(Text1, false);
        SaveAutoClean(platform_, files_, appFolder, kAutoCleanOff);
    }
}

void Form2::Check1_Click() { StoreAutoEmpty(); }

void Form2::Check2_Click() {
    if (window_->IsChecked(Check2)) {
        SetAS();
    } else {
        DelAS();
    }
}

void Form2::Command1_Click() {
    StoreAutoEmpty();
    Unload();
}

void Form2::SetAS() {
    WriteAutostart(platform_.registry, AutostartCommand(ApplicationFolder(platform_.kernel),
                                                         ExecutableName(platform_.kernel)));
}

void Form2::DelAS() { DeleteAutostart(platform_.registry); }

void Form2::ControlClicked(std::size_t control) {
    switch (control) {
        case Check1: return Check1_Click();
        case Check2: return Check2_Click();
        case Command1: return Command1_Click();
        default: return;
    }
}

// The title bar's close box or Esc: the window goes, nothing is stored.
void Form2::CloseRequested() { Unload(); }

void OptionsDialog::ShowOptions(const Text& autoClean) {
    if (!form2_) form2_ = std::make_unique<Form2>(platform_, forms_, files_, initialization_);
    form2_->Show(autoClean);
}

}  // namespace dustvale
