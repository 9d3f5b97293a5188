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

TEST_F(OptionsDialogTest, OpeningAndClosingWithoutAChangeLeavesTheFileAsItWasSaved) {
    using namespace std::string_literals;
    const struct {
        const char* what;
        std::string bytes;
    } cases[] = {
        {"quoted", "\"7\"\r\n"},
        {"UTF-16 with a second line", "\xFF\xFE" "7\0\r\0\n\0" "x\0"s},
        {"a digit beyond ANSI", "\xFF\xFE" "\x67\x06" "\r\0\n\0"s},
    };
    for (const auto& c : cases) {
        for (const bool closeButton : {false, true}) {
            sim.files().AddFile(kSettings, c.bytes);
            sim::SimDialog& dialog = Open(LoadAutoClean(platform, files, kFolder));
            EXPECT_TRUE(dialog.IsChecked(OptionsDialog::AutoEmptyBox)) << c.what;
            EXPECT_TRUE(dialog.IsEnabled(OptionsDialog::ThresholdBox)) << c.what;
            EXPECT_EQ(Stored(), c.bytes) << c.what << ": opening writes nothing";
            if (closeButton) {
                dialog.Click(OptionsDialog::CloseButton);
            } else {
                dialog.CloseBox();
            }
            EXPECT_EQ(Stored(), c.bytes) << c.what << ": nothing changed, nothing written";
        }
    }
}

TEST_F(OptionsDialogTest, WhatItStoresEmptiesNothingUntilTheDialogCloses) {
    sim::SimDialog& dialog = Open(u"OFF");
    dialog.Click(OptionsDialog::AutoEmptyBox);
    EXPECT_EQ(Stored(), "15\r\n") << "ticking stores the box's text at once";
    EXPECT_FALSE(setting.Due(1000000)) << "the user has not typed a threshold yet";
    dialog.Type(OptionsDialog::ThresholdBox, u"500");
    EXPECT_EQ(Stored(), "15\r\n") << "typing stores nothing";
    dialog.Click(OptionsDialog::CloseButton);
    EXPECT_EQ(Stored(), "500\r\n");
    EXPECT_EQ(setting.Value(), u"500");
    EXPECT_FALSE(setting.Due(499));
    EXPECT_TRUE(setting.Due(500));
    EXPECT_EQ(sim.dialogs().Current(), nullptr) << "Close closes the dialog";
    EXPECT_EQ(programWindows.Count(), 0u);

    // Held, even at the setting from before, until it closes, however it closes.
    sim::SimDialog& second = Reopen();
    EXPECT_EQ(second.GetText(OptionsDialog::ThresholdBox), u"500");
    EXPECT_FALSE(setting.Due(1000000));
    second.Click(OptionsDialog::AutoEmptyBox);
    EXPECT_EQ(Stored(), "OFF\r\n");
    second.Escape();
    EXPECT_EQ(setting.Value(), u"OFF") << "the file's value, stored before Esc";
    EXPECT_FALSE(setting.Held());
}

TEST_F(OptionsDialogTest, AFailedSaveIsToldAndTheProgramKeepsWhatTheFileHolds) {
    sim.files().AddFile(kSettings, "40\r\n", attr::kReadOnly);
    sim::SimDialog& dialog = Open(u"40");
    dialog.Click(OptionsDialog::AutoEmptyBox);
    ASSERT_EQ(sim.ui().MessageBoxes().size(), 1u);
    const auto& box = sim.ui().MessageBoxes()[0];
    EXPECT_EQ(box.text, u"Dustvale could not save its settings in \"" + kSettings +
                            u"\". To keep them, move Dustvale to a folder you may write to.");
    EXPECT_EQ(box.style, mb::kOk | mb::kIconWarning);
    EXPECT_EQ(box.owner, dialog.Handle());
    dialog.Click(OptionsDialog::CloseButton);
    EXPECT_EQ(sim.ui().MessageBoxes().size(), 1u) << "Close has nothing new to store";
    EXPECT_EQ(setting.Value(), u"40");
}

TEST_F(OptionsDialogTest, APasteIntoTheThresholdIsTakenOnlyWhenItIsDigits) {
    sim::SimDialog& dialog = Open(u"OFF");
    dialog.Click(OptionsDialog::AutoEmptyBox);
    for (const Text pasted : {u"1,000", u"1.000", u"2,500", u"0x10", u"-0", u"-1", u" 5"}) {
        dialog.Paste(OptionsDialog::ThresholdBox, pasted);
        EXPECT_EQ(dialog.GetText(OptionsDialog::ThresholdBox), u"15");
    }
    EXPECT_EQ(dialog.RefusalBalloons(), 7);
    dialog.Paste(OptionsDialog::ThresholdBox, u"250");
    dialog.Click(OptionsDialog::CloseButton);
    EXPECT_EQ(Stored(), "250\r\n");
}

TEST_F(OptionsDialogTest, TheCheckBoxStoresAtOnceAndClearingStoresExactlyOff) {
    sim::SimDialog& dialog = Open(u"OFF");
    dialog.Click(OptionsDialog::AutoEmptyBox);
    EXPECT_TRUE(dialog.IsEnabled(OptionsDialog::ThresholdBox));
    // The box takes digits alone: blanks, letters and separators are refused as they are typed.
    dialog.Type(OptionsDialog::ThresholdBox, u" 1,000 items");
    EXPECT_EQ(dialog.GetText(OptionsDialog::ThresholdBox), u"1000");
    dialog.Click(OptionsDialog::AutoEmptyBox);
    EXPECT_FALSE(dialog.IsEnabled(OptionsDialog::ThresholdBox));
    EXPECT_EQ(Stored(), std::string("OFF\r\n", 5));
    dialog.Click(OptionsDialog::AutoEmptyBox);
    EXPECT_EQ(Stored(), "1000\r\n");
    dialog.Type(OptionsDialog::ThresholdBox, u"");
    dialog.Enter();  // Enter presses Close
    EXPECT_EQ(Stored(), "\r\n") << "an empty box is stored as it is, and never due";
    EXPECT_EQ(setting.Value(), u"");
    EXPECT_FALSE(setting.Due(1000000));
    EXPECT_EQ(sim.dialogs().Current(), nullptr);
}

TEST_F(OptionsDialogTest, ClosingFromTheTitleBarOrWithEscStoresNothing) {
    sim.files().AddFile(kSettings, "15\r\n");
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
    ShellRecycleBin bin(platform);
    TrayApplication app(platform, programWindows, files, startup, options, bin);
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
