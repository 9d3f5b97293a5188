#pragma once

// A picture the main window holds for the tray (never displayed in a window): it starts with a
// picture built into the executable and may take one from an .ico file instead.

#include <memory>

#include "platform/FileSystem.h"
#include "platform/UserInterface.h"

namespace dustvale {

class PictureHolder {
public:
    PictureHolder(UserInterface& ui, FileSystem& files, BuiltInPicture builtIn);

    // Takes the picture of an .ico file. A file that cannot be read, fails the icon check
    // (app/IconFileCheck.h) or cannot be decoded leaves the current picture in place; returns
    // whether the picture was replaced.
    bool LoadFile(const Text& path);

    const Picture& picture() const { return *picture_; }

private:
    UserInterface& ui_;
    FileSystem& files_;
    std::unique_ptr<Picture> picture_;  // never null
};

}  // namespace dustvale
