#include "app/PictureHolder.h"

#include <optional>
#include <string>
#include <vector>

#include "app/IconFileCheck.h"

namespace dustvale {

namespace {

// Stands in when not even the built-in picture can be had: the holder then holds no picture
// (handle 0), which the tray control reports as a missing standard icon.
class NoPicture final : public Picture {
public:
    HIcon Handle() const override { return 0; }
};

// The file's bytes, one past kIconFileLimit at most, so that a file too big for an icon is
// told without being read whole.
std::optional<std::string> ReadIconFile(FileSystem& files, const Text& path) {
    const std::unique_ptr<OpenFile> file = files.Open(path, FileMode::Input);
    if (!file) return std::nullopt;
    return file->Read(kIconFileLimit + 1);
}

}  // namespace

PictureHolder::PictureHolder(UserInterface& ui, FileSystem& files, BuiltInPicture builtIn)
    : ui_(ui), files_(files), picture_(ui.LoadBuiltInPicture(builtIn)) {
    if (!picture_) picture_ = std::make_unique<NoPicture>();
}

bool PictureHolder::LoadFile(const Text& path) {
    // The file is read once, and the bytes checked are the bytes decoded: a file changed
    // after the check changes nothing.
    const std::optional<std::string> bytes = ReadIconFile(files_, path);
    if (!bytes) return false;
    const std::optional<std::vector<IconImage>> images = CheckIconFile(*bytes);
    if (!images) return false;
    std::unique_ptr<Picture> loaded = ui_.LoadIconPicture(*images);
    if (!loaded) return false;
    picture_ = std::move(loaded);
    return true;
}

}  // namespace dustvale
