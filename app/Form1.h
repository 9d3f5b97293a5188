#pragma once

// Form1: the program's hidden main form. It owns the tray icon, the once-a-second Recycle Bin
// monitor (Timer1), the two tray pictures, the tray menu and the auto-empty setting, and it
// runs the menu's commands. The user never sees its window.

#include <cstdint>
#include <memory>
#include <optional>

#include "app/FormTimer.h"
#include "app/LoadedForms.h"
#include "app/MenuTree.h"
#include "app/PictureHolder.h"
#include "clean/TempFolderCleaner.h"
#include "common/FileTable.h"
#include "platform/Platform.h"
#include "platform/UniqueWindow.h"
#include "tray/TrayEvents.h"
#include "tray/TrayIcon.h"

namespace dustvale {

class FormInitialization;
class OptionsDialogHost;

class Form1 final : public LoadedForm, private MessageHandler, private TrayEvents {
public:
    // Creates the form (Form_Initialize, its window, controls and running Timer1) and loads
    // it (Form_Load). The first tick of Timer1 comes after the load, once messages run.
    Form1(Platform& platform, LoadedForms& forms, FileTable& files,
          FormInitialization& initialization, OptionsDialogHost& options);
    ~Form1();
    Form1(const Form1&) = delete;
    Form1& operator=(const Form1&) = delete;

    // The auto-empty setting read while loading; "OFF" or a threshold text.
    const Text& AutoClean() const { return AutoClean_; }

    // Empties the Recycle Bins of all drives: no question, no progress window, no sound.
    void EmptyRB();

    // Unloading stops the monitor, takes the icon out of the tray and leaves the loaded forms.
    // The form's objects stay in place until the form is destroyed, since the unload may come
    // from inside one of its own handlers (a menu command, a message box).
    void Unload() override;
    bool Loaded() const { return loaded_; }

    Hwnd hWnd() const { return window_.get(); }
    const MenuTree& Menu() const { return menu_; }
    const PictureHolder& Image1() const { return Image1_; }
    const PictureHolder& Image2() const { return Image2_; }
    const TrayIcon& ctlSysTrayBalloon1() const { return *ctlSysTrayBalloon1_; }
    const FormTimer& Timer1() const { return *Timer1_; }

private:
    void Form_Initialize();
    void Form_Load();
    void Timer1_Timer();

    // The tray control's events: only the release of a mouse button is handled.
    void OnMouseUp(std::int16_t button) override;
    void RunCommand(MenuCommand command);
    void mnuORB_Click();
    void mnuRFiles_Click();
    void mnuTFiles_Click();
    void mnuCCleaner_Click();
    void mnuAbout_Click();
    void mnuExit_Click();

    LResult HandleMessage(Hwnd hwnd, std::int32_t message, WParam wParam,
                          LParam lParam) noexcept override;

    bool FileExists(const Text& strPathName);
    // The first of CCleaner's two places that holds it, if any.
    std::optional<Text> CCleanerPath();
    std::int32_t MsgBox(const Text& text, std::uint32_t style, const Text& title);

    Platform& platform_;
    LoadedForms& forms_;
    FileTable& files_;
    FormInitialization& initialization_;
    OptionsDialogHost& options_;

    UniqueWindow window_;       // Form1's own hidden window: Timer1 and the menus' owner
    UniqueWindow trayWindow_;   // the tray control's window, a child of the form's
    PictureHolder Image1_;      // the full picture
    PictureHolder Image2_;      // the empty picture
    MenuTree menu_;
    std::unique_ptr<TrayIcon> ctlSysTrayBalloon1_;
    std::unique_ptr<FormTimer> Timer1_;
    TempFolderCleaner cleaner_;
    Text AutoClean_;

    bool loaded_ = false;
    bool menuOpen_ = false;
};

}  // namespace dustvale
