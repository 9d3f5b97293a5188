#pragma once

// What the program checks in an .ico file before the system decodes any of it. The system's
// decoder believes the sizes a file states: a file whose image claims more pixels than it
// holds makes it read past its end and crash the program, at every start.

#include <cstddef>
#include <optional>
#include <string_view>
#include <vector>

#include "platform/UserInterface.h"

namespace dustvale {

// The most bytes of an icon file that are read. Far above any real icon (a 256 x 256 image of
// 32-bit colour with its mask takes 270 KB); a bigger file is refused.
constexpr std::size_t kIconFileLimit = 4 * 1024 * 1024;

// The images of an .ico file's bytes, each a view into `bytes`, in the file's order; nullopt
// unless every image passes, since the system may choose any of them for the tray's size:
//   - the file holds at most kIconFileLimit bytes;
//   - its directory: reserved word 0, type 1 (icon), at least one image, and a 16-byte entry
//     per image within the file;
//   - each entry's image (its offset and size) lies within the file;
//   - each image is either
//       a PNG: the signature, then an IHDR chunk of 13 bytes, whole with its CRC, giving a
//       width and height of 1 to 256 and a bit depth its colour type allows, compression and
//       filter 0, interlace 0 or 1; or
//       a bitmap: a BITMAPINFOHEADER (40 bytes) or its V4 or V5 form (108, 124) within the
//       image; width 1 to 256; height twice the width (colours and mask, bottom-up); one
//       plane; 1, 4, 8, 16, 24 or 32 bits per pixel; no compression (BI_RGB); at most
//       2^bits colours used (256 above 8 bits); and the colour table, the colour rows and the
//       1-bit mask rows, each row padded to 4 bytes, within the image.
// Each image carries the size its directory entry gives and the colour depth it has itself
// (a PNG's: 32 with an alpha channel, 24 without), which the system's choice reads.
std::optional<std::vector<IconImage>> CheckIconFile(std::string_view bytes);

}  // namespace dustvale
