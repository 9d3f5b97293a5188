// The Recycle Bin's query and emptying run on the worker: the orders in which their ends can
// meet the ticks, the menu and Exit, each played out by holding a request in flight.

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "AppTestScene.h"
#include "app/OptionsDialog.h"
#include "app/SizeLine.h"

namespace dustvale {
namespace {

using apptest::AppScene;

void Trash(AppScene& scene, int items) {
    for (int i = 0; i < items; ++i) scene.sim.shell().AddToRecycleBin(u'C', 100);
}

Text SizeLine(const TrayApplication& app) { return app.Menu().Item("sizeLine").caption; }

TEST(AppMonitorWorker, ATickDuringASlowQueryStartsNoOtherAndTheFiguresShowWhenItEnds) {
    AppScene scene;
    scene.sim.shell().HoldRecycleBinRequests(true);
    TrayApplication& app = scene.Create();
    scene.sim.Advance(1000);
    ASSERT_EQ(scene.sim.shell().RecycleBinRequestsInFlight(), 1u);
    scene.sim.Advance(3000);  // three ticks while the shell is still counting
    EXPECT_EQ(scene.sim.shell().RecycleBinRequestsInFlight(), 1u);
    EXPECT_EQ(SizeLine(app), u"0") << "nothing shown before the first query ends";

    Trash(scene, 2);  // the bin as the shell finds it
    scene.sim.shell().FinishRecycleBinRequest();
    scene.sim.Pump();
    EXPECT_EQ(SizeLine(app), FormatSizeLine(200, 2));
    EXPECT_EQ(scene.ShownIcon()->tip, u"Dustvale (2 items)");
    EXPECT_EQ(scene.sim.shell().QueryCount(), 1u);
}

TEST(AppMonitorWorker, ASlowQuerySpacesOutTheNextOnesAQuickOneAsksEveryTick) {
    AppScene scene;
    scene.sim.shell().HoldRecycleBinRequests(true);
    scene.Create();
    scene.sim.Advance(1000);                    // the query starts at 1 s
    scene.sim.Advance(2000);                    // and takes 2 s
    scene.sim.shell().FinishRecycleBinRequest();
    scene.sim.Pump();
    scene.sim.Advance(17000);                   // 9 times 2 s later: still waiting
    EXPECT_EQ(scene.sim.shell().RecycleBinRequestsInFlight(), 0u);
    scene.sim.Advance(1000);                    // from 21 s on, the next tick asks
    EXPECT_EQ(scene.sim.shell().RecycleBinRequestsInFlight(), 1u);

    scene.sim.shell().HoldRecycleBinRequests(false);  // quick from now on
    const std::uint32_t before = scene.sim.shell().QueryCount();
    scene.sim.Advance(5000);
    EXPECT_EQ(scene.sim.shell().QueryCount(), before + 5);
}

TEST(AppMonitorWorker, EmptyDuringAQueryDropsItsFiguresAndTheNextQuerySeesTheEmptiedBin) {
    AppScene scene;
    scene.sim.files().AddFile(apptest::kSettingsFile, "3\r\n");
    Trash(scene, 5);
    scene.sim.shell().HoldRecycleBinRequests(true);
    TrayApplication& app = scene.Create();
    scene.sim.Advance(1000);  // a query in flight, counting 5 items
    ASSERT_TRUE(scene.Choose({u"Recycle Bin", u"Empty"}));
    ASSERT_TRUE(scene.Choose({u"Recycle Bin", u"Empty"}));  // asked twice, emptied once
    EXPECT_EQ(scene.sim.shell().RecycleBinRequestsInFlight(), 2u);

    scene.sim.shell().FinishRecycleBinRequest();  // the query: 5 items, from before the emptying
    scene.sim.Pump();
    EXPECT_EQ(SizeLine(app), u"0") << "figures older than the emptying are not shown";
    scene.sim.Advance(1000);
    EXPECT_EQ(scene.sim.shell().RecycleBinRequestsInFlight(), 1u) << "no query while emptying";

    scene.sim.shell().FinishRecycleBinRequest();  // the emptying
    scene.sim.shell().HoldRecycleBinRequests(false);
    scene.sim.Pump();
    scene.sim.Advance(1000);
    EXPECT_EQ(SizeLine(app), FormatSizeLine(0, 0));
    // The old figures reached the threshold, yet asked for no second emptying.
    EXPECT_EQ(scene.sim.shell().EmptyCalls().size(), 1u);
}

TEST(AppMonitorWorker, ExitDuringAQueryOrAnEmptyingTakesTheIconAtOnceAndDropsWhatEndsLater) {
    for (const bool emptying : {false, true}) {
        SCOPED_TRACE(emptying ? "emptying" : "query");
        AppScene scene;
        scene.sim.files().AddFile(apptest::kSettingsFile, "1\r\n");
        Trash(scene, 4);
        scene.sim.shell().HoldRecycleBinRequests(true);
        scene.Create();
        scene.sim.Advance(1000);
        if (emptying) {
            scene.sim.shell().FinishRecycleBinRequest();
            scene.sim.Pump();
            ASSERT_TRUE(scene.Choose({u"Recycle Bin", u"Empty"}));
        }
        ASSERT_EQ(scene.sim.shell().RecycleBinRequestsInFlight(), 1u);
        ASSERT_TRUE(scene.Choose({u"Exit"}));
        EXPECT_TRUE(scene.sim.shell().Icons().empty());
        EXPECT_TRUE(scene.sim.windows().QuitPosted());

        scene.sim.shell().FinishRecycleBinRequest();  // ends while the window still exists
        scene.sim.Pump();
        EXPECT_TRUE(scene.sim.shell().Icons().empty());
        // A query's 4 items reach the threshold of 1, but a closed program asks for nothing.
        EXPECT_EQ(scene.sim.shell().RecycleBinRequestsInFlight(), 0u);
        EXPECT_EQ(scene.sim.shell().EmptyCalls().size(), emptying ? 1u : 0u);

        // Ending after the program's objects are gone touches none of them.
        scene.sim.shell().HoldRecycleBinRequests(true);
        scene.app.reset();
        scene.sim.Pump();
        EXPECT_EQ(scene.sim.shell().RecycleBinItems(u'C'), emptying ? 0u : 4u);
    }
}

TEST(AppMonitorWorker, ADestroyedApplicationsRequestInFlightEndsWithoutIt) {
    AppScene scene;
    Trash(scene, 1);
    scene.sim.shell().HoldRecycleBinRequests(true);
    scene.Create();
    scene.sim.Advance(1000);
    scene.app.reset();
    ASSERT_EQ(scene.sim.shell().RecycleBinRequestsInFlight(), 1u);
    EXPECT_TRUE(scene.sim.shell().FinishRecycleBinRequest());
    scene.sim.Pump();  // its end is posted to a window that no longer exists
    EXPECT_TRUE(scene.sim.shell().Icons().empty());
}

TEST(AppMonitorWorker, AThresholdStoredFromTheDialogEmptiesAtTheNextTick) {
    AppScene scene;
    scene.sim.files().AddFile(u"C:\\Program Files\\Dustvale\\Dustvale.exe.manifest", "x",
                              attr::kHidden);
    SingleOptionsDialog options(scene.platform, scene.programWindows, scene.files,
                                scene.initialization);
    ShellRecycleBin bin(scene.platform);
    TrayApplication app(scene.platform, scene.programWindows, scene.files, scene.initialization,
                        options, bin);
    Trash(scene, 3);
    scene.sim.Advance(1000);
    EXPECT_TRUE(scene.sim.shell().EmptyCalls().empty());  // no settings file: off

    scene.AnswerMenuWith({u"Options"});
    scene.sim.shell().SendCallback(app.Icon().Record().hWnd, app.Icon().Record().uID,
                                   msg::kRButtonUp);
    sim::SimDialog& dialog = *scene.sim.dialogs().Current();
    dialog.Click(OptionsDialog::AutoEmptyBox);
    dialog.Type(OptionsDialog::ThresholdBox, u"3");
    dialog.Click(OptionsDialog::CloseButton);
    EXPECT_EQ(app.AutoClean(), u"3");

    scene.sim.Advance(1000);
    EXPECT_EQ(scene.sim.shell().EmptyCalls().size(), 1u);
    EXPECT_EQ(scene.sim.shell().RecycleBinItems(u'C'), 0u);
}

TEST(AppMonitorWorker, AQueryThatNeverComesBackIsGivenUpAndAFreshWorkerCountsOn) {
    AppScene scene;
    Trash(scene, 2);
    TrayApplication& app = scene.Create();
    scene.sim.Advance(1000);
    EXPECT_EQ(scene.ShownIcon()->tip, u"Dustvale (2 items)");

    scene.sim.shell().HangNextRecycleBinRequests();  // a shell extension that never answers
    scene.sim.Advance(1000);
    Trash(scene, 1);
    scene.sim.Advance(29'000);
    EXPECT_EQ(scene.ShownIcon()->tip, u"Dustvale (2 items)") << "the last figures stay";
    EXPECT_EQ(scene.sim.shell().RecycleBinWorkersStarted(), 1);
    scene.sim.Advance(1000);  // 30 s after it began
    EXPECT_EQ(scene.sim.shell().RecycleBinWorkersStarted(), 2);
    scene.sim.Advance(31'000);  // the fresh worker counts after a pause
    EXPECT_EQ(scene.ShownIcon()->tip, u"Dustvale (3 items)");
    EXPECT_EQ(SizeLine(app), FormatSizeLine(300, 3));

    // The abandoned query's late answer, from another bin, is dropped.
    Trash(scene, 4);
    scene.sim.shell().EndHungRecycleBinRequests();
    scene.sim.Pump();
    EXPECT_EQ(scene.ShownIcon()->tip, u"Dustvale (3 items)");
    scene.sim.Advance(1000);
    EXPECT_EQ(scene.ShownIcon()->tip, u"Dustvale (7 items)");
}

TEST(AppMonitorWorker, AnEmptyingThatNeverComesBackIsGivenUpAndCountingGoesOn) {
    AppScene scene;
    Trash(scene, 3);
    scene.Create();
    scene.sim.Advance(1000);
    scene.sim.shell().HangNextRecycleBinRequests();
    ASSERT_TRUE(scene.Choose({u"Recycle Bin", u"Empty"}));
    scene.sim.Advance(29'000);
    EXPECT_EQ(scene.sim.shell().QueryCount(), 1u) << "no query waits behind the emptying";
    scene.sim.Advance(32'000);
    EXPECT_EQ(scene.sim.shell().RecycleBinWorkersStarted(), 2);
    EXPECT_GE(scene.sim.shell().QueryCount(), 2u);
    EXPECT_EQ(scene.ShownIcon()->tip, u"Dustvale (3 items)") << "the bin was never emptied";
}

TEST(AppMonitorWorker, AShellThatHangsOnEveryRequestCostsAFewThreadsAnHourNotOneAMinute) {
    AppScene scene;
    scene.sim.shell().HangNextRecycleBinRequests(1000);
    scene.Create();
    scene.sim.Advance(3'600'000);
    // Given up after 30 s, then asked again after 30 s, 1, 2, 4, 8, 16 and 32 minutes.
    EXPECT_LE(scene.sim.shell().RecycleBinWorkersStarted(), 9);
    EXPECT_GE(scene.sim.shell().RecycleBinWorkersStarted(), 7);
}

// Auto-empty due on a bin whose items the shell cannot remove: the emptying is asked for once,
// then after one minute, two, four... at most an hour apart, never at every tick.
TEST(AppMonitorWorker, AnAutomaticEmptyingThatRemovesNothingIsRetriedLessAndLessOften) {
    AppScene scene;
    scene.sim.files().AddFile(apptest::kSettingsFile, "3\r\n");
    scene.sim.shell().KeepItemsOnEmptying(u'C', true);
    Trash(scene, 5);
    scene.Create();
    std::vector<std::uint64_t> tries;
    for (int second = 1; second <= 3 * 3600; ++second) {
        const std::size_t before = scene.sim.shell().EmptyCalls().size();
        scene.sim.Advance(1000);
        if (scene.sim.shell().EmptyCalls().size() > before) tries.push_back(second);
    }
    ASSERT_GE(tries.size(), 6u);
    EXPECT_EQ(tries[0], 1u);
    EXPECT_NEAR(static_cast<double>(tries[1] - tries[0]), 61, 2);
    EXPECT_NEAR(static_cast<double>(tries[2] - tries[1]), 121, 2);
    EXPECT_NEAR(static_cast<double>(tries[3] - tries[2]), 241, 2);
    EXPECT_NEAR(static_cast<double>(tries.back() - tries[tries.size() - 2]), 3601, 2);

    // The user's Empty runs at once and starts afresh; so does a count that dropped.
    ASSERT_TRUE(scene.Choose({u"Recycle Bin", u"Empty"}));
    EXPECT_EQ(scene.sim.shell().EmptyCalls().size(), tries.size() + 1);
    scene.sim.Advance(2000);
    EXPECT_EQ(scene.sim.shell().EmptyCalls().size(), tries.size() + 2) << "the next tick tries";
    scene.sim.Advance(30'000);
    EXPECT_EQ(scene.sim.shell().EmptyCalls().size(), tries.size() + 2);
    scene.sim.shell().KeepItemsOnEmptying(u'C', false);
    scene.sim.Advance(60'000);
    EXPECT_EQ(scene.sim.shell().RecycleBinItems(u'C'), 0u);
    Trash(scene, 3);
    scene.sim.Advance(1000);
    EXPECT_EQ(scene.sim.shell().RecycleBinItems(u'C'), 0u) << "emptied at once again";
}

}  // namespace
}  // namespace dustvale
