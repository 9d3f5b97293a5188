#include "clean/TempFolderCleaner.h"

#include <optional>

#include "clean/FolderEmptier.h"
#include "clean/ProfileTempWalk.h"
#include "clean/TempFolderList.h"
#include "common/LetterCase.h"
#include "common/PathRules.h"
#include "common/TextRules.h"

namespace dustvale {

struct TempFolderCleaner::Shared {
    explicit Shared(const Platform& p) : platform(p) {}
    Platform platform;
    bool running = false;
};

namespace {

constexpr std::u16string_view kBackslash = u"\\";
constexpr std::u16string_view kTemp = u"temp";
// The first three characters of a full path ("C:\") are the drive, not a folder.
constexpr std::size_t kFirstComponentEnd = 3;

bool IsDriveRoot(std::u16string_view path) {
    while (!path.empty() && path.back() == u'\\') path.remove_suffix(1);
    return path.size() == 2 && path[1] == u':' && UpperLetter(path[0]) >= u'A' &&
           UpperLetter(path[0]) <= u'Z';
}

bool IsFullPath(std::u16string_view path) {
    const bool onDrive = path.size() >= 3 && path[1] == u':' && path[2] == u'\\';
    const bool onShare = path.starts_with(u"\\\\");
    return onDrive || onShare;
}

// True when `path` names the same folder as `other` (either spelling, short or long).
bool SameFolder(FileSystem& files, const Text& path, const std::optional<Text>& other) {
    if (!other) return false;
    const Text a = RemoveTrailing(path, kBackslash);
    const Text b = RemoveTrailing(*other, kBackslash);
    if (b.empty()) return false;
    if (EqualsNoCase(a, b)) return true;
    const Text longA = NormalizePath(files, a);
    return !longA.empty() && EqualsNoCase(longA, NormalizePath(files, b));
}

// Windows falls back to a drive's root, the Windows folder or the user's profile folder when
// TMP and TEMP are unset. Their loose files are not temporary files.
bool IsFallbackTempPath(const Platform& platform, const Text& path, const Text& windowsFolder) {
    return !IsFullPath(path) || IsDriveRoot(path) ||
           SameFolder(platform.files, path, windowsFolder) ||
           SameFolder(platform.files, path, platform.kernel.UserProfileFolder());
}

bool Holds(const TempFolderList& list, const Text& folder) {
    for (std::int32_t i = 0; i < list.Count(); ++i) {
        if (EqualsNoCase(RemoveTrailing(list[i], kBackslash), RemoveTrailing(folder, kBackslash)))
            return true;
    }
    return false;
}

// One run of the Temp Files clean; everything it uses lives in the run itself.
bool RunClean(const Platform& platform) {
    const auto yield = [&] { platform.windows.ProcessPendingMessages(); };

    const Text windowsFolder =
        RemoveTrailing(platform.kernel.GetEnvironmentVariable(u"WINDIR").value_or(Text{}),
                       kBackslash);
    const auto reported = platform.kernel.GetTempPath();
    // Without a temporary path there is nothing of the user's to clean; a pattern built from
    // an empty path would name a drive's root.
    if (!reported) return false;
    Text temp = RemoveTrailing(Trim(TrimAtNull(*reported)), kBackslash);
    const Text looseFilesFolder = temp;  // as reported, short names included
    if (temp.empty() || IsFallbackTempPath(platform, temp, windowsFolder)) return false;

    bool emptied = false;
    if (EndsWithNoCase(temp, kTemp)) {
        TempFolderList list;
        temp = EnsureTrailing(temp, kBackslash);
        const Text longTemp = EnsureTrailing(NormalizePath(platform.files, temp), kBackslash);
        const auto topEnd = longTemp.find(u'\\', kFirstComponentEnd);
        if (topEnd != Text::npos) {
            Text top = longTemp.substr(0, topEnd);
            if (PathExists(platform.files, top)) {
                for (char16_t letter = u'A'; letter <= u'Z'; ++letter) {
                    yield();
                    if (EqualsNoCase(top, Text{letter} + u":\\Temp")) {
                        list.Add(longTemp);
                        break;
                    }
                }
                if (list.Count() == 0 && EqualsNoCase(top, windowsFolder)) list.Add(longTemp);
                if (list.Count() == 0) {
                    try {
                        CollectProfileTempFolders(platform, top, list);
                    } catch (const TempFolderListFull&) {
                        // A 52nd folder ends the walk; the 51 found so far are emptied.
                    }
                }
                yield();
                for (std::int32_t i = 0; i < list.Count(); ++i) {
                    DeleteFolderContents(platform, list[i]);
                }
                // Current profiles keep their Temp folder outside "Local Settings", which the
                // walk reaches only through a junction it does not follow.
                if (!Holds(list, longTemp)) DeleteFolderContents(platform, longTemp);
                emptied = true;
            }
        }
    }
    DeleteLooseFiles(platform.files, looseFilesFolder);
    return emptied;
}

}  // namespace

TempFolderCleaner::TempFolderCleaner(Platform& platform)
    : shared_(std::make_shared<Shared>(platform)) {}

TempFolderCleaner::~TempFolderCleaner() = default;

bool TempFolderCleaner::CleanTempFolders() {
    // The run holds the shared state itself, so the cleaner may go away while it yields.
    const std::shared_ptr<Shared> shared = shared_;
    if (shared->running) return false;
    struct RunningFlag {
        Shared& state;
        explicit RunningFlag(Shared& s) : state(s) { state.running = true; }
        ~RunningFlag() { state.running = false; }
        RunningFlag(const RunningFlag&) = delete;
        RunningFlag& operator=(const RunningFlag&) = delete;
    } flag(*shared);
    return RunClean(shared->platform);
}

bool TempFolderCleaner::Running() const { return shared_->running; }

}  // namespace dustvale
