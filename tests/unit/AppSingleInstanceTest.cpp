// One Dustvale per user on a desktop: a second start asks the running one for its balloon and
// ends, waits for one still starting, and takes over from one that has ended.

#include <gtest/gtest.h>

#include <cstddef>
#include <memory>
#include <optional>
#include <vector>

#include "app/Application.h"
#include "app/SingleInstance.h"
#include "AppTestScene.h"
#include "tray/TrayIcon.h"

namespace dustvale {
namespace {

using apptest::AppScene;

const Text kManifest = u"C:\\Program Files\\Dustvale\\Dustvale.exe.manifest";
const Text kAlreadyRunning = u"Dustvale is already running.";

std::size_t AddsAsked(sim::SimShell& shell) {
    std::size_t adds = 0;
    for (const auto& call : shell.NotifyCalls()) adds += call.message == NotifyMessage::Add;
    return adds;
}

TEST(AppSingleInstance, ASecondStartAsksTheRunningOneForItsBalloonAndTouchesNothing) {
    sim::SimWindows sim;
    Platform platform = sim.platform();
    sim.files().AddFile(kManifest, "x", attr::kHidden);
    std::optional<std::int32_t> secondExit;
    sim.windows().At(2500, [&] {
        // Gone meanwhile: a start that went on would write it again.
        sim.files().RemoveEntry(kManifest);
        const std::vector<Hwnd> windowsBefore = sim.windows().FindWindows(kProgramWindowClass);
        ASSERT_EQ(windowsBefore.size(), 1u);
        // The running one lets the question through should it run elevated.
        EXPECT_TRUE(sim.windows().AllowsFromLowerIntegrity(
            windowsBefore[0], RegisterAlreadyRunningMessage(platform)));
        const std::size_t notifyCalls = sim.shell().NotifyCalls().size();
        const std::uint32_t queries = sim.shell().QueryCount();
        const auto counter = sim.kernel().SharedBlock(kInstanceCounterName);

        auto second = sim.StartOtherProcess();
        Platform secondPlatform = sim.platform(*second);
        secondExit = RunApplication(secondPlatform);

        EXPECT_EQ(sim.clock().Now(), 2500u) << "the running one answered at once";
        EXPECT_EQ(sim.windows().FindWindows(kProgramWindowClass), windowsBefore);
        EXPECT_EQ(sim.shell().NotifyCalls().size(), notifyCalls);
        EXPECT_EQ(sim.shell().QueryCount(), queries);
        EXPECT_EQ(sim.kernel().SharedBlock(kInstanceCounterName), counter) << "no control made";
        EXPECT_FALSE(sim.files().Exists(kManifest));
        EXPECT_FALSE(sim.files().Exists(apptest::kSettingsFile));
    });
    sim.windows().At(3000, [&] {
        // Shown by the running one, at its icon.
        ASSERT_EQ(sim.shell().Balloons().size(), 1u);
        const auto& balloon = sim.shell().Balloons()[0];
        EXPECT_EQ(balloon.hwnd, sim.shell().Icons().at(0).hwnd);
        EXPECT_EQ(balloon.title, u"Dustvale");
        EXPECT_EQ(balloon.text, kAlreadyRunning);
        EXPECT_EQ(balloon.infoFlags, 1u);  // information
    });
    sim.windows().At(3500, [&] {
        sim.ui().AnswerMenu([](const sim::SimUserInterface::MenuCall& call) {
            return sim::FindCommand(call.items, {u"Exit"});
        });
        const auto icon = sim.shell().Icons().at(0);
        sim.shell().SendCallback(icon.hwnd, icon.id, msg::kRButtonUp);
    });

    EXPECT_EQ(RunApplication(platform), 0);
    EXPECT_EQ(secondExit, 0);
    EXPECT_EQ(AddsAsked(sim.shell()), 1u);
}

// The first process holds the claim from its start; its main window comes later.
struct TwoStarts {
    AppScene first;
    SingleInstance firstClaim{first.platform};
    std::unique_ptr<sim::SimKernel> secondProcess = first.sim.StartOtherProcess();
    Platform secondPlatform = first.sim.platform(*secondProcess);

    TrayApplication& OpenFirstWindow() {
        TrayApplication& app = first.Create();
        app.WhenClosed([this] { firstClaim.Release(); });
        return app;
    }
    std::size_t Balloons() {
        first.sim.Pump();
        return first.sim.shell().Balloons().size();
    }
};

TEST(AppSingleInstance, AStartWaitsForOneStillStartingAndTakesOverFromOneThatHasEnded) {
    {
        SCOPED_TRACE("the first still starting: its window opens 1.5 s later");
        TwoStarts s;
        ASSERT_TRUE(s.firstClaim.Claim());
        s.first.sim.windows().At(1500, [&] { s.OpenFirstWindow(); });
        SingleInstance second(s.secondPlatform);
        EXPECT_FALSE(second.Claim());
        EXPECT_GE(s.first.sim.clock().Now(), 1500u);
        EXPECT_LE(s.first.sim.clock().Now(), 1750u);
        EXPECT_EQ(s.Balloons(), 1u);
    }
    {
        SCOPED_TRACE("the first's window closed (Exit) while its Options dialog stays open");
        TwoStarts s;
        ASSERT_TRUE(s.firstClaim.Claim());
        s.OpenFirstWindow().Close();
        SingleInstance second(s.secondPlatform);
        EXPECT_TRUE(second.Claim());
        EXPECT_EQ(s.first.sim.clock().Now(), 0u);
        EXPECT_EQ(s.Balloons(), 0u);
    }
    {
        SCOPED_TRACE("the first ended while starting, 0.7 s in, without letting go");
        TwoStarts s;
        ASSERT_TRUE(s.firstClaim.Claim());
        s.first.sim.windows().At(700, [&] { s.first.sim.kernel().EndProcess(); });
        SingleInstance second(s.secondPlatform);
        EXPECT_TRUE(second.Claim());
        EXPECT_EQ(s.first.sim.clock().Now(), 700u);
    }
}

TEST(AppSingleInstance, OneThatNeverAnswersIsGivenUpOnAndAnotherUsersDoesNotCount) {
    {
        SCOPED_TRACE("holding the claim without a window (a first start's box, or hung)");
        TwoStarts s;
        ASSERT_TRUE(s.firstClaim.Claim());
        SingleInstance second(s.secondPlatform);
        EXPECT_FALSE(second.Claim());
        EXPECT_GE(s.first.sim.clock().Now(), 10000u);
        EXPECT_LE(s.first.sim.clock().Now(), 10250u);
    }
    {
        SCOPED_TRACE("another user's Dustvale on the same desktop");
        TwoStarts s;
        ASSERT_TRUE(s.firstClaim.Claim());
        s.OpenFirstWindow();
        s.secondProcess->SetUserSid(u"S-1-5-21-3623811015-3361044348-30300820-1014");
        SingleInstance second(s.secondPlatform);
        EXPECT_TRUE(second.Claim());
        EXPECT_EQ(s.Balloons(), 0u);
    }
}

}  // namespace
}  // namespace dustvale
