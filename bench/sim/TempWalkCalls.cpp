// dustvale_temp_walk_calls: what a Temp Files clean looks at on a current Windows, in the
// simulated Windows. The profiles lie under C:\Users, each with its Local Settings a junction
// into AppData\Local as Windows makes it; their documents hold source trees, a synchronised
// folder and, in Bob's, the copy of an old computer with its own "Local Settings\Temp". The
// temporary path is Bob's C:\Users\Bob\AppData\Local\Temp, holding one junk file. Prints the
// clean's file-system calls: in all, and on paths outside the emptied folder, the profile
// folders and their Local Settings folders, with how many such paths there were; and whether
// the old computer's copy is still there.
//
//   dustvale_temp_walk_calls

#include <cstdio>
#include <set>
#include <string>

#include "clean/TempFolderCleaner.h"
#include "common/LetterCase.h"
#include "common/TextRules.h"
#include "platform/sim/SimFileSystem.h"
#include "platform/sim/SimKernel.h"
#include "platform/sim/SimWindows.h"

namespace {

using dustvale::Text;

const Text kUsers = u"C:\\Users";
const Text kBobTemp = u"C:\\Users\\Bob\\AppData\\Local\\Temp";
const Text kCopy =
    u"C:\\Users\\Bob\\Documents\\OldPC\\Documents and Settings\\Bob\\Local Settings\\Temp"
    u"\\thesis-draft.doc";

Text Number(int n) {
    std::u16string text;
    for (const char c : std::to_string(n)) text += static_cast<char16_t>(c);
    return text;
}

void AddProfile(dustvale::sim::SimFileSystem& files, const Text& name, int projects) {
    const Text profile = kUsers + u"\\" + name;
    files.AddFolder(profile + u"\\AppData\\Local\\Temp");
    files.AddFolder(profile + u"\\AppData\\Roaming");
    files.AddFolderLink(profile + u"\\Local Settings", profile + u"\\AppData\\Local");
    files.AddFolderLink(profile + u"\\Application Data", profile + u"\\AppData\\Roaming");
    for (int p = 0; p < projects; ++p) {
        for (int f = 0; f < 10; ++f) {
            files.AddFile(profile + u"\\Documents\\src\\project" + Number(p) + u"\\module" +
                          Number(f) + u"\\main.cpp");
        }
    }
    for (int f = 0; f < 200; ++f) {
        files.AddFile(profile + u"\\OneDrive\\Pictures\\photo" + Number(f) + u".jpg");
    }
}

bool StartsWithNoCase(const Text& text, const Text& start) {
    return text.size() >= start.size() && dustvale::EqualsNoCase(text.substr(0, start.size()), start);
}

// Bob's temporary folder, the profile folders, their Local Settings, and the folder that
// holds them all: what a clean may look at.
bool MayBeLookedAt(const Text& path) {
    using dustvale::EqualsNoCase;
    if (EqualsNoCase(path, kUsers) || StartsWithNoCase(path, kBobTemp)) return true;
    if (!StartsWithNoCase(path, kUsers + u"\\")) return false;
    const Text rest = path.substr(kUsers.size() + 1);
    const auto cut = rest.find(u'\\');
    return cut == Text::npos || EqualsNoCase(rest.substr(cut + 1), u"Local Settings") ||
           EqualsNoCase(rest.substr(cut + 1), u"Local Settings\\*");
}

}  // namespace

int main() {
    using namespace dustvale;
    sim::SimWindows sim;
    sim::SimFileSystem& files = sim.files();
    AddProfile(files, u"Bob", 150);
    AddProfile(files, u"Alice", 150);
    AddProfile(files, u"Public", 0);
    files.AddFolderLink(kUsers + u"\\All Users", u"C:\\ProgramData");
    files.AddFolderLink(kUsers + u"\\Default User", kUsers + u"\\Default");
    files.AddFolder(kUsers + u"\\Default\\AppData\\Local");
    files.AddFile(kCopy, "the only copy of a thesis");
    files.AddFile(kBobTemp + u"\\junk.tmp", "junk");
    sim.kernel().SetTempPath(kBobTemp + u"\\");
    sim.kernel().SetUserProfileFolder(kUsers + u"\\Bob");

    std::uint64_t calls = 0;
    std::uint64_t outsideCalls = 0;
    std::set<Text> outsidePaths;
    std::set<Text> outsideListings;
    files.WatchCalls([&](std::uint64_t, const Text& about) {
        ++calls;
        // A folder's listing is told as its path followed by "\*".
        const bool listing = about.ends_with(u"\\*");
        const Text path = listing ? about.substr(0, about.size() - 2) : about;
        if (MayBeLookedAt(path)) return;
        ++outsideCalls;
        outsidePaths.insert(path);
        if (listing) outsideListings.insert(path);
    });
    Platform platform = sim.platform();
    TempFolderCleaner cleaner(platform);
    cleaner.CleanTempFolders();
    files.WatchCalls(nullptr);

    const auto print = [](const char* what, const std::set<Text>& paths) {
        std::printf("  %s: %zu\n", what, paths.size());
        int shown = 0;
        for (const Text& path : paths) {
            if (++shown > 8) {
                std::printf("    ...\n");
                break;
            }
            std::string narrow;
            for (const char16_t c : path) narrow += c < 0x80 ? static_cast<char>(c) : '?';
            std::printf("    %s\n", narrow.c_str());
        }
    };
    std::printf("file-system calls of one clean: %llu\n", static_cast<unsigned long long>(calls));
    std::printf("  on paths outside the emptied folder, the profile folders and their Local "
                "Settings: %llu calls on %zu paths\n",
                static_cast<unsigned long long>(outsideCalls), outsidePaths.size());
    print("folders outside them listed", outsideListings);
    print("paths outside them looked at", outsidePaths);
    std::printf("junk file removed: %s; the old computer's thesis kept: %s\n",
                files.Exists(kBobTemp + u"\\junk.tmp") ? "no" : "yes",
                files.Exists(kCopy) ? "yes" : "no");
    return 0;
}
