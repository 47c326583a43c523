// hookpair: the platform's low-level mouse hook while a renewal has two hooks in at once. It
// injects a few moves to distinct points and prints how many of them reached the procedure,
// one line per stage:
//
//   one hook: 5
//   two hooks: 5          (the newer hook's CallNextHookEx reaches the older one too)
//   newer hook only: 5
//
// A stage waits for the procedure to see the last of its moves (or gives up after 5 s); the
// count is then final, since the second hook's call for an event runs inside the first's.
#include <windows.h>

#include <cstdio>
#include <vector>

#include "platform/win32/win32_platform.h"

namespace {

constexpr int kMoves = 5;

int Stage(const char* name, std::vector<orv::Point>& seen, int base) {
    seen.clear();
    const int width = GetSystemMetrics(SM_CXVIRTUALSCREEN), height = GetSystemMetrics(SM_CYVIRTUALSCREEN);
    const orv::Point last{base + kMoves - 1, 300};
    for (int i = 0; i < kMoves; ++i) {
        INPUT in = {};
        in.type = INPUT_MOUSE;
        in.mi.dx = static_cast<LONG>((static_cast<long long>(base + i) * 65536 + width - 1) / width);
        in.mi.dy = static_cast<LONG>((300LL * 65536 + height - 1) / height);
        in.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE | MOUSEEVENTF_VIRTUALDESK;
        SendInput(1, &in, sizeof in);
    }
    const DWORD start = GetTickCount();
    MSG msg;
    bool done = false;
    while (!done && GetTickCount() - start < 5000) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
        for (const orv::Point& p : seen) done = done || p == last;
    }
    std::printf("%s: %d\n", name, static_cast<int>(seen.size()));
    std::fflush(stdout);
    return done ? 0 : 1;
}

}  // namespace

int wmain() {
    orv::Win32Platform platform;
    std::vector<orv::Point> seen;
    const auto proc = [&seen](int, std::uint32_t message, orv::Point point) {
        if (message == WM_MOUSEMOVE) seen.push_back(point);
    };
    int failures = 0;
    const std::uintptr_t older = platform.InstallMouseHook(proc);
    failures += Stage("one hook", seen, 100);
    const std::uintptr_t newer = platform.InstallMouseHook(proc);
    failures += Stage("two hooks", seen, 200);
    platform.RemoveMouseHook(older);
    failures += Stage("newer hook only", seen, 300);
    platform.RemoveMouseHook(newer);
    return failures;
}
