#pragma once

// A text box for digits only. ES_NUMBER refuses the characters typed into a box, but lets any
// paste through: Ctrl+V, Shift+Insert, the middle button and the box's context menu would put
// a word, a sign or a separator into it.

#include "platform/win32/WindowsApi.h"

namespace dustvale::win32 {

// Makes the ES_NUMBER box `edit` take a paste only when it is digits alone; any other paste is
// refused as a typed letter is, with the same sound and balloon. The box keeps this until it
// is destroyed.
void RefuseNonDigitPastes(HWND edit);

}  // namespace dustvale::win32
