#include "demo/TrayDemo.h"

#include <stdexcept>
#include <string>
#include <utility>
#include <variant>

#include "common/FlagScope.h"
#include "tray/TrayPictureSize.h"

namespace dustvale::demo {

namespace {

constexpr std::int32_t kNiifInfo = 1;  // the balloon's "information" icon
constexpr std::int32_t kMenuBalloonTimeoutMs = 5000;
constexpr std::int32_t kMenuBlinkCycleMs = 500;

Text Number(std::int32_t value) {
    const std::string digits = std::to_string(value);
    return Text(digits.begin(), digits.end());
}

std::vector<MenuItem> PopupItems() {
    auto item = [](const char16_t* caption, DemoCommand command) {
        return MenuItem{caption, static_cast<std::uint32_t>(command), false, {}};
    };
    const MenuItem separator{Text{}, 0, true, {}};
    return {item(u"Show balloon", DemoCommand::ShowBalloon),
            item(u"Show last balloon", DemoCommand::ShowLastBalloon),
            item(u"Close balloon", DemoCommand::CloseBalloon),
            separator,
            item(u"Start blinking", DemoCommand::StartBlinking),
            item(u"Stop blinking", DemoCommand::StopBlinking),
            separator,
            item(u"Exit", DemoCommand::Exit)};
}

}  // namespace

TrayDemo::TrayDemo(Platform& platform, const DemoOptions& options)
    : platform_(platform),
      // The bin with contents is the standard picture and the empty bin blinks with it.
      standardPicture_(platform.ui.LoadBuiltInPicture(BuiltInPicture::TrayFull,
                                                      TrayPictureSize(platform.windows))),
      blinkPicture_(platform.ui.LoadBuiltInPicture(BuiltInPicture::TrayEmpty,
                                                   TrayPictureSize(platform.windows))) {
    window_ = UniqueWindow(platform_.windows,
                           platform_.windows.CreateWindow(WindowKind::HiddenOwner, 0, this));
    if (!window_) return;
    trayWindow_ = UniqueWindow(platform_.windows, platform_.windows.CreateWindow(
                                                      WindowKind::Child, window_.get(), nullptr));
    TrayEvents& events = *this;
    tray_ = std::make_unique<TrayIcon>(platform_, TrayHost{trayWindow_.get(), window_.get(), true},
                                       events);
    try {
        tray_->TakeInstanceNumber();
    } catch (const std::overflow_error&) {
        // An instance number too large for identifiers: the demo goes on with the ones it has.
    }

    platform_.windows.SetWindowText(window_.get(), Title());
    tray_->SetIcon(*standardPicture_);
    tray_->SetBlinkIcon(*blinkPicture_);
    tray_->SetTooltip(Title());
    started_ = tray_->AddIcon();
    if (!started_) return;

    if (options.balloon) {
        tray_->ShowBalloon(options.balloon->title, options.balloon->message, kNiifInfo,
                           options.balloon->timeoutMs);
    }
    if (options.blinkCycleMs) tray_->StartBlinking(*options.blinkCycleMs);
}

TrayDemo::~TrayDemo() {
    // The control goes first: its termination takes the icon away and unhooks its window,
    // which must still exist then.
    tray_.reset();
    trayWindow_.reset();
    window_.reset();
}

Text TrayDemo::Title() const { return u"Tray demo " + Number(tray_ ? tray_->InstanceNumber() : 0); }

void TrayDemo::Run(DemoCommand command) {
    if (!tray_) return;
    switch (command) {
        case DemoCommand::None:
            return;
        case DemoCommand::ShowBalloon:
            tray_->ShowBalloon(Title(),
                               u"A balloon from the tray demo. The control closes it after "
                               u"5 seconds.",
                               kNiifInfo, kMenuBalloonTimeoutMs);
            return;
        case DemoCommand::ShowLastBalloon:
            return tray_->ShowLastBalloon();
        case DemoCommand::CloseBalloon:
            return tray_->CloseBalloon();
        case DemoCommand::StartBlinking:
            return tray_->StartBlinking(kMenuBlinkCycleMs);
        case DemoCommand::StopBlinking:
            return tray_->StopBlinking();
        case DemoCommand::Exit:
            tray_->RemoveIcon();
            started_ = false;
            platform_.windows.PostQuitMessage(0);
            return;
    }
}

void TrayDemo::OnMouseUp(std::int16_t /*button*/) {
    // Every button opens the menu at the cursor, the keyboard at the icon.
    OpenMenu(platform_.windows.GetCursorPos(), false);
}

void TrayDemo::OnKeySelect(Point anchor) { OpenMenu(anchor, true); }

void TrayDemo::OnContextMenu(Point anchor) { OpenMenu(anchor, true); }

void TrayDemo::OpenMenu(Point position, bool fromKeyboard) {
    // One menu at a time.
    if (!started_ || menuOpen_) return;
    std::uint32_t chosen = 0;
    {
        FlagScope open(menuOpen_);
        chosen = platform_.ui.TrackPopupMenu(PopupItems(), position, window_.get());
    }
    if (!started_) return;  // Exit came in while the menu was open
    if (fromKeyboard && chosen == 0) tray_->ReturnFocus();
    Run(static_cast<DemoCommand>(chosen));
}

void TrayDemo::OnError(const Text& source, std::int32_t code, const Text& description) {
    // The demo shows what the control reports: that is what it is for.
    platform_.ui.MessageBox(window_.get(), source + u" (" + Number(code) + u"): " + description,
                            Title(), mb::kOk | mb::kIconInformation);
}

LResult TrayDemo::HandleMessage(Hwnd hwnd, std::int32_t message, WParam wParam,
                                LParam lParam) noexcept {
    try {
        if (tray_ && tray_->IsTaskbarCreated(message)) {
            tray_->OnTaskbarCreated();  // a new taskbar: the icon goes back into its tray
            return 0;
        }
        if (message == msg::kClose) {
            // Asked to close from outside (the user never sees the window): the demo ends.
            if (started_) Run(DemoCommand::Exit);
            return 0;
        }
        return platform_.windows.DefWindowProc(hwnd, message, wParam, lParam);
    } catch (...) {
        return 0;  // nothing may leave a window procedure
    }
}

std::int32_t RunTrayDemo(Platform& platform, const std::vector<Text>& args) {
    auto parsed = ParseDemoOptions(args);
    if (const Text* error = std::get_if<Text>(&parsed)) {
        platform.ui.MessageBox(0, *error + u"\r\n\r\n" + kDemoUsage, u"Tray demo", mb::kOk);
        return 2;
    }
    TrayDemo demo(platform, std::get<DemoOptions>(parsed));
    if (!demo.Started()) return 1;  // no icon in the tray: nothing would ever end the loop
    return platform.windows.RunMessageLoop();
}

}  // namespace dustvale::demo
