#include "platform/sim/SimShell.h"

#include <algorithm>
#include <functional>
#include <utility>

namespace dustvale::sim {

namespace {

constexpr std::int32_t kOk = 0;
constexpr std::int32_t kFail = static_cast<std::int32_t>(0x80004005);          // E_FAIL
constexpr std::int32_t kInvalidArg = static_cast<std::int32_t>(0x80070057);    // E_INVALIDARG
constexpr std::int32_t kUnexpected = static_cast<std::int32_t>(0x8000FFFF);    // E_UNEXPECTED
constexpr std::int32_t kPathNotFound = static_cast<std::int32_t>(0x80070003);  // ERROR_PATH_NOT_FOUND
constexpr std::int32_t kAccessDenied = static_cast<std::int32_t>(0x80070005);  // E_ACCESSDENIED
constexpr std::uint32_t kQueryInfoSize = 20;
constexpr std::intptr_t kExecuteSucceeded = 42;  // any value above 32
constexpr std::uint32_t kNewestVersion = 4;      // NOTIFYICON_VERSION_4
constexpr std::uint32_t kKeyboardVersion = 3;    // NOTIFYICON_VERSION: keyboard notifications

// Where the tray shows its icons: the first one added rightmost.
constexpr std::int32_t kTrayRight = 1916;
constexpr std::int32_t kTrayIconTop = 1052;
constexpr std::int32_t kTrayIconSize = 16;
constexpr std::int32_t kTrayIconPitch = 24;

template <std::size_t N>
Text FromBuffer(const char16_t (&buffer)[N]) {
    std::size_t length = 0;
    while (length < N && buffer[length] != 0) ++length;
    return Text(buffer, length);
}

char16_t DriveOf(const Text& root) {
    if (root.size() < 2 || root[1] != u':') return 0;
    char16_t c = root[0];
    if (c >= u'a' && c <= u'z') c = static_cast<char16_t>(c - 32);
    return c >= u'A' && c <= u'Z' ? c : 0;
}

char16_t Upper(char16_t letter) {
    return letter >= u'a' && letter <= u'z' ? static_cast<char16_t>(letter - 32) : letter;
}

}  // namespace

namespace {

class SimRecycleBinWorker final : public RecycleBinWorker {
public:
    SimRecycleBinWorker(std::function<void(SimShell::PendingRequest)> give,
                        std::shared_ptr<SimShell::WorkerMailbox> mailbox)
        : give_(std::move(give)), mailbox_(std::move(mailbox)) {}
    ~SimRecycleBinWorker() override { mailbox_->workerAlive = false; }

    void Run(RecycleBinTask task, RecycleBinWork work) override {
        give_(SimShell::PendingRequest{mailbox_, task, std::move(work)});
    }
    std::vector<RecycleBinResult> TakeResults() override {
        return std::exchange(mailbox_->results, {});
    }

private:
    std::function<void(SimShell::PendingRequest)> give_;
    std::shared_ptr<SimShell::WorkerMailbox> mailbox_;
};

}  // namespace

SimShell::SimShell(const SimClock& clock, SimWindowing& windows, SimFileSystem& files,
                   Kernel& kernel)
    : clock_(clock), windows_(windows), files_(files), kernel_(kernel) {}

std::unique_ptr<RecycleBinWorker> SimShell::StartRecycleBinWorker(Hwnd window,
                                                                  std::int32_t doneMessage) {
    auto mailbox = std::make_shared<WorkerMailbox>();
    mailbox->window = window;
    mailbox->doneMessage = doneMessage;
    ++workersStarted_;
    return std::make_unique<SimRecycleBinWorker>(
        [this](PendingRequest request) {
            if (hangNext_ > 0) {
                --hangNext_;
                hung_.push_back(std::move(request));
                return;
            }
            inFlight_.push_back(std::move(request));
            if (!holdRequests_) {
                while (FinishRecycleBinRequest()) {
                }
            }
        },
        std::move(mailbox));
}

void SimShell::HoldRecycleBinRequests(bool hold) {
    holdRequests_ = hold;
    if (!hold) {
        while (FinishRecycleBinRequest()) {
        }
    }
}

std::size_t SimShell::RecycleBinRequestsInFlight() const { return inFlight_.size(); }

bool SimShell::FinishRecycleBinRequest() {
    if (inFlight_.empty()) return false;
    PendingRequest request = std::move(inFlight_.front());
    inFlight_.pop_front();
    Finish(request);
    return true;
}

void SimShell::Finish(PendingRequest& request) {
    RecycleBinResult result = request.work();
    result.task = request.task;
    WorkerMailbox& mailbox = *request.mailbox;
    if (mailbox.workerAlive) {
        mailbox.results.push_back(result);
        windows_.PostMessage(mailbox.window, mailbox.doneMessage, 0, 0);
    }
}

void SimShell::HangNextRecycleBinRequests(int n) { hangNext_ += n; }

std::size_t SimShell::HungRecycleBinRequests() const { return hung_.size(); }

void SimShell::EndHungRecycleBinRequests() {
    std::vector<PendingRequest> late = std::exchange(hung_, {});
    for (PendingRequest& request : late) Finish(request);
}

int SimShell::RecycleBinWorkersStarted() const { return workersStarted_; }

SimShell::TrayIcon* SimShell::Find(Hwnd hwnd, std::uint32_t id) {
    auto it = std::find_if(icons_.begin(), icons_.end(),
                           [&](const TrayIcon& i) { return i.hwnd == hwnd && i.id == id; });
    return it == icons_.end() ? nullptr : &*it;
}

bool SimShell::NotifyIcon(NotifyMessage message, const NotifyIconRecord& record) {
    bool result = Apply(message, record);
    notifyCalls_.push_back(NotifyCall{message, record, result});
    return result;
}

bool SimShell::Apply(NotifyMessage message, const NotifyIconRecord& record) {
    if (windows_.Taskbar() == 0) return false;  // no taskbar, no tray
    TrayIcon* icon = Find(record.hWnd, record.uID);
    bool timedOut = false;
    switch (message) {
        case NotifyMessage::Add:
            if (icon) return false;
            if (refuseAdd_ > 0) {
                --refuseAdd_;
                return false;
            }
            if (clock_.Now() < refuseAddsUntil_) return false;
            if (timeOutAdd_ > 0) {
                --timeOutAdd_;
                timedOut = true;
            }
            icons_.push_back(TrayIcon{});
            icons_.back().hwnd = record.hWnd;
            icons_.back().id = record.uID;
            icon = &icons_.back();
            break;
        case NotifyMessage::Modify:
            if (!icon) return false;
            break;
        case NotifyMessage::SetVersion:
            if (!icon || record.uTimeoutOrVersion > kNewestVersion) return false;
            icon->version = record.uTimeoutOrVersion;
            return true;
        case NotifyMessage::SetFocus:
            if (!icon) return false;
            focusedIcon_ = std::pair{record.hWnd, record.uID};
            return true;
        case NotifyMessage::Delete:
            if (!icon) return false;
            std::erase_if(balloons_, [&](const Balloon& b) { return b.hwnd == record.hWnd && b.id == record.uID; });
            if (focusedIcon_ == std::pair{record.hWnd, record.uID}) focusedIcon_.reset();
            icons_.erase(icons_.begin() + (icon - icons_.data()));
            return true;
        default:
            return false;
    }
    // Add and Modify take only the fields whose flags are set.
    if (record.uFlags & nif::kIcon) icon->icon = record.hIcon;
    if (record.uFlags & nif::kTip) icon->tip = FromBuffer(record.szTip);
    if (record.uFlags & nif::kMessage) icon->callbackMessage = record.uCallbackMessage;
    if (record.uFlags & nif::kInfo) {
        std::erase_if(balloons_, [&](const Balloon& b) { return b.hwnd == record.hWnd && b.id == record.uID; });
        Text text = FromBuffer(record.szInfo);
        if (!text.empty())
            balloons_.push_back(Balloon{record.hWnd, record.uID, FromBuffer(record.szInfoTitle), text,
                                        record.dwInfoFlags, record.uTimeoutOrVersion});
    }
    return !timedOut;
}

std::optional<ScreenRect> SimShell::NotifyIconRect(Hwnd hwnd, std::uint32_t id) {
    if (windows_.Taskbar() == 0) return std::nullopt;
    const TrayIcon* icon = Find(hwnd, id);
    if (icon == nullptr) return std::nullopt;
    const auto place = static_cast<std::int32_t>(icon - icons_.data());
    const std::int32_t left = kTrayRight - kTrayIconSize - place * kTrayIconPitch;
    return ScreenRect{left, kTrayIconTop, left + kTrayIconSize, kTrayIconTop + kTrayIconSize};
}

std::int32_t SimShell::QueryRecycleBin(const Text& root, RecycleBinInfo& info) {
    ++queryCount_;
    if (failQueries_ || (root.empty() && failAllDrivesQueries_)) return kFail;
    if (info.cbSize != kQueryInfoSize) return kInvalidArg;
    std::uint64_t items = 0;
    std::uint64_t bytes = 0;
    const auto add = [&](const Bin& bin) {
        items += bin.items.size();
        bytes += bin.bytes;
    };
    if (root.empty()) {
        for (const auto& [letter, bin] : bins_) add(bin);
    } else {
        char16_t drive = DriveOf(root);
        if (drive == 0 || !files_.HasDrive(drive)) return kPathNotFound;
        auto it = bins_.find(drive);
        if (it != bins_.end()) add(it->second);
    }
    info.i64Size = bytes;
    info.i64NumItems = items;
    return kOk;
}

std::int32_t SimShell::EmptyRecycleBin(Hwnd owner, const std::optional<Text>& root, std::uint32_t flags) {
    emptyCalls_.push_back(EmptyCall{owner, root, flags});
    std::uint64_t removed = 0;
    bool refused = false;
    const auto empty = [&](Bin& bin) {
        if (bin.unremovable && !bin.items.empty()) {
            refused = true;
            return;
        }
        removed += std::exchange(bin.items, {}).size();
        bin.bytes = 0;
    };
    if (!root || root->empty()) {
        for (auto& [letter, bin] : bins_) empty(bin);
    } else {
        char16_t drive = DriveOf(*root);
        if (drive == 0 || !files_.HasDrive(drive)) return kPathNotFound;
        empty(bins_[drive]);
    }
    if (refused) return kAccessDenied;
    return removed > 0 ? kOk : kUnexpected;
}

void SimShell::KeepItemsOnEmptying(char16_t drive, bool keep) { bins_[Upper(drive)].unremovable = keep; }

std::intptr_t SimShell::ShellExecute(Hwnd owner, const Text& verb, const Text& file, const Text& parameters,
                                     const std::optional<Text>& directory, std::int32_t show) {
    executeCalls_.push_back(ExecuteCall{owner, verb, file, parameters, directory, show});
    return kExecuteSucceeded;
}

bool SimShell::RunProgram(const Text& path, std::int32_t show) {
    runCalls_.push_back(RunCall{path, show});
    std::optional<std::uint32_t> attributes = files_.GetFileAttributes(path);
    return attributes && !(*attributes & attr::kDirectory);
}

void SimShell::ClearRecentDocs() { ++recentDocsCleared_; }

const std::vector<SimShell::NotifyCall>& SimShell::NotifyCalls() const { return notifyCalls_; }

void SimShell::ClearNotifyCalls() { notifyCalls_.clear(); }

std::vector<SimShell::TrayIcon> SimShell::Icons() const { return icons_; }

std::optional<SimShell::TrayIcon> SimShell::Icon(Hwnd hwnd, std::uint32_t id) const {
    for (const TrayIcon& i : icons_)
        if (i.hwnd == hwnd && i.id == id) return i;
    return std::nullopt;
}

const std::vector<SimShell::Balloon>& SimShell::Balloons() const { return balloons_; }

bool SimShell::SendCallback(Hwnd hwnd, std::uint32_t id, std::int32_t notification) {
    return Notify(hwnd, id, notification, false);
}

bool SimShell::Click(Hwnd hwnd, std::uint32_t id, std::int16_t button) {
    std::int32_t down = msg::kLButtonDown;
    std::int32_t up = msg::kLButtonUp;
    std::int32_t after = msg::kSelect;
    if (button == 2) {
        down = msg::kRButtonDown;
        up = msg::kRButtonUp;
        after = msg::kContextMenu;
    } else if (button == 4) {
        down = msg::kMButtonDown;
        up = msg::kMButtonUp;
        after = 0;
    }
    if (!Notify(hwnd, id, down, false)) return false;
    Notify(hwnd, id, up, false);
    // Asked for again: a handler may have taken the icon away meanwhile.
    const std::optional<TrayIcon> icon = Icon(hwnd, id);
    if (after != 0 && icon && icon->version >= kKeyboardVersion) Notify(hwnd, id, after, false);
    return true;
}

bool SimShell::PressKey(Hwnd hwnd, std::uint32_t id, Key key) {
    const std::optional<TrayIcon> icon = Icon(hwnd, id);
    if (!icon) return false;
    if (icon->version < kKeyboardVersion) {
        if (!Notify(hwnd, id, msg::kRButtonDown, true)) return false;
        Notify(hwnd, id, msg::kRButtonUp, true);
        return true;
    }
    switch (key) {
        case Key::Enter:
            if (!Notify(hwnd, id, msg::kKeySelect, true)) return false;
            Notify(hwnd, id, msg::kKeySelect, true);
            return true;
        case Key::Space:
            return Notify(hwnd, id, msg::kKeySelect, true);
        case Key::Menu:
            return Notify(hwnd, id, msg::kContextMenu, true);
    }
    return false;
}

std::optional<std::pair<Hwnd, std::uint32_t>> SimShell::FocusedIcon() const { return focusedIcon_; }

bool SimShell::Notify(Hwnd hwnd, std::uint32_t id, std::int32_t notification, bool byKeyboard) {
    std::optional<TrayIcon> icon = Icon(hwnd, id);
    if (!icon || icon->callbackMessage == 0) return false;
    auto message = static_cast<std::int32_t>(icon->callbackMessage);
    if (icon->version >= kNewestVersion) {
        Point anchor = windows_.GetCursorPos();
        if (byKeyboard) {
            const std::optional<ScreenRect> place = NotifyIconRect(hwnd, id);
            if (place) anchor = Point{place->left, place->top};
        }
        const WParam wParam = (static_cast<std::uint32_t>(anchor.x) & 0xFFFF) |
                              (static_cast<std::uint32_t>(anchor.y) & 0xFFFF) << 16;
        const auto lParam = static_cast<LParam>(
            (static_cast<std::uint32_t>(notification) & 0xFFFF) | (id & 0xFFFF) << 16);
        windows_.SendMessage(hwnd, message, wParam, lParam);
    } else {
        windows_.SendMessage(hwnd, message, id, notification);
    }
    return true;
}

void SimShell::ForgetIcons() {
    icons_.clear();
    balloons_.clear();
    focusedIcon_.reset();
}

void SimShell::RefuseNextAdd(int n) { refuseAdd_ = n; }

void SimShell::RefuseAddsFor(std::uint64_t ms) { refuseAddsUntil_ = clock_.Now() + ms; }

void SimShell::TimeOutNextAdd(int n) { timeOutAdd_ = n; }

void SimShell::AddToRecycleBin(char16_t drive, std::uint64_t bytes) {
    AddToRecycleBin(drive, bytes, kernel_.SystemTime());
}

void SimShell::AddToRecycleBin(char16_t drive, std::uint64_t bytes, FileTime deletedAt,
                               bool dated) {
    Bin& bin = bins_[Upper(drive)];
    RecycleBinItem item;
    item.name = u"item" + Text(1, Upper(drive));
    for (const char c : std::to_string(++itemsAdded_)) item.name += static_cast<char16_t>(c);
    item.bytes = bytes;
    if (dated) item.deletedAt = deletedAt;
    bin.items.push_back(std::move(item));
    bin.bytes += bytes;
}

std::vector<RecycleBinItem> SimShell::RecycleBinContents() const {
    std::vector<RecycleBinItem> all;
    for (const auto& [letter, bin] : bins_) all.insert(all.end(), bin.items.begin(), bin.items.end());
    return all;
}

std::optional<std::uint64_t> SimShell::RemoveRecycleBinItems(const RecycleBinItemChooser& choose) {
    ++removeItemsCalls_;
    if (failItemListing_) return std::nullopt;
    const std::vector<RecycleBinItem> listed = RecycleBinContents();
    std::vector<Text> chosen;
    for (const std::size_t index : choose(listed)) {
        if (index < listed.size()) chosen.push_back(listed[index].name);
    }
    std::uint64_t removed = 0;
    // Named, not a structured binding: clang before 16 refuses to capture one in a lambda.
    for (auto& entry : bins_) {
        auto& bin = entry.second;
        if (bin.unremovable) continue;
        std::erase_if(bin.items, [&](const RecycleBinItem& item) {
            if (std::find(chosen.begin(), chosen.end(), item.name) == chosen.end()) return false;
            bin.bytes -= item.bytes;
            ++removed;
            return true;
        });
    }
    return removed;
}

std::uint64_t SimShell::RecycleBinItems(char16_t drive) const {
    auto it = bins_.find(Upper(drive));
    return it == bins_.end() ? 0 : it->second.items.size();
}

std::uint64_t SimShell::RecycleBinBytes(char16_t drive) const {
    auto it = bins_.find(Upper(drive));
    return it == bins_.end() ? 0 : it->second.bytes;
}

void SimShell::FailAllDrivesQueries(bool fail) { failAllDrivesQueries_ = fail; }

void SimShell::FailQueries(bool fail) { failQueries_ = fail; }

const std::vector<SimShell::EmptyCall>& SimShell::EmptyCalls() const { return emptyCalls_; }

std::uint32_t SimShell::QueryCount() const { return queryCount_; }

const std::vector<SimShell::ExecuteCall>& SimShell::ExecuteCalls() const { return executeCalls_; }

const std::vector<SimShell::RunCall>& SimShell::RunCalls() const { return runCalls_; }

std::uint32_t SimShell::RecentDocsCleared() const { return recentDocsCleared_; }

}  // namespace dustvale::sim
