// The baselines for the playback benchmark: plays the click rows of a macro file one per tick of
// a plain SetTimer, the way a window timer would without our timer host. Each click is sent the
// way the program sends it (both transitions in one SendInput call at the row's absolute point,
// the first one moving the cursor there): a transition without a point lands wherever the cursor
// is when the system gets to it, which under load can be an earlier row's point, and the
// comparison is of the timers, not of that.
//
// With STEP_MS 0 there is no timer: the rows go back to back as fast as SendInput returns, which
// is the most that the system (under Wine: the server, the X pointer warps and the receiving
// window) can take in, whatever a player does.
//
//   settimer_player FILE STEP_MS
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <vector>

#include "platform/mouse_input.h"

namespace {

struct Row {
    int x, y;
};
std::vector<Row> g_rows;
std::size_t g_next = 0;

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: settimer_player FILE STEP_MS\n");
        return 2;
    }
    FILE* file = std::fopen(argv[1], "rb");
    if (!file) return 1;
    int x = 0, y = 0;
    char line[256];
    while (std::fgets(line, sizeof line, file)) {
        if (std::sscanf(line, "%d,%d", &x, &y) == 2) g_rows.push_back({x, y});
    }
    std::fclose(file);
    const UINT step = static_cast<UINT>(std::atoi(argv[2]));
    const int left = GetSystemMetrics(SM_XVIRTUALSCREEN), top = GetSystemMetrics(SM_YVIRTUALSCREEN);
    const int width = GetSystemMetrics(SM_CXVIRTUALSCREEN), height = GetSystemMetrics(SM_CYVIRTUALSCREEN);
    const auto send = [&](const Row& row) {
        INPUT click[2] = {};
        for (INPUT& in : click) {
            in.type = INPUT_MOUSE;
            in.mi.dx = orv::AbsoluteMouseCoordinate(row.x, left, width);
            in.mi.dy = orv::AbsoluteMouseCoordinate(row.y, top, height);
            in.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE | MOUSEEVENTF_VIRTUALDESK;
        }
        click[0].mi.dwFlags |= MOUSEEVENTF_LEFTDOWN;
        click[1].mi.dwFlags |= MOUSEEVENTF_LEFTUP;
        SendInput(2, click, sizeof(INPUT));
    };
    if (step == 0) {
        for (const Row& row : g_rows) send(row);
    } else {
        SetTimer(nullptr, 0, step, nullptr);
        MSG msg;
        while (g_next < g_rows.size() && GetMessageW(&msg, nullptr, 0, 0) > 0) {
            if (msg.message == WM_TIMER) send(g_rows[g_next++]);
            DispatchMessageW(&msg);
        }
    }
    Sleep(500);
    return 0;
}
