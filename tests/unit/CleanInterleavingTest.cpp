// Temp Files against another program that swaps the folders and files being emptied for
// links leading out of them. The clean runs once to learn its calls to the file system and
// what each concerns, then once more for every entry and every call that concerns the entry,
// what lies in it or the listing it is in, with the swap made just before that call (a swap
// before any other call gives the same run as one before the next call that does concern it);
// and once more for every pair of calls that look at the entry itself or list its folder, with
// the swap made before the first and undone before the second. These are every interleaving, not
// those that luck brings: whatever the moment, nothing outside the temporary folders is
// deleted, changed or listed.
//
// On Windows the links are junctions and symbolic links. Under Wine they are Unix links,
// which handles open as what they lead to, and Wine's handles take an entry's path apart from
// opening it and delete by that path when they close (SimFileSystem::UseWineHandles): there
// the swaps meet those steps too. Wine's own check at the close, that the path still leads to
// the entry, and its deletion by that path are one step here; docs/wine.md tells of the moment
// between them. Wine also moves a folder by its path, without such a check: a folder on the
// way swapped for a link between the clean's check of that path and the move makes Wine move
// the outside folder the link leads to, which the clean then puts back. Only there, and only
// if put back exactly, is an outside folder's move not counted as harm; those runs are
// counted apart.

#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "clean/TempFolderCleaner.h"
#include "platform/sim/SimFileSystem.h"
#include "platform/sim/SimKernel.h"
#include "platform/sim/SimWindows.h"

namespace dustvale {
namespace {

const Text kOutside = u"C:\\Outside";

// A tree to clean: a temporary path, the top folder its emptying starts from, and what it
// holds. The same tree, with other contents, stands under C:\Outside: every link the swaps
// put in leads to the entry of the same name there.
struct Scene {
    const char* name;
    Text tempPath;
    Text top;
    std::vector<Text> folders;  // below `top`, parents first
    std::vector<Text> files;    // below `top`
    std::size_t longestWinePath = 4000;  // the longest path Wine's handles can name
};

const Scene kDriveTemp{
    "C:\\Temp",
    u"C:\\Temp\\",
    u"C:\\Temp",
    {u"", u"\\D1", u"\\D1\\E"},
    {u"\\a.txt", u"\\D1\\x.txt", u"\\D1\\y.txt", u"\\D1\\E\\z.txt"},
};

const Scene kProfiles{
    "profiles",
    u"C:\\Documents and Settings\\Bob\\Local Settings\\Temp\\",
    u"C:\\Documents and Settings",
    {u"\\Alice", u"\\Alice\\Local Settings", u"\\Alice\\Local Settings\\Temp",
     u"\\Bob\\Local Settings\\Temp"},
    {u"\\Alice\\Local Settings\\Temp\\a.txt", u"\\Bob\\Local Settings\\Temp\\b.txt"},
};

// Too deep below its middle for Wine to name: there the clean moves a folder up into C:\Temp.
const Scene kDeepTemp{
    "deep C:\\Temp",
    u"C:\\Temp\\",
    u"C:\\Temp",
    {u"", u"\\LongFolderName1", u"\\LongFolderName1\\LongFolderName2",
     u"\\LongFolderName1\\LongFolderName2\\LongFolderName3"},
    {u"\\LongFolderName1\\a.txt", u"\\LongFolderName1\\LongFolderName2\\LongFolderName3\\deep.txt"},
    60,
};

// The system the clean runs on, and so the links another program makes.
enum class System { Windows, Wine };

// One change another program makes: `path` (a folder or file of the scene) moved aside and a
// link to its twin under C:\Outside put in its place just before call `at`; put back just
// before call `back`, if given.
struct Swap {
    Text path;
    bool folder;
    std::uint64_t at;
    std::optional<std::uint64_t> back;

    std::string Describe() const {
        return std::string(path.begin(), path.end()) + " swapped before call " +
               std::to_string(at) + (back ? ", back before call " + std::to_string(*back) : "");
    }
};

Text Twin(const Scene& scene, const Text& path) {
    return kOutside + path.substr(scene.top.size());
}

bool SameOrBelow(const Text& path, const Text& folder) {
    return path == folder ||
           (path.size() > folder.size() && path.compare(0, folder.size(), folder) == 0 &&
            path[folder.size()] == u'\\');
}

void Lay(sim::SimWindows& sim, const Scene& scene) {
    auto& files = sim.files();
    files.AddFile(kOutside + u"\\unrelated.txt", "outside", attr::kReadOnly);
    for (const Text& folder : scene.folders) {
        files.AddFolder(scene.top + folder);
        files.AddFolder(kOutside + folder, attr::kDirectory | attr::kHidden);
    }
    for (const Text& file : scene.files) {
        files.AddFile(scene.top + file, "temporary", attr::kHidden | attr::kReadOnly);
        files.AddFile(kOutside + file, "precious", attr::kReadOnly | attr::kSystem);
    }
    sim.kernel().SetTempPath(scene.tempPath);
    files.LimitWinePaths(scene.longestWinePath);
}

void Make(sim::SimFileSystem& files, const Scene& scene, System system, const Swap& swap) {
    const Text aside = swap.path + u".away";
    if (!files.Exists(swap.path) || files.Exists(aside)) return;
    files.MoveEntry(swap.path, aside);
    if (system == System::Wine) {
        files.AddUnixLink(swap.path, Twin(scene, swap.path));
    } else if (swap.folder) {
        files.AddFolderLink(swap.path, Twin(scene, swap.path));
    } else {
        files.AddFileLink(swap.path, Twin(scene, swap.path));
    }
}

void Undo(sim::SimFileSystem& files, const Swap& swap) {
    const Text aside = swap.path + u".away";
    if (!files.Exists(aside)) return;
    if (files.Exists(swap.path)) files.RemoveEntry(swap.path);
    files.MoveEntry(aside, swap.path);
}

// Everything under C:\Outside: path, contents and attributes.
std::map<Text, std::string> Snapshot(sim::SimFileSystem& files) {
    std::map<Text, std::string> found;
    for (const Text& path : files.Tree(kOutside)) {
        found[path] = files.Contents(path).value_or("(folder)") + " " +
                      std::to_string(files.Attributes(path).value_or(0));
    }
    return found;
}

// The clean of a freshly laid scene, with `change` run before each of its calls.
void Clean(sim::SimWindows& sim, System system, std::function<void(std::uint64_t)> change) {
    sim.files().UseWineHandles(system == System::Wine);
    sim.files().BeforeEachCall(std::move(change));
    auto platform = sim.platform();
    TempFolderCleaner cleaner(platform);
    cleaner.CleanTempFolders();
}

// The folder holding `entry` ("C:" for a drive's root).
Text FolderOf(const Text& entry) { return entry.substr(0, entry.rfind(u'\\')); }

// Every swap of the scene's folders and files that finds something to swap.
std::vector<Swap> SwapsOf(const Scene& scene, System system) {
    struct Calls {
        std::vector<std::uint64_t> concerning;  // the entry, what lies in it, or its listing
        std::vector<std::uint64_t> looking;     // the entry itself or its folder's listing
    };
    std::map<Text, Calls> seen;
    sim::SimWindows sim;
    Lay(sim, scene);
    sim.files().WatchCalls([&](std::uint64_t call, const Text& about) {
        for (const std::vector<Text>* paths : {&scene.folders, &scene.files}) {
            for (const Text& path : *paths) {
                const Text entry = scene.top + path;
                if (!sim.files().Exists(entry)) continue;
                Calls& mine = seen[entry];
                const bool looking = about == entry || about == FolderOf(entry) + u"\\*";
                if (looking || SameOrBelow(about, entry)) mine.concerning.push_back(call);
                if (looking) mine.looking.push_back(call);
            }
        }
    });
    Clean(sim, system, {});
    std::vector<Swap> swaps;
    for (const std::vector<Text>* paths : {&scene.folders, &scene.files}) {
        const bool folder = paths == &scene.folders;
        for (const Text& path : *paths) {
            const Calls& mine = seen[scene.top + path];
            for (const std::uint64_t at : mine.concerning) {
                swaps.push_back({scene.top + path, folder, at, std::nullopt});
            }
            for (std::size_t i = 0; i < mine.looking.size(); ++i) {
                for (std::size_t j = i + 1; j < mine.looking.size(); ++j) {
                    swaps.push_back({scene.top + path, folder, mine.looking[i], mine.looking[j]});
                }
            }
        }
    }
    return swaps;
}

// What one clean with `swap` made did outside.
struct Outcome {
    std::string wrong;             // what went wrong, empty when nothing did
    bool movedBackOnWine = false;  // an outside folder moved by Wine's path and put back
};

Outcome Run(const Scene& scene, System system, const Swap& swap,
            const std::map<Text, std::string>& outsideBefore) {
    sim::SimWindows sim;
    Lay(sim, scene);
    auto& files = sim.files();
    Clean(sim, system, [&](std::uint64_t call) {
        if (call == swap.at) Make(files, scene, system, swap);
        if (swap.back && call == *swap.back) Undo(files, swap);
    });

    std::string wrong;
    const auto note = [&](const char* what, const std::vector<Text>& paths) {
        std::string noted;
        for (const Text& path : paths) {
            if (SameOrBelow(path, kOutside)) {
                noted += std::string(what) + std::string(path.begin(), path.end()) + "; ";
            }
        }
        return noted;
    };
    wrong += note("deleted ", files.Deletions());
    wrong += note("changed ", files.AttributeChanges());
    wrong += note("listed ", files.Listings());
    const std::string moved = note("moved ", files.Moves());
    const bool same = Snapshot(files) == outsideBefore;
    if (!same) wrong += "C:\\Outside differs; ";
    if (files.OpenHandles() != 0 || files.OpenSearches() != 0) wrong += "left open; ";
    const bool movedBack = !moved.empty() && same && system == System::Wine;
    if (!movedBack) wrong += moved;
    return {wrong, movedBack && wrong.empty()};
}

void EveryInterleaving(const Scene& scene) {
    std::map<Text, std::string> outsideBefore;
    {
        sim::SimWindows sim;
        Lay(sim, scene);
        outsideBefore = Snapshot(sim.files());
    }
    for (const System system : {System::Windows, System::Wine}) {
        const char* const on = system == System::Windows ? "Windows" : "Wine";
        const std::vector<Swap> swaps = SwapsOf(scene, system);
        std::vector<std::string> failures;
        std::size_t movedBack = 0;
        for (const Swap& swap : swaps) {
            const auto [wrong, back] = Run(scene, system, swap, outsideBefore);
            movedBack += back ? 1 : 0;
            if (!wrong.empty() && failures.size() < 10) {
                failures.push_back(swap.Describe() + ": " + wrong);
            }
        }
        EXPECT_TRUE(failures.empty()) << scene.name << " on " << on << ", " << swaps.size()
                                      << " runs, first failures:\n"
                                      << ::testing::PrintToString(failures);
        std::printf("%s on %s: %zu interleavings, %zu with an outside folder moved and put back\n",
                    scene.name, on, swaps.size(), movedBack);
    }
}

TEST(CleanInterleaving, NothingOutsideTheDriveTempFolderIsTouchedWhateverTheMoment) {
    EveryInterleaving(kDriveTemp);
}

TEST(CleanInterleaving, NothingOutsideTheProfilesTempFoldersIsTouchedWhateverTheMoment) {
    EveryInterleaving(kProfiles);
}

TEST(CleanInterleaving, NothingOutsideATempFolderTooDeepToNameIsTouchedWhateverTheMoment) {
    EveryInterleaving(kDeepTemp);
}

// Unswapped, the clean empties what it is given: the swaps meet a clean that deletes.
TEST(CleanInterleaving, WithoutSwapsEveryTemporaryFileGoes) {
    for (const Scene* scene : {&kDriveTemp, &kProfiles, &kDeepTemp}) {
        for (const System system : {System::Windows, System::Wine}) {
            sim::SimWindows sim;
            Lay(sim, *scene);
            Clean(sim, system, {});
            for (const Text& file : scene->files) {
                EXPECT_FALSE(sim.files().Exists(scene->top + file)) << scene->name;
            }
            EXPECT_EQ(sim.files().OpenHandles(), 0u);
        }
    }
}

}  // namespace
}  // namespace dustvale
