#include <gtest/gtest.h>

#include "app/CommonControlsStartup.h"
#include "app/OptionsDialog.h"
#include "app/ProgramWindows.h"
#include "common/ApplicationPaths.h"
#include "platform/sim/SimFileSystem.h"
#include "platform/sim/SimKernel.h"
#include "platform/sim/SimUserInterface.h"
#include "platform/sim/SimWindows.h"
#include "settings/Autostart.h"
#include "settings/Manifest.h"

namespace dustvale {
namespace {

const Text kRun = u"Software\\Microsoft\\Windows\\CurrentVersion\\Run";

TEST(ApplicationPaths, FolderAndNameOfTheExecutable) {
    struct Case {
        Text executable, folder, name;
    };
    const Case cases[] = {
        {u"C:\\Program Files\\Dustvale\\Dustvale.exe", u"C:\\Program Files\\Dustvale", u"Dustvale"},
        {u"C:\\Dustvale.exe", u"C:\\", u"Dustvale"},
        {u"D:\\Tools\\bin.cleaner.exe", u"D:\\Tools", u"bin.cleaner"},
        {u"\\\\server\\share\\Dustvale.exe", u"\\\\server\\share", u"Dustvale"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ApplicationFolder(c.executable), c.folder);
        EXPECT_EQ(ExecutableName(c.executable), c.name);
    }
}

TEST(AutostartCommand, IsTheQuotedFullPathOfTheExecutable) {
    EXPECT_EQ(AutostartCommand(u"C:\\Program Files\\Dust vale", u"Dustvale"),
              u"\"C:\\Program Files\\Dust vale\\Dustvale.exe\"");
    // A drive's root already ends in a backslash; the one added makes two, which Windows reads
    // as one.
    EXPECT_EQ(AutostartCommand(u"D:\\", u"Dustvale"), u"\"D:\\\\Dustvale.exe\"");
}

// The Options dialog's "Auto Start with Windows." box against the simulated registry.
class AutostartBox : public ::testing::Test {
protected:
    AutostartBox() {
        // A manifest is in place, so opening the dialog does not end the program.
        sim.files().AddFile(u"C:\\Program Files\\Dustvale\\Dustvale.exe.manifest", "x",
                            attr::kHidden);
    }

    sim::SimDialog& Open() {
        options.ShowOptions(autoEmpty, removal);
        return *sim.dialogs().Current();
    }

    std::optional<Text> RunValue() { return sim.registry().Value(kRun, u"Dustvale"); }

    sim::SimWindows sim;
    Platform platform = sim.platform();
    NumberedFiles files{platform.files};
    ProgramWindows programWindows{platform.windows};
    CommonControlsStartup startup{{platform, files, programWindows}};
    SingleOptionsDialog options{platform, programWindows, files, startup};
    AutoEmptySetting autoEmpty;  // off
    RemovalSettingsInUse removal;
};

TEST_F(AutostartBox, TickingWritesTheQuotedPathAndClearingDeletesIt) {
    sim.kernel().SetModuleFileName(u"C:\\Program Files\\Dust vale\\Dustvale.exe");
    sim.files().AddFile(u"C:\\Program Files\\Dust vale\\Dustvale.exe.manifest", "x");
    sim::SimDialog& dialog = Open();
    EXPECT_FALSE(dialog.IsChecked(OptionsDialog::AutostartBox));

    dialog.Click(OptionsDialog::AutostartBox);
    EXPECT_EQ(RunValue(), u"\"C:\\Program Files\\Dust vale\\Dustvale.exe\"");
    dialog.Click(OptionsDialog::AutostartBox);
    EXPECT_EQ(RunValue(), std::nullopt);
    dialog.Click(OptionsDialog::AutostartBox);
    EXPECT_EQ(sim.registry().ValueNames(kRun), std::vector<Text>{u"Dustvale"});

    for (const auto& call : sim.registry().OpenCalls()) {
        EXPECT_EQ(call.access, 0x20006u);
        EXPECT_EQ(call.subKey, kRun);
    }
    EXPECT_EQ(sim.registry().OpenCalls().size(), 3u);
    EXPECT_EQ(sim.registry().OpenKeys(), 0u) << "the Run key is closed after each routine";
}

TEST_F(AutostartBox, ARenamedOrMovedExecutableReplacesTheValue) {
    sim.registry().SetValue(kRun, u"DUSTVALE", u"\"C:\\Old\\Dustvale.exe\"");
    sim.kernel().SetModuleFileName(u"E:\\Bin Cleaner.exe");
    sim.files().AddDrive(u'E');
    sim.files().AddFile(u"E:\\Bin Cleaner.exe.manifest", "x");
    Open().Click(OptionsDialog::AutostartBox);
    EXPECT_EQ(sim.registry().ValueNames(kRun).size(), 1u);
    EXPECT_EQ(RunValue(), u"\"E:\\\\Bin Cleaner.exe\"");
}

TEST_F(AutostartBox, StartsClearEvenWhenRegisteredAndRemovingTakesTickAndClear) {
    sim.registry().SetValue(kRun, u"Dustvale", u"\"C:\\Program Files\\Dustvale\\Dustvale.exe\"");
    sim::SimDialog& dialog = Open();
    EXPECT_FALSE(dialog.IsChecked(OptionsDialog::AutostartBox));
    EXPECT_TRUE(sim.registry().OpenCalls().empty()) << "the value is never read back";
    dialog.Click(OptionsDialog::AutostartBox);
    dialog.Click(OptionsDialog::AutostartBox);
    EXPECT_EQ(RunValue(), std::nullopt);
}

TEST_F(AutostartBox, AMissingOrLockedRunKeyIsNeitherCreatedNorReported) {
    sim.registry().RemoveKey(kRun);
    sim::SimDialog& dialog = Open();
    dialog.Click(OptionsDialog::AutostartBox);
    EXPECT_FALSE(sim.registry().KeyExists(kRun));
    EXPECT_TRUE(dialog.IsChecked(OptionsDialog::AutostartBox)) << "the box keeps the user's state";
    dialog.Click(OptionsDialog::AutostartBox);  // clearing with no value: nothing happens

    sim.registry().AddKey(kRun);
    sim.registry().DenyNextOpen();
    dialog.Click(OptionsDialog::AutostartBox);
    EXPECT_EQ(RunValue(), std::nullopt);
    EXPECT_TRUE(sim.ui().MessageBoxes().empty());
    EXPECT_EQ(sim.registry().OpenKeys(), 0u);
}

}  // namespace
}  // namespace dustvale
