// TickTimer.exe: how long one tick of a running tray program takes, timed from outside. Finds
// the program's hidden top-level window by its class on the named desktop and sends it the
// WM_TIMER of its once-a-second timer (id 1) again and again; each SendMessage returns once the
// tick has run. WM_NULL, sent the same way, gives the cost of the round trip alone.
//
//   TickTimer.exe <desktop> <window class> <ticks>
//
// Prints, in microseconds:  round_trip <median>,  tick <median> <mean> <min> <max>  and
// ticks <each tick, in the order sent>
//
//   TickTimer.exe <desktop> <window class> /answers <count> <seconds>
//
// How long the window takes to answer: WM_NULL sent <count> times at random moments spread
// over about <seconds>, each timed from its sending, whatever the program is busy with. Prints
// frequency <performance counter ticks a second>  and, for each,
// answer <performance counter when sent> <microseconds to the answer>

#include <algorithm>
#include <cstdio>
#include <cwchar>
#include <memory>
#include <numeric>
#include <random>
#include <type_traits>
#include <vector>

#include "platform/win32/WindowsApi.h"

namespace {

constexpr UINT kAnswerTimeoutMs = 60000;
constexpr WPARAM kTickTimer = 1;

struct DesktopCloser {
    void operator()(HDESK desktop) const noexcept { ::CloseDesktop(desktop); }
};
using unique_desktop = std::unique_ptr<std::remove_pointer_t<HDESK>, DesktopCloser>;

struct Search {
    const wchar_t* className;
    HWND found;
};

BOOL CALLBACK MatchClass(HWND window, LPARAM lParam) {
    auto& search = *reinterpret_cast<Search*>(lParam);
    wchar_t name[256] = {};
    ::GetClassNameW(window, name, 256);
    if (std::wcscmp(name, search.className) == 0) {
        search.found = window;
        return FALSE;
    }
    return TRUE;
}

bool Send(HWND window, UINT message, WPARAM wParam) {
    DWORD_PTR answer = 0;
    return ::SendMessageTimeoutW(window, message, wParam, 0, SMTO_NORMAL, kAnswerTimeoutMs,
                                 &answer) != 0;
}

// Microseconds each message takes, in the order sent; empty when the window stops answering.
// Each is sent once the program is between two messages (an untimed WM_NULL has come back), so
// that a tick of its own timer, running when the message comes, is not counted in.
std::vector<double> Time(HWND window, UINT message, WPARAM wParam, int count) {
    LARGE_INTEGER frequency;
    ::QueryPerformanceFrequency(&frequency);
    std::vector<double> took;
    for (int i = 0; i < count; ++i) {
        if (!Send(window, WM_NULL, 0)) return {};
        LARGE_INTEGER before, after;
        ::QueryPerformanceCounter(&before);
        if (!Send(window, message, wParam)) return {};
        ::QueryPerformanceCounter(&after);
        took.push_back(1e6 * static_cast<double>(after.QuadPart - before.QuadPart) /
                       static_cast<double>(frequency.QuadPart));
    }
    return took;
}

// The answers of `count` WM_NULLs sent at random moments over about `seconds`.
bool TimeAnswers(HWND window, int count, double seconds) {
    LARGE_INTEGER frequency;
    ::QueryPerformanceFrequency(&frequency);
    std::printf("frequency %lld\n", static_cast<long long>(frequency.QuadPart));
    std::mt19937 random(std::random_device{}());
    // Pauses averaging seconds / count, so that the moments fall anywhere in the program's
    // rhythm of ticks and queries.
    std::uniform_real_distribution<double> pauseMs(0.0, 2000.0 * seconds / count);
    for (int i = 0; i < count; ++i) {
        ::Sleep(static_cast<DWORD>(pauseMs(random)));
        LARGE_INTEGER before, after;
        ::QueryPerformanceCounter(&before);
        if (!Send(window, WM_NULL, 0)) return false;
        ::QueryPerformanceCounter(&after);
        std::printf("answer %lld %.1f\n", static_cast<long long>(before.QuadPart),
                    1e6 * static_cast<double>(after.QuadPart - before.QuadPart) /
                        static_cast<double>(frequency.QuadPart));
    }
    return true;
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const std::size_t n = values.size();
    return n % 2 == 1 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    const bool answers = argc == 6 && std::wcscmp(argv[3], L"/answers") == 0;
    if (argc != 4 && !answers) {
        std::fprintf(stderr,
                     "usage: TickTimer.exe <desktop> <window class> <ticks>\n"
                     "       TickTimer.exe <desktop> <window class> /answers <count> <seconds>\n");
        return 2;
    }
    unique_desktop desktop(
        ::OpenDesktopW(argv[1], 0, FALSE, DESKTOP_READOBJECTS | DESKTOP_ENUMERATE));
    if (!desktop) {
        std::fprintf(stderr, "no desktop %ls\n", argv[1]);
        return 1;
    }
    Search search{argv[2], nullptr};
    ::EnumDesktopWindows(desktop.get(), MatchClass, reinterpret_cast<LPARAM>(&search));
    if (search.found == nullptr) {
        std::fprintf(stderr, "no window of class %ls\n", argv[2]);
        return 1;
    }
    if (answers) {
        if (TimeAnswers(search.found, std::max(1, _wtoi(argv[4])), std::max(1, _wtoi(argv[5]))))
            return 0;
        std::fprintf(stderr, "the window stopped answering\n");
        return 1;
    }
    const int ticks = std::max(1, _wtoi(argv[3]));
    const std::vector<double> roundTrips = Time(search.found, WM_NULL, 0, ticks);
    const std::vector<double> tickTimes = Time(search.found, WM_TIMER, kTickTimer, ticks);
    if (roundTrips.empty() || tickTimes.empty()) {
        std::fprintf(stderr, "the window stopped answering\n");
        return 1;
    }
    const auto [least, most] = std::minmax_element(tickTimes.begin(), tickTimes.end());
    std::printf("round_trip %.1f\n", Median(roundTrips));
    std::printf("tick %.1f %.1f %.1f %.1f\n", Median(tickTimes),
                std::accumulate(tickTimes.begin(), tickTimes.end(), 0.0) /
                    static_cast<double>(tickTimes.size()),
                *least, *most);
    std::printf("ticks");
    for (const double took : tickTimes) std::printf(" %.1f", took);
    std::printf("\n");
    return 0;
}
