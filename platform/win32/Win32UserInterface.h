#pragma once

// user32's message boxes and pop-up menus, and icons as the program's pictures.

#include <map>
#include <memory>
#include <string>

#include "platform/UserInterface.h"

namespace dustvale::win32 {

class Win32UserInterface final : public UserInterface {
public:
    std::int32_t MessageBox(Hwnd owner, const Text& text, const Text& caption,
                            std::uint32_t style) override;
    std::uint32_t TrackPopupMenu(const std::vector<MenuItem>& items, Point position,
                                 Hwnd owner) override;
    std::unique_ptr<Picture> LoadBuiltInPicture(BuiltInPicture which) override;
    std::unique_ptr<Picture> LoadIconPicture(const std::vector<IconImage>& images) override;

private:
    // Icons decoded from files' images, by the image's bytes, while some picture still holds
    // them: an equal picture gets the handle it already has.
    std::map<std::string, std::weak_ptr<void>> loadedIcons_;
};

}  // namespace dustvale::win32
