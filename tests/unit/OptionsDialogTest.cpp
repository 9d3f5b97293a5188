#include <gtest/gtest.h>

#include <set>

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
const Text kIni = u"C:\\Program Files\\Dustvale\\Dustvale.ini";

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
        options.ShowOptions(setting, removal);
        sim::SimDialog* dialog = sim.dialogs().Current();
        if (dialog == nullptr) throw std::runtime_error("no dialog");
        return *dialog;
    }
    std::optional<std::string> Stored() { return sim.files().Contents(kSettings); }
    std::optional<std::string> StoredIni() { return sim.files().Contents(kIni); }

    sim::SimWindows sim;
    Platform platform = sim.platform();
    NumberedFiles files{platform.files};
    ProgramWindows programWindows{platform.windows};
    CommonControlsStartup startup{{platform, files, programWindows}};
    SingleOptionsDialog options{platform, programWindows, files, startup};
    AutoEmptySetting setting;  // the one the program runs with
    RemovalSettingsInUse removal;
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

TEST_F(OptionsDialogTest, RemovalSwitchesStoreAtOnceAndTypedNumbersAtCloseBesideTheUsersLines) {
    sim.files().AddFile(kSettings, "\"7\"\r\n");
    sim.files().AddFile(kIni, "; mine\r\nEmptyOldItems=on\r\nEmptyOldItemsDays=45\r\n");
    sim::SimDialog& dialog = Open(LoadAutoClean(platform, files, kFolder));
    EXPECT_TRUE(dialog.IsChecked(OptionsDialog::OldItemsBox));
    EXPECT_EQ(dialog.GetText(OptionsDialog::DaysBox), u"45");
    EXPECT_TRUE(dialog.IsEnabled(OptionsDialog::DaysBox));
    EXPECT_FALSE(dialog.IsChecked(OptionsDialog::SizeLimitBox));
    EXPECT_EQ(dialog.GetText(OptionsDialog::MegabytesBox), u"1024") << "the first-time limit";
    EXPECT_FALSE(dialog.IsEnabled(OptionsDialog::MegabytesBox));
    EXPECT_FALSE(dialog.IsEnabled(OptionsDialog::MegabytesLabel));
    EXPECT_TRUE(removal.Held());
    EXPECT_EQ(StoredIni(), "; mine\r\nEmptyOldItems=on\r\nEmptyOldItemsDays=45\r\n");

    dialog.Click(OptionsDialog::SizeLimitBox);
    EXPECT_TRUE(dialog.IsEnabled(OptionsDialog::MegabytesBox));
    EXPECT_TRUE(dialog.IsEnabled(OptionsDialog::MegabytesLabel));
    dialog.Type(OptionsDialog::DaysBox, u"7");
    dialog.Type(OptionsDialog::MegabytesBox, u"5");
    dialog.Click(OptionsDialog::AskBox);
    EXPECT_EQ(StoredIni(),
              "; mine\r\nEmptyOldItems=on\r\nEmptyOldItemsDays=45\r\nKeepBinUnderSize=on\r\n"
              "BinSizeLimitMB=1024\r\nAskBeforeEmptying=on\r\nTellAutomaticRemovals=off\r\n")
        << "a switch stores itself, not a number still being typed";
    EXPECT_TRUE(removal.Value().askBeforeEmptying) << "the next Empty asks at once";
    EXPECT_TRUE(removal.Held()) << "the rules wait for the dialog to close";

    dialog.Type(OptionsDialog::MegabytesBox, u"500");
    dialog.Enter();
    EXPECT_EQ(StoredIni(),
              "; mine\r\nEmptyOldItems=on\r\nEmptyOldItemsDays=7\r\nKeepBinUnderSize=on\r\n"
              "BinSizeLimitMB=500\r\nAskBeforeEmptying=on\r\nTellAutomaticRemovals=off\r\n");
    EXPECT_EQ(Stored(), "\"7\"\r\n") << "AutoClean.cfg keeps its bytes";
    EXPECT_FALSE(removal.Held());
    EXPECT_EQ(removal.Value().oldItemDays, 7u);
    EXPECT_EQ(removal.Value().binSizeLimitMb, 500u);

    // Reopened and closed without a change: nothing is written, however it closes.
    sim.files().AddFile(kIni, "emptyolditems = ON\r\nEmptyOldItemsDays=007\r\n");
    Reopen().Click(OptionsDialog::CloseButton);
    EXPECT_EQ(StoredIni(), "emptyolditems = ON\r\nEmptyOldItemsDays=007\r\n");
    Reopen().Escape();
    EXPECT_EQ(StoredIni(), "emptyolditems = ON\r\nEmptyOldItemsDays=007\r\n");
}

TEST_F(OptionsDialogTest, ANumberARuleCannotTakeIsToldAtCloseAndNeverStored) {
    sim.files().AddFile(kIni, "EmptyOldItems=on\r\nKeepBinUnderSize=on\r\nBinSizeLimitMB=20\r\n");
    const std::string before = *StoredIni();
    sim::SimDialog& dialog = Open(u"OFF");
    const struct {
        OptionsDialog::Control box;
        Text typed;
        Text told;
    } cases[] = {
        {OptionsDialog::DaysBox, u"", u"The number of days must be from 1 to 3650."},
        {OptionsDialog::DaysBox, u"0", u"The number of days must be from 1 to 3650."},
        {OptionsDialog::DaysBox, u"3651", u"The number of days must be from 1 to 3650."},
        {OptionsDialog::MegabytesBox, u"0", u"The size must be from 1 to 100000000 MB."},
        {OptionsDialog::MegabytesBox, u"99999999999999999999999",
         u"The size must be from 1 to 100000000 MB."},
    };
    std::size_t told = 0;
    for (const auto& c : cases) {
        dialog.Type(OptionsDialog::DaysBox, u"30");
        dialog.Type(OptionsDialog::MegabytesBox, u"20");
        dialog.Type(c.box, c.typed);
        dialog.Click(OptionsDialog::CloseButton);
        ASSERT_EQ(sim.ui().MessageBoxes().size(), ++told) << "case " << told;
        EXPECT_EQ(sim.ui().MessageBoxes().back().text, c.told);
        EXPECT_EQ(sim.ui().MessageBoxes().back().owner, dialog.Handle());
        EXPECT_EQ(sim.dialogs().Current(), &dialog) << "the dialog stays for the number";
        EXPECT_EQ(dialog.Focused(), c.box);
        EXPECT_EQ(StoredIni(), before) << "case " << told;
    }
    // A rule switched off keeps the number it had; its greyed box is not looked at.
    dialog.Click(OptionsDialog::SizeLimitBox);
    dialog.Type(OptionsDialog::DaysBox, u"3650");
    dialog.Click(OptionsDialog::CloseButton);
    EXPECT_EQ(sim.dialogs().Current(), nullptr);
    EXPECT_EQ(StoredIni(),
              "EmptyOldItems=on\r\nKeepBinUnderSize=off\r\nBinSizeLimitMB=20\r\n"
              "EmptyOldItemsDays=3650\r\nAskBeforeEmptying=off\r\nTellAutomaticRemovals=off\r\n");
    EXPECT_EQ(removal.Value().binSizeLimitMb, 20u);
}

TEST_F(OptionsDialogTest, AFailedSaveOfTheRemovalSettingsIsToldWithItsPathOnce) {
    sim.files().AddFile(kIni, "TellAutomaticRemovals=on\r\n", attr::kReadOnly);
    removal.Set(RemovalSettings{.tellAutomaticRemovals = true});
    sim::SimDialog& dialog = Open(u"OFF");
    dialog.Click(OptionsDialog::AskBox);
    ASSERT_EQ(sim.ui().MessageBoxes().size(), 1u);
    EXPECT_EQ(sim.ui().MessageBoxes()[0].text,
              u"Dustvale could not save its settings in \"" + kIni +
                  u"\". To keep them, move Dustvale to a folder you may write to.");
    EXPECT_EQ(sim.ui().MessageBoxes()[0].style, mb::kOk | mb::kIconWarning);
    EXPECT_FALSE(removal.Value().askBeforeEmptying) << "Empty asks only once it is stored";
    dialog.Click(OptionsDialog::CloseButton);
    EXPECT_EQ(sim.ui().MessageBoxes().size(), 1u) << "Close has nothing new to store";
    EXPECT_EQ(removal.Value(), RemovalSettings{.tellAutomaticRemovals = true});
    EXPECT_FALSE(sim.files().Exists(kSettings));
}

TEST_F(OptionsDialogTest, NoRuleRemovesWhileTheDialogIsOpenAndTheStoredRulesActOnceItCloses) {
    // 90 items of a megabyte, deleted half a day less than 1, 2, ... 90 days ago.
    const FileTime now = sim.kernel().SystemTime();
    for (int days = 90; days >= 1; --days) {
        sim.shell().AddToRecycleBin(u'C', 1024 * 1024,
                                    now - days * kFileTimePerDay + kFileTimePerDay / 2);
    }
    sim.files().AddFile(kIni, "EmptyOldItems=on\r\nEmptyOldItemsDays=60\r\nBinSizeLimitMB=20\r\n");
    const std::unique_ptr<RecycleBinAccess> bin = RecycleBinAccessFor(platform);
    TrayApplication app(platform, programWindows, files, startup, options, *bin);
    sim.Advance(2000);
    ASSERT_EQ(sim.shell().RecycleBinItems(u'C'), 60u) << "the age rule at start";

    sim.ui().AnswerMenu([](const sim::SimUserInterface::MenuCall& call) {
        return sim::FindCommand(call.items, {u"Options"});
    });
    sim.shell().SendCallback(app.Icon().Record().hWnd,
                             static_cast<std::uint32_t>(app.Icon().IconId()), msg::kRButtonUp);
    sim::SimDialog* dialog = sim.dialogs().Current();
    ASSERT_NE(dialog, nullptr);
    // Stored at once, at 20 MB: it would remove 40 items at the next count.
    dialog->Click(OptionsDialog::SizeLimitBox);
    dialog->Type(OptionsDialog::DaysBox, u"1");  // on the way to 10
    sim.Advance(5000);
    EXPECT_EQ(sim.shell().RecycleBinItems(u'C'), 60u);
    EXPECT_EQ(sim.shell().RemoveItemsCalls(), 1);

    dialog->Type(OptionsDialog::DaysBox, u"10");
    dialog->Click(OptionsDialog::CloseButton);
    // Within seconds, not at the age rule's next hour.
    sim.Advance(5000);
    EXPECT_EQ(sim.shell().RecycleBinItems(u'C'), 10u);
}

TEST(OptionsDialogLayout, ControlsCaptionsAndTabOrder) {
    const DialogLayout layout = OptionsDialogLayout();
    EXPECT_EQ(layout.caption, u"Options");
    EXPECT_EQ(layout.smallIcon, static_cast<std::uint32_t>(IDI_OPTIONS));
    ASSERT_EQ(layout.controls.size(), 12u);
    const Text caption = layout.controls[OptionsDialog::AutoEmptyBox].text;
    EXPECT_EQ(caption, u"Empty Recycle Bin if there are more than" + Text(14, u' ') + u"files(s).");
    EXPECT_EQ(layout.controls[OptionsDialog::AutostartBox].text, u"Auto Start with Windows.");
    EXPECT_EQ(layout.controls[OptionsDialog::CloseButton].text, u"Close");
    EXPECT_EQ(layout.controls[OptionsDialog::CloseButton].kind, ControlKind::DefaultButton);
    std::set<char16_t> mnemonics;
    for (std::size_t i = 0; i < layout.controls.size(); ++i) {
        const ControlLayout& control = layout.controls[i];
        EXPECT_EQ(control.digitsOnly, control.kind == ControlKind::TextBox) << i;
        if (const std::size_t amp = control.text.find(u'&'); amp != Text::npos) {
            const char16_t letter = control.text.at(amp + 1);
            EXPECT_TRUE(mnemonics.insert(letter >= u'a' ? letter - 32 : letter).second)
                << "a second control answers Alt and the letter of control " << i;
        }
    }
    EXPECT_EQ(mnemonics.size(), 4u) << "one for each new check box";

    // Inside the client area, and no control over another but the threshold box over the
    // auto-empty caption's blanks; Close lowest and rightmost.
    const auto right = [](const TwipsRect& r) { return r.left + r.width; };
    const auto bottom = [](const TwipsRect& r) { return r.top + r.height; };
    const TwipsRect close = layout.controls[OptionsDialog::CloseButton].bounds;
    for (std::size_t i = 0; i < layout.controls.size(); ++i) {
        const TwipsRect a = layout.controls[i].bounds;
        EXPECT_TRUE(a.left > 0 && a.top > 0 && right(a) < layout.clientWidth &&
                    bottom(a) < layout.clientHeight) << i;
        EXPECT_LE(right(a), right(close)) << i;
        EXPECT_LE(a.top, close.top) << i;
        for (std::size_t j = i + 1; j < layout.controls.size(); ++j) {
            const TwipsRect b = layout.controls[j].bounds;
            const bool overlap = a.left < right(b) && b.left < right(a) && a.top < bottom(b) &&
                                 b.top < bottom(a);
            const bool blanks =
                i == OptionsDialog::AutoEmptyBox && j == OptionsDialog::ThresholdBox;
            EXPECT_EQ(overlap, blanks) << i << " and " << j;
        }
    }
}

TEST_F(OptionsDialogTest, ControlsArePlacedInPixelsAtTheDpiOfTheDialogsMonitor) {
    struct Case {
        std::int32_t dpi;
        sim::PixelRect client, autoEmpty, threshold, autostart, days, close;
    };
    const Case cases[] = {
        {96, {0, 0, 344, 228}, {8, 8, 289, 17}, {224, 8, 33, 19}, {8, 40, 289, 17},
         {224, 72, 41, 19}, {256, 192, 81, 33}},
        // 10 twips a pixel; halves round up.
        {144, {0, 0, 516, 342}, {12, 12, 434, 26}, {336, 12, 50, 29}, {12, 60, 434, 26},
         {336, 108, 62, 29}, {384, 288, 122, 50}},
    };
    auto expectLaidOutAt = [](const sim::SimDialog& dialog, const Case& c) {
        EXPECT_EQ(dialog.ClientPixels(), c.client) << c.dpi;
        EXPECT_EQ(dialog.ControlPixels(OptionsDialog::AutoEmptyBox), c.autoEmpty) << c.dpi;
        EXPECT_EQ(dialog.ControlPixels(OptionsDialog::ThresholdBox), c.threshold) << c.dpi;
        EXPECT_EQ(dialog.ControlPixels(OptionsDialog::AutostartBox), c.autostart) << c.dpi;
        EXPECT_EQ(dialog.ControlPixels(OptionsDialog::DaysBox), c.days) << c.dpi;
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
