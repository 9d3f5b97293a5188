#pragma once

// Form2, the Options dialog: the auto-empty threshold and starting with Windows. Each check
// box acts the moment its state changes, whoever changed it; Close stores the threshold once
// more; closing from the title bar (or Esc) stores nothing. The dialog is modeless and there
// is only one: a further opening brings it forward.

#include <cstddef>
#include <memory>

#include "app/FormInitialization.h"
#include "app/LoadedForms.h"
#include "app/OptionsDialogHost.h"
#include "common/FileTable.h"
#include "platform/DialogWindow.h"
#include "platform/Platform.h"

namespace dustvale {

// The dialog's design: caption, client area and controls in twips, in tab order.
DialogLayout Form2Layout();

class Form2 final : public LoadedForm, private DialogListener {
public:
    // The dialog's controls, by their place in the tab order (their index in Form2Layout).
    enum Control : std::size_t { Check1 = 0, Text1 = 1, Check2 = 2, Command1 = 3 };

    // The form object's creation (InitializeCommonControls): the common controls' start-up, which
    // may end the process instead of returning.
    Form2(Platform& platform, LoadedForms& forms, FileTable& files,
          FormInitialization& initialization);
    ~Form2();
    Form2(const Form2&) = delete;
    Form2& operator=(const Form2&) = delete;

    // Loads and shows the dialog with the main form's setting `autoClean`, or brings the
    // loaded dialog forward.
    void Show(const Text& autoClean);

    // LoadedForm: the window goes, the form object stays for the next opening.
    void Unload() override;

private:
    void InitializeCommonControls(FormInitialization& initialization);
    void Load(const Text& autoClean);
    void Check1_Click();
    void Check2_Click();
    void Command1_Click();
    void SetAS();
    void DelAS();

    // Stores the auto-empty setting as Check1 shows it, Text1 following Check1.
    void StoreAutoEmpty();
    // Sets a check box as the program does; a change runs the box's click handling, as a
    // click of the user would.
    void SetCheck(Control box, bool checked);

    // DialogListener
    void ControlClicked(std::size_t control) override;
    void CloseRequested() override;

    Platform& platform_;
    LoadedForms& forms_;
    FileTable& files_;
    std::unique_ptr<DialogWindow> window_;
};

// The Options menu item's way to the dialog: the form object is created at the first opening
// of the process and kept, so its initialisation runs once.
class OptionsDialog final : public OptionsDialogHost {
public:
    OptionsDialog(Platform& platform, LoadedForms& forms, FileTable& files,
                  FormInitialization& initialization)
        : platform_(platform), forms_(forms), files_(files), initialization_(initialization) {}
    void ShowOptions(const Text& autoClean) override;

private:
    Platform& platform_;
    LoadedForms& forms_;
    FileTable& files_;
    FormInitialization& initialization_;
    std::unique_ptr<Form2> form2_;
};

}  // namespace dustvale
