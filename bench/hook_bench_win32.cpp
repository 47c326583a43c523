// Cost of the mouse hook's own work per event (recording on, one row appended per event), with an
// empty step list and with a million rows in it, measured inside the real main window; and how
// many of the injected events the hook saw.
//
//   hook_bench [events]      (default 2000 per run; run under Wine or on Windows)
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <thread>
#include <vector>

#include "app/main_form.h"
#include "app/main_form_win32.h"
#include "bench/clock_win32.h"
#include "platform/win32/win32_platform.h"

namespace {

void Pump(double microseconds) {
    const double end = orv::bench::NowMicroseconds() + microseconds;
    MSG msg;
    while (orv::bench::NowMicroseconds() < end) {
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 1, QS_ALLINPUT);
    }
}

void Run(orv::Win32Platform& platform, orv::TAppForm& form, int events, const char* label) {
    std::vector<double> costs;
    costs.reserve(static_cast<std::size_t>(events) * 2);
    const std::size_t before = form.ListView1.Count();
    form.EventCaptureOn = true;
    const std::uintptr_t hook = platform.InstallMouseHook([&](int code, std::uint32_t message, orv::Point p) {
        const double t0 = orv::bench::NowMicroseconds();
        form.MouseHookProc(code, message, p);
        costs.push_back(orv::bench::NowMicroseconds() - t0);
    });
    std::atomic<bool> done{false};
    // Moves paced at 1 ms from another thread; the hook runs on this one while it pumps.
    std::thread sender([&] {
        for (int i = 0; i < events; ++i) {
            INPUT input = {};
            input.type = INPUT_MOUSE;
            input.mi.dwFlags = MOUSEEVENTF_MOVE;
            input.mi.dx = (i % 2) ? 3 : -3;
            SendInput(1, &input, sizeof input);
            Sleep(1);
        }
        done = true;
    });
    while (!done) Pump(10000);
    Pump(300000);
    sender.join();
    platform.RemoveMouseHook(hook);
    form.EventCaptureOn = false;
    std::sort(costs.begin(), costs.end());
    const auto at = [&](double q) { return costs.empty() ? 0.0 : costs[static_cast<std::size_t>(q * (costs.size() - 1))]; };
    std::printf("%-22s events sent %6d  seen by the hook %6zu  rows added %6zu  cost median %7.2f us  p99 %8.2f us  max %9.2f us\n",
                label, events, costs.size(), form.ListView1.Count() - before, at(0.5), at(0.99),
                costs.empty() ? 0.0 : costs.back());
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    using namespace orv;
    const int events = argc > 1 ? _wtoi(argv[1]) : 2000;
    std::setvbuf(stdout, nullptr, _IONBF, 0);
    INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_WIN95_CLASSES | ICC_BAR_CLASSES | ICC_LISTVIEW_CLASSES};
    InitCommonControlsEx(&controls);
    Win32Platform platform;
    TAppForm form(platform);
    MainWindow window(form, platform);
    if (!window.Create()) return 1;
    // No FormCreate: the bench has no version resource or settings to read.
    ShowWindow(window.Handle(), SW_SHOWNORMAL);
    Pump(500000);

    std::printf("window up\n");
    Run(platform, form, events, "empty list");
    for (int i = 0; i < 1000000; ++i) form.ListeyeEkle(i % 1920, i % 1080, i % 20 == 0 ? 1 : 0);
    Pump(200000);
    Run(platform, form, events, "1,000,000 rows");
    std::printf("aim: p99 under 50 us whatever the list length; every event seen\n");
    window.Destroy();
    return 0;
}
