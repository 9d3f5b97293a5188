#include "clean/TempFolderCleaner.h"

#include <optional>
#include <vector>

#include "clean/CleanYield.h"
#include "clean/FolderEmptier.h"
#include "clean/FolderOpening.h"
#include "clean/ProfileTempWalk.h"
#include "clean/RefusedTempPaths.h"
#include "clean/TempFolderList.h"
#include "common/LetterCase.h"
#include "common/PathRules.h"
#include "common/TextRules.h"

namespace dustvale {

struct TempFolderCleaner::Shared {
    explicit Shared(const Platform& p) : platform(p) {}
    Platform platform;
    bool running = false;
    bool stopping = false;
};

namespace {

constexpr std::u16string_view kBackslash = u"\\";
constexpr std::u16string_view kTemp = u"temp";
// The first three characters of a full path ("C:\") are the drive, not a folder.
constexpr std::size_t kFirstComponentEnd = 3;

bool Holds(const TempFolderList& list, const Text& folder) {
    for (std::int32_t i = 0; i < list.Count(); ++i) {
        if (EqualsNoCase(RemoveTrailing(list[i], kBackslash), RemoveTrailing(folder, kBackslash)))
            return true;
    }
    return false;
}

TempCleanResult Stopped() {
    TempCleanResult result;
    result.stopped = true;
    return result;
}

// One run of the Temp Files clean; everything it uses lives in the run itself.
TempCleanResult RunClean(const Platform& platform, const CleanYield& yield) {
    const Text windowsFolder =
        RemoveTrailing(platform.kernel.GetEnvironmentVariable(u"WINDIR").value_or(Text{}),
                       kBackslash);
    const auto reported = platform.kernel.GetTempPath();
    TempCleanResult result;
    // Without a temporary path there is nothing of the user's to clean; a pattern built from
    // an empty path would name a drive's root.
    Text temp = reported ? RemoveTrailing(Trim(TrimAtNull(*reported)), kBackslash) : Text();
    // A drive's root keeps its backslash: "C:" alone names the drive's current folder.
    result.tempPath = temp.size() == 2 && temp[1] == u':' ? temp + u'\\' : temp;
    const Text looseFilesFolder = temp;  // as reported, short names included
    const std::vector<Text> program = ProgramFolderSpellings(platform);
    result.refused = RefusalOf(platform, temp, windowsFolder, program);
    if (result.refused) return result;

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
                        CollectProfileTempFolders(platform.files, top, list, yield);
                    } catch (const TempFolderListFull&) {
                        // A 52nd folder ends the walk; the 51 found so far are emptied.
                    }
                }
                yield();
                // Each folder is opened from the top folder down, so that a link put in the
                // place of one on the way since the walk passed cannot lead the emptying out.
                const auto empty = [&](const Text& folder) {
                    std::optional<HeldFolder> held =
                        OpenFolderBelow(platform.files, top, folder, rights::kListDirectory);
                    // The program may have been started from another profile's temporary
                    // folder: its settings, pictures and manifest stay.
                    if (held && !HoldsProgramFolder(held->finalPath, program)) {
                        DeleteFolderContents(platform.files, *held, yield);
                    }
                };
                for (std::int32_t i = 0; i < list.Count(); ++i) empty(list[i]);
                // Current profiles keep their Temp folder outside "Local Settings", which the
                // walk reaches only through a junction it does not follow.
                if (!Holds(list, longTemp)) empty(longTemp);
                result.emptied = true;
            }
        }
    }
    DeleteLooseFiles(platform.files, looseFilesFolder, yield);
    return result;
}

}  // namespace

TempFolderCleaner::TempFolderCleaner(Platform& platform)
    : shared_(std::make_shared<Shared>(platform)) {}

TempFolderCleaner::~TempFolderCleaner() = default;

TempCleanResult TempFolderCleaner::CleanTempFolders() {
    // The run holds the shared state itself, so the cleaner may go away while it yields.
    const std::shared_ptr<Shared> shared = shared_;
    if (shared->stopping) return Stopped();
    if (shared->running) return {};
    struct RunningFlag {
        Shared& state;
        explicit RunningFlag(Shared& s) : state(s) { state.running = true; }
        ~RunningFlag() { state.running = false; }
        RunningFlag(const RunningFlag&) = delete;
        RunningFlag& operator=(const RunningFlag&) = delete;
    } flag(*shared);
    Shared& state = *shared;
    const CleanYield yield = [&state] {
        state.platform.windows.ProcessPendingMessages();
        if (state.stopping) throw CleanStopped{};
    };
    try {
        return RunClean(state.platform, yield);
    } catch (const CleanStopped&) {
        // Stopped between two entries: what is done stays done, the rest stays where it is.
        return Stopped();
    }
}

bool TempFolderCleaner::Running() const { return shared_->running; }

void TempFolderCleaner::Stop() { shared_->stopping = true; }

}  // namespace dustvale
