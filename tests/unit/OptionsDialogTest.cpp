#include <gtest/gtest.h>

#include "app/CommonControlsStartup.h"
#include "app/OptionsDialog.h"
#include "app/ProgramWindows.h"
#include "app/TrayApplication.h"
#include "platform/sim/SimFileSystem.h"
#include "platform/sim/SimKernel.h"
#include "platform/sim/SimShell.h"
#include "platform/sim/SimUserInterface.h"
#include "platform/sim/SimWindowing.h"
#include "platform/sim/SimWindows.h"
#include "res/ResourceIds.h"

namespace dustvale {
namespace {

const Text kFolder = u"C:\\Program Files\\Dustvale";
const Text kSettings = u"C:\\Program Files\\Dustvale\\AutoClean.cfg";
const Text kManifest = u"C:\\Program Files\\Dustvale\\Dustvale.exe.manifest";

class OptionsDialogTest : public ::testing::Test {
protected:
    OptionsDialogTest() { sim.files().AddFile(kManifest, "x", attr::kHidden); }

    // Opens the dialog with the program running on `autoClean`.
    sim::SimDialog& Open(const Text& autoClean) {
        setting.Set(autoClean);
        return Reopen();
    }
    // Opens it with the setting as it is now.
    sim::SimDialog& Reopen() {
        options.ShowOptions(setting);
        sim::SimDialog* dialog = sim.dialogs().Current();
        if (dialog == nullptr) throw std::runtime_error("no dialog");
        return *dialog;
    }
    std::optional<std::string> Stored() { return sim.files().Contents(kSettings); }

    sim::SimWindows sim;
    Platform platform = sim.platform();
    NumberedFiles files{platform.files};
    ProgramWindows programWindows{platform.windows};
    CommonControlsStartup startup{{platform, files, programWindows}};
    SingleOptionsDialog options{platform, programWindows, files, startup};
    AutoEmptySetting setting;  // the one the program runs with
};

TEST_F(OptionsDialogTest, AutoEmptyOffOpensClearWithTheDisabledDefaultAndWritesNothing) {
    sim::SimDialog& dialog = Open(u"OFF");
    EXPECT_FALSE(dialog.IsChecked(OptionsDialog::AutoEmptyBox));
    EXPECT_FALSE(dialog.IsChecked(OptionsDialog::AutostartBox));
    EXPECT_EQ(dialog.GetText(OptionsDialog::ThresholdBox), u"15");
    EXPECT_FALSE(dialog.IsEnabled(OptionsDialog::ThresholdBox));
    EXPECT_TRUE(dialog.IsVisible());
    EXPECT_EQ(dialog.TimesShownCentred(), 1);
    EXPECT_FALSE(sim.files().Exists(kSettings));
}

TEST_F(OptionsDialogTest, OpeningWithAThresholdShowsItAndRewritesTheFile) {
    sim.files().AddFile(kSettings, "20\r\n");  // stored earlier in this run
    sim::SimDialog& dialog = Open(u"15");
    EXPECT_TRUE(dialog.IsChecked(OptionsDialog::AutoEmptyBox));
    EXPECT_TRUE(dialog.IsEnabled(OptionsDialog::ThresholdBox));
    EXPECT_EQ(dialog.GetText(OptionsDialog::ThresholdBox), u"15");
    EXPECT_EQ(Stored(), "15\r\n");
}

TEST_F(OptionsDialogTest, WhatItStoresIsTheProgramsSettingAtOnceAndTheNextOpeningShowsIt) {
    sim::SimDialog& first = Open(u"15");
    first.Type(OptionsDialog::ThresholdBox, u"20");
    EXPECT_EQ(Stored(), "15\r\n") << "typing stores nothing";
    EXPECT_EQ(setting.Value(), u"15");
    first.Click(OptionsDialog::CloseButton);
    EXPECT_EQ(Stored(), "20\r\n");
    EXPECT_EQ(setting.Value(), u"20");
    EXPECT_EQ(sim.dialogs().Current(), nullptr) << "Close closes the dialog";
    EXPECT_EQ(programWindows.Count(), 0u);

    sim::SimDialog& second = Reopen();
    EXPECT_EQ(second.GetText(OptionsDialog::ThresholdBox), u"20");
    EXPECT_EQ(Stored(), "20\r\n");
}

TEST_F(OptionsDialogTest, ASettingStoredWithoutAFileIsNotSwitchedOffByLookingAtIt) {
    // Started without a settings file: off.
    sim::SimDialog& first = Open(u"OFF");
    first.Click(OptionsDialog::AutoEmptyBox);
    first.Type(OptionsDialog::ThresholdBox, u"7");
    first.Click(OptionsDialog::CloseButton);
    EXPECT_EQ(Stored(), "7\r\n");

    sim::SimDialog& second = Reopen();
    EXPECT_TRUE(second.IsChecked(OptionsDialog::AutoEmptyBox));
    EXPECT_TRUE(second.IsEnabled(OptionsDialog::ThresholdBox));
    EXPECT_EQ(second.GetText(OptionsDialog::ThresholdBox), u"7");
    second.Click(OptionsDialog::CloseButton);
    EXPECT_EQ(Stored(), "7\r\n");
    EXPECT_EQ(setting.Value(), u"7");
}

TEST_F(OptionsDialogTest, CheckBoxStoresAtOnceAndClearingStoresExactlyOff) {
    sim::SimDialog& dialog = Open(u"OFF");
    dialog.Click(OptionsDialog::AutoEmptyBox);
    EXPECT_TRUE(dialog.IsEnabled(OptionsDialog::ThresholdBox));
    EXPECT_EQ(Stored(), "15\r\n");
    // The box takes digits alone: blanks, letters and separators are refused as they are typed.
    dialog.Type(OptionsDialog::ThresholdBox, u" 1,000 items");
    EXPECT_EQ(dialog.GetText(OptionsDialog::ThresholdBox), u"1000");
    dialog.Click(OptionsDialog::AutoEmptyBox);
    EXPECT_FALSE(dialog.IsEnabled(OptionsDialog::ThresholdBox));
    EXPECT_EQ(Stored(), std::string("OFF\r\n", 5));
    EXPECT_EQ(setting.Value(), u"OFF");
    dialog.Click(OptionsDialog::AutoEmptyBox);
    EXPECT_EQ(Stored(), "1000\r\n");
    EXPECT_EQ(setting.Value(), u"1000");
    dialog.Type(OptionsDialog::ThresholdBox, u"");
    dialog.Enter();  // Enter presses Close
    EXPECT_EQ(Stored(), "\r\n") << "an empty box is stored as it is, and never due";
    EXPECT_EQ(setting.Value(), u"");
    EXPECT_EQ(sim.dialogs().Current(), nullptr);
}

TEST_F(OptionsDialogTest, ClosingFromTheTitleBarOrWithEscStoresNothing) {
    sim::SimDialog& first = Open(u"15");
    first.Type(OptionsDialog::ThresholdBox, u"40");
    first.CloseBox();
    EXPECT_EQ(Stored(), "15\r\n");
    EXPECT_EQ(sim.dialogs().Current(), nullptr);

    sim::SimDialog& second = Open(u"OFF");
    second.Click(OptionsDialog::AutoEmptyBox);
    second.Type(OptionsDialog::ThresholdBox, u"40");
    second.Escape();
    EXPECT_EQ(Stored(), "15\r\n");
    EXPECT_EQ(programWindows.Count(), 0u);
}

TEST_F(OptionsDialogTest, ASecondOpeningBringsTheSameDialogForward) {
    sim::SimDialog& dialog = Open(u"15");
    sim.files().AddFile(kSettings, "99\r\n");
    Reopen();
    EXPECT_EQ(sim.dialogs().Created(), 1);
    EXPECT_EQ(sim.dialogs().Current(), &dialog);
    EXPECT_EQ(dialog.TimesBroughtToFront(), 1);
    EXPECT_EQ(Stored(), "99\r\n") << "bringing forward does not load again";
}

TEST_F(OptionsDialogTest, TheDialogObjectIsInitialisedOnceAndOnlyAtTheFirstOpening) {
    EXPECT_TRUE(sim.commonControls().ExCalls().empty());
    Open(u"OFF").CloseBox();
    Open(u"OFF").CloseBox();
    EXPECT_EQ(sim.commonControls().ExCalls(), (std::vector<std::uint32_t>{0xFFFF, 0x200}));
}

TEST_F(OptionsDialogTest, TheDialogKeepsTheProcessRunningAfterTheMainWindowCloses) {
    struct MainWindow final : ProgramWindow {
        explicit MainWindow(ProgramWindows& w) : windows(w) { windows.Add(*this); }
        void Close() override { windows.Remove(*this); }
        ProgramWindows& windows;
    } main(programWindows);
    sim::SimDialog& dialog = Open(u"OFF");
    main.Close();
    EXPECT_FALSE(sim.windows().QuitPosted());
    dialog.Click(OptionsDialog::CloseButton);
    EXPECT_TRUE(sim.windows().QuitPosted());
}

TEST_F(OptionsDialogTest, FirstOpeningAfterTheManifestWentRewritesItAndEndsWithoutTrayIcon) {
    sim.commonControls().SetLoadedVersion(5);  // the restart would bring the visual styles
    TrayApplication app(platform, programWindows, files, startup, options);
    ASSERT_EQ(sim.shell().Icons().size(), 1u);
    sim.files().SetFileAttributes(kManifest, attr::kNormal);
    sim.files().DeleteFile(kManifest);

    EXPECT_THROW(Open(app.AutoClean()), sim::ProcessExit);
    EXPECT_TRUE(sim.files().Exists(kManifest));
    EXPECT_EQ(sim.ui().MessageBoxes().size(), 1u);
    EXPECT_TRUE(sim.shell().Icons().empty());
    EXPECT_EQ(sim.dialogs().Created(), 0);
}

TEST(OptionsDialogLayout, ControlsCaptionsAndTabOrder) {
    const DialogLayout layout = OptionsDialogLayout();
    EXPECT_EQ(layout.caption, u"Options");
    EXPECT_EQ(layout.smallIcon, static_cast<std::uint32_t>(IDI_OPTIONS));
    ASSERT_EQ(layout.controls.size(), 4u);
    const Text caption = layout.controls[OptionsDialog::AutoEmptyBox].text;
    EXPECT_EQ(caption, u"Empty Recycle Bin if there are more than" + Text(14, u' ') + u"files(s).");
    EXPECT_EQ(layout.controls[OptionsDialog::ThresholdBox].kind, ControlKind::TextBox);
    EXPECT_TRUE(layout.controls[OptionsDialog::ThresholdBox].digitsOnly);
    EXPECT_EQ(layout.controls[OptionsDialog::AutostartBox].text, u"Auto Start with Windows.");
    EXPECT_EQ(layout.controls[OptionsDialog::CloseButton].text, u"Close");
    EXPECT_EQ(layout.controls[OptionsDialog::CloseButton].kind, ControlKind::DefaultButton);
}

TEST_F(OptionsDialogTest, ControlsArePlacedInPixelsAtTheDpiOfTheDialogsMonitor) {
    struct Case {
        std::int32_t dpi;
        sim::PixelRect client, autoEmpty, threshold, autostart, close;
    };
    const Case cases[] = {
        {96, {0, 0, 312, 100}, {8, 8, 289, 17}, {224, 8, 33, 19}, {8, 40, 289, 17},
         {224, 64, 81, 33}},
        // 10 twips a pixel; halves round up.
        {144, {0, 0, 468, 150}, {12, 12, 434, 26}, {336, 12, 50, 29}, {12, 60, 434, 26},
         {336, 96, 122, 50}},
    };
    auto expectLaidOutAt = [](const sim::SimDialog& dialog, const Case& c) {
        EXPECT_EQ(dialog.ClientPixels(), c.client) << c.dpi;
        EXPECT_EQ(dialog.ControlPixels(OptionsDialog::AutoEmptyBox), c.autoEmpty) << c.dpi;
        EXPECT_EQ(dialog.ControlPixels(OptionsDialog::ThresholdBox), c.threshold) << c.dpi;
        EXPECT_EQ(dialog.ControlPixels(OptionsDialog::AutostartBox), c.autostart) << c.dpi;
        EXPECT_EQ(dialog.ControlPixels(OptionsDialog::CloseButton), c.close) << c.dpi;
    };
    for (const Case& c : cases) {
        sim.windows().SetScreenDpi(c.dpi);
        sim::SimDialog& dialog = Open(u"OFF");
        expectLaidOutAt(dialog, c);
        dialog.CloseBox();
    }

    // Open at 150 %, the dialog follows its monitor: dragged onto one at 100 %, then that
    // monitor set to 150 %, with what the user typed kept.
    const std::size_t second = sim.windows().AddMonitor(sim::Rect{3000, 0, 4920, 1080}, 96);
    sim::SimDialog& dialog = Open(u"OFF");
    dialog.Click(OptionsDialog::AutoEmptyBox);
    dialog.Type(OptionsDialog::ThresholdBox, u"42");
    dialog.DragTo({3200, 300});
    expectLaidOutAt(dialog, cases[0]);
    sim.windows().SetMonitorDpi(second, 144);
    expectLaidOutAt(dialog, cases[1]);
    EXPECT_EQ(dialog.GetText(OptionsDialog::ThresholdBox), u"42");
    EXPECT_TRUE(dialog.IsChecked(OptionsDialog::AutoEmptyBox));
}

}  // namespace
}  // namespace dustvale
