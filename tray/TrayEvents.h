#pragma once

// The events of the tray icon control, in their declared order. A host overrides the ones it
// handles; the others do nothing. Arguments are the control's own values: a handler's changes
// to them are not seen by the control.

#include <cstdint>

#include "platform/Types.h"

namespace dustvale {

namespace button {
constexpr std::int16_t kLeft = 1;
constexpr std::int16_t kRight = 2;
constexpr std::int16_t kMiddle = 4;
}  // namespace button

class TrayEvents {
public:
    virtual void OnMouseMove() {}
    virtual void OnClick() {}
    virtual void OnDoubleClick(std::int16_t /*button*/) {}
    virtual void OnMouseDown(std::int16_t /*button*/) {}
    virtual void OnMouseUp(std::int16_t /*button*/) {}
    // The keyboard on the icon, which the shell reports once the control asked for its
    // version-3 behaviour: Space or Enter on the icon that has the focus in the notification
    // area (OnKeySelect), the menu key or Shift+F10 (OnContextMenu). `anchor` is the icon's
    // centre on the screen, or the cursor where the shell cannot tell where the icon is. The
    // shell's repeats of one action (Enter's second selection, the context menu that follows
    // a right click) raise nothing.
    virtual void OnKeySelect(Point /*anchor*/) {}
    virtual void OnContextMenu(Point /*anchor*/) {}
    virtual void OnBalloonClosed() {}
    virtual void OnBalloonClicked() {}
    virtual void OnBalloonShown() {}
    virtual void OnBalloonTimedOut() {}
    virtual void OnError(const Text& /*source*/, std::int32_t /*code*/,
                         const Text& /*description*/) {}

protected:
    ~TrayEvents() = default;
};

}  // namespace dustvale
