// Balloon tips: what reaches the shell, the balloon's life from the shell's notifications to
// the control's own dismissal, and the search for the balloon window among the tooltips.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/unit/TrayTestScene.h"

namespace dustvale {
namespace {

using traytest::ErrorReport;
using traytest::TrayScene;
using Log = std::vector<std::string>;

constexpr std::int32_t kInfo = 1;
constexpr std::int32_t kWarning = 2;

// A top-level window, by default a tooltip window of the shell. When it is our balloon and
// is clicked, the shell tells the icon's owner that its balloon was clicked, while the click
// is still being delivered.
class ShellTooltip final : public MessageHandler {
public:
    ShellTooltip(TrayScene& scene, Text text, bool isOurBalloon,
                 const Text& className = u"tooltips_class32")
        : scene_(scene), text_(std::move(text)), isOurBalloon_(isOurBalloon) {
        hwnd = scene.sim.windows().CreateForeignWindow(className, text_, this);
    }
    LResult HandleMessage(Hwnd hwnd, std::int32_t message, WParam wParam,
                          LParam lParam) noexcept override {
        if (message == msg::kMButtonDown || message == msg::kMButtonUp) {
            clicks.push_back(message);
        }
        if (message == msg::kMButtonUp && isOurBalloon_) {
            scene_.sim.shell().SendCallback(scene_.controlWindow, 1000, msg::kBalloonUserClick);
        }
        // Its text answers the text messages, as a tooltip's does.
        return scene_.sim.windows().DefWindowProc(hwnd, message, wParam, lParam);
    }

    Hwnd hwnd = 0;
    std::vector<std::int32_t> clicks;

private:
    TrayScene& scene_;
    Text text_;
    bool isOurBalloon_;
};

const std::vector<std::int32_t> kClickedAway{msg::kMButtonDown, msg::kMButtonUp};

TEST(TrayBalloon, ShowSendsTextTitleTimeoutAndStyleWithTheInfoFlagOnly) {
    TrayScene s;
    s.Register();
    EXPECT_TRUE(s.control->ShowBalloon(u"Corbeille", u"Vidée \x263A", kWarning, 3000));
    ASSERT_EQ(s.NotifyMessages(), (std::vector<NotifyMessage>{NotifyMessage::Modify}));
    const NotifyIconRecord& sent = s.sim.shell().NotifyCalls()[0].record;
    EXPECT_EQ(sent.uFlags, 0x10u);
    EXPECT_EQ(sent.uTimeoutOrVersion, 3000u);
    EXPECT_EQ(sent.dwInfoFlags, 2u);
    EXPECT_EQ(Text(sent.szInfo), u"Vidée \x263A");
    EXPECT_EQ(Text(sent.szInfoTitle), u"Corbeille");
    ASSERT_EQ(s.sim.shell().Balloons().size(), 1u);
    EXPECT_EQ(s.sim.shell().Balloons()[0].text, u"Vidée \x263A");
    // The timer waits for the shell to show the balloon.
    EXPECT_FALSE(s.TimerPeriod(1002).has_value());
}

TEST(TrayBalloon, LongTextAndTitleAreCut) {
    TrayScene s;
    s.Register();
    s.control->ShowBalloon(Text(70, u't'), Text(300, u'm'), kInfo, 1000);
    const NotifyIconRecord& record = s.control->Record();
    EXPECT_EQ(Text(record.szInfo), Text(255, u'm'));
    EXPECT_EQ(Text(record.szInfoTitle), Text(63, u't'));
}

TEST(TrayBalloon, EmptyTitleShowsThePreviousTitleButCannotBeShownAgain) {
    TrayScene s;
    s.Register();
    s.control->ShowBalloon(u"First", u"One", kInfo, 1000);
    s.control->ShowBalloon(u"", u"Two", kInfo, 1000);
    EXPECT_EQ(Text(s.control->Record().szInfoTitle), u"First");
    s.sim.shell().ClearNotifyCalls();
    s.control->ShowLastBalloon();
    EXPECT_TRUE(s.sim.shell().NotifyCalls().empty());
}

TEST(TrayBalloon, ShowLastRepeatsTheLastBalloonOnlyWhenThereIsOne) {
    TrayScene s;
    s.Register();
    s.control->ShowLastBalloon();
    EXPECT_TRUE(s.sim.shell().NotifyCalls().empty());

    s.control->ShowBalloon(u"Title", u"Message", kWarning, 2500);
    s.control->ShowBalloon(u"", u"", 0, 0);  // no timeout: nothing to repeat any more
    s.sim.shell().ClearNotifyCalls();
    s.control->ShowLastBalloon();
    EXPECT_TRUE(s.sim.shell().NotifyCalls().empty());

    s.control->ShowBalloon(u"Title", u"Message", kWarning, 2500);
    s.control->ShowBalloon(u"Other", u"Text", kInfo, 900);
    s.sim.shell().ClearNotifyCalls();
    s.control->ShowLastBalloon();
    ASSERT_EQ(s.sim.shell().NotifyCalls().size(), 1u);
    const NotifyIconRecord& sent = s.sim.shell().NotifyCalls()[0].record;
    EXPECT_EQ(Text(sent.szInfoTitle), u"Other");
    EXPECT_EQ(Text(sent.szInfo), u"Text");
    EXPECT_EQ(sent.dwInfoFlags, 1u);
    EXPECT_EQ(sent.uTimeoutOrVersion, 900u);
}

TEST(TrayBalloon, ShowWithoutRegistrationStoresNothing) {
    TrayScene s;
    s.control->SetIcon(s.full);
    EXPECT_FALSE(s.control->ShowBalloon(u"T", u"M", kInfo, 1000));
    ASSERT_TRUE(s.control->AddIcon());
    s.sim.shell().ClearNotifyCalls();
    s.control->ShowLastBalloon();
    EXPECT_TRUE(s.sim.shell().NotifyCalls().empty());
}

TEST(TrayBalloon, ControlClicksTheBalloonAwayAfterItsTimeoutAndReportsATimeOut) {
    TrayScene s;
    s.Register();
    ShellTooltip balloon(s, u"Corbeille vidée", true);
    s.control->ShowBalloon(u"Dustvale", u"Corbeille vidée", kInfo, 3000);
    s.sim.Advance(500);  // the shell takes its time to show it
    s.sim.shell().SendCallback(s.controlWindow, 1000, msg::kBalloonShow);
    EXPECT_EQ(s.TimerPeriod(1002), std::optional<std::uint32_t>(3000));

    s.sim.Advance(2999);
    EXPECT_TRUE(balloon.clicks.empty());
    s.sim.Advance(1);
    EXPECT_EQ(balloon.clicks, kClickedAway);
    EXPECT_EQ(s.host.Log(), (Log{"OnBalloonShown", "OnBalloonTimedOut"}));
    EXPECT_FALSE(s.TimerPeriod(1002).has_value());

    // A later click of the user's is the user's.
    s.sim.shell().SendCallback(s.controlWindow, 1000, msg::kBalloonUserClick);
    EXPECT_EQ(s.host.Log().back(), "OnBalloonClicked");
}

TEST(TrayBalloon, ShellNotificationsEndTheTimerAndBecomeTheirEvents) {
    struct Case {
        std::int32_t notification;
        const char* event;
        bool timerStops;
    };
    const Case cases[] = {
        {msg::kBalloonHide, "OnBalloonTimedOut", true},
        {msg::kBalloonTimeout, "OnBalloonClosed", true},
        {msg::kBalloonUserClick, "OnBalloonClicked", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.event);
        TrayScene s;
        s.Register();
        s.control->ShowBalloon(u"T", u"M", kInfo, 5000);
        s.Callback(msg::kBalloonShow);
        s.host.ClearLog();
        s.Callback(c.notification);
        EXPECT_EQ(s.host.Log(), Log{c.event});
        EXPECT_EQ(s.TimerPeriod(1002).has_value(), !c.timerStops);
    }
}

TEST(TrayBalloon, ZeroTimeoutLeavesTheBalloonToTheShell) {
    TrayScene s;
    s.Register();
    ShellTooltip balloon(s, u"M", true);
    s.control->ShowBalloon(u"T", u"M", kInfo, 0);
    s.Callback(msg::kBalloonShow);
    EXPECT_FALSE(s.TimerPeriod(1002).has_value());
    s.sim.Advance(60000);
    EXPECT_TRUE(balloon.clicks.empty());
}

TEST(TrayBalloon, SecondShowDoesNotRestartTheRunningTimer) {
    TrayScene s;
    s.Register();
    ShellTooltip first(s, u"First", true);
    s.control->ShowBalloon(u"T", u"First", kInfo, 3000);
    s.Callback(msg::kBalloonShow);
    s.sim.Advance(2000);
    s.control->ShowBalloon(u"T", u"First", kInfo, 10000);
    s.Callback(msg::kBalloonShow);
    EXPECT_EQ(s.TimerPeriod(1002), std::optional<std::uint32_t>(3000));
    s.sim.Advance(1000);
    EXPECT_EQ(first.clicks, kClickedAway);
}

TEST(TrayBalloon, SearchFindsTheBalloonBelowOtherWindowsAndUnreadableTooltips) {
    TrayScene s;
    s.Register();
    // Created bottom to top: the last one is on top and is looked at first.
    ShellTooltip balloon(s, u"Trash emptied \x263A", true);
    ShellTooltip otherTooltip(s, u"Open file", false);
    ShellTooltip notepad(s, u"Trash emptied \x263A", false, u"Notepad");
    ShellTooltip wrongCase(s, u"Trash emptied \x263A", false, u"Tooltips_Class32");
    ShellTooltip oneLetter(s, u"x", false);
    ShellTooltip empty(s, u"", false);

    s.control->ShowBalloon(u"T", u"Trash emptied \x263A", kInfo, 1000);
    s.Callback(msg::kBalloonShow);
    s.sim.Advance(1000);
    for (const ShellTooltip* other : {&otherTooltip, &notepad, &wrongCase, &oneLetter, &empty}) {
        EXPECT_TRUE(other->clicks.empty());
    }
    EXPECT_EQ(balloon.clicks, kClickedAway);
    EXPECT_EQ(s.host.Log(), (Log{"OnBalloonShown", "OnBalloonTimedOut"}));
}

TEST(TrayBalloon, LongBalloonTextIsFoundByItsFirstCharacters) {
    TrayScene s;
    s.Register();
    const Text message(300, u'w');
    ShellTooltip balloon(s, message.substr(0, 255), true);
    s.control->ShowBalloon(u"T", message, kInfo, 1000);
    s.Callback(msg::kBalloonShow);
    s.sim.Advance(1000);
    EXPECT_EQ(balloon.clicks, kClickedAway);
}

TEST(TrayBalloon, NoBalloonWindowMeansNothingIsClickedAndLaterClicksAreTheUsers) {
    TrayScene s;
    s.Register();
    ShellTooltip someoneElses(s, u"Open file", false);
    s.control->ShowBalloon(u"T", u"Trash emptied", kInfo, 1000);
    s.Callback(msg::kBalloonShow);
    s.sim.Advance(1000);
    EXPECT_TRUE(someoneElses.clicks.empty());
    s.Callback(msg::kBalloonUserClick);
    EXPECT_EQ(s.host.Log(), (Log{"OnBalloonShown", "OnBalloonClicked"}));
}

TEST(TrayBalloon, CloseOnAnUnregisteredIconDoesNothing) {
    TrayScene s;
    ShellTooltip balloon(s, u"M", true);
    s.control->CloseBalloon();
    EXPECT_TRUE(balloon.clicks.empty());
    EXPECT_TRUE(s.host.errors.empty());
}

TEST(TrayBalloon, RemovingTheIconStopsTheBalloonTimer) {
    TrayScene s;
    s.Register();
    s.control->ShowBalloon(u"T", u"M", kInfo, 3000);
    s.Callback(msg::kBalloonShow);
    ASSERT_TRUE(s.TimerPeriod(1002).has_value());
    ASSERT_EQ(s.control->RemoveIcon(), std::optional<bool>(true));
    EXPECT_FALSE(s.TimerPeriod(1002).has_value());
}

TEST(TrayBalloon, ControlDestroyedWhileTheSearchLetsMessagesRunIsNotTouchedAfterwards) {
    TrayScene s;
    s.Register();
    ShellTooltip other(s, u"Open file", false);
    ShellTooltip top(s, u"Another", false);
    s.control->ShowBalloon(u"T", u"M", kInfo, 1000);
    s.Callback(msg::kBalloonShow);
    // A message posted before the timer fires, run by the search: it ends the control, as
    // a host's deferred destruction would.
    class Ender final : public MessageHandler {
    public:
        explicit Ender(TrayScene& scene) : scene_(scene) {}
        LResult HandleMessage(Hwnd, std::int32_t, WParam, LParam) noexcept
            override {
            scene_.control.reset();
            return 0;
        }

    private:
        TrayScene& scene_;
    } ender(s);
    const Hwnd enderWindow = s.sim.windows().CreateWindow(WindowKind::HiddenOwner, 0, &ender);
    s.sim.windows().At(1000, [&] { s.sim.windows().PostMessage(enderWindow, msg::kUser, 0, 0); });
    s.sim.Advance(1000);
    EXPECT_EQ(s.control, nullptr);
    EXPECT_TRUE(other.clicks.empty());
    EXPECT_TRUE(s.sim.shell().Icons().empty());
}

}  // namespace
}  // namespace dustvale
