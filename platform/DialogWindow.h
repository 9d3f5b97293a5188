#pragma once

// Modeless dialog windows built from a layout that the program describes: a caption, a client
// area and a few standard controls, all measured in twips (1/1440 inch) and placed in pixels
// at the screen's actual DPI. The window has an ordinary resizable frame with minimise,
// maximise and close boxes, and the keyboard works as in any dialog: Tab and Shift+Tab follow
// the controls' order, Space toggles a focused check box or presses a focused button, Alt and
// the letter a caption underlines ("&Keep") acts on that control, Enter presses the default
// button, Esc asks to close.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "platform/Types.h"

namespace dustvale {

constexpr std::int32_t kTwipsPerInch = 1440;

// Twips to pixels at `dpi`, rounded to the nearest pixel (halves away from zero, as MulDiv).
constexpr std::int32_t TwipsToPixels(std::int32_t twips, std::int32_t dpi) {
    const std::int64_t scaled = static_cast<std::int64_t>(twips) * dpi;
    const std::int64_t half = kTwipsPerInch / 2;
    return static_cast<std::int32_t>(scaled >= 0 ? (scaled + half) / kTwipsPerInch
                                                 : -((-scaled + half) / kTwipsPerInch));
}

enum class ControlKind {
    CheckBox,       // two states, toggled by the user
    TextBox,        // one line of editable text
    DefaultButton,  // push button that Enter presses
    Label,          // one line of text beside another control; never focused nor reporting
};

struct TwipsRect {
    std::int32_t left = 0;
    std::int32_t top = 0;
    std::int32_t width = 0;
    std::int32_t height = 0;
    friend bool operator==(const TwipsRect&, const TwipsRect&) = default;
};

struct ControlLayout {
    ControlKind kind = ControlKind::CheckBox;
    Text text;  // caption ("&" before a letter underlines it), or a text box's initial text
    TwipsRect bounds;
    // A text box that takes digits only (ES_NUMBER): the system refuses any other character
    // typed, and a paste that is not digits alone, and says so in a balloon at the box. The
    // text can still be emptied.
    bool digitsOnly = false;
};

struct DialogLayout {
    Text caption;
    std::int32_t clientWidth = 0;   // twips
    std::int32_t clientHeight = 0;  // twips
    std::uint32_t smallIcon = 0;    // icon resource id (res/ResourceIds.h)
    std::vector<ControlLayout> controls;  // in tab order; a control is named by its index
};

// What a dialog reports. The window never acts on these itself: the listener decides, and may
// destroy the dialog from inside any of them.
class DialogListener {
public:
    // The user changed a check box (its new state is already set) or pressed a button.
    // A state set by the program reports nothing.
    virtual void ControlClicked(std::size_t control) = 0;
    // The user asked to close the window: the title bar's close box, Alt+F4 or Esc.
    virtual void CloseRequested() = 0;

protected:
    ~DialogListener() = default;
};

// One open dialog; destroying it destroys the window.
class DialogWindow {
public:
    virtual ~DialogWindow() = default;

    virtual Hwnd Handle() const = 0;
    // Shows the window centred on the screen and activates it.
    virtual void ShowCentred() = 0;
    virtual void Hide() = 0;
    virtual void BringToFront() = 0;

    virtual bool IsChecked(std::size_t control) const = 0;
    // Sets a check box's state without reporting it.
    virtual void SetChecked(std::size_t control, bool checked) = 0;
    virtual Text GetText(std::size_t control) const = 0;
    virtual void SetText(std::size_t control, const Text& text) = 0;
    virtual void SetEnabled(std::size_t control, bool enabled) = 0;
    // Gives the keyboard focus to a control, as Tab would: a text box's text is selected, so
    // that what the user types next replaces it.
    virtual void Focus(std::size_t control) = 0;
};

class Dialogs {
public:
    virtual ~Dialogs() = default;
    // Creates the dialog hidden; nullptr when the window cannot be created. The listener must
    // outlive the dialog.
    virtual std::unique_ptr<DialogWindow> CreateDialogWindow(const DialogLayout& layout,
                                                             DialogListener& listener) = 0;
};

}  // namespace dustvale
