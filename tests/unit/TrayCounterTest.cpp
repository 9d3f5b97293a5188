// The instance number shared by all processes of a log-on: the named block, its count, the
// handles that keep it alive and the lock around each update.

#include <gtest/gtest.h>

#include <cstddef>
#include <vector>

#include "tests/unit/TrayTestScene.h"

namespace dustvale {
namespace {

using traytest::ErrorReport;
using traytest::Loading;
using traytest::TrayScene;

const Text kBlock = u"Fernwick_ctlSysTrayBalloon";

std::optional<std::int32_t> CountIn(sim::SimKernel& kernel) {
    const auto bytes = kernel.SharedBlock(kBlock);
    if (!bytes) {
        return std::nullopt;
    }
    EXPECT_EQ(bytes->size(), 4u);
    std::uint32_t count = 0;
    for (std::size_t i = 0; i < 4; ++i) {
        count |= std::to_integer<std::uint32_t>((*bytes)[i]) << (8 * i);
    }
    return static_cast<std::int32_t>(count);
}

// One more instance of the control in the scene's process.
struct ExtraInstance {
    explicit ExtraInstance(TrayScene& s)
        : control(s.platform, TrayHost{s.controlWindow, s.owner, true}, s.host) {
        control.TakeInstanceNumber();
    }
    TrayIcon control;
};

TEST(TrayCounter, FirstInstanceCreatesTheBlockAtOneAndKeepsItOpen) {
    TrayScene s(true, Loading::Later);
    ASSERT_FALSE(s.sim.kernel().SharedBlock(kBlock).has_value());
    s.control->TakeInstanceNumber();
    EXPECT_EQ(s.control->InstanceNumber(), 1);
    EXPECT_EQ(CountIn(s.sim.kernel()), 1);
    EXPECT_EQ(s.sim.kernel().SharedBlockHandles(kBlock), 1u);
    EXPECT_EQ(s.sim.kernel().OpenKernelHandles(), 1u);  // the lock is gone again
    EXPECT_TRUE(s.host.errors.empty());
}

TEST(TrayCounter, LaterInstancesTakeTheFollowingNumbersAndIdentifiers) {
    TrayScene s;
    ExtraInstance second(s);
    ExtraInstance third(s);
    EXPECT_EQ(second.control.InstanceNumber(), 2);
    EXPECT_EQ(third.control.InstanceNumber(), 3);
    EXPECT_EQ(third.control.IconId(), 1008);
    EXPECT_EQ(third.control.TaskbarTimerId(), 1009);
    EXPECT_EQ(third.control.BalloonTimerId(), 1010);
    EXPECT_EQ(third.control.BlinkTimerId(), 1011);
    EXPECT_EQ(CountIn(s.sim.kernel()), 3);
}

TEST(TrayCounter, DestroyingAnInstanceDoesNotGiveItsNumberBack) {
    TrayScene s;
    { ExtraInstance second(s); }
    ExtraInstance third(s);
    EXPECT_EQ(third.control.InstanceNumber(), 3);
}

TEST(TrayCounter, ProcessesOfOneLogOnShareTheCountUntilTheLastOneEnds) {
    auto first = std::make_unique<TrayScene>(true, Loading::Later);
    auto second = std::make_unique<TrayScene>(true, Loading::Later);
    second->sim.kernel().JoinSession(first->sim.kernel());
    first->control->TakeInstanceNumber();
    second->control->TakeInstanceNumber();
    EXPECT_EQ(first->control->InstanceNumber(), 1);
    EXPECT_EQ(second->control->InstanceNumber(), 2);
    EXPECT_EQ(first->sim.kernel().SharedBlockHandles(kBlock), 2u);

    // The first process ends; the second still holds the block.
    first.reset();
    ExtraInstance third(*second);
    EXPECT_EQ(third.control.InstanceNumber(), 3);

    // A process of the log-on starting once no process holds the block starts again at 1.
    auto later = std::make_unique<TrayScene>(true, Loading::Later);
    later->sim.kernel().JoinSession(second->sim.kernel());
    second->sim.kernel().EndProcess();
    EXPECT_FALSE(later->sim.kernel().SharedBlock(kBlock).has_value());
    later->control->TakeInstanceNumber();
    EXPECT_EQ(later->control->InstanceNumber(), 1);
}

TEST(TrayCounter, TheUpdateHoldsTheNamedLock) {
    TrayScene s;
    std::vector<bool> lockedAtEachView;
    s.sim.kernel().OnMapView = [&] {
        lockedAtEachView.push_back(s.sim.kernel().OwnsMutex(kBlock + u"_Lock"));
    };
    const auto handlesBefore = s.sim.kernel().OpenKernelHandles();
    ExtraInstance second(s);
    EXPECT_EQ(lockedAtEachView, (std::vector<bool>{true, true}));  // the read and the write
    EXPECT_FALSE(s.sim.kernel().OwnsMutex(kBlock + u"_Lock"));
    EXPECT_EQ(s.sim.kernel().OpenKernelHandles(), handlesBefore + 1);  // only the kept one
}

TEST(TrayCounter, CounterThatCannotBeCreatedGivesNumberZero) {
    TrayScene s(true, Loading::Later);
    s.sim.kernel().FailNextCreateFileMapping();
    s.control->TakeInstanceNumber();
    EXPECT_EQ(s.control->InstanceNumber(), 0);
    EXPECT_EQ(s.control->IconId(), 996);
    EXPECT_EQ(s.control->TaskbarTimerId(), 997);
    EXPECT_EQ(s.control->BalloonTimerId(), 998);
    EXPECT_EQ(s.control->BlinkTimerId(), 999);
    EXPECT_TRUE(s.host.errors.empty());
    // The icon works all the same under its identifier.
    s.Register();
    EXPECT_TRUE(s.sim.shell().Icon(s.controlWindow, 996).has_value());
}

TEST(TrayCounter, CountThatCannotBeReadGivesNumberZeroAndLeavesTheBlockAlone) {
    TrayScene s;
    s.sim.kernel().FailNextMapView();
    ExtraInstance second(s);
    EXPECT_EQ(second.control.InstanceNumber(), 0);
    EXPECT_EQ(CountIn(s.sim.kernel()), 1);
}

TEST(TrayCounter, EachRoutineRunsOncePerInstance) {
    TrayScene s;
    ExtraInstance second(s);
    EXPECT_EQ(s.control->IncrementInstanceCount(kBlock), 0);
    EXPECT_EQ(CountIn(s.sim.kernel()), 2);
    EXPECT_EQ(s.control->DecrementInstanceCount(kBlock), 1);
    EXPECT_EQ(s.control->DecrementInstanceCount(kBlock), 0);
    EXPECT_EQ(CountIn(s.sim.kernel()), 1);
    const ErrorReport wrongUse{u"", -3, u"Utilisation incorrecte de la fonction"};
    ASSERT_EQ(s.host.errors.size(), 2u);
    EXPECT_EQ(s.host.errors[0].source, u"SingletonIncrement");
    EXPECT_EQ(s.host.errors[1].source, u"SingletonDecrement");
    for (const ErrorReport& report : s.host.errors) {
        EXPECT_EQ(report.code, wrongUse.code);
        EXPECT_EQ(report.description, wrongUse.description);
    }
}

TEST(TrayCounter, DecrementToZeroClosesTheHandleItWroteThrough) {
    TrayScene s;
    const auto handlesBefore = s.sim.kernel().OpenKernelHandles();
    EXPECT_EQ(s.control->DecrementInstanceCount(kBlock), 0);
    EXPECT_EQ(CountIn(s.sim.kernel()), 0);
    EXPECT_EQ(s.sim.kernel().OpenKernelHandles(), handlesBefore);
}

TEST(TrayCounter, DecrementWithoutABlockAnswersZeroAndReportsNothing) {
    TrayScene s(true, Loading::Later);
    EXPECT_EQ(s.control->DecrementInstanceCount(kBlock), 0);
    EXPECT_TRUE(s.host.errors.empty());
    EXPECT_FALSE(s.sim.kernel().SharedBlock(kBlock).has_value());
    EXPECT_EQ(s.sim.kernel().OpenKernelHandles(), 0u);
}

}  // namespace
}  // namespace dustvale
