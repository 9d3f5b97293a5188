#pragma once

// The Options dialog: the auto-empty threshold and starting with Windows. Opening it stores
// nothing; each check box acts the moment the user changes it; Close stores the threshold when
// the user changed it; closing from the title bar (or Esc) stores nothing. While it is open the
// running program's auto-empty setting is held, and when it closes, however it closes, the
// program goes by what the settings file holds. The dialog is modeless and there is only one: a
// further opening brings it forward.

#include <cstddef>
#include <memory>

#include "app/OptionsDialogOpener.h"
#include "app/ProgramWindows.h"
#include "app/WindowStartup.h"
#include "common/NumberedFiles.h"
#include "platform/DialogWindow.h"
#include "platform/Platform.h"
#include "settings/AutoEmptySetting.h"

namespace dustvale {

// The dialog's layout: caption, client area and controls in twips, in tab order.
DialogLayout OptionsDialogLayout();

class OptionsDialog final : public ProgramWindow, private DialogListener {
public:
    // The dialog's controls, by their place in the tab order (their index in the layout).
    enum Control : std::size_t {
        AutoEmptyBox = 0,  // "Empty Recycle Bin if there are more than ... files(s)."
        ThresholdBox = 1,  // the number of items, lying over the auto-empty box's blanks
        AutostartBox = 2,  // "Auto Start with Windows."
        CloseButton = 3,
    };

    // The object's creation starts the common controls, which may end the process instead of
    // returning. The window itself comes with Show.
    OptionsDialog(Platform& platform, ProgramWindows& programWindows, NumberedFiles& files,
                  WindowStartup& initialization);
    ~OptionsDialog();
    OptionsDialog(const OptionsDialog&) = delete;
    OptionsDialog& operator=(const OptionsDialog&) = delete;

    // Loads and shows the dialog with the setting the program runs with, or brings the loaded
    // dialog forward. The setting is held until the dialog closes.
    void Show(AutoEmptySetting& autoEmpty);

    // ProgramWindow: the window goes, the object stays for the next opening, and the program
    // takes up the stored setting.
    void Close() override;

private:
    void InitializeCommonControls(WindowStartup& initialization);
    void Load();
    // The window goes and leaves the program's open windows.
    void Unload();
    void OnAutoEmptyClicked();
    void OnAutostartClicked();
    void OnCloseClicked();
    void EnableAutostart();
    void DisableAutostart();

    // The auto-empty setting as the dialog shows it: "OFF", or the threshold box's text as the
    // user left it.
    Text ShownAutoEmpty() const;
    // Writes `value` to the settings file; a failure is told to the user.
    void StoreAutoEmpty(const Text& value);

    // DialogListener
    void ControlClicked(std::size_t control) override;
    void CloseRequested() override;

    Platform& platform_;
    ProgramWindows& programWindows_;
    NumberedFiles& files_;
    AutoEmptySetting* autoEmpty_ = nullptr;  // while the window is loaded
    Text lastStored_;  // what the settings file holds as far as the dialog knows
    std::unique_ptr<DialogWindow> window_;
};

// The Options menu item's way to the dialog: the dialog object is created at the first opening
// of the process and kept, so its start-up runs once.
class SingleOptionsDialog final : public OptionsDialogOpener {
public:
    SingleOptionsDialog(Platform& platform, ProgramWindows& programWindows, NumberedFiles& files,
                        WindowStartup& initialization)
        : platform_(platform),
          programWindows_(programWindows),
          files_(files),
          initialization_(initialization) {}
    void ShowOptions(AutoEmptySetting& autoEmpty) override;

private:
    Platform& platform_;
    ProgramWindows& programWindows_;
    NumberedFiles& files_;
    WindowStartup& initialization_;
    std::unique_ptr<OptionsDialog> dialog_;
};

}  // namespace dustvale
