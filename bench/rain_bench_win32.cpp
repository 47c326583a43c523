// The cost of one tick of the about box's letter rain: the drops drawn into the off-screen
// rain bitmap, then the frame composed and copied to a window, as the box does every 50 ms.
// Run at the box's size for 96 and 192 DPI; prints median, p99 and the share of the tick.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <vector>

#include "about/about_box.h"
#include "about/rain_canvas_win32.h"
#include "bench/clock_win32.h"

using namespace orv;

namespace {

constexpr int kTicks = 400;

void Measure(int dpi) {
    const int clientWidth = TAboutBox::kClientWidth * dpi / 96;
    const int clientHeight = TAboutBox::kClientHeight * dpi / 96;
    // The rain is sized from the outer window: the client plus a tool window's frame and caption.
    const int outerWidth = clientWidth + 6 * dpi / 96;
    const int outerHeight = clientHeight + 26 * dpi / 96;
    HWND window =
        CreateWindowExW(WS_EX_TOOLWINDOW, L"STATIC", L"rain", WS_POPUP | WS_VISIBLE, 0, 0, clientWidth,
                        clientHeight, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    HDC screen = GetDC(window);
    HDC rainDc = CreateCompatibleDC(screen);
    HBITMAP rainBitmap = CreateCompatibleBitmap(screen, clientWidth, clientHeight);
    SelectObject(rainDc, rainBitmap);
    HFONT font = CreateFontW(-Rain::kFontHeight, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0,
                             CLEARTYPE_QUALITY, 0, L"Segoe UI");
    SelectObject(rainDc, font);
    SetBkColor(rainDc, RGB(0, 0, 0));
    HDC frameDc = CreateCompatibleDC(screen);
    HBITMAP frameBitmap = CreateCompatibleBitmap(screen, clientWidth, clientHeight);
    SelectObject(frameDc, frameBitmap);

    DcRainCanvas canvas(rainDc);
    DefaultRainRandom random(12345);
    Rain rain;
    rain.Start(canvas, random, outerWidth, outerHeight);
    std::vector<double> times;
    for (int i = 0; i < kTicks; ++i) {
        const double start = bench::NowMicroseconds();
        rain.Tick(canvas, random);
        BitBlt(frameDc, 0, 0, clientWidth, clientHeight, rainDc, 0, 0, SRCCOPY);
        BitBlt(screen, 0, 0, clientWidth, clientHeight, frameDc, 0, 0, SRCCOPY);
        GdiFlush();
        times.push_back(bench::NowMicroseconds() - start);
    }
    std::sort(times.begin(), times.end());
    const double median = times[times.size() / 2];
    const double p99 = times[times.size() * 99 / 100];
    std::printf(
        "rain tick at %3d DPI: %zu drops, %dx%d cells: median %.0f us, p99 %.0f us, min %.0f us, "
        "max %.0f us (%.1f %% of the 50 ms tick)\n",
        dpi, rain.Drops().size(), rain.MatrixWidth(), rain.MatrixHeight(), median, p99, times.front(),
        times.back(), median / 500.0);
    DeleteDC(frameDc);
    DeleteObject(frameBitmap);
    DeleteDC(rainDc);
    DeleteObject(rainBitmap);
    DeleteObject(font);
    ReleaseDC(window, screen);
    DestroyWindow(window);
}

}  // namespace

int wmain() {
    Measure(96);
    Measure(192);
    return 0;
}
