// Registering the tray icon: the record as the shell reads it, picture and tooltip, adding and
// removing, the error reports and the control's life cycle.

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <system_error>

#include "tests/unit/TrayTestScene.h"
#include "tray/ErrorDetails.h"

namespace dustvale {
namespace {

using traytest::ErrorReport;
using traytest::kBlinkIcon;
using traytest::kEmptyIcon;
using traytest::kFullIcon;
using traytest::TrayScene;

std::uint32_t U32At(const NotifyIconRecord& record, std::size_t offset) {
    unsigned char bytes[sizeof record];
    std::memcpy(bytes, &record, sizeof record);
    return bytes[offset] | bytes[offset + 1] << 8 | bytes[offset + 2] << 16 |
           static_cast<std::uint32_t>(bytes[offset + 3]) << 24;
}

Text Repeat(char16_t c, std::size_t n) { return Text(n, c); }

TEST(TrayRegistration, AddSendsTheRecordWithItsFieldsAtTheShellsOffsets) {
    TrayScene s;
    s.control->SetIcon(s.full);
    s.control->SetTooltip(u"Dustvale");
    ASSERT_TRUE(s.control->AddIcon());

    ASSERT_EQ(s.NotifyMessages(),
              (std::vector<NotifyMessage>{NotifyMessage::Add, NotifyMessage::SetVersion}));
    const NotifyIconRecord& sent = s.sim.shell().NotifyCalls()[0].record;
    EXPECT_EQ(U32At(sent, 0), 936u);
    EXPECT_EQ(U32At(sent, 4), s.controlWindow);
    EXPECT_EQ(U32At(sent, 8), 1000u);
    EXPECT_EQ(U32At(sent, 12), 7u);
    EXPECT_EQ(U32At(sent, 16), 1025u);
    EXPECT_EQ(U32At(sent, 20), kFullIcon);
    EXPECT_EQ(U32At(sent, 24), 'D' | 'u' << 16);  // UTF-16LE text at 24
    EXPECT_EQ(U32At(sent, 280), 2u);
    EXPECT_EQ(U32At(sent, 284), 0u);
    EXPECT_EQ(U32At(sent, 800), 3u);

    const auto icon = s.sim.shell().Icon(s.controlWindow, 1000);
    ASSERT_TRUE(icon.has_value());
    EXPECT_EQ(icon->icon, kFullIcon);
    EXPECT_EQ(icon->tip, u"Dustvale");
    EXPECT_EQ(icon->callbackMessage, 1025u);
}

TEST(TrayRegistration, InstanceOneTakesIconThousandAndTheThreeTimersAfterIt) {
    TrayScene s;
    EXPECT_EQ(s.control->InstanceNumber(), 1);
    EXPECT_EQ(s.control->IconId(), 1000);
    EXPECT_EQ(s.control->TaskbarTimerId(), 1001);
    EXPECT_EQ(s.control->BalloonTimerId(), 1002);
    EXPECT_EQ(s.control->BlinkTimerId(), 1003);
}

TEST(TrayRegistration, RefusedAddSendsNoVersionButStillRegistersAndHooks) {
    TrayScene s;
    s.sim.shell().RefuseNextAdd();
    s.control->SetIcon(s.full);
    EXPECT_TRUE(s.control->AddIcon());
    EXPECT_EQ(s.NotifyMessages(), (std::vector<NotifyMessage>{NotifyMessage::Add}));
    EXPECT_NE(s.sim.windows().CurrentProc(s.controlWindow), s.originalProc);
    EXPECT_EQ(s.control->RemoveIcon(), std::optional<bool>(true));
}

TEST(TrayRegistration, TooltipIsCutToTheBufferAndNulFilled) {
    struct Case {
        Text text;
        Text shown;
    };
    const Case cases[] = {
        {Repeat(u'a', 200), Repeat(u'a', 127)},
        {Repeat(u'b', 127), Repeat(u'b', 127)},
        {Repeat(u'c', 128), Repeat(u'c', 127)},
        {u"Dustvale (7 items)", u"Dustvale (7 items)"},
        {u"Corbeille \x263A \xD83D\xDDD1", u"Corbeille \x263A \xD83D\xDDD1"},
    };
    for (const Case& c : cases) {
        TrayScene s;
        s.control->SetTooltip(Repeat(u'z', 127));  // a longer text before: no trace may remain
        s.control->SetTooltip(c.text);
        const Text whole = s.control->Tooltip();
        ASSERT_EQ(whole.size(), 128u);
        EXPECT_EQ(whole.substr(0, c.shown.size()), c.shown);
        EXPECT_EQ(whole.substr(c.shown.size()), Text(128 - c.shown.size(), u'\0'))
            << "after a text of " << c.text.size();
    }
}

TEST(TrayRegistration, TooltipGetReturnsTheWholeBufferOf128CodeUnits) {
    TrayScene s;
    s.control->SetTooltip(u"abc");
    EXPECT_EQ(s.control->Tooltip(), u"abc" + Text(125, u'\0'));
}

TEST(TrayRegistration, EmptyTooltipKeepsThePreviousTextButStillRefreshes) {
    TrayScene s;
    s.Register();
    s.control->SetTooltip(u"Dustvale (3 items)");
    s.control->SetTooltip(u"");
    EXPECT_EQ(s.NotifyMessages(),
              (std::vector<NotifyMessage>{NotifyMessage::Modify, NotifyMessage::Modify}));
    EXPECT_EQ(s.sim.shell().Icon(s.controlWindow, 1000)->tip, u"Dustvale (3 items)");
}

TEST(TrayRegistration, TooltipBeforeRegistrationOnlyFillsTheRecordAndReachesTheShellWithTheAdd) {
    TrayScene s;
    s.control->SetTooltip(u"Dustvale");
    EXPECT_TRUE(s.sim.shell().NotifyCalls().empty());
    s.control->SetIcon(s.full);
    EXPECT_TRUE(s.sim.shell().NotifyCalls().empty());
    ASSERT_TRUE(s.control->AddIcon());
    EXPECT_EQ(s.sim.shell().Icon(s.controlWindow, 1000)->tip, u"Dustvale");
}

TEST(TrayRegistration, SameTooltipIsSentAgainOnEverySet) {
    TrayScene s;
    s.Register();
    s.control->SetTooltip(u"Dustvale");
    s.control->SetTooltip(u"Dustvale");
    EXPECT_EQ(s.NotifyMessages().size(), 2u);
    for (const auto& call : s.sim.shell().NotifyCalls()) {
        EXPECT_EQ(call.record.uFlags, 7u);
    }
}

TEST(TrayRegistration, NewPictureIsShownAtOnceButAnEqualHandleSendsNothing) {
    TrayScene s;
    s.Register();
    traytest::FixedPicture sameHandle{kFullIcon};
    s.control->SetIcon(sameHandle);
    EXPECT_TRUE(s.sim.shell().NotifyCalls().empty());

    s.control->SetIcon(s.empty);
    ASSERT_EQ(s.NotifyMessages(), (std::vector<NotifyMessage>{NotifyMessage::Modify}));
    EXPECT_EQ(s.sim.shell().Icon(s.controlWindow, 1000)->icon, kEmptyIcon);
}

TEST(TrayRegistration, EqualPictureWhileBlinkingSendsNothing) {
    TrayScene s;
    s.Register();
    s.control->SetBlinkIcon(s.blink);
    s.control->StartBlinking(300);
    s.sim.Advance(300);  // the blink icon shows now
    ASSERT_EQ(s.sim.shell().Icon(s.controlWindow, 1000)->icon, kBlinkIcon);
    s.sim.shell().ClearNotifyCalls();

    traytest::FixedPicture sameHandle{kFullIcon};
    s.control->SetIcon(sameHandle);
    EXPECT_TRUE(s.sim.shell().NotifyCalls().empty());
    EXPECT_EQ(s.sim.shell().Icon(s.controlWindow, 1000)->icon, kBlinkIcon);
}

TEST(TrayRegistration, PictureErrorsReachTheCaller) {
    TrayScene s;
    traytest::BrokenPicture broken;
    EXPECT_THROW(s.control->SetIcon(broken), std::runtime_error);
    EXPECT_THROW(s.control->SetBlinkIcon(broken), std::runtime_error);
    EXPECT_TRUE(s.host.errors.empty());
}

TEST(TrayRegistration, RemoveDeletesTheIconUnhooksAndStopsTheTimers) {
    TrayScene s;
    s.Register();
    s.control->StartBlinking(400);
    ASSERT_TRUE(s.TimerPeriod(s.control->TaskbarTimerId()).has_value());

    EXPECT_EQ(s.control->RemoveIcon(), std::optional<bool>(true));
    EXPECT_EQ(s.NotifyMessages(), (std::vector<NotifyMessage>{NotifyMessage::Delete}));
    EXPECT_TRUE(s.sim.shell().Icons().empty());
    EXPECT_EQ(s.sim.windows().CurrentProc(s.controlWindow), s.originalProc);
    EXPECT_TRUE(s.sim.windows().Timers().empty());
    EXPECT_FALSE(s.control->IsBlinking());
}

TEST(TrayRegistration, IconCanBeRemovedAndAddedAgainWithTheSameIdentifier) {
    TrayScene s;
    s.Register();
    ASSERT_EQ(s.control->RemoveIcon(), std::optional<bool>(true));
    ASSERT_TRUE(s.control->AddIcon());
    const auto icons = s.sim.shell().Icons();
    ASSERT_EQ(icons.size(), 1u);
    EXPECT_EQ(icons[0].id, 1000u);
    EXPECT_TRUE(s.host.errors.empty());
}

TEST(TrayRegistration, DestroyingARegisteredInstanceRemovesItsIconUnhooksAndStopsItsTimers) {
    TrayScene s;
    s.Register();
    s.control->StartBlinking(250);
    s.control.reset();
    EXPECT_EQ(s.NotifyMessages(), (std::vector<NotifyMessage>{NotifyMessage::Delete}));
    EXPECT_TRUE(s.sim.shell().Icons().empty());
    EXPECT_EQ(s.sim.windows().CurrentProc(s.controlWindow), s.originalProc);
    EXPECT_TRUE(s.sim.windows().Timers().empty());
    EXPECT_TRUE(s.host.errors.empty());
}

TEST(TrayRegistration, DestroyingAnUnregisteredInstanceSendsNothingAndReportsNothing) {
    TrayScene s;
    s.control->SetIcon(s.full);
    s.control.reset();
    EXPECT_TRUE(s.sim.shell().NotifyCalls().empty());
    EXPECT_TRUE(s.host.errors.empty());
}

// Each misuse: what it answers, what it reports, and that it leaves the tray untouched.
TEST(TrayRegistration, MisusesReportTheirErrorAndChangeNothing) {
    struct Case {
        const char* name;
        std::function<void(TrayScene&)> before;
        std::function<bool(TrayScene&)> act;  // true when the answer is the one expected
        ErrorReport report;
    };
    const Case cases[] = {
        {"add without a picture",
         [](TrayScene&) {},
         [](TrayScene& s) { return !s.control->AddIcon(); },
         {u"Initialize", 0, u""}},
        {"second add",
         [](TrayScene& s) { s.Register(); },
         [](TrayScene& s) { return !s.control->AddIcon(); },
         {u"SysTrayAddIcon", -1, u"Icône standard non définie"}},
        {"remove while not registered",
         [](TrayScene&) {},
         [](TrayScene& s) { return s.control->RemoveIcon() == std::nullopt; },
         {u"SysTrayRemoveIcon", -1, u"SysTray non chargé"}},
        {"second remove",
         [](TrayScene& s) {
             s.Register();
             s.control->RemoveIcon();
             s.sim.shell().ClearNotifyCalls();
         },
         [](TrayScene& s) { return s.control->RemoveIcon() == std::nullopt; },
         {u"SysTrayRemoveIcon", -1, u"SysTray non chargé"}},
        {"blink before add",
         [](TrayScene& s) { s.control->SetIcon(s.full); },
         [](TrayScene& s) {
             s.control->StartBlinking(500);
             return !s.control->IsBlinking();
         },
         {u"BlinkStart", -1, u"SysTray non démarré"}},
        {"balloon before add",
         [](TrayScene&) {},
         [](TrayScene& s) { return !s.control->ShowBalloon(u"T", u"M", 1, 3000); },
         {u"BalloonTipShow", -1, u"SysTray non chargé"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TrayScene s;
        c.before(s);
        const auto iconsBefore = s.sim.shell().Icons().size();
        s.host.ClearLog();
        EXPECT_TRUE(c.act(s));
        EXPECT_EQ(s.host.errors, std::vector<ErrorReport>{c.report});
        EXPECT_TRUE(s.sim.shell().NotifyCalls().empty());
        EXPECT_EQ(s.sim.shell().Icons().size(), iconsBefore);
    }
}

TEST(TrayRegistration, ShellFailuresAreReportedByTheRoutineThatMetThem) {
    struct Case {
        const char* name;
        NotifyMessage failing;
        std::function<void(TrayScene&)> act;
        Text source;
    };
    const Case cases[] = {
        {"add", NotifyMessage::Add,
         [](TrayScene& s) {
             s.control->SetIcon(s.full);
             EXPECT_FALSE(s.control->AddIcon());
         },
         u"SysTrayAddIcon"},
        {"refresh", NotifyMessage::Modify,
         [](TrayScene& s) {
             s.Register();
             s.control->SetTooltip(u"x");
         },
         u"SysTrayIconRefresh"},
        {"remove", NotifyMessage::Delete,
         [](TrayScene& s) {
             s.Register();
             EXPECT_EQ(s.control->RemoveIcon(), std::optional<bool>(false));
         },
         u"SysTrayRemoveIcon"},
        {"balloon", NotifyMessage::Modify,
         [](TrayScene& s) {
             s.Register();
             EXPECT_FALSE(s.control->ShowBalloon(u"T", u"M", 1, 3000));
         },
         u"BalloonTipShow"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TrayScene s;
        s.shell.throwOn = c.failing;
        c.act(s);
        EXPECT_EQ(s.host.errors,
                  (std::vector<ErrorReport>{{c.source, kGeneralFailureNumber, u"shell gone"}}));
    }
}

TEST(TrayRegistration, FailedAddLeavesTheIconUnregisteredAndAFailedRemoveLeavesItRegistered) {
    TrayScene s;
    s.shell.throwOn = NotifyMessage::Add;
    s.control->SetIcon(s.full);
    EXPECT_FALSE(s.control->AddIcon());
    s.shell.throwOn.reset();
    EXPECT_EQ(s.control->RemoveIcon(), std::nullopt);  // never registered

    ASSERT_TRUE(s.control->AddIcon());
    s.shell.throwOn = NotifyMessage::Delete;
    EXPECT_EQ(s.control->RemoveIcon(), std::optional<bool>(false));
    s.shell.throwOn.reset();
    EXPECT_EQ(s.control->RemoveIcon(), std::optional<bool>(true));  // still registered
}

TEST(TrayRegistration, SystemErrorsKeepTheirOwnNumber) {
    TrayScene s;
    s.shell.throwOn = NotifyMessage::Add;
    s.shell.thrower = [] { throw std::system_error(5, std::system_category(), "denied"); };
    s.control->SetIcon(s.full);
    EXPECT_FALSE(s.control->AddIcon());
    ASSERT_EQ(s.host.errors.size(), 1u);
    EXPECT_EQ(s.host.errors[0].source, u"SysTrayAddIcon");
    EXPECT_EQ(s.host.errors[0].code, 5);
    EXPECT_EQ(s.host.errors[0].description.substr(0, 6), u"denied");
}

TEST(TrayRegistration, ErrorTextsAreReadAsUtf8) {
    struct Case {
        std::string utf8;
        Text text;
    };
    const Case cases[] = {
        {"plain", u"plain"},         {"Ic\xC3\xB4ne", u"Icône"},
        {"\xE2\x98\xBA", u"\x263A"}, {"\xF0\x9F\x97\x91", u"\xD83D\xDDD1"},
        {"bad \xC3", u"bad \xFFFD"}, {"\xC0\xAF", u"\xFFFD"},  // an overlong form of '/'
        {"\xED\xA0\x80", u"\xFFFD"},                           // a lone surrogate
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Utf8ToText(c.utf8), c.text) << c.utf8;
    }
}

TEST(TrayRegistration, WithHookWindowOffTheIconRegistersWithoutHookOrTimers) {
    TrayScene s(/*hookWindow=*/false);
    s.control->SetIcon(s.full);
    EXPECT_TRUE(s.control->AddIcon());
    EXPECT_EQ(s.sim.windows().CurrentProc(s.controlWindow), s.originalProc);
    EXPECT_TRUE(s.sim.windows().Timers().empty());
}

}  // namespace
}  // namespace dustvale
