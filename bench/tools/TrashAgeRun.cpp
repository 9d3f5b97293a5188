// TrashAgeRun.exe: one run of removal by age on the Trash under Wine, exactly as Dustvale's
// Recycle Bin worker runs it (WineTrashRecycleBin::RemoveItems with the age rule), timed from
// inside. Built only for the removal benchmark (bench/removal.py); not shipped.
//
//     TrashAgeRun.exe [days]        (30 unless given)
//
// Prints one line of key=value figures: the items listed and how many had a date, how many
// were chosen and removed, the wall time to list and date them and to remove the chosen ones,
// and the process's CPU time over the whole run.

#include <cstdio>
#include <cstdlib>
#include <vector>

#include "app/RemovalRules.h"
#include "app/WineTrashRecycleBin.h"
#include "platform/win32/Win32Platform.h"
#include "platform/win32/WindowsApi.h"

namespace {

double Seconds(LARGE_INTEGER from, LARGE_INTEGER to, LARGE_INTEGER frequency) {
    return static_cast<double>(to.QuadPart - from.QuadPart) / static_cast<double>(frequency.QuadPart);
}

// User and kernel time of this process, in seconds.
double ProcessCpuSeconds() {
    FILETIME creation{}, exit{}, kernel{}, user{};
    if (!::GetProcessTimes(::GetCurrentProcess(), &creation, &exit, &kernel, &user)) return -1;
    const auto steps = [](FILETIME time) {
        return (static_cast<unsigned long long>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
    };
    return static_cast<double>(steps(kernel) + steps(user)) / 1e7;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    const unsigned days = argc > 1 ? static_cast<unsigned>(std::wcstoul(argv[1], nullptr, 10)) : 30;
    dustvale::win32::Win32Platform services;
    dustvale::Platform platform = services.platform();
    if (!platform.kernel.RunsUnderWine()) {
        std::fprintf(stderr, "TrashAgeRun.exe runs under Wine only: it removes from the Trash\n");
        return 2;
    }
    dustvale::WineTrashRecycleBin bin(platform);

    LARGE_INTEGER frequency{}, started{}, chosen{}, ended{};
    ::QueryPerformanceFrequency(&frequency);
    std::size_t listed = 0, dated = 0, picked = 0;
    const double cpuBefore = ProcessCpuSeconds();
    ::QueryPerformanceCounter(&started);
    const dustvale::RecycleBinResult result = bin.RemoveItems(
        dustvale::RecycleBinTask::RemoveOld,
        [&](const std::vector<dustvale::RecycleBinItem>& items) {
            ::QueryPerformanceCounter(&chosen);
            listed = items.size();
            for (const dustvale::RecycleBinItem& item : items) dated += item.deletedAt ? 1 : 0;
            std::vector<std::size_t> old =
                dustvale::ItemsOlderThan(items, platform.kernel.SystemTime(), days);
            picked = old.size();
            return old;
        })();
    ::QueryPerformanceCounter(&ended);
    const double cpu = ProcessCpuSeconds() - cpuBefore;
    if (chosen.QuadPart == 0) chosen = ended;  // the Trash was refused: nothing listed

    std::printf("listed=%zu dated=%zu chosen=%zu removed=%llu status=0x%08lx list_s=%.3f "
                "remove_s=%.3f cpu_s=%.3f\n",
                listed, dated, picked, static_cast<unsigned long long>(result.removed),
                static_cast<unsigned long>(result.status), Seconds(started, chosen, frequency),
                Seconds(chosen, ended, frequency), cpu);
    return 0;
}
