#pragma once

// Simulated message boxes, pop-up menus and pictures. Boxes and menus are answered by a
// script that the test sets; the script runs while the box or menu is "open", so it may
// also act then (advance time, click the tray icon, choose Exit) to test re-entrancy.

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "platform/UserInterface.h"

namespace dustvale::sim {

// The handle the simulation gives a built-in picture of `size` pixels.
constexpr HIcon BuiltInPictureHandle(BuiltInPicture which, std::int32_t size) {
    return 0x00C10000 + static_cast<HIcon>(size) * 0x10 + static_cast<HIcon>(which) + 1;
}

class SimUserInterface final : public UserInterface {
public:
    // UserInterface
    std::int32_t MessageBox(Hwnd owner, const Text& text, const Text& caption,
                            std::uint32_t style) override;
    std::uint32_t TrackPopupMenu(const std::vector<MenuItem>& items, Point position,
                                 Hwnd owner) override;
    std::unique_ptr<Picture> LoadBuiltInPicture(BuiltInPicture which,
                                                 std::int32_t size) override;
    std::unique_ptr<Picture> LoadIconPicture(const std::vector<IconImage>& images,
                                             std::int32_t size) override;

    // --- for tests -------------------------------------------------------------------------
    struct MessageBoxCall {
        Hwnd owner;
        Text text, caption;
        std::uint32_t style;
    };
    struct MenuCall {
        std::vector<MenuItem> items;
        Point position;
        Hwnd owner;
    };
    // Answers for the coming boxes / menus, used in order; without one a box answers IDOK
    // (IDCANCEL for OK/Cancel boxes is not assumed) and a menu is dismissed (0).
    void AnswerMessageBox(std::function<std::int32_t(const MessageBoxCall&)> answer);
    void AnswerMenu(std::function<std::uint32_t(const MenuCall&)> answer);
    const std::vector<MessageBoxCall>& MessageBoxes() const;
    const std::vector<MenuCall>& Menus() const;
    int OpenModalCount() const;  // boxes and menus open right now

    // Any images make a picture (the simulation decodes nothing); equal images at one size
    // give one handle for the life of the simulation. Built-in pictures have fixed handles of
    // their own per size (below), distinct from every file's.
    std::uint32_t LivePictures() const;  // pictures not yet destroyed (leak check)
    // The built-in pictures at 16 pixels, the small-icon size of 100 % scaling.
    static constexpr HIcon kTrayFullHandle = BuiltInPictureHandle(BuiltInPicture::TrayFull, 16);
    static constexpr HIcon kTrayEmptyHandle = BuiltInPictureHandle(BuiltInPicture::TrayEmpty, 16);
    static constexpr HIcon kProgramHandle = BuiltInPictureHandle(BuiltInPicture::Program, 16);
    // The size a picture handed out was loaded at, 0 for a handle never handed out.
    std::int32_t SizeOf(HIcon handle) const;

private:
    std::deque<std::function<std::int32_t(const MessageBoxCall&)>> boxAnswers_;
    std::deque<std::function<std::uint32_t(const MenuCall&)>> menuAnswers_;
    std::vector<MessageBoxCall> boxes_;
    std::vector<MenuCall> menus_;
    int openModal_ = 0;
    // Shared with the pictures, so a picture that outlives the simulation stays harmless.
    std::shared_ptr<std::uint32_t> livePictures_ = std::make_shared<std::uint32_t>(0);
    std::map<std::pair<std::string, std::int32_t>, HIcon> iconHandles_;
    std::map<HIcon, std::int32_t> sizes_;
    HIcon nextIconHandle_ = 0x00C20001;
};

// Finds a menu item by caption path in a MenuCall, e.g. {u"Recycle Bin", u"Empty"}; returns
// its command or 0. For scripts answering menus.
std::uint32_t FindCommand(const std::vector<MenuItem>& items, const std::vector<Text>& path);

}  // namespace dustvale::sim
