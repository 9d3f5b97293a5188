#pragma once

// A picture the main window holds for the tray (never displayed in a window): it starts with a
// picture built into the executable and may take one from an .ico file instead. It is loaded
// at one size, and loaded again from the same source when the tray needs another.

#include <cstdint>
#include <memory>
#include <string>

#include "platform/FileSystem.h"
#include "platform/UserInterface.h"

namespace dustvale {

class PictureHolder {
public:
    // The built-in picture, `size` pixels square.
    PictureHolder(UserInterface& ui, FileSystem& files, BuiltInPicture builtIn, std::int32_t size);

    // Takes the picture of an .ico file, at the holder's size. A file that cannot be read,
    // fails the icon check (app/IconFileCheck.h) or cannot be decoded leaves the current
    // picture in place; returns whether the picture was replaced.
    bool LoadFile(const Text& path);

    // Loads the same picture again at `size` pixels: the built-in one, or the bytes of the file
    // that were checked and taken (the file is not read again). A picture that cannot be had
    // at that size leaves the current one in place, and its size.
    void Resize(std::int32_t size);

    const Picture& picture() const { return *picture_; }
    std::int32_t Size() const { return size_; }

private:
    UserInterface& ui_;
    FileSystem& files_;
    BuiltInPicture builtIn_;
    std::string fileBytes_;  // the checked .ico file shown; empty while the built-in one is
    std::int32_t size_;
    std::unique_ptr<Picture> picture_;  // never null
};

}  // namespace dustvale
