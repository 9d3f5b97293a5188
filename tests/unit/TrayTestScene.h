#pragma once

// A tray control placed on a hidden window in a simulated Windows, with a host that writes
// down every event (and every foreground call in between) in the order they happen.

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/sim/SimKernel.h"
#include "platform/sim/SimShell.h"
#include "platform/sim/SimWindowing.h"
#include "platform/sim/SimWindows.h"
#include "tray/TrayIcon.h"

namespace dustvale::traytest {

class FixedPicture final : public Picture {
public:
    explicit FixedPicture(HIcon handle) : handle_(handle) {}
    HIcon Handle() const override { return handle_; }

private:
    HIcon handle_;
};

// A picture object whose handle cannot be read.
class BrokenPicture final : public Picture {
public:
    HIcon Handle() const override { throw std::runtime_error("picture unreadable"); }
};

struct ErrorReport {
    Text source;
    std::int32_t code = 0;
    Text description;
    friend bool operator==(const ErrorReport&, const ErrorReport&) = default;
};

// The window procedure the control's window had before the control hooked it: it writes
// down what is handed on to it and answers with a value of its own.
class OriginalProc final : public MessageHandler {
public:
    static constexpr std::int32_t kAnswer = 4242;
    struct Message {
        std::int32_t message;
        WParam wParam;
        LParam lParam;
    };
    LResult HandleMessage(Hwnd, std::int32_t message, WParam wParam,
                          LParam lParam) noexcept override {
        seen.push_back({message, wParam, lParam});
        return kAnswer;
    }
    std::vector<Message> seen;
};

class RecordingHost final : public TrayEvents {
public:
    RecordingHost(sim::SimWindowing& windows, Hwnd owner) : windows_(windows), owner_(owner) {}

    void OnMouseMove() override { Note("OnMouseMove"); }
    void OnClick() override { Note("OnClick"); }
    void OnDoubleClick(std::int16_t b) override {
        Note("OnDoubleClick(" + std::to_string(b) + ")");
    }
    void OnMouseDown(std::int16_t b) override { Note("OnMouseDown(" + std::to_string(b) + ")"); }
    void OnMouseUp(std::int16_t b) override { Note("OnMouseUp(" + std::to_string(b) + ")"); }
    void OnKeySelect(Point at) override { Note("OnKeySelect" + Place(at)); }
    void OnContextMenu(Point at) override { Note("OnContextMenu" + Place(at)); }
    void OnBalloonClosed() override { Note("OnBalloonClosed"); }
    void OnBalloonClicked() override { Note("OnBalloonClicked"); }
    void OnBalloonShown() override { Note("OnBalloonShown"); }
    void OnBalloonTimedOut() override { Note("OnBalloonTimedOut"); }
    void OnError(const Text& source, std::int32_t code, const Text& description) override {
        errors.push_back({source, code, description});
        Note("OnError");
    }

    // The log so far, with the foreground calls made since the last event added.
    const std::vector<std::string>& Log() {
        CatchUpForeground();
        return log_;
    }
    void ClearLog() {
        CatchUpForeground();
        log_.clear();
        errors.clear();
    }

    std::vector<ErrorReport> errors;
    // Runs after an event is written down: the host's handler.
    std::function<void(const std::string& event)> onEvent;

private:
    static std::string Place(Point at) {
        return "(" + std::to_string(at.x) + "," + std::to_string(at.y) + ")";
    }
    void Note(const std::string& event) {
        CatchUpForeground();
        log_.push_back(event);
        if (onEvent) {
            onEvent(event);
        }
    }
    void CatchUpForeground() {
        const auto& calls = windows_.ForegroundCalls();
        for (; foregroundSeen_ < calls.size(); ++foregroundSeen_) {
            log_.push_back(calls[foregroundSeen_] == owner_ ? "Foreground" : "Foreground(other)");
        }
    }

    sim::SimWindowing& windows_;
    Hwnd owner_;
    std::vector<std::string> log_;
    std::size_t foregroundSeen_ = 0;
};

// A shell that fails with an exception on the calls a test arms it for.
class ThrowingShell final : public Shell {
public:
    explicit ThrowingShell(Shell& inner) : inner_(inner) {}
    std::optional<NotifyMessage> throwOn;
    std::function<void()> thrower = [] { throw std::runtime_error("shell gone"); };

    bool NotifyIcon(NotifyMessage message, const NotifyIconRecord& record) override {
        if (throwOn == message) {
            thrower();
        }
        return inner_.NotifyIcon(message, record);
    }
    std::optional<ScreenRect> NotifyIconRect(Hwnd hwnd, std::uint32_t id) override {
        return inner_.NotifyIconRect(hwnd, id);
    }
    std::int32_t QueryRecycleBin(const Text& root, RecycleBinInfo& info) override {
        return inner_.QueryRecycleBin(root, info);
    }
    std::int32_t EmptyRecycleBin(Hwnd owner, const std::optional<Text>& root,
                                 std::uint32_t flags) override {
        return inner_.EmptyRecycleBin(owner, root, flags);
    }
    std::unique_ptr<RecycleBinWorker> StartRecycleBinWorker(Hwnd window,
                                                            std::int32_t doneMessage) override {
        return inner_.StartRecycleBinWorker(window, doneMessage);
    }
    std::intptr_t ShellExecute(Hwnd owner, const Text& verb, const Text& file,
                               const Text& parameters, const std::optional<Text>& directory,
                               std::int32_t show) override {
        return inner_.ShellExecute(owner, verb, file, parameters, directory, show);
    }
    bool RunProgram(const Text& path, std::int32_t show) override {
        return inner_.RunProgram(path, show);
    }
    void ClearRecentDocs() override { inner_.ClearRecentDocs(); }
    std::optional<std::uint64_t> RemoveRecycleBinItems(
        const RecycleBinItemChooser& choose) override {
        return inner_.RemoveRecycleBinItems(choose);
    }

private:
    Shell& inner_;
};

// The simulated platform with the shell replaced.
inline Platform WithShell(const Platform& base, Shell& shell) {
    return Platform{shell,        base.windows,  base.files,          base.kernel,
                    base.ui,      base.registry, base.commonControls, base.dialogs};
}

constexpr HIcon kFullIcon = 0x1111;
constexpr HIcon kEmptyIcon = 0x2222;
constexpr HIcon kBlinkIcon = 0x3333;

enum class Loading { Now, Later };

struct TrayScene {
    explicit TrayScene(bool hookWindow = true, Loading loading = Loading::Now) {
        original.seen.clear();  // what its window heard while being made, before any control
        control =
            std::make_unique<TrayIcon>(platform, TrayHost{controlWindow, owner, hookWindow}, host);
        if (loading == Loading::Now) {
            control->TakeInstanceNumber();
        }
    }
    ~TrayScene() { control.reset(); }
    TrayScene(const TrayScene&) = delete;
    TrayScene& operator=(const TrayScene&) = delete;

    // Picture set and icon registered; the calls and events of that forgotten.
    void Register() {
        control->SetIcon(full);
        if (!control->AddIcon()) {
            throw std::logic_error("the icon did not register");
        }
        sim.shell().ClearNotifyCalls();
        host.ClearLog();
    }
    // The shell's callback message as the shell sends it for this icon.
    LResult Callback(std::int32_t notification) {
        return sim.windows().SendMessage(controlWindow, msg::kTrayCallback,
                                         static_cast<std::uint32_t>(control->IconId()),
                                         notification);
    }
    std::vector<NotifyMessage> NotifyMessages() {
        std::vector<NotifyMessage> result;
        for (const auto& call : sim.shell().NotifyCalls()) {
            result.push_back(call.message);
        }
        return result;
    }
    std::optional<std::uint32_t> TimerPeriod(std::int32_t id) {
        for (const auto& timer : sim.windows().Timers()) {
            if (timer.hwnd == controlWindow && timer.id == static_cast<std::uint32_t>(id)) {
                return timer.periodMs;
            }
        }
        return std::nullopt;
    }

    sim::SimWindows sim;
    ThrowingShell shell{sim.shell()};
    Platform platform = WithShell(sim.platform(), shell);
    OriginalProc original;
    Hwnd owner = sim.windows().CreateWindow(WindowKind::HiddenOwner, 0, nullptr);
    Hwnd controlWindow = sim.windows().CreateWindow(WindowKind::Child, owner, &original);
    WindowProc originalProc = sim.windows().CurrentProc(controlWindow);
    RecordingHost host{sim.windows(), owner};
    FixedPicture full{kFullIcon};
    FixedPicture empty{kEmptyIcon};
    FixedPicture blink{kBlinkIcon};
    std::unique_ptr<TrayIcon> control;
};

}  // namespace dustvale::traytest
