// The tray demo against the simulated Windows: what its command line asks, what its menu
// does, and the number each demo of a log-on takes.

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <utility>
#include <variant>
#include <vector>

#include "demo/DemoOptions.h"
#include "demo/TrayDemo.h"
#include "platform/sim/SimKernel.h"
#include "platform/sim/SimShell.h"
#include "platform/sim/SimUserInterface.h"
#include "platform/sim/SimWindowing.h"
#include "platform/sim/SimWindows.h"

namespace dustvale::demo {
namespace {

using sim::SimUserInterface;

// --- the command line ------------------------------------------------------------------------

struct OptionsCase {
    std::vector<Text> args;
    bool balloon;
    BalloonRequest request;
    std::optional<std::int32_t> blink;
};

TEST(DemoOptions, SwitchesGiveTheStartUpActions) {
    const OptionsCase cases[] = {
        {{}, false, {}, std::nullopt},
        {{u"/balloon", u"A title", u"Some text", u"3000"}, true, {u"A title", u"Some text", 3000},
         std::nullopt},
        {{u"-BLINK", u"500"}, false, {}, 500},
        {{u"/blink", u"2147483647", u"/Balloon", u"", u"", u"0"}, true, {u"", u"", 0},
         2147483647},
        // A later switch of the same name wins.
        {{u"/blink", u"500", u"/blink", u"250"}, false, {}, 250},
    };
    for (const OptionsCase& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.args.size() << " arguments");
        const auto parsed = ParseDemoOptions(c.args);
        ASSERT_TRUE(std::holds_alternative<DemoOptions>(parsed));
        const DemoOptions& options = std::get<DemoOptions>(parsed);
        ASSERT_EQ(options.balloon.has_value(), c.balloon);
        if (c.balloon) {
            EXPECT_EQ(options.balloon->title, c.request.title);
            EXPECT_EQ(options.balloon->message, c.request.message);
            EXPECT_EQ(options.balloon->timeoutMs, c.request.timeoutMs);
        }
        EXPECT_EQ(options.blinkCycleMs, c.blink);
    }
}

TEST(DemoOptions, AWrongCommandLineSaysWhatIsWrong) {
    const std::pair<std::vector<Text>, Text> cases[] = {
        {{u"/balloon", u"A title", u"Some text"},
         u"/balloon needs a title, a text and milliseconds"},
        {{u"/blink"}, u"/blink needs milliseconds"},
        {{u"/blink", u"-5"}, u"not a number of milliseconds: -5"},
        {{u"/blink", u"12x"}, u"not a number of milliseconds: 12x"},
        {{u"/blink", u"2147483648"}, u"not a number of milliseconds: 2147483648"},
        {{u"/blink", u""}, u"not a number of milliseconds: "},
        {{u"/balloon", u"t", u"m", u"soon"}, u"not a number of milliseconds: soon"},
        {{u"hello"}, u"unknown argument: hello"},
        {{u"/"}, u"unknown argument: /"},
        {{u"/blinking", u"500"}, u"unknown argument: /blinking"},
    };
    for (const auto& [args, error] : cases) {
        const auto parsed = ParseDemoOptions(args);
        ASSERT_TRUE(std::holds_alternative<Text>(parsed)) << args.size() << " arguments";
        EXPECT_EQ(std::get<Text>(parsed), error);
    }
}

// --- the demo --------------------------------------------------------------------------------

class TrayDemoTest : public ::testing::Test {
protected:
    sim::SimWindows sim;
    Platform platform = sim.platform();

    const sim::SimShell::TrayIcon& OnlyIcon() {
        icons_ = sim.shell().Icons();
        EXPECT_EQ(icons_.size(), 1u);
        if (icons_.empty()) throw std::runtime_error("no icon in the tray");
        return icons_[0];
    }

    // The user releases the right button over the icon and chooses `caption` in the menu.
    void Choose(const Text& caption) {
        sim.ui().AnswerMenu([caption](const SimUserInterface::MenuCall& menu) {
            return sim::FindCommand(menu.items, {caption});
        });
        const auto icon = OnlyIcon();
        sim.shell().SendCallback(icon.hwnd, icon.id, msg::kRButtonUp);
    }

    Text WindowText(Hwnd hwnd) {
        Text text = sim.windows().SendGetText(hwnd, 64);
        return text.substr(0, text.find(u'\0'));
    }

private:
    std::vector<sim::SimShell::TrayIcon> icons_;
};

TEST_F(TrayDemoTest, StartsWithItsIconNumberedInTooltipAndWindowText) {
    TrayDemo demo(platform, {});
    ASSERT_TRUE(demo.Started());
    const auto& icon = OnlyIcon();
    EXPECT_EQ(icon.tip, u"Tray demo 1");
    EXPECT_EQ(icon.icon, SimUserInterface::kTrayFullHandle);
    EXPECT_EQ(WindowText(demo.Window()), u"Tray demo 1");
    EXPECT_TRUE(sim.shell().Balloons().empty());
    EXPECT_FALSE(sim.windows().QuitPosted());
}

TEST_F(TrayDemoTest, EachDemoOfTheLogOnTakesTheNextNumber) {
    TrayDemo first(platform, {});
    sim::SimWindows other;
    other.kernel().JoinSession(sim.kernel());  // another process of the same log-on
    Platform otherPlatform = other.platform();
    TrayDemo second(otherPlatform, {});
    EXPECT_EQ(first.Title(), u"Tray demo 1");
    EXPECT_EQ(second.Title(), u"Tray demo 2");
    EXPECT_EQ(other.shell().Icons().at(0).tip, u"Tray demo 2");
}

TEST_F(TrayDemoTest, CommandLineShowsTheBalloonAndStartsBlinking) {
    DemoOptions options;
    options.balloon = BalloonRequest{u"Hello", u"A balloon", 3000};
    options.blinkCycleMs = 500;
    TrayDemo demo(platform, options);
    ASSERT_EQ(sim.shell().Balloons().size(), 1u);
    const auto& balloon = sim.shell().Balloons()[0];
    EXPECT_EQ(balloon.title, u"Hello");
    EXPECT_EQ(balloon.text, u"A balloon");
    EXPECT_EQ(balloon.timeoutMs, 3000u);
    EXPECT_EQ(balloon.infoFlags, 1u);  // the information icon

    // The empty bin blinks with the full one, one swap per cycle.
    const HIcon expected[] = {SimUserInterface::kTrayEmptyHandle,
                              SimUserInterface::kTrayFullHandle,
                              SimUserInterface::kTrayEmptyHandle};
    for (HIcon picture : expected) {
        sim.Advance(500);
        EXPECT_EQ(OnlyIcon().icon, picture);
    }
}

TEST_F(TrayDemoTest, MenuOffersTheControlsBalloonsAndBlinking) {
    TrayDemo demo(platform, {});
    Choose(u"Show balloon");
    ASSERT_EQ(sim.ui().Menus().size(), 1u);
    std::vector<Text> captions;
    for (const MenuItem& item : sim.ui().Menus()[0].items)
        captions.push_back(item.separator ? u"-" : item.caption);
    EXPECT_EQ(captions, (std::vector<Text>{u"Show balloon", u"Show last balloon",
                                           u"Close balloon", u"-", u"Start blinking",
                                           u"Stop blinking", u"-", u"Exit"}));
    EXPECT_EQ(sim.ui().Menus()[0].owner, demo.Window());
    ASSERT_EQ(sim.shell().Balloons().size(), 1u);
    EXPECT_EQ(sim.shell().Balloons()[0].title, u"Tray demo 1");
    EXPECT_EQ(sim.shell().Balloons()[0].timeoutMs, 5000u);

    const sim::SimShell::Balloon shown = sim.shell().Balloons()[0];
    sim.shell().ClearNotifyCalls();
    Choose(u"Show last balloon");
    ASSERT_EQ(sim.shell().NotifyCalls().size(), 1u);  // the same balloon asked for again
    EXPECT_EQ(sim.shell().NotifyCalls()[0].record.uFlags, 16u);
    ASSERT_EQ(sim.shell().Balloons().size(), 1u);
    EXPECT_EQ(sim.shell().Balloons()[0].text, shown.text);
    EXPECT_EQ(sim.shell().Balloons()[0].title, shown.title);

    Choose(u"Start blinking");
    sim.Advance(500);
    EXPECT_EQ(OnlyIcon().icon, SimUserInterface::kTrayEmptyHandle);
    Choose(u"Stop blinking");
    EXPECT_EQ(OnlyIcon().icon, SimUserInterface::kTrayFullHandle);
    sim.Advance(2000);
    EXPECT_EQ(OnlyIcon().icon, SimUserInterface::kTrayFullHandle);
    EXPECT_TRUE(sim.ui().MessageBoxes().empty());  // no error on the way
}

// The shell's balloon: a tooltip window of another program whose text is the balloon's.
class BalloonWindow final : public MessageHandler {
public:
    explicit BalloonWindow(Windowing& windows) : windows_(windows) {}
    LResult HandleMessage(Hwnd hwnd, std::int32_t message, WParam wParam,
                          LParam lParam) noexcept override {
        if (message == msg::kMButtonDown || message == msg::kMButtonUp) clicks.push_back(message);
        return windows_.DefWindowProc(hwnd, message, wParam, lParam);  // its text answers
    }
    std::vector<std::int32_t> clicks;

private:
    Windowing& windows_;
};

TEST_F(TrayDemoTest, CloseBalloonClicksTheBalloonWindowAway) {
    TrayDemo demo(platform, {});
    Choose(u"Show balloon");
    const Text text = sim.shell().Balloons().at(0).text;
    BalloonWindow other(sim.windows());
    BalloonWindow balloon(sim.windows());
    sim.windows().CreateForeignWindow(u"tooltips_class32", text, &balloon);
    sim.windows().CreateForeignWindow(u"tooltips_class32", u"Some other tooltip", &other);
    Choose(u"Close balloon");
    EXPECT_EQ(balloon.clicks, (std::vector<std::int32_t>{msg::kMButtonDown, msg::kMButtonUp}));
    EXPECT_TRUE(other.clicks.empty());
    EXPECT_TRUE(sim.ui().MessageBoxes().empty());
}

TEST(TrayDemo, ExitFromTheMenuOrACloseFromOutsideEndsTheDemo) {
    for (bool fromMenu : {true, false}) {
        sim::SimWindows fresh;
        Platform freshPlatform = fresh.platform();
        TrayDemo demo(freshPlatform, {});
        if (fromMenu) {
            fresh.ui().AnswerMenu([](const SimUserInterface::MenuCall& menu) {
                return sim::FindCommand(menu.items, {u"Exit"});
            });
            const auto icon = fresh.shell().Icons().at(0);
            fresh.shell().SendCallback(icon.hwnd, icon.id, msg::kRButtonUp);
        } else {
            fresh.windows().SendMessage(demo.Window(), msg::kClose, 0, 0);
        }
        EXPECT_TRUE(fresh.shell().Icons().empty()) << fromMenu;
        EXPECT_TRUE(fresh.windows().QuitPosted()) << fromMenu;
        // The window stays until the demo goes, after the message loop.
        EXPECT_TRUE(fresh.windows().Exists(demo.Window())) << fromMenu;
    }
}

TEST_F(TrayDemoTest, AWrongCommandLineIsExplainedAndEndsAtOnce) {
    EXPECT_EQ(RunTrayDemo(platform, {u"/blink"}), 2);
    ASSERT_EQ(sim.ui().MessageBoxes().size(), 1u);
    EXPECT_EQ(sim.ui().MessageBoxes()[0].text,
              Text(u"/blink needs milliseconds\r\n\r\n") + kDemoUsage);
    EXPECT_TRUE(sim.shell().Icons().empty());
}

}  // namespace
}  // namespace dustvale::demo
