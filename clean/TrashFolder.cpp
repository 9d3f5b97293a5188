#include "clean/TrashFolder.h"

#include <utility>
#include <vector>

#include "clean/FolderOpening.h"

namespace dustvale {
namespace {

// Wine's NT prefix for the DOS devices: WINEHOMEDIR reads "\??\Z:\home\bob".
constexpr char16_t kNtPrefix[] = u"\\??\\";
const Text kLocalShare = u"\\.local\\share";
const Text kTrashName = u"Trash";

bool IsDrivePath(const Text& path) {
    const char16_t letter = path.empty() ? 0 : path[0];
    const bool isLetter = (letter >= u'A' && letter <= u'Z') || (letter >= u'a' && letter <= u'z');
    return isLetter && path.size() >= 3 && path[1] == u':' && path[2] == u'\\';
}

Text WithoutFinalBackslash(Text path) {
    while (path.size() > 3 && path.back() == u'\\') path.pop_back();
    return path;
}

// The names from `home` down to `folder`, spelt as they are (the Unix names are exact); empty
// when `folder` is not below `home`, or climbs out of it with "..".
std::vector<Text> NamesBelow(const Text& home, const Text& folder) {
    std::vector<Text> names;
    const Text start = home.ends_with(u'\\') ? home : home + u'\\';
    if (!folder.starts_with(start)) return names;
    std::size_t from = start.size();
    while (from <= folder.size()) {
        const std::size_t end = std::min(folder.find(u'\\', from), folder.size());
        Text name = folder.substr(from, end - from);
        if (name == u"..") return {};
        if (!name.empty() && name != u".") names.push_back(std::move(name));
        from = end + 1;
    }
    return names;
}

Text Describe(SubFolderOutcome outcome) {
    switch (outcome) {
        case SubFolderOutcome::Link:
            return u" is a link";
        case SubFolderOutcome::NotAFolder:
            return u" is not a folder";
        case SubFolderOutcome::Elsewhere:
            return u" changed while it was opened, or cannot be opened";
        case SubFolderOutcome::Opened:
        case SubFolderOutcome::Missing:
            break;
    }
    return {};
}

// The home folder, opened as its path says: it may itself be a link (a home on another disk),
// which is the user's own choice.
std::optional<HeldFolder> OpenHome(FileSystem& files, const Text& home) {
    HeldFolder held;
    held.handle = files.OpenEntry(home, rights::kListDirectory, LinkAtEnd::Followed);
    if (!held.handle) return std::nullopt;
    const std::optional<EntryInfo> info = held.handle->Info();
    if (!info || (info->attributes & attr::kDirectory) == 0 || IsLink(*info)) return std::nullopt;
    std::optional<Text> finalPath = held.handle->FinalPath();
    if (!finalPath) return std::nullopt;
    held.finalPath = std::move(*finalPath);
    return held;
}

}  // namespace

TrashLocation LocateTrash(Kernel& kernel) {
    TrashLocation location;
    const std::optional<Text> homeNt = kernel.GetEnvironmentVariable(u"WINEHOMEDIR");
    if (!homeNt || !homeNt->starts_with(kNtPrefix)) {
        location.refusal = u"Wine names no home folder (WINEHOMEDIR)";
        return location;
    }
    const Text home = WithoutFinalBackslash(homeNt->substr(std::size(kNtPrefix) - 1));
    if (!IsDrivePath(home)) {
        location.refusal = u"the home folder " + home + u" is on no drive";
        return location;
    }
    Text trash = home + kLocalShare + u'\\' + kTrashName;
    const std::optional<Text> dataHome = kernel.GetEnvironmentVariable(u"XDG_DATA_HOME");
    // Wine takes XDG_DATA_HOME only when it is a full Unix path.
    if (dataHome && dataHome->starts_with(u'/')) {
        const std::optional<Text> mapped = kernel.WindowsPathOfUnixPath(*dataHome);
        if (!mapped || !IsDrivePath(*mapped)) {
            location.refusal = u"the data folder " + *dataHome + u" (XDG_DATA_HOME) is on no drive";
            return location;
        }
        trash = WithoutFinalBackslash(*mapped) + u'\\' + kTrashName;
    }
    if (NamesBelow(home, trash).empty()) {
        location.refusal = u"the Trash " + trash + u" lies outside the home folder " + home;
        return location;
    }
    location.place = TrashPlace{home, trash};
    return location;
}

TrashOpening OpenTrash(FileSystem& files, const TrashPlace& place) {
    TrashOpening opening;
    std::optional<HeldFolder> home = OpenHome(files, place.home);
    if (!home) {
        opening.refusal = u"the home folder " + place.home + u" cannot be opened";
        return opening;
    }
    // Each step opens one folder through the one above it; false ends the opening.
    const auto step = [&](const HeldFolder& parent, const Text& name, HeldFolder& into) {
        SubFolderOpening next = OpenSubFolder(parent, name, rights::kListDirectory);
        if (next.outcome == SubFolderOutcome::Missing) {
            opening.missing = true;
            return false;
        }
        if (!next.folder) {
            opening.refusal = ChildPath(parent.finalPath, name) + Describe(next.outcome);
            return false;
        }
        into = std::move(*next.folder);
        return true;
    };
    HeldFolder folder = std::move(*home);
    for (const Text& name : NamesBelow(place.home, place.trash)) {
        HeldFolder below;
        if (!step(folder, name, below)) return opening;
        folder = std::move(below);
    }
    HeldTrash held;
    held.trash = std::move(folder);
    if (!step(held.trash, u"files", held.files) || !step(held.trash, u"info", held.info)) {
        return opening;
    }
    opening.held = std::move(held);
    return opening;
}

}  // namespace dustvale
