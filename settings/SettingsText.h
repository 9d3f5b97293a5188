#pragma once

// The text a settings file holds. The program writes single-byte ANSI text without a mark;
// editors may save the file with a byte-order mark, in UTF-8 or in UTF-16.

#include <string_view>

#include "platform/Kernel.h"
#include "platform/Types.h"

namespace dustvale {

// The text of a settings file's bytes: after a UTF-16 byte-order mark (FF FE little-endian,
// FE FF big-endian) the UTF-16 text that follows, code unit by code unit, an odd last byte
// dropped; after a UTF-8 mark (EF BB BF) the bytes that follow it, and without a mark all the
// bytes, in the ANSI code page as the program writes them.
Text SettingsText(std::string_view bytes, Kernel& kernel);

}  // namespace dustvale
