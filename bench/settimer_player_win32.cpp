// The baseline for the playback benchmark: plays the click rows of a macro file one per tick of
// a plain SetTimer, the way a window timer would without our timer host.
//
//   settimer_player FILE STEP_MS
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <vector>

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
    SetTimer(nullptr, 0, step, nullptr);
    MSG msg;
    while (g_next < g_rows.size() && GetMessageW(&msg, nullptr, 0, 0) > 0) {
        if (msg.message == WM_TIMER) {
            const Row& row = g_rows[g_next++];
            SetCursorPos(row.x, row.y);
            mouse_event(MOUSEEVENTF_LEFTDOWN, 0, 0, 0, 0);
            mouse_event(MOUSEEVENTF_LEFTUP, 0, 0, 0, 0);
        }
        DispatchMessageW(&msg);
    }
    Sleep(500);
    return 0;
}
