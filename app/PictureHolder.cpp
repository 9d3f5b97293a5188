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

// The picture of an icon file's bytes at `size`; null unless they pass the check and decode.
std::unique_ptr<Picture> DecodeIconFile(UserInterface& ui, const std::string& bytes,
                                        std::int32_t size) {
    const std::optional<std::vector<IconImage>> images = CheckIconFile(bytes);
    if (!images) return nullptr;
    return ui.LoadIconPicture(*images, size);
}

}  // namespace

PictureHolder::PictureHolder(UserInterface& ui, FileSystem& files, BuiltInPicture builtIn,
                             std::int32_t size)
    : ui_(ui), files_(files), builtIn_(builtIn), size_(size),
      picture_(ui.LoadBuiltInPicture(builtIn, size)) {
    if (!picture_) picture_ = std::make_unique<NoPicture>();
}

bool PictureHolder::LoadFile(const Text& path) {
    // The file is read once, and the bytes checked are the bytes decoded, now and at every
    // later size: a file changed after the check changes nothing.
    std::optional<std::string> bytes = ReadIconFile(files_, path);
    if (!bytes) return false;
    std::unique_ptr<Picture> loaded = DecodeIconFile(ui_, *bytes, size_);
    if (!loaded) return false;
    fileBytes_ = std::move(*bytes);
    picture_ = std::move(loaded);
    return true;
}

void PictureHolder::Resize(std::int32_t size) {
    if (size == size_ || size <= 0) return;
    std::unique_ptr<Picture> loaded = fileBytes_.empty() ? ui_.LoadBuiltInPicture(builtIn_, size)
                                                         : DecodeIconFile(ui_, fileBytes_, size);
    if (!loaded || loaded->Handle() == 0) return;
    picture_ = std::move(loaded);
    size_ = size;
}

}  // namespace dustvale
