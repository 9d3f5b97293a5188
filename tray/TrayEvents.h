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
    virtual void MouseMove() {}
    virtual void Click() {}
    virtual void DblClick(std::int16_t /*Button*/) {}
    virtual void MouseDown(std::int16_t /*Button*/) {}
    virtual void MouseUp(std::int16_t /*Button*/) {}
    virtual void BalloonClosed() {}
    virtual void BalloonClicked() {}
    virtual void BalloonShow() {}
    virtual void BalloonTimeOut() {}
    virtual void PgmError(const Text& /*Source*/, std::int32_t /*Code*/,
                          const Text& /*Description*/) {}

protected:
    ~TrayEvents() = default;
};

}  // namespace dustvale
