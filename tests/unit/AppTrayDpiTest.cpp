// The tray pictures follow the DPI the icon is shown at: loaded at the small-icon size of the
// taskbar's scaling, and loaded again when that changes.

#include <gtest/gtest.h>

#include <cstdint>

#include "AppTestScene.h"

namespace dustvale {
namespace {

using apptest::AppScene;
using sim::BuiltInPictureHandle;

constexpr sim::Rect kSecondMonitor{1920, 0, 3840, 1080};
constexpr WParam kSetWorkArea = 0x002F;  // SPI_SETWORKAREA: the taskbar moved

HIcon Full(std::int32_t size) { return BuiltInPictureHandle(BuiltInPicture::TrayFull, size); }
HIcon Empty(std::int32_t size) { return BuiltInPictureHandle(BuiltInPicture::TrayEmpty, size); }

TEST(AppTrayDpi, PicturesAreLoadedAtTheSmallIconSizeOfTheTaskbarsScaling) {
    // The scaling of the log-on, 100 % to 300 %; a file's picture is scaled to the same size.
    const std::pair<std::int32_t, std::int32_t> cases[] = {{96, 16}, {144, 24}, {168, 28},
                                                           {288, 48}};
    for (const auto& [dpi, side] : cases) {
        SCOPED_TRACE(dpi);
        AppScene scene;
        scene.sim.windows().SetScreenDpi(dpi);
        scene.sim.files().AddFile(apptest::kEmptyIco, apptest::IcoBytes('E'));
        TrayApplication& app = scene.Create();
        EXPECT_EQ(scene.ShownIcon()->icon, Full(side));
        scene.sim.Advance(1000);  // an empty bin: the file's picture
        EXPECT_EQ(scene.sim.ui().SizeOf(scene.ShownIcon()->icon), side);
        EXPECT_EQ(scene.ShownIcon()->icon, app.EmptyPicture().picture().Handle());
    }
}

TEST(AppTrayDpi, AScalingChangedWhileRunningShowsThePictureOfTheNewSizeAndKeepsTheBinsState) {
    AppScene scene;
    scene.sim.files().AddFile(apptest::kFullIco, apptest::IcoBytes('F'));
    scene.Create();
    scene.sim.Advance(1000);
    ASSERT_EQ(scene.ShownIcon()->icon, Empty(16));

    // The main monitor, with the taskbar and the program's window, goes to 200 %.
    scene.sim.shell().ClearNotifyCalls();
    scene.sim.windows().SetMonitorDpi(0, 192);
    EXPECT_EQ(scene.ShownIcon()->icon, Empty(32)) << "still the empty bin, now of 32 pixels";
    ASSERT_EQ(scene.sim.shell().NotifyCalls().size(), 1u);
    EXPECT_EQ(scene.sim.shell().NotifyCalls()[0].message, NotifyMessage::Modify);

    // The full picture comes from the file's bytes read at the start, at the new size.
    scene.sim.files().AddFile(apptest::kFullIco, "no longer an icon");
    scene.sim.shell().AddToRecycleBin(u'C', 1);
    scene.sim.Advance(1000);
    EXPECT_EQ(scene.sim.ui().SizeOf(scene.ShownIcon()->icon), 32);
    EXPECT_NE(scene.ShownIcon()->icon, Full(32));
    // The pictures of the old size are gone: two pictures, one per state.
    EXPECT_EQ(scene.sim.ui().LivePictures(), 2u);

    // A change that leaves the size as it is loads nothing and tells the shell nothing.
    scene.sim.shell().ClearNotifyCalls();
    scene.sim.windows().BroadcastSettingChange(kSetWorkArea);
    EXPECT_TRUE(scene.sim.shell().NotifyCalls().empty());
}

TEST(AppTrayDpi, TheTaskbarsMonitorDecidesNotTheProgramsWindow) {
    AppScene scene;
    TrayApplication& app = scene.Create();
    const std::size_t second = scene.sim.windows().AddMonitor(kSecondMonitor, 120);

    // The taskbar moves to the second monitor (125 %): the program's own window stays on the
    // first, so only the broadcast of the changed work area tells it.
    scene.sim.windows().MoveWindow(scene.sim.windows().Taskbar(), {2000, 1040});
    EXPECT_EQ(scene.ShownIcon()->icon, Full(16));
    scene.sim.windows().BroadcastSettingChange(kSetWorkArea);
    EXPECT_EQ(scene.ShownIcon()->icon, Full(20));

    // That monitor's scaling changes: the program's window hears nothing of it, and the new
    // size comes with the next reload, as when Explorer makes a new taskbar there.
    scene.sim.windows().SetMonitorDpi(second, 240);
    EXPECT_EQ(scene.ShownIcon()->icon, Full(20));
    app.RefreshTrayPictures();
    EXPECT_EQ(scene.ShownIcon()->icon, Full(40));

    // Without a taskbar the system's DPI stands in.
    scene.sim.windows().DestroyTaskbar();
    app.RefreshTrayPictures();
    EXPECT_EQ(app.FullPicture().picture().Handle(), Full(16));
}

}  // namespace
}  // namespace dustvale
