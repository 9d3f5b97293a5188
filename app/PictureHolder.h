#pragma once

// A picture the main window holds for the tray (never displayed in a window): it starts with a
// picture built into the executable and may take one from an .ico file instead.

#include <memory>

#include "platform/UserInterface.h"

namespace dustvale {

class PictureHolder {
public:
    PictureHolder(UserInterface& ui, BuiltInPicture builtIn);

    // Takes the picture of an .ico file. A file that cannot be read or decoded leaves the
    // current picture in place; returns whether the picture was replaced.
    bool LoadFile(const Text& path);

    const Picture& picture() const { return *picture_; }

private:
    UserInterface& ui_;
    std::unique_ptr<Picture> picture_;  // never null
};

}  // namespace dustvale
