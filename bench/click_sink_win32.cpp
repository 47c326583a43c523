// click_sink: the far end of bench/playback_bench.sh. A window that takes every mouse button
// message it receives into memory and writes them out only at the end, so that a player sending
// a thousand clicks a second never waits for this window's file writes.
//
//   click_sink LOGFILE X Y W H      window placed at X,Y with outer size W x H
//
// At once LOGFILE gets one line "READY <client left> <client top> <client width> <client
// height>" (screen pixels). Every quarter second LOGFILE.progress is rewritten with "<button
// downs so far> <ms since start of the last one>", a cheap way for the script to see a run end.
// When LOGFILE.stop appears (or the window is closed) every message goes to LOGFILE, one a line
//
//   <ms since start> <LDOWN|LUP|RDOWN|...> <client x> <client y> <screen x> <screen y> <message time>
//
// then "END <messages>", and the program ends. The class has no CS_DBLCLKS: every press, however
// close to the one before, arrives as a plain button-down.
#include <windows.h>
#include <windowsx.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "clock_win32.h"

namespace {

struct Event {
    double ms;
    UINT message;
    POINT client;
    POINT screen;
    DWORD time;
};

std::vector<Event> g_events;
std::size_t g_downs = 0;
double g_lastDownMs = 0;
double g_startUs = 0;
std::string g_logPath;
UINT_PTR g_timer = 0;

const char* NameOf(UINT message) {
    switch (message) {
        case WM_LBUTTONDOWN:
            return "LDOWN";
        case WM_LBUTTONUP:
            return "LUP";
        case WM_RBUTTONDOWN:
            return "RDOWN";
        case WM_RBUTTONUP:
            return "RUP";
        case WM_MBUTTONDOWN:
            return "MDOWN";
        case WM_MBUTTONUP:
            return "MUP";
        default:
            return nullptr;
    }
}

double NowMs() { return (orv::bench::NowMicroseconds() - g_startUs) / 1000.0; }

void WriteProgress() {
    const std::string path = g_logPath + ".progress";
    if (FILE* f = std::fopen(path.c_str(), "w")) {
        std::fprintf(f, "%zu %.3f\n", g_downs, g_lastDownMs);
        std::fclose(f);
    }
}

void WriteLogAndQuit(HWND hwnd) {
    if (FILE* f = std::fopen(g_logPath.c_str(), "a")) {
        for (const Event& e : g_events) {
            std::fprintf(f, "%.3f %s %ld %ld %ld %ld %lu\n", e.ms, NameOf(e.message), e.client.x, e.client.y,
                         e.screen.x, e.screen.y, static_cast<unsigned long>(e.time));
        }
        std::fprintf(f, "END %zu\n", g_events.size());
        std::fclose(f);
    }
    DestroyWindow(hwnd);
}

LRESULT CALLBACK WndProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (NameOf(msg)) {
        Event e{NowMs(), msg, {GET_X_LPARAM(lp), GET_Y_LPARAM(lp)}, {}, static_cast<DWORD>(GetMessageTime())};
        e.screen = e.client;
        ClientToScreen(hwnd, &e.screen);
        g_events.push_back(e);
        if (msg == WM_LBUTTONDOWN || msg == WM_RBUTTONDOWN || msg == WM_MBUTTONDOWN) {
            ++g_downs;
            g_lastDownMs = e.ms;
        }
        return 0;
    }
    switch (msg) {
        case WM_TIMER:
            WriteProgress();
            if (GetFileAttributesA((g_logPath + ".stop").c_str()) != INVALID_FILE_ATTRIBUTES)
                WriteLogAndQuit(hwnd);
            return 0;
        case WM_CLOSE:
            WriteLogAndQuit(hwnd);
            return 0;
        case WM_DESTROY:
            PostQuitMessage(0);
            return 0;
        default:
            return DefWindowProcW(hwnd, msg, wp, lp);
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 6) {
        std::fprintf(stderr, "usage: click_sink LOGFILE X Y W H\n");
        return 2;
    }
    g_logPath = argv[1];
    // Room for a long run up front: growing the table while clicks arrive would stall this window.
    g_events.reserve(1 << 20);
    g_startUs = orv::bench::NowMicroseconds();

    WNDCLASSEXW wc = {sizeof wc};
    wc.lpfnWndProc = WndProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.hCursor = LoadCursorW(nullptr, IDC_CROSS);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    wc.lpszClassName = L"OrvalinClickSink";
    RegisterClassExW(&wc);
    HWND hwnd = CreateWindowExW(0, wc.lpszClassName, L"Orvalin Click Sink", WS_OVERLAPPEDWINDOW | WS_VISIBLE,
                                std::atoi(argv[2]), std::atoi(argv[3]), std::atoi(argv[4]),
                                std::atoi(argv[5]), nullptr, nullptr, wc.hInstance, nullptr);
    if (!hwnd) return 1;
    RECT client = {};
    GetClientRect(hwnd, &client);
    POINT origin = {0, 0};
    ClientToScreen(hwnd, &origin);
    FILE* log = std::fopen(g_logPath.c_str(), "w");
    if (!log) return 1;
    std::fprintf(log, "READY %ld %ld %ld %ld\n", origin.x, origin.y, client.right, client.bottom);
    std::fclose(log);
    WriteProgress();
    g_timer = SetTimer(hwnd, 1, 250, nullptr);
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return 0;
}
