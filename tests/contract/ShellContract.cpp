// The shell's tray and Recycle Bin answer alike on every platform.

#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <vector>

#include "platform/RecycleBinWorker.h"
#include "tests/contract/ContractFixture.h"

namespace dustvale::contract {
namespace {

template <class F>
class ShellContract : public ::testing::Test {
protected:
    F fixture;
    Platform platform = fixture.platform();

    NotifyIconRecord Record(Hwnd hwnd, std::uint32_t id, const char16_t* tip) {
        NotifyIconRecord record;
        record.cbSize = sizeof record;
        record.hWnd = hwnd;
        record.uID = id;
        record.uFlags = nif::kMessage | nif::kTip | nif::kIcon;
        record.uCallbackMessage = msg::kTrayCallback;
        record.hIcon = picture->Handle();
        for (std::size_t i = 0; tip[i] != 0 && i + 1 < std::size(record.szTip); ++i) record.szTip[i] = tip[i];
        return record;
    }

    std::unique_ptr<Picture> picture = platform.ui.LoadBuiltInPicture(BuiltInPicture::Program, 16);
};

// Takes the test's icon out of the tray whatever happens to the test.
class IconCleanup {
public:
    IconCleanup(Shell& shell, const NotifyIconRecord& record) : shell_(shell), record_(record) {}
    ~IconCleanup() { shell_.NotifyIcon(NotifyMessage::Delete, record_); }
    IconCleanup(const IconCleanup&) = delete;
    IconCleanup& operator=(const IconCleanup&) = delete;

private:
    Shell& shell_;
    NotifyIconRecord record_;
};

TYPED_TEST_SUITE_P(ShellContract);

TYPED_TEST_P(ShellContract, AnIconIsAddedOnceModifiedWhileThereAndDeletedOnce) {
    if (!this->fixture.HasTray()) GTEST_SKIP() << "no tray on this desktop";
    Windowing& windows = this->platform.windows;
    Shell& shell = this->platform.shell;
    Hwnd hwnd = windows.CreateWindow(WindowKind::HiddenOwner, 0, nullptr);
    ASSERT_NE(hwnd, 0u);
    ASSERT_TRUE(this->picture);
    NotifyIconRecord record = this->Record(hwnd, 1, u"Contract");
    IconCleanup cleanup(shell, record);

    EXPECT_TRUE(shell.NotifyIcon(NotifyMessage::Add, record));
    EXPECT_FALSE(shell.NotifyIcon(NotifyMessage::Add, record));  // (hwnd, id) is taken

    NotifyIconRecord tip = this->Record(hwnd, 1, u"Contract (3 items)");
    tip.uFlags = nif::kTip;
    EXPECT_TRUE(shell.NotifyIcon(NotifyMessage::Modify, tip));
    NotifyIconRecord other = this->Record(hwnd, 2, u"Nobody");
    EXPECT_FALSE(shell.NotifyIcon(NotifyMessage::Modify, other));
    EXPECT_FALSE(shell.NotifyIcon(NotifyMessage::Delete, other));
    other.uTimeoutOrVersion = 3;
    EXPECT_FALSE(shell.NotifyIcon(NotifyMessage::SetVersion, other));
    record.uTimeoutOrVersion = 3;
    EXPECT_TRUE(shell.NotifyIcon(NotifyMessage::SetVersion, record));

    // Where the icon shows, and the focus given back to the notification area: Wine's shell
    // answers neither (docs/wine.md).
    const std::optional<ScreenRect> place = shell.NotifyIconRect(hwnd, 1);
    EXPECT_FALSE(shell.NotifyIconRect(hwnd, 2).has_value());
    if (!this->fixture.UnderWine()) {
        ASSERT_TRUE(place.has_value());
        EXPECT_LT(place->left, place->right);
        EXPECT_LT(place->top, place->bottom);
        EXPECT_TRUE(shell.NotifyIcon(NotifyMessage::SetFocus, record));
    }
    EXPECT_FALSE(shell.NotifyIcon(NotifyMessage::SetFocus, other));

    EXPECT_TRUE(shell.NotifyIcon(NotifyMessage::Delete, record));
    EXPECT_FALSE(shell.NotifyIcon(NotifyMessage::Delete, record));
    EXPECT_FALSE(shell.NotifyIcon(NotifyMessage::Modify, tip));
    EXPECT_FALSE(shell.NotifyIconRect(hwnd, 1).has_value());
    windows.DestroyWindow(hwnd);
}

TYPED_TEST_P(ShellContract, TheRecycleBinOfDriveCAndThatOfEveryDriveAreQueried) {
    for (const Text root : {u"C:\\", u""}) {
        RecycleBinInfo info;
        info.cbSize = 20;
        info.i64NumItems = 0xDEAD;
        EXPECT_EQ(this->platform.shell.QueryRecycleBin(root, info), 0);
        EXPECT_EQ(info.cbSize, 20u);
        EXPECT_NE(info.i64NumItems, 0xDEADu);
    }
    const std::vector<Text> fixed = this->platform.files.FixedDriveRoots();
    ASSERT_FALSE(fixed.empty());
    EXPECT_EQ(fixed.front(), u"C:\\");
}

RecycleBinWork Query(Shell& shell) {
    return [&shell] {
        RecycleBinResult result;
        result.info.cbSize = 20;
        result.status = shell.QueryRecycleBin(u"C:\\", result.info);
        return result;
    };
}

RecycleBinWork Empty(Shell& shell, Hwnd owner) {
    return [&shell, owner] {
        RecycleBinResult result;
        result.status = shell.EmptyRecycleBin(
            owner, std::nullopt, sherb::kNoConfirmation | sherb::kNoProgressUi | sherb::kNoSound);
        return result;
    };
}

// Takes the worker's results each time its message arrives.
class WorkerResults final : public MessageHandler {
public:
    static constexpr std::int32_t kDone = msg::kApp + 7;
    LResult HandleMessage(Hwnd, std::int32_t message, WParam, LParam) noexcept override {
        if (message != kDone || worker == nullptr) return 0;
        ++messages;
        for (const RecycleBinResult& result : worker->TakeResults()) taken.push_back(result);
        return 0;
    }
    RecycleBinWorker* worker = nullptr;
    int messages = 0;
    std::vector<RecycleBinResult> taken;
};

TYPED_TEST_P(ShellContract, TheWorkerRunsRequestsInOrderAndReportsThroughTheMessageLoop) {
    Windowing& windows = this->platform.windows;
    WorkerResults results;
    const Hwnd hwnd = windows.CreateWindow(WindowKind::HiddenOwner, 0, &results);
    ASSERT_NE(hwnd, 0u);
    {
        std::unique_ptr<RecycleBinWorker> worker =
            this->platform.shell.StartRecycleBinWorker(hwnd, WorkerResults::kDone);
        ASSERT_TRUE(worker);
        results.worker = worker.get();
        Shell& shell = this->platform.shell;
        worker->Run(RecycleBinTask::Query, Query(shell));
        worker->Run(RecycleBinTask::Empty, Empty(shell, hwnd));
        worker->Run(RecycleBinTask::Query, Query(shell));
        EXPECT_EQ(results.messages, 0) << "the ends come through the message loop only";
        for (int waited = 0; results.taken.size() < 3 && waited < 100; ++waited) {
            this->fixture.WaitForTimers(100);
        }
        ASSERT_EQ(results.taken.size(), 3u);
        EXPECT_GE(results.messages, 1);
        EXPECT_EQ(results.taken[0].task, RecycleBinTask::Query);
        EXPECT_EQ(results.taken[1].task, RecycleBinTask::Empty);
        EXPECT_EQ(results.taken[2].task, RecycleBinTask::Query);
        for (const std::size_t query : {std::size_t{0}, std::size_t{2}}) {
            EXPECT_EQ(results.taken[query].status, 0);
            EXPECT_EQ(results.taken[query].info.cbSize, 20u);
        }
        EXPECT_EQ(results.taken[2].info.i64NumItems, 0u) << "the query after the emptying";

        // Given up with requests still waiting, it returns; an end already told is harmless.
        worker->Run(RecycleBinTask::Query, Query(shell));
        worker->Run(RecycleBinTask::Query, Query(shell));
        results.worker = nullptr;
    }
    this->fixture.WaitForTimers(300);
    windows.DestroyWindow(hwnd);
}

REGISTER_TYPED_TEST_SUITE_P(ShellContract, AnIconIsAddedOnceModifiedWhileThereAndDeletedOnce,
                            TheRecycleBinOfDriveCAndThatOfEveryDriveAreQueried,
                            TheWorkerRunsRequestsInOrderAndReportsThroughTheMessageLoop);
INSTANTIATE_TYPED_TEST_SUITE_P(Platform, ShellContract, PlatformUnderTest, PlatformName);

}  // namespace
}  // namespace dustvale::contract
