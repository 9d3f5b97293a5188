#pragma once

// user32's message boxes and pop-up menus, and icons as the program's pictures.

#include <map>
#include <memory>
#include <string>
#include <utility>

#include "platform/UserInterface.h"

namespace dustvale::win32 {

class Win32UserInterface final : public UserInterface {
public:
    std::int32_t MessageBox(Hwnd owner, const Text& text, const Text& caption,
                            std::uint32_t style) override;
    std::uint32_t TrackPopupMenu(const std::vector<MenuItem>& items, Point position,
                                 Hwnd owner) override;
    std::unique_ptr<Picture> LoadBuiltInPicture(BuiltInPicture which,
                                                 std::int32_t size) override;
    std::unique_ptr<Picture> LoadIconPicture(const std::vector<IconImage>& images,
                                             std::int32_t size) override;

private:
    // Icons decoded from files' images, by the image's bytes and the size, while some picture
    // still holds them: an equal picture gets the handle it already has.
    using LoadedIconKey = std::pair<std::string, std::int32_t>;
    std::map<LoadedIconKey, std::weak_ptr<void>> loadedIcons_;
};

}  // namespace dustvale::win32
