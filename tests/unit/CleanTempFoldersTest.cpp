#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <optional>
#include <set>
#include <string>

#include "clean/TempFolderCleaner.h"
#include "platform/sim/SimFileSystem.h"
#include "platform/sim/SimKernel.h"
#include "platform/sim/SimWindowing.h"
#include "platform/sim/SimWindows.h"

namespace dustvale {
namespace {

Text Numbered(const Text& prefix, int n) {
    const std::string digits = (n < 10 ? "0" : "") + std::to_string(n);
    return prefix + Text(digits.begin(), digits.end());
}

class CleanTempFolders : public ::testing::Test {
protected:
    sim::SimFileSystem& files() { return sim.files(); }
    sim::SimKernel& kernel() { return sim.kernel(); }

    bool Clean() {
        auto platform = sim.platform();
        TempFolderCleaner cleaner(platform);
        return cleaner.CleanTempFolders().emptied;
    }

    // A folder full of things to delete: a file, a hidden file, a sub-folder with a file.
    void Fill(const Text& folder) {
        files().AddFile(folder + u"\\a.tmp", "a");
        files().AddFile(folder + u"\\b.tmp", "b", attr::kHidden | attr::kReadOnly);
        files().AddFile(folder + u"\\sub\\c.tmp", "c");
    }
    bool Emptied(const Text& folder) {
        return files().Exists(folder) && files().Tree(folder).empty();
    }
    bool Untouched(const Text& folder) { return files().Tree(folder).size() == 4; }

    // An XP machine: profiles under "Documents and Settings", short names in the temp path.
    void MakeXpProfiles() {
        for (const Text profile : {u"Bob", u"Alice", u"LocalService", u"NetworkService"}) {
            Fill(kXpRoot + profile + kXpTemp);
        }
        files().SetShortName(u"C:\\Documents and Settings", u"DOCUME~1");
        files().SetShortName(kXpRoot + u"Bob\\Local Settings", u"LOCALS~1");
        kernel().SetTempPath(u"C:\\DOCUME~1\\Bob\\LOCALS~1\\Temp\\");
        kernel().SetUserProfileFolder(u"C:\\Documents and Settings\\Bob");
    }

    const Text kXpRoot = u"C:\\Documents and Settings\\";
    const Text kXpTemp = u"\\Local Settings\\Temp";
    sim::SimWindows sim;
};

TEST_F(CleanTempFolders, ATempFolderAtADrivesTopIsEmptiedAlone) {
    for (const Text letter : {u"D", u"Z", u"c"}) {
        sim::SimWindows fresh;
        auto& fs = fresh.files();
        fs.AddDrive(u'D');
        fs.AddDrive(u'Z');
        const Text temp = letter + u":\\TEMP";
        fs.AddFile(temp + u"\\a.tmp");
        fs.AddFile(temp + u"\\sub\\b.tmp");
        fs.AddFile(u"C:\\Documents and Settings\\Bob\\Local Settings\\Temp\\keep.tmp");
        fs.AddFile(u"C:\\Windows\\Temp\\keep.tmp");
        fresh.kernel().SetTempPath(temp + u"\\");
        auto platform = fresh.platform();
        TempFolderCleaner cleaner(platform);

        EXPECT_TRUE(cleaner.CleanTempFolders().emptied);

        EXPECT_TRUE(fs.Exists(temp));
        EXPECT_TRUE(fs.Tree(temp).empty()) << std::string(letter.begin(), letter.end());
        EXPECT_TRUE(fs.Exists(u"C:\\Documents and Settings\\Bob\\Local Settings\\Temp\\keep.tmp"));
        EXPECT_TRUE(fs.Exists(u"C:\\Windows\\Temp\\keep.tmp"));
    }
}

TEST_F(CleanTempFolders, TheWindowsFoldersTempIsEmptiedWithoutAWalk) {
    kernel().SetEnvironmentVariable(u"WINDIR", u"C:\\WINDOWS");
    kernel().SetTempPath(u"C:\\WINDOWS\\TEMP\\");
    Fill(u"C:\\Windows\\Temp");
    Fill(u"C:\\Windows\\Profiles\\Bob\\Local Settings\\Temp");

    EXPECT_TRUE(Clean());

    EXPECT_TRUE(Emptied(u"C:\\Windows\\Temp"));
    EXPECT_TRUE(Untouched(u"C:\\Windows\\Profiles\\Bob\\Local Settings\\Temp"));
}

TEST_F(CleanTempFolders, TheProfileWalkEmptiesEveryProfilesTempButTheServices) {
    MakeXpProfiles();
    Fill(kXpRoot + u"MyService" + kXpTemp);
    Fill(kXpRoot + u"Services" + kXpTemp);
    // Only where a profile keeps its temporary folder counts: a Temp folder straight in a
    // profile, and a copy of an old profile inside a profile, are neither collected nor walked.
    Fill(kXpRoot + u"Bob\\Temp");
    files().AddFile(kXpRoot + u"Bob\\Temp\\Local Settings\\Temp\\deep.tmp");
    files().AddFile(kXpRoot + u"Bob\\My Documents\\Old\\Local Settings\\Temp\\thesis.doc");
    files().AddFile(kXpRoot + u"Bob\\Local Settings\\Temp\\loose.tmp");

    EXPECT_TRUE(Clean());

    EXPECT_TRUE(Emptied(kXpRoot + u"Bob" + kXpTemp));
    EXPECT_TRUE(Emptied(kXpRoot + u"Alice" + kXpTemp));
    EXPECT_TRUE(Emptied(kXpRoot + u"Services" + kXpTemp));
    EXPECT_TRUE(Untouched(kXpRoot + u"LocalService" + kXpTemp));
    EXPECT_TRUE(Untouched(kXpRoot + u"NetworkService" + kXpTemp));
    EXPECT_TRUE(Untouched(kXpRoot + u"MyService" + kXpTemp));
    EXPECT_TRUE(files().Exists(kXpRoot + u"Bob\\Temp\\Local Settings\\Temp\\deep.tmp"));
    EXPECT_TRUE(
        files().Exists(kXpRoot + u"Bob\\My Documents\\Old\\Local Settings\\Temp\\thesis.doc"));
    EXPECT_TRUE(files().Exists(kXpRoot + u"Bob\\Temp\\a.tmp"));
    EXPECT_TRUE(files().Exists(kXpRoot + u"Bob\\Temp\\sub\\c.tmp"));
}

TEST_F(CleanTempFolders, APathEndingInANumberLosesOnlyItsLooseFiles) {
    const Text session = u"C:\\Users\\Bob\\AppData\\Local\\Temp\\2";
    kernel().SetTempPath(session + u"\\");
    files().AddFile(session + u"\\loose.tmp");
    files().AddFile(session + u"\\hidden.tmp", "x", attr::kHidden);
    files().AddFile(session + u"\\sub\\kept.tmp");
    files().AddFile(u"C:\\Users\\Bob\\AppData\\Local\\Temp\\other.tmp");

    EXPECT_FALSE(Clean());

    EXPECT_FALSE(files().Exists(session + u"\\loose.tmp"));
    EXPECT_FALSE(files().Exists(session + u"\\hidden.tmp"));
    EXPECT_TRUE(files().Exists(session + u"\\sub\\kept.tmp"));
    EXPECT_TRUE(files().Exists(u"C:\\Users\\Bob\\AppData\\Local\\Temp\\other.tmp"));
}

TEST_F(CleanTempFolders, TheFirst51MatchingFoldersAreEmptiedAndNoMore) {
    for (int n = 0; n < 53; ++n) Fill(Numbered(kXpRoot + u"User", n) + kXpTemp);
    kernel().SetTempPath(Numbered(kXpRoot + u"User", 0) + kXpTemp + u"\\");

    EXPECT_TRUE(Clean());

    for (int n = 0; n < 51; ++n) {
        EXPECT_TRUE(Emptied(Numbered(kXpRoot + u"User", n) + kXpTemp)) << n;
    }
    EXPECT_TRUE(Untouched(Numbered(kXpRoot + u"User", 51) + kXpTemp));
    EXPECT_TRUE(Untouched(Numbered(kXpRoot + u"User", 52) + kXpTemp));
    EXPECT_EQ(files().OpenSearches(), 0u);
}

TEST_F(CleanTempFolders, TheUsersOwnTempFolderIsEmptiedEvenBeyondTheFirst51) {
    for (int n = 0; n < 53; ++n) Fill(Numbered(kXpRoot + u"User", n) + kXpTemp);
    kernel().SetTempPath(Numbered(kXpRoot + u"User", 52) + kXpTemp + u"\\");

    EXPECT_TRUE(Clean());

    EXPECT_TRUE(Emptied(Numbered(kXpRoot + u"User", 50) + kXpTemp));
    EXPECT_TRUE(Untouched(Numbered(kXpRoot + u"User", 51) + kXpTemp));
    EXPECT_TRUE(Emptied(Numbered(kXpRoot + u"User", 52) + kXpTemp));
}

TEST_F(CleanTempFolders, CurrentProfilesLoseTheirOwnTempWithoutFollowingTheJunction) {
    const Text bob = u"C:\\Users\\Bob";
    Fill(bob + u"\\AppData\\Local\\Temp");
    Fill(u"C:\\Users\\Alice\\AppData\\Local\\Temp");
    files().AddFolderLink(bob + u"\\Local Settings", bob + u"\\AppData\\Local");
    files().AddFolderLink(u"C:\\Users\\Alice\\Local Settings", u"C:\\Users\\Alice\\AppData\\Local");
    files().AddFolderLink(u"C:\\Users\\Default User", u"C:\\Users");
    kernel().SetTempPath(bob + u"\\AppData\\Local\\Temp\\");

    EXPECT_TRUE(Clean());

    EXPECT_TRUE(Emptied(bob + u"\\AppData\\Local\\Temp"));
    EXPECT_TRUE(Untouched(u"C:\\Users\\Alice\\AppData\\Local\\Temp"));
    EXPECT_TRUE(files().Exists(bob + u"\\Local Settings"));
}

TEST_F(CleanTempFolders, ALinkInsideATempFolderLeavesItsTargetAlone) {
    MakeXpProfiles();
    files().AddDrive(u'D');
    files().AddFile(u"D:\\Precious\\keep.dat", "keep", attr::kReadOnly);
    files().AddFolderLink(kXpRoot + u"Alice" + kXpTemp + u"\\outside", u"D:\\Precious");
    const Text aliceTemp = kXpRoot + u"Alice" + kXpTemp;
    files().AddFolderLink(aliceTemp + u"\\sub\\up", aliceTemp);

    EXPECT_TRUE(Clean());

    EXPECT_TRUE(Emptied(kXpRoot + u"Alice" + kXpTemp));
    EXPECT_EQ(files().Contents(u"D:\\Precious\\keep.dat"), "keep");
    EXPECT_EQ(files().Attributes(u"D:\\Precious\\keep.dat"), attr::kReadOnly);
}

TEST_F(CleanTempFolders, UnixLinksLeadingOutOfTheTempFoldersAreNeitherFollowedNorDeleted) {
    // As Wine shows Unix symbolic links: a link to a file as a plain file; a link to a folder
    // as a folder that RemoveDirectory removes behind the link when it is empty.
    MakeXpProfiles();
    files().AddDrive(u'D');
    files().AddFile(u"D:\\Keep\\file.dat", "keep");
    files().AddFolder(u"D:\\Keep\\empty");
    Fill(u"D:\\Profile\\Local Settings\\Temp");
    const Text bobTemp = kXpRoot + u"Bob" + kXpTemp;
    files().AddUnixLink(bobTemp + u"\\loose link.dat", u"D:\\Keep\\file.dat");
    files().AddUnixLink(bobTemp + u"\\sub\\file link.dat", u"D:\\Keep\\file.dat");
    files().AddUnixLink(bobTemp + u"\\sub\\folder link", u"D:\\Keep\\empty");
    files().AddUnixLink(kXpRoot + u"Dora", u"D:\\Profile");
    const auto keepBefore = files().Tree(u"D:\\");

    EXPECT_TRUE(Clean());

    EXPECT_EQ(files().Tree(u"D:\\"), keepBefore);
    EXPECT_EQ(files().Contents(u"D:\\Keep\\file.dat"), "keep");
    EXPECT_TRUE(files().Exists(bobTemp + u"\\loose link.dat"));
    EXPECT_TRUE(Emptied(kXpRoot + u"Alice" + kXpTemp));
}

TEST_F(CleanTempFolders, AFileInUseStaysAndEverythingElseGoes) {
    MakeXpProfiles();
    const Text temp = kXpRoot + u"Bob" + kXpTemp;
    files().AddFile(temp + u"\\sub\\open.log");
    files().SetInUse(temp + u"\\sub\\open.log", true);
    files().AddFile(temp + u"\\loose.log");
    files().SetInUse(temp + u"\\loose.log", true);

    EXPECT_TRUE(Clean());

    const std::vector<Text> expected = {temp + u"\\loose.log", temp + u"\\sub",
                                        temp + u"\\sub\\open.log"};
    EXPECT_EQ(files().Tree(temp), expected);
}

TEST_F(CleanTempFolders, AFallbackTempPathDeletesNothingAtAll) {
    using enum TempPathRefusal;
    struct Case {
        const char* what;
        std::optional<Text> tempPath;
        TempPathRefusal refusal;
    };
    const Case cases[] = {
        {"no path", std::nullopt, NoTempPath},
        {"empty path", u"", NoTempPath},
        {"blanks", u"   ", NoTempPath},
        {"drive root", u"C:\\", DriveRoot},
        {"drive root without backslash", u"c:", DriveRoot},
        {"another drive's root", u"D:\\", DriveRoot},
        {"Windows folder", u"C:\\WINDOWS\\", WindowsFolder},
        {"profile folder", u"C:\\Users\\Bob\\", ProfileFolder},
        {"profile folder in short form", u"C:\\USERS~1\\Bob", ProfileFolder},
        {"relative path", u"Temp\\", NotAFullPath},
    };
    for (const auto& c : cases) {
        sim::SimWindows fresh;
        auto& fs = fresh.files();
        fs.AddDrive(u'D');
        for (const Text folder : {u"C:", u"D:", u"C:\\Windows", u"C:\\Users\\Bob"}) {
            fs.AddFile(folder + u"\\loose.dat");
        }
        fs.AddFile(u"C:\\Users\\Bob\\AppData\\Local\\Temp\\t.tmp");
        fs.SetShortName(u"C:\\Users", u"USERS~1");
        fresh.kernel().SetTempPath(c.tempPath);
        auto platform = fresh.platform();
        TempFolderCleaner cleaner(platform);

        const TempCleanResult result = cleaner.CleanTempFolders();
        EXPECT_FALSE(result.emptied) << c.what;
        EXPECT_EQ(result.refused, c.refusal) << c.what;

        EXPECT_TRUE(fs.Deletions().empty()) << c.what;
    }
}

// A relative TEMP (".") resolves against the current folder, the program's own when it is
// started from Explorer or the Run key: the files beside it are not temporary files.
TEST_F(CleanTempFolders, TheProgramsFolderAndEveryFolderHoldingItAreRefused) {
    const Text program = u"C:\\Program Files\\Dustvale";
    const struct {
        const char* what;
        Text tempPath;
    } cases[] = {
        {"the program's folder", program + u"\\"},
        {"in other letters and short form", u"c:\\PROGRA~1\\dustvale"},
        {"a folder holding it", u"C:\\Program Files"},
        {"a link to it", u"C:\\Shortcut"},
        {"a Temp folder linked to a folder holding it", u"D:\\Temp"},
    };
    for (const auto& c : cases) {
        sim::SimWindows fresh;
        auto& fs = fresh.files();
        fs.AddDrive(u'D');
        for (const Text name :
             {u"AutoClean.cfg", u"full.ico", u"empty.ico", u"Dustvale.exe.manifest"}) {
            fs.AddFile(program + u"\\" + name);
        }
        fs.AddFile(u"C:\\Program Files\\Other\\other.exe");
        fs.SetShortName(u"C:\\Program Files", u"PROGRA~1");
        fs.AddFolderLink(u"C:\\Shortcut", program);
        fs.AddFolderLink(u"D:\\Temp", u"C:\\Program Files");
        fresh.kernel().SetTempPath(c.tempPath);
        auto platform = fresh.platform();
        TempFolderCleaner cleaner(platform);

        const TempCleanResult result = cleaner.CleanTempFolders();
        EXPECT_FALSE(result.emptied) << c.what;
        EXPECT_EQ(result.refused, TempPathRefusal::ProgramFolder) << c.what;

        EXPECT_TRUE(fs.Deletions().empty()) << c.what;
    }
    // A temporary folder inside the program's folder is only a temporary folder.
    files().AddFile(program + u"\\AutoClean.cfg");
    files().AddFile(program + u"\\Temp\\old.tmp");
    kernel().SetTempPath(program + u"\\Temp\\");
    EXPECT_TRUE(Clean());
    EXPECT_TRUE(Emptied(program + u"\\Temp"));
    EXPECT_TRUE(files().Exists(program + u"\\AutoClean.cfg"));
}

TEST_F(CleanTempFolders, AProfilesTempFolderHoldingTheProgramIsLeftAlone) {
    MakeXpProfiles();
    const Text aliceTemp = kXpRoot + u"Alice" + kXpTemp;
    kernel().SetModuleFileName(aliceTemp + u"\\Unpacked\\Dustvale.exe");
    files().AddFile(aliceTemp + u"\\Unpacked\\AutoClean.cfg");

    EXPECT_TRUE(Clean());

    EXPECT_EQ(files().Tree(aliceTemp).size(), 6u);
    EXPECT_TRUE(Emptied(kXpRoot + u"Bob" + kXpTemp));
}

TEST_F(CleanTempFolders, ATempPathWhoseTopFolderIsMissingLosesOnlyLooseFiles) {
    kernel().SetTempPath(u"C:\\Gone\\Temp\\");
    files().AddFile(u"C:\\Windows\\Temp\\keep.tmp");

    EXPECT_FALSE(Clean());

    EXPECT_TRUE(files().Exists(u"C:\\Windows\\Temp\\keep.tmp"));
}

TEST_F(CleanTempFolders, ASecondCleanArrivingThroughAYieldDoesNothing) {
    MakeXpProfiles();
    auto platform = sim.platform();
    TempFolderCleaner cleaner(platform);
    std::optional<bool> second;
    bool runningMeanwhile = false;
    std::size_t deletionsBefore = 0;
    sim.windows().At(0, [&] {
        runningMeanwhile = cleaner.Running();
        deletionsBefore = files().Deletions().size();
        second = cleaner.CleanTempFolders().emptied;
        EXPECT_EQ(files().Deletions().size(), deletionsBefore);
    });

    EXPECT_TRUE(cleaner.CleanTempFolders().emptied);

    ASSERT_TRUE(second.has_value());
    EXPECT_FALSE(*second);
    EXPECT_TRUE(runningMeanwhile);
    EXPECT_FALSE(cleaner.Running());
    EXPECT_TRUE(Emptied(kXpRoot + u"Alice" + kXpTemp));
    // The next clean runs again.
    Fill(kXpRoot + u"Alice" + kXpTemp);
    EXPECT_TRUE(cleaner.CleanTempFolders().emptied);
    EXPECT_TRUE(Emptied(kXpRoot + u"Alice" + kXpTemp));
}

// Stops the cleaner when its message comes, as the program's window does at Exit.
class ExitWindow final : public MessageHandler {
public:
    explicit ExitWindow(std::function<void()> exit) : exit_(std::move(exit)) {}
    LResult HandleMessage(Hwnd, std::int32_t message, WParam, LParam) noexcept override {
        if (message == msg::kApp) exit_();
        return 0;
    }

private:
    std::function<void()> exit_;
};

TEST_F(CleanTempFolders, ExitArrivingAtAnyMomentStopsTheCleanWithNothingDeletedAfter) {
    // Exit is posted before each file-system call of a whole clean in turn, with Windows' and
    // with Wine's handles (which delete at the close); it is handled at the clean's next yield.
    const auto layOut = [this](sim::SimWindows& w) {
        auto& fs = w.files();
        for (const Text profile : {u"Bob", u"Alice", u"LocalService"}) {
            const Text temp = kXpRoot + profile + kXpTemp;
            fs.AddFile(temp + u"\\a.tmp", "a");
            fs.AddFile(temp + u"\\b.tmp", "b", attr::kHidden | attr::kReadOnly);
            fs.AddFile(temp + u"\\sub\\c.tmp", "c");
            fs.AddFile(temp + u"\\sub\\deeper\\d.tmp", "d", attr::kSystem);
        }
        w.kernel().SetTempPath(kXpRoot + u"Bob" + kXpTemp + u"\\");
    };
    for (const bool wine : {false, true}) {
        std::uint64_t calls = 0;
        std::size_t fullDeletions = 0;
        {
            sim::SimWindows whole;
            layOut(whole);
            whole.files().UseWineHandles(wine);
            auto platform = whole.platform();
            const std::uint64_t before = whole.files().Calls();
            EXPECT_TRUE(TempFolderCleaner(platform).CleanTempFolders().emptied);
            calls = whole.files().Calls() - before;
            fullDeletions = whole.files().Deletions().size();
        }
        ASSERT_EQ(fullDeletions, 12u);  // six entries in each of two profiles
        std::set<std::size_t> stoppedAfter;
        for (std::uint64_t at = 0; at < calls; ++at) {
            SCOPED_TRACE(testing::Message() << (wine ? "Wine" : "Windows") << ", Exit at call " << at);
            sim::SimWindows w;
            layOut(w);
            w.files().UseWineHandles(wine);
            auto platform = w.platform();
            TempFolderCleaner cleaner(platform);
            std::optional<std::size_t> deletedAtExit;
            ExitWindow handler([&] {
                cleaner.Stop();
                deletedAtExit = w.files().Deletions().size();
            });
            const Hwnd window = w.windows().CreateWindow(WindowKind::HiddenOwner, 0, &handler);
            const std::uint64_t first = w.files().Calls();
            w.files().BeforeEachCall([&](std::uint64_t call) {
                if (call == first + at) w.windows().PostMessage(window, msg::kApp, 0, 0);
            });

            const TempCleanResult result = cleaner.CleanTempFolders();

            EXPECT_EQ(w.files().OpenHandles(), 0u);
            if (!deletedAtExit) {  // posted after the last yield: the clean had ended
                EXPECT_FALSE(result.stopped);
                EXPECT_EQ(w.files().Deletions().size(), fullDeletions);
                continue;
            }
            EXPECT_TRUE(result.stopped);
            EXPECT_FALSE(result.emptied);
            EXPECT_EQ(w.files().Deletions().size(), *deletedAtExit);
            stoppedAfter.insert(*deletedAtExit);
            // No file is left half-done: one whose attributes were cleared is gone.
            for (const Text& changed : w.files().AttributeChanges()) {
                if (w.files().Exists(changed)) {
                    EXPECT_NE(w.files().Attributes(changed).value_or(0) & attr::kDirectory, 0u);
                }
            }
            // The next clean does not start.
            EXPECT_TRUE(cleaner.CleanTempFolders().stopped);
            EXPECT_EQ(w.files().Deletions().size(), *deletedAtExit);
        }
        // Exit came before the first deletion, between deletions, and after the last one.
        EXPECT_TRUE(stoppedAfter.contains(0));
        EXPECT_TRUE(stoppedAfter.contains(fullDeletions / 2));
        EXPECT_TRUE(stoppedAfter.contains(fullDeletions));
    }
}

TEST_F(CleanTempFolders, TheCleanRunsOnWhenItsOwnerGoesAwayWhileItYields) {
    MakeXpProfiles();
    auto platform = sim.platform();
    auto cleaner = std::make_unique<TempFolderCleaner>(platform);
    sim.windows().At(0, [&] { cleaner.reset(); });

    EXPECT_TRUE(cleaner->CleanTempFolders().emptied);

    EXPECT_EQ(cleaner, nullptr);
    EXPECT_TRUE(Emptied(kXpRoot + u"Bob" + kXpTemp));
    EXPECT_TRUE(Emptied(kXpRoot + u"Alice" + kXpTemp));
}

}  // namespace
}  // namespace dustvale
