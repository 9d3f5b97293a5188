// The simulated kernel's code page and process exit, and the scripted boxes, menus and pictures.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/sim/SimFileSystem.h"
#include "platform/sim/SimKernel.h"
#include "platform/sim/SimUserInterface.h"
#include "platform/sim/SimWindows.h"

namespace dustvale::sim {
namespace {

TEST(SimKernelTest, TextGoesToWindows1252AsWindowsConvertsIt) {
    SimKernel kernel;
    const struct {
        Text text;
        std::string bytes;
    } cases[] = {
        {u"caf\u00E9 \u00FF", "caf\xE9 \xFF"},
        {u"\u20AC \u2122 \u0178", "\x80 \x99 \x9F"},  // the 0x80..0x9F range
        {u"\u0100\u4E2D", "??"},                      // not in the code page
        {u"\U0001F600", "?"},                         // one code point, one '?'
        {u"\u0081", "\x81"},                          // a byte the code page leaves free
    };
    for (const auto& c : cases) EXPECT_EQ(kernel.ToAnsi(c.text), c.bytes);
    EXPECT_EQ(kernel.FromAnsi("\x80\x9F\xE9"), u"\u20AC\u0178\u00E9");
}

TEST(SimKernelTest, ExitProcessEndsTheRunWithItsCode) {
    SimKernel kernel;
    try {
        kernel.ExitProcess(7);
        FAIL() << "ExitProcess returned";
    } catch (const ProcessExit& exit) {
        EXPECT_EQ(exit.exitCode, 7u);
    }
    EXPECT_EQ(kernel.ExitCode(), 7u);
}

TEST(SimUserInterfaceTest, ScriptsAnswerInOrderAndMayOpenMoreBoxes) {
    SimUserInterface ui;
    std::vector<int> openSeen;
    ui.AnswerMessageBox([&](const SimUserInterface::MessageBoxCall& call) {
        openSeen.push_back(ui.OpenModalCount());
        EXPECT_EQ(call.text, u"first");
        EXPECT_EQ(ui.MessageBox(0, u"second", u"", mb::kOk), mb::kIdCancel);  // nested
        return mb::kIdOk;
    });
    ui.AnswerMessageBox([&](const SimUserInterface::MessageBoxCall&) {
        openSeen.push_back(ui.OpenModalCount());
        return mb::kIdCancel;
    });
    EXPECT_EQ(ui.MessageBox(0, u"first", u"", mb::kOkCancel), mb::kIdOk);
    EXPECT_EQ(ui.MessageBox(0, u"third", u"", mb::kOkCancel), mb::kIdOk);  // no script left
    EXPECT_EQ(openSeen, (std::vector<int>{1, 2}));
    EXPECT_EQ(ui.OpenModalCount(), 0);
    EXPECT_EQ(ui.MessageBoxes().size(), 3u);
    EXPECT_EQ(ui.TrackPopupMenu({}, {}, 0), 0u);  // dismissed
}

TEST(SimUserInterfaceTest, FindCommandWalksSubMenusByCaption) {
    const std::vector<MenuItem> items{
        {u"5 Mb. (12 items)", 10, false, {}},
        {u"", 0, true, {}},
        {u"&Recycle Bin", 0, false, {{u"&Empty", 21, false, {}}, {u"&Open", 22, false, {}}}},
        {u"E&xit", 30, false, {}},
    };
    EXPECT_EQ(FindCommand(items, {u"Recycle Bin", u"Open"}), 22u);
    EXPECT_EQ(FindCommand(items, {u"Exit"}), 30u);
    EXPECT_EQ(FindCommand(items, {u"Recycle Bin"}), 0u);  // opens a sub-menu, no command
    EXPECT_EQ(FindCommand(items, {u"Recycle Bin", u"Close"}), 0u);
}

TEST(SimUserInterfaceTest, EqualIconImagesShareAHandleAndPicturesAreCounted) {
    SimWindows sim;
    const std::string bytes(40, '\x10');
    const std::string copy = bytes;
    const std::vector<IconImage> icon{{16, 16, 32, bytes}};
    SimUserInterface& ui = sim.ui();
    {
        auto a = ui.LoadIconPicture(icon, 16);
        auto b = ui.LoadIconPicture({{16, 16, 32, copy}}, 16);
        auto c = ui.LoadIconPicture({{16, 16, 32, bytes + "more"}}, 16);
        auto d = ui.LoadIconPicture({{16, 16, 8, bytes}}, 16);
        auto builtIn = ui.LoadBuiltInPicture(BuiltInPicture::TrayFull, 16);
        ASSERT_TRUE(a && b && c && d && builtIn);
        EXPECT_EQ(a->Handle(), b->Handle());
        EXPECT_NE(a->Handle(), c->Handle());
        EXPECT_NE(a->Handle(), d->Handle());
        EXPECT_NE(a->Handle(), builtIn->Handle());
        EXPECT_FALSE(ui.LoadIconPicture({}, 16));
        EXPECT_EQ(ui.LivePictures(), 5u);
    }
    EXPECT_EQ(ui.LivePictures(), 0u);
}

}  // namespace
}  // namespace dustvale::sim
