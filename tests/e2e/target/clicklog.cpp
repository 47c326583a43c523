// clicklog: a window that logs every mouse button message it receives, for the end-to-end
// tests of playback and recording. One line per message, flushed at once:
//
//   <ms since start> <message name> <client x> <client y> <screen x> <screen y> <message time>
//
// The message time (GetMessageTime, ms) is when the input was made, for example when a player
// called SendInput: it measures the sender's schedule however late this window gets to it.
//
// With "keys" after the window's place it also logs every key event of the desktop, whichever
// window has the keyboard, from a low-level keyboard hook:
//
//   <ms since start> KEYDOWN|KEYUP <virtual-key code> <event time, as the hook gets it>
//
// The system calls the hook for each key event in turn, after it has handled the ones before
// (hotkeys included, which never reach a window's queue), so a test can tell when the keys it
// typed have been handled and how far apart they came.
//
//   clicklog LOGFILE [X Y W H [keys]]  window placed at X,Y with outer size W x H (default 100 100
//                                      600 400)
//
// The window class has CS_DBLCLKS, so a second click in time arrives as WM_?BUTTONDBLCLK.
#include <windows.h>
#include <windowsx.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

FILE* g_log = nullptr;
LARGE_INTEGER g_start, g_frequency;

const char* NameOf(UINT msg) {
    switch (msg) {
        case WM_LBUTTONDOWN: return "LDOWN";
        case WM_LBUTTONUP: return "LUP";
        case WM_LBUTTONDBLCLK: return "LDBL";
        case WM_RBUTTONDOWN: return "RDOWN";
        case WM_RBUTTONUP: return "RUP";
        case WM_RBUTTONDBLCLK: return "RDBL";
        case WM_MBUTTONDOWN: return "MDOWN";
        case WM_MBUTTONUP: return "MUP";
        case WM_MBUTTONDBLCLK: return "MDBL";
        default: return nullptr;
    }
}

double NowMs() {
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return 1000.0 * static_cast<double>(now.QuadPart - g_start.QuadPart) /
           static_cast<double>(g_frequency.QuadPart);
}

LRESULT CALLBACK KeyboardHook(int code, WPARAM wp, LPARAM lp) {
    if (code == HC_ACTION) {
        const auto* key = reinterpret_cast<const KBDLLHOOKSTRUCT*>(lp);
        const bool down = wp == WM_KEYDOWN || wp == WM_SYSKEYDOWN;
        std::fprintf(g_log, "%.3f %s %lu %lu\n", NowMs(), down ? "KEYDOWN" : "KEYUP", key->vkCode, key->time);
        std::fflush(g_log);
    }
    return CallNextHookEx(nullptr, code, wp, lp);
}

LRESULT CALLBACK WndProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (const char* name = NameOf(msg)) {
        POINT p = {GET_X_LPARAM(lp), GET_Y_LPARAM(lp)};
        POINT s = p;
        ClientToScreen(hwnd, &s);
        std::fprintf(g_log, "%.3f %s %ld %ld %ld %ld %lu\n", NowMs(), name, p.x, p.y, s.x, s.y,
                     static_cast<unsigned long>(GetMessageTime()));
        std::fflush(g_log);
        return 0;
    }
    if (msg == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcW(hwnd, msg, wp, lp);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: clicklog LOGFILE [X Y W H]\n");
        return 2;
    }
    g_log = std::fopen(argv[1], "w");
    if (!g_log) return 1;
    const int x = argc > 5 ? std::atoi(argv[2]) : 100;
    const int y = argc > 5 ? std::atoi(argv[3]) : 100;
    const int w = argc > 5 ? std::atoi(argv[4]) : 600;
    const int h = argc > 5 ? std::atoi(argv[5]) : 400;
    QueryPerformanceFrequency(&g_frequency);
    QueryPerformanceCounter(&g_start);

    WNDCLASSEXW wc = {sizeof wc};
    wc.style = CS_DBLCLKS;
    wc.lpfnWndProc = WndProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.hCursor = LoadCursorW(nullptr, IDC_CROSS);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    wc.lpszClassName = L"OrvalinClickTarget";
    RegisterClassExW(&wc);
    HWND hwnd = CreateWindowExW(0, wc.lpszClassName, L"Orvalin Click Target", WS_OVERLAPPEDWINDOW | WS_VISIBLE, x, y,
                                w, h, nullptr, nullptr, wc.hInstance, nullptr);
    if (!hwnd) return 1;
    RECT client = {};
    GetClientRect(hwnd, &client);
    POINT origin = {0, 0};
    ClientToScreen(hwnd, &origin);
    // Installed before READY, so that every key typed after it is logged.
    if (argc > 6 && std::strcmp(argv[6], "keys") == 0 &&
        !SetWindowsHookExW(WH_KEYBOARD_LL, KeyboardHook, GetModuleHandleW(nullptr), 0)) {
        return 1;
    }
    std::fprintf(g_log, "0.000 READY %ld %ld %ld %ld\n", origin.x, origin.y, client.right, client.bottom);
    std::fflush(g_log);
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    std::fclose(g_log);
    return 0;
}
