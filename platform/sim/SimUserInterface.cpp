#include "platform/sim/SimUserInterface.h"

#include <string>
#include <utility>

namespace dustvale::sim {

namespace {

class SimPicture final : public Picture {
public:
    SimPicture(HIcon handle, std::shared_ptr<std::uint32_t> live) : handle_(handle), live_(std::move(live)) {
        ++*live_;
    }
    ~SimPicture() override { --*live_; }
    SimPicture(const SimPicture&) = delete;
    SimPicture& operator=(const SimPicture&) = delete;
    HIcon Handle() const override { return handle_; }

private:
    HIcon handle_;
    std::shared_ptr<std::uint32_t> live_;
};

// Counts the open boxes and menus for as long as the script runs, even when it throws.
class ModalScope {
public:
    explicit ModalScope(int& count) : count_(count) { ++count_; }
    ~ModalScope() { --count_; }
    ModalScope(const ModalScope&) = delete;
    ModalScope& operator=(const ModalScope&) = delete;

private:
    int& count_;
};

// Equal images give equal keys, and different ones different keys: each image's directory
// size and depth, its length, then its bytes.
std::string ImagesKey(const std::vector<IconImage>& images) {
    std::string key;
    for (const IconImage& image : images) {
        key += std::to_string(image.width) + "x" + std::to_string(image.height) + "x" +
               std::to_string(image.bitCount) + ":" + std::to_string(image.bytes.size()) + ":";
        key += image.bytes;
    }
    return key;
}

Text WithoutAccelerators(const Text& caption) {
    Text plain;
    for (std::size_t i = 0; i < caption.size(); ++i) {
        if (caption[i] == u'&' && i + 1 < caption.size()) ++i;
        plain.push_back(caption[i]);
    }
    return plain;
}

}  // namespace

std::int32_t SimUserInterface::MessageBox(Hwnd owner, const Text& text, const Text& caption, std::uint32_t style) {
    boxes_.push_back(MessageBoxCall{owner, text, caption, style});
    MessageBoxCall call = boxes_.back();
    ModalScope open(openModal_);
    if (boxAnswers_.empty()) return mb::kIdOk;
    auto answer = std::move(boxAnswers_.front());
    boxAnswers_.pop_front();
    return answer(call);
}

std::uint32_t SimUserInterface::TrackPopupMenu(const std::vector<MenuItem>& items, Point position, Hwnd owner) {
    menus_.push_back(MenuCall{items, position, owner});
    MenuCall call = menus_.back();
    ModalScope open(openModal_);
    if (menuAnswers_.empty()) return 0;
    auto answer = std::move(menuAnswers_.front());
    menuAnswers_.pop_front();
    return answer(call);
}

std::unique_ptr<Picture> SimUserInterface::LoadBuiltInPicture(BuiltInPicture which,
                                                               std::int32_t size) {
    const HIcon handle = BuiltInPictureHandle(which, size);
    sizes_[handle] = size;
    return std::make_unique<SimPicture>(handle, livePictures_);
}

std::unique_ptr<Picture> SimUserInterface::LoadIconPicture(const std::vector<IconImage>& images,
                                                           std::int32_t size) {
    if (images.empty() || size <= 0) return nullptr;
    auto [it, added] = iconHandles_.try_emplace({ImagesKey(images), size}, nextIconHandle_);
    if (added) ++nextIconHandle_;
    sizes_[it->second] = size;
    return std::make_unique<SimPicture>(it->second, livePictures_);
}

std::int32_t SimUserInterface::SizeOf(HIcon handle) const {
    const auto found = sizes_.find(handle);
    return found != sizes_.end() ? found->second : 0;
}

void SimUserInterface::AnswerMessageBox(std::function<std::int32_t(const MessageBoxCall&)> answer) {
    boxAnswers_.push_back(std::move(answer));
}

void SimUserInterface::AnswerMenu(std::function<std::uint32_t(const MenuCall&)> answer) {
    menuAnswers_.push_back(std::move(answer));
}

const std::vector<SimUserInterface::MessageBoxCall>& SimUserInterface::MessageBoxes() const { return boxes_; }

const std::vector<SimUserInterface::MenuCall>& SimUserInterface::Menus() const { return menus_; }

int SimUserInterface::OpenModalCount() const { return openModal_; }

std::uint32_t SimUserInterface::LivePictures() const { return *livePictures_; }

std::uint32_t FindCommand(const std::vector<MenuItem>& items, const std::vector<Text>& path) {
    const std::vector<MenuItem>* level = &items;
    for (std::size_t depth = 0; depth < path.size(); ++depth) {
        const MenuItem* found = nullptr;
        for (const MenuItem& item : *level)
            if (!item.separator && WithoutAccelerators(item.caption) == WithoutAccelerators(path[depth])) {
                found = &item;
                break;
            }
        if (!found) return 0;
        if (depth + 1 == path.size()) return found->children.empty() ? found->command : 0;
        level = &found->children;
    }
    return 0;
}

}  // namespace dustvale::sim
