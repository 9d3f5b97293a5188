#include "platform/win32/Win32UserInterface.h"

#include <utility>

#include "platform/win32/UniqueHandle.h"
#include "platform/win32/Win32Convert.h"
#include "platform/win32/Win32FileSystem.h"
#include "res/ResourceIds.h"

namespace dustvale::win32 {

namespace {

class Win32Picture final : public Picture {
public:
    // `owner` keeps the icon alive (and destroys it with the last picture that holds it); it
    // is empty for the shared icons of the executable's resources, which the system owns.
    Win32Picture(HICON icon, std::shared_ptr<void> owner)
        : icon_(icon), owner_(std::move(owner)) {}

    HIcon Handle() const override { return FromHandle(icon_); }

private:
    HICON icon_;
    std::shared_ptr<void> owner_;
};

// The tray's icon size, which follows the display scaling (16, 20, 24 or 32 pixels).
SIZE SmallIconSize() {
    return {::GetSystemMetrics(SM_CXSMICON), ::GetSystemMetrics(SM_CYSMICON)};
}

// Appends `items` to `menu`; false when the system refuses one of them.
bool AppendItems(HMENU menu, const std::vector<MenuItem>& items) {
    for (const MenuItem& item : items) {
        if (item.separator) {
            if (!::AppendMenuW(menu, MF_SEPARATOR, 0, nullptr)) return false;
        } else if (!item.children.empty()) {
            unique_hmenu subMenu(::CreatePopupMenu());
            if (!subMenu || !AppendItems(subMenu.get(), item.children)) return false;
            if (!::AppendMenuW(menu, MF_POPUP, reinterpret_cast<UINT_PTR>(subMenu.get()),
                               Wide(item.caption))) {
                return false;
            }
            // The parent menu now owns the sub-menu and destroys it with itself.
            static_cast<void>(subMenu.release());
        } else if (!::AppendMenuW(menu, MF_STRING, item.command, Wide(item.caption))) {
            return false;
        }
    }
    return true;
}

}  // namespace

std::int32_t Win32UserInterface::MessageBox(Hwnd owner, const Text& text, const Text& caption,
                                            std::uint32_t style) {
    return ::MessageBoxW(ToHwnd(owner), Wide(text), Wide(caption), style);
}

std::uint32_t Win32UserInterface::TrackPopupMenu(const std::vector<MenuItem>& items,
                                                 Point position, Hwnd owner) {
    unique_hmenu menu(::CreatePopupMenu());
    if (!menu || !AppendItems(menu.get(), items)) return 0;
    const HWND window = ToHwnd(owner);
    // A tray menu closes when the user clicks elsewhere only when its owner is the
    // foreground window; the WM_NULL afterwards lets a second opening work at once.
    ::SetForegroundWindow(window);
    const BOOL command = ::TrackPopupMenuEx(
        menu.get(), TPM_LEFTALIGN | TPM_LEFTBUTTON | TPM_RETURNCMD | TPM_NONOTIFY, position.x,
        position.y, window, nullptr);
    ::PostMessageW(window, WM_NULL, 0, 0);
    return command > 0 ? static_cast<std::uint32_t>(command) : 0;
}

std::unique_ptr<Picture> Win32UserInterface::LoadBuiltInPicture(BuiltInPicture which) {
    int id = IDI_PROGRAM;
    switch (which) {
        case BuiltInPicture::TrayFull: id = IDI_TRAY_FULL; break;
        case BuiltInPicture::TrayEmpty: id = IDI_TRAY_EMPTY; break;
        case BuiltInPicture::Program: id = IDI_PROGRAM; break;
    }
    const SIZE size = SmallIconSize();
    // Shared: the system keeps one handle per resource and size, and frees it itself.
    const HANDLE icon = ::LoadImageW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(id),
                                     IMAGE_ICON, size.cx, size.cy, LR_SHARED);
    // A missing resource gives handle 0, "no picture", which the tray control reports.
    return std::make_unique<Win32Picture>(static_cast<HICON>(icon), nullptr);
}

std::unique_ptr<Picture> Win32UserInterface::LoadPictureFile(const Text& path) {
    Win32FileSystem files;
    const std::unique_ptr<OpenFile> file = files.Open(path, FileMode::Input);
    if (!file) return nullptr;
    std::optional<std::string> bytes = file->ReadAll();
    if (!bytes) return nullptr;

    std::erase_if(loadedIcons_, [](const auto& entry) { return entry.second.expired(); });
    if (auto found = loadedIcons_.find(*bytes); found != loadedIcons_.end()) {
        std::shared_ptr<void> owner = found->second.lock();
        return std::make_unique<Win32Picture>(static_cast<HICON>(owner.get()), owner);
    }

    const SIZE size = SmallIconSize();
    unique_hicon icon(static_cast<HICON>(
        ::LoadImageW(nullptr, Wide(path), IMAGE_ICON, size.cx, size.cy, LR_LOADFROMFILE)));
    if (!icon) return nullptr;
    const HICON handle = icon.get();
    const std::shared_ptr<void> owner(icon.release(), [](HICON held) { ::DestroyIcon(held); });
    loadedIcons_.emplace(std::move(*bytes), owner);
    return std::make_unique<Win32Picture>(handle, owner);
}

}  // namespace dustvale::win32
