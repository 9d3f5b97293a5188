#pragma once

// The user-interface services the program needs besides windows: message boxes, pop-up menus
// and pictures.

#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

#include "platform/Types.h"

namespace dustvale {

// MessageBox styles and answers.
namespace mb {
constexpr std::uint32_t kOk = 0x00;
constexpr std::uint32_t kOkCancel = 0x01;
constexpr std::uint32_t kYesNo = 0x04;
constexpr std::uint32_t kDefaultButton2 = 0x100;
constexpr std::uint32_t kIconWarning = 0x30;
constexpr std::uint32_t kIconInformation = 0x40;
constexpr std::int32_t kIdOk = 1;
constexpr std::int32_t kIdCancel = 2;
constexpr std::int32_t kIdYes = 6;
constexpr std::int32_t kIdNo = 7;
}  // namespace mb

// One item of a pop-up menu. An item with children opens a sub-menu; a separator has no
// caption and no command. Command 0 is reserved for "nothing chosen".
struct MenuItem {
    Text caption;
    std::uint32_t command = 0;
    bool separator = false;
    std::vector<MenuItem> children;
};

// A picture that can be shown as a tray icon, of one size. The handle stays valid for the life
// of the object; equal pictures of a file held by one object keep one handle.
class Picture {
public:
    virtual ~Picture() = default;
    virtual HIcon Handle() const = 0;
};

// One image of an .ico file, held in memory once the program has checked it: the size its
// directory entry gives (0 stands for 256), the colour depth the image itself has, and its
// bytes (a BITMAPINFOHEADER with its colour table, colours and mask, or a PNG).
struct IconImage {
    std::uint8_t width = 0;
    std::uint8_t height = 0;
    std::uint16_t bitCount = 0;
    std::string_view bytes;
};

enum class BuiltInPicture {
    TrayFull,   // white outline of a waste bin with contents
    TrayEmpty,  // the same outline, empty
    Program,    // the program's own icon
};

class UserInterface {
public:
    virtual ~UserInterface() = default;

    // A modal MessageBoxW; returns the button chosen (IDOK, IDCANCEL, ...).
    virtual std::int32_t MessageBox(Hwnd owner, const Text& text, const Text& caption,
                                    std::uint32_t style) = 0;

    // Shows `items` as a pop-up menu at `position` (left edge at the point, chosen with the
    // left button), owned by `owner`, and returns when it closes: the command of the chosen
    // item, or 0 when the menu was dismissed.
    virtual std::uint32_t TrackPopupMenu(const std::vector<MenuItem>& items, Point position,
                                         Hwnd owner) = 0;

    // A picture built into the executable, `size` pixels square: its image of that size, or
    // the system's scaling of the one it finds closest. Its handle is 0 when the executable
    // holds no such picture.
    virtual std::unique_ptr<Picture> LoadBuiltInPicture(BuiltInPicture which,
                                                         std::int32_t size) = 0;
    // A picture `size` pixels square made from the checked images of an .ico file: the system
    // chooses the image for that size, as it does for an .ico file, and decodes those bytes.
    // nullptr when there is no image or the system cannot decode the one it chose.
    virtual std::unique_ptr<Picture> LoadIconPicture(const std::vector<IconImage>& images,
                                                     std::int32_t size) = 0;
};

}  // namespace dustvale
