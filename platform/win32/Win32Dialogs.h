#pragma once

// Modeless dialogs from an in-memory template: the dialog manager gives them the keyboard
// (Tab, Space, Enter, Esc) once the message loop passes their messages through
// TranslateDialogMessage.

#include "platform/DialogWindow.h"
#include "platform/win32/WindowsApi.h"

namespace dustvale::win32 {

class Win32Dialogs final : public Dialogs {
public:
    std::unique_ptr<DialogWindow> CreateDialogWindow(const DialogLayout& layout,
                                                     DialogListener& listener) override;
};

// For the message loop: when `message` belongs to one of the program's modeless dialogs, the
// dialog manager handles it (IsDialogMessageW) and the result is true; the loop then must not
// translate or dispatch it.
bool TranslateDialogMessage(MSG& message);

}  // namespace dustvale::win32
