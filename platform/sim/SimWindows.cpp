#include "platform/sim/SimWindows.h"

#include "platform/sim/SimClock.h"
#include "platform/sim/SimFileSystem.h"
#include "platform/sim/SimKernel.h"
#include "platform/sim/SimShell.h"
#include "platform/sim/SimUserInterface.h"
#include "platform/sim/SimWindowing.h"

namespace dustvale::sim {

SimWindows::SimWindows()
    : clock_(std::make_unique<SimClock>()),
      windows_(std::make_unique<SimWindowing>(*clock_)),
      files_(std::make_unique<SimFileSystem>()),
      kernel_(std::make_unique<SimKernel>(clock_.get())),
      ui_(std::make_unique<SimUserInterface>()) {
    shell_ = std::make_unique<SimShell>(*clock_, *windows_, *files_, *kernel_);
    // Explorer's tray lives and dies with the taskbar.
    windows_->OnTaskbarCreated = [shell = shell_.get()] { shell->ForgetIcons(); };
    windows_->OnTaskbarDestroyed = [shell = shell_.get()] { shell->ForgetIcons(); };
    windows_->ProcessElevated = [kernel = kernel_.get()] { return kernel->RunsElevated(); };
    // While this process waits for another, the rest of the machine goes on.
    kernel_->LetOthersRun = [this](std::uint32_t ms) { Advance(ms); };

    const Text executable = kernel_->ModuleFileName();
    files_->AddFile(executable, "MZ");
    files_->SetInUse(executable, true);
    files_->AddFolder(u"C:\\Windows\\Temp");
    if (std::optional<Text> temp = kernel_->GetTempPath()) files_->AddFolder(*temp);
}

SimWindows::~SimWindows() {
    // The hooks point into the shell, which goes first.
    windows_->OnTaskbarCreated = nullptr;
    windows_->OnTaskbarDestroyed = nullptr;
    windows_->ProcessElevated = nullptr;
}

Platform SimWindows::platform() {
    return Platform{*shell_, *windows_, *files_, *kernel_, *ui_, *registry_, *commonControls_, *dialogs_};
}

std::unique_ptr<SimKernel> SimWindows::StartOtherProcess() {
    auto process = std::make_unique<SimKernel>(clock_.get());
    process->JoinSession(*kernel_);
    process->LetOthersRun = [this](std::uint32_t ms) { Advance(ms); };
    return process;
}

Platform SimWindows::platform(SimKernel& process) {
    return Platform{*shell_, *windows_, *files_, process, *ui_, *registry_, *commonControls_, *dialogs_};
}

SimClock& SimWindows::clock() { return *clock_; }
SimWindowing& SimWindows::windows() { return *windows_; }
SimShell& SimWindows::shell() { return *shell_; }
SimFileSystem& SimWindows::files() { return *files_; }
SimKernel& SimWindows::kernel() { return *kernel_; }
SimUserInterface& SimWindows::ui() { return *ui_; }

void SimWindows::Advance(std::uint32_t ms) { windows_->AdvanceTo(clock_->Now() + ms); }

void SimWindows::Pump() { windows_->DispatchPosted(); }

}  // namespace dustvale::sim
