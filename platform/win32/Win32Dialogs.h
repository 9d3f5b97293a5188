#pragma once

// Modeless dialogs from an in-memory template: the dialog manager gives them the keyboard
// (Tab, Space, Enter, Esc) once the message loop passes their messages through
// TranslateDialogMessage.

#include "platform/DialogWindow.h"
#include "platform/win32/Win32Dpi.h"
#include "platform/win32/WindowsApi.h"

namespace dustvale::win32 {

// The dialogs made here must go before it.
class Win32Dialogs final : public Dialogs {
public:
    // Registers the check box class the dialogs use; the last step undoes it.
    Win32Dialogs();
    ~Win32Dialogs() override;
    Win32Dialogs(const Win32Dialogs&) = delete;
    Win32Dialogs& operator=(const Win32Dialogs&) = delete;

    std::unique_ptr<DialogWindow> CreateDialogWindow(const DialogLayout& layout,
                                                     DialogListener& listener) override;

private:
    ATOM checkBoxClass_ = 0;  // 0 when another instance registered it first
    DpiFunctions dpiFunctions_;
};

// For the message loop: when `message` is a key for one of the program's modeless dialogs, the
// dialog manager handles it (IsDialogMessageW) and the result is true; the loop then must not
// translate or dispatch it. Other messages are left to the loop.
bool TranslateDialogMessage(MSG& message);

}  // namespace dustvale::win32
