#include "platform/win32/Win32UserInterface.h"

#include <string>
#include <utility>

#include "platform/win32/UniqueHandle.h"
#include "platform/win32/Win32Convert.h"
#include "res/ResourceIds.h"

namespace dustvale::win32 {

namespace {

class Win32Picture final : public Picture {
public:
    // `owner` keeps the icon alive and destroys it with the last picture that holds it; it is
    // empty only when there is no icon.
    Win32Picture(HICON icon, std::shared_ptr<void> owner)
        : icon_(icon), owner_(std::move(owner)) {}

    HIcon Handle() const override { return FromHandle(icon_); }

private:
    HICON icon_;
    std::shared_ptr<void> owner_;
};

std::shared_ptr<void> OwnerOf(unique_hicon icon) {
    return std::shared_ptr<void>(icon.release(), [](HICON held) { ::DestroyIcon(held); });
}

// The version of the icon format CreateIconFromResourceEx is to read (3.0, PNG images too).
constexpr DWORD kIconFormatVersion = 0x00030000;
constexpr std::size_t kMostIconImages = 0xFFFF;
constexpr std::size_t kLargestIconImage = 0xFFFFFFFF;

// The images' directory as a group icon resource holds it, which LookupIconIdFromDirectoryEx
// reads: the 6-byte header, then per image a 14-byte entry numbered from 1 (an .ico file's
// own entries are 16 bytes, ending in the image's offset). Each image's colour depth is its
// own, as LoadImageW reads it for a file.
std::string GroupIconDirectory(const std::vector<IconImage>& images) {
    std::string directory;
    auto put16 = [&directory](std::size_t value) {
        directory += static_cast<char>(value & 0xFF);
        directory += static_cast<char>(value >> 8 & 0xFF);
    };
    put16(0);  // reserved
    put16(1);  // icons
    put16(images.size());
    for (std::size_t n = 0; n < images.size(); ++n) {
        const IconImage& image = images[n];
        directory += static_cast<char>(image.width);
        directory += static_cast<char>(image.height);
        put16(0);  // colour count and reserved byte
        put16(1);  // planes
        put16(image.bitCount);
        put16(image.bytes.size() & 0xFFFF);
        put16(image.bytes.size() >> 16 & 0xFFFF);
        put16(n + 1);
    }
    return directory;
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

std::unique_ptr<Picture> Win32UserInterface::LoadBuiltInPicture(BuiltInPicture which,
                                                                 std::int32_t size) {
    int id = IDI_PROGRAM;
    switch (which) {
        case BuiltInPicture::TrayFull: id = IDI_TRAY_FULL; break;
        case BuiltInPicture::TrayEmpty: id = IDI_TRAY_EMPTY; break;
        case BuiltInPicture::Program: id = IDI_PROGRAM; break;
    }
    // Not shared: the system keeps one shared icon per resource and hands it out again for
    // any size asked later, where a new DPI needs the image of its own size.
    unique_hicon icon(static_cast<HICON>(::LoadImageW(::GetModuleHandleW(nullptr),
                                                      MAKEINTRESOURCEW(id), IMAGE_ICON, size,
                                                      size, LR_DEFAULTCOLOR)));
    // A missing resource gives handle 0, "no picture", which the tray control reports.
    if (!icon) return std::make_unique<Win32Picture>(nullptr, nullptr);
    const HICON handle = icon.get();
    return std::make_unique<Win32Picture>(handle, OwnerOf(std::move(icon)));
}

std::unique_ptr<Picture> Win32UserInterface::LoadIconPicture(const std::vector<IconImage>& images,
                                                             std::int32_t size) {
    if (images.empty() || images.size() > kMostIconImages || size <= 0) return nullptr;
    for (const IconImage& image : images) {
        if (image.bytes.size() > kLargestIconImage) return nullptr;
    }
    std::string directory = GroupIconDirectory(images);
    // The system's choice for the size, made on the bytes in memory: what was checked is what
    // gets decoded, even if the file changes meanwhile.
    const int number = ::LookupIconIdFromDirectoryEx(reinterpret_cast<PBYTE>(directory.data()),
                                                     TRUE, size, size, LR_DEFAULTCOLOR);
    if (number < 1 || static_cast<std::size_t>(number) > images.size()) return nullptr;
    // The decoder reads its own copy of the image, which with the size also keys the icon
    // while it lives.
    std::string image(images[static_cast<std::size_t>(number) - 1].bytes);
    LoadedIconKey key{std::move(image), size};

    std::erase_if(loadedIcons_, [](const auto& entry) { return entry.second.expired(); });
    if (auto found = loadedIcons_.find(key); found != loadedIcons_.end()) {
        std::shared_ptr<void> owner = found->second.lock();
        return std::make_unique<Win32Picture>(static_cast<HICON>(owner.get()), owner);
    }

    std::string& bytes = key.first;
    unique_hicon icon(::CreateIconFromResourceEx(reinterpret_cast<PBYTE>(bytes.data()),
                                                 static_cast<DWORD>(bytes.size()), TRUE,
                                                 kIconFormatVersion, size, size,
                                                 LR_DEFAULTCOLOR));
    if (!icon) return nullptr;
    const HICON handle = icon.get();
    const std::shared_ptr<void> owner = OwnerOf(std::move(icon));
    loadedIcons_.emplace(std::move(key), owner);
    return std::make_unique<Win32Picture>(handle, owner);
}

}  // namespace dustvale::win32
