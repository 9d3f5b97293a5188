#include "app/PictureHolder.h"

namespace dustvale {

namespace {

// Stands in when not even the built-in picture can be had: the holder then holds no picture
// (handle 0), which the tray control reports as a missing standard icon.
class NoPicture final : public Picture {
public:
    HIcon Handle() const override { return 0; }
};

}  // namespace

PictureHolder::PictureHolder(UserInterface& ui, BuiltInPicture builtIn)
    : ui_(ui), picture_(ui.LoadBuiltInPicture(builtIn)) {
    if (!picture_) picture_ = std::make_unique<NoPicture>();
}

bool PictureHolder::LoadFile(const Text& path) {
    std::unique_ptr<Picture> loaded = ui_.LoadPictureFile(path);
    if (!loaded) return false;
    picture_ = std::move(loaded);
    return true;
}

}  // namespace dustvale
