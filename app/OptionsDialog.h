#pragma once

// The Options dialog: the auto-empty threshold, starting with Windows, removal by age and by
// size, the question before Empty and the balloon after an automatic removal. Opening it stores
// nothing; each check box acts the moment the user changes it; Close stores the numbers typed
// when the user changed them; closing from the title bar (or Esc) stores nothing. While it is
// open the running program's automatic emptying and removal are held, and when it closes,
// however it closes, the program goes by what the two settings files hold. The dialog is
// modeless and there is only one: a further opening brings it forward.

#include <cstddef>
#include <memory>

#include "app/OptionsDialogOpener.h"
#include "app/ProgramWindows.h"
#include "app/WindowStartup.h"
#include "common/NumberedFiles.h"
#include "platform/DialogWindow.h"
#include "platform/Platform.h"
#include "settings/AutoEmptySetting.h"
#include "settings/RemovalSettings.h"
#include "settings/RemovalSettingsInUse.h"

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
        OldItemsBox = 3,   // "Empty items deleted more than" [days] "days ago"
        DaysBox = 4,
        DaysLabel = 5,
        SizeLimitBox = 6,  // "Keep the Recycle Bin under" [megabytes] "MB"
        MegabytesBox = 7,
        MegabytesLabel = 8,
        AskBox = 9,        // "Ask before emptying the Recycle Bin"
        TellBox = 10,      // "Tell me when items are removed automatically"
        CloseButton = 11,
    };

    // The object's creation starts the common controls, which may end the process instead of
    // returning. The window itself comes with Show.
    OptionsDialog(Platform& platform, ProgramWindows& programWindows, NumberedFiles& files,
                  WindowStartup& initialization);
    ~OptionsDialog();
    OptionsDialog(const OptionsDialog&) = delete;
    OptionsDialog& operator=(const OptionsDialog&) = delete;

    // Loads and shows the dialog with the auto-empty setting the program runs with and the
    // removal settings Dustvale.ini holds, or brings the loaded dialog forward. The program's
    // settings are held until the dialog closes.
    void Show(AutoEmptySetting& autoEmpty, RemovalSettingsInUse& removal);

    // ProgramWindow: the window goes, the object stays for the next opening, and the program
    // takes up the stored settings.
    void Close() override;

private:
    void InitializeCommonControls(WindowStartup& initialization);
    void Load();
    // The window goes and leaves the program's open windows.
    void Unload();
    void ShowRemoval(const RemovalSettings& settings);
    void OnAutoEmptyClicked();
    void OnAutostartClicked();
    void OnRemovalSwitchClicked();
    void OnCloseClicked();
    void EnableAutostart();
    void DisableAutostart();

    // The auto-empty setting as the dialog shows it: "OFF", or the threshold box's text as the
    // user left it.
    Text ShownAutoEmpty() const;
    // Writes `value` to the settings file; a failure is told to the user.
    void StoreAutoEmpty(const Text& value);

    // The removal settings as the dialog shows them: the check boxes' states, with the numbers
    // stored; with `typedNumbers`, a ticked rule's number as typed, if it is one the rule takes.
    RemovalSettings ShownRemoval(bool typedNumbers) const;
    // A ticked rule whose box holds no number it takes: the user is told the range, and the
    // box gets the focus. False when every ticked rule's number is good.
    bool RefuseBadNumber();
    // Writes `settings` to Dustvale.ini; a failure is told to the user. What was written is
    // the program's at once (its rules stay held).
    void StoreRemoval(const RemovalSettings& settings);
    void Warn(const Text& text);

    // DialogListener
    void ControlClicked(std::size_t control) override;
    void CloseRequested() override;

    Platform& platform_;
    ProgramWindows& programWindows_;
    NumberedFiles& files_;
    AutoEmptySetting* autoEmpty_ = nullptr;  // while the window is loaded
    Text lastStored_;  // what the settings file holds as far as the dialog knows
    RemovalSettingsInUse* removal_ = nullptr;  // while the window is loaded
    RemovalSettingsFile removalFile_;          // Dustvale.ini as read at opening, then as written
    RemovalSettings removalStored_;  // what Dustvale.ini holds as far as the dialog knows
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
    void ShowOptions(AutoEmptySetting& autoEmpty, RemovalSettingsInUse& removal) override;

private:
    Platform& platform_;
    ProgramWindows& programWindows_;
    NumberedFiles& files_;
    WindowStartup& initialization_;
    std::unique_ptr<OptionsDialog> dialog_;
};

}  // namespace dustvale
