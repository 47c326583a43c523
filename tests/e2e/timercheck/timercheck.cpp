// timercheck: the rules the program relies on from its timers, checked on the real Win32 timer
// host (a scheduler thread posting ticks) behind TTimer, the way the main window uses them.
// One line per rule on stdout, "PASS <rule>: <what was seen>" or "FAIL <rule>: ..."; the exit
// status is the number of failed rules.
//
// Judged by counts and order of events and by lower bounds on time (a tick is never early),
// so that a loaded machine, which only makes ticks late, cannot fail a sound host. Where an
// upper bound is needed its slack is a second or more.
#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cwchar>
#include <functional>
#include <string>
#include <vector>

#include "core/controls.h"
#include "platform/win32/timer_host_win32.h"

namespace {

using orv::TTimer;
using orv::Win32TimerHost;

double NowMs() {
    static const double perMs = [] {
        LARGE_INTEGER frequency;
        QueryPerformanceFrequency(&frequency);
        return static_cast<double>(frequency.QuadPart) / 1000.0;
    }();
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return static_cast<double>(now.QuadPart) / perMs;
}

int g_failures = 0;

void Report(bool pass, const char* rule, const std::string& seen) {
    if (!pass) ++g_failures;
    std::printf("%s %s: %s\n", pass ? "PASS" : "FAIL", rule, seen.c_str());
    std::fflush(stdout);
}

std::string Format(const char* format, auto... args) {
    char buffer[512];
    std::snprintf(buffer, sizeof buffer, format, args...);
    return buffer;
}

// A safety net of the plain system timer: ends a loop that the host's ticks failed to end.
bool g_timedOut = false;
void CALLBACK OnTimeLimit(HWND, UINT, UINT_PTR, DWORD) {
    g_timedOut = true;
    PostQuitMessage(0);
}

// Runs the ordinary message loop until a handler posts WM_QUIT or `limitMs` passes; false when
// the limit ended it.
bool RunLoop(UINT limitMs) {
    g_timedOut = false;
    const UINT_PTR limit = SetTimer(nullptr, 0, limitMs, OnTimeLimit);
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    KillTimer(nullptr, limit);
    return !g_timedOut;
}

BOOL CALLBACK FindDialog(HWND window, LPARAM found) {
    wchar_t className[16] = {};
    GetClassNameW(window, className, 16);
    if (std::wcscmp(className, L"#32770") != 0) return TRUE;
    *reinterpret_cast<HWND*>(found) = window;
    return FALSE;
}

HWND ThisThreadsBox() {
    HWND box = nullptr;
    EnumThreadWindows(GetCurrentThreadId(), FindDialog, reinterpret_cast<LPARAM>(&box));
    return box;
}

// A message box runs its own loop; the host's ticks are posted messages, so they must reach the
// handler there. The fifth tick inside the box closes it; the system timer closes it otherwise.
void TicksDuringMessageBox(Win32TimerHost& host) {
    constexpr int kWanted = 5;
    TTimer timer(host, 20, false);
    bool open = false, closing = false;
    int inside = 0;
    timer.OnTimer = [&] {
        if (!open || closing) return;
        if (++inside < kWanted) return;
        if (HWND box = ThisThreadsBox()) {
            PostMessageW(box, WM_CLOSE, 0, 0);
            closing = true;
        }
    };
    const UINT_PTR limit = SetTimer(nullptr, 0, 20000, [](HWND, UINT, UINT_PTR, DWORD) {
        if (HWND box = ThisThreadsBox()) PostMessageW(box, WM_CLOSE, 0, 0);
    });
    timer.SetEnabled(true);
    open = true;
    MessageBoxW(nullptr, L"Ticks keep coming while this box is open.", L"timercheck", MB_OK);
    open = false;
    timer.SetEnabled(false);
    KillTimer(nullptr, limit);
    Report(closing, "ticks keep coming while a message box is open",
           Format("%d ticks inside the box (%d wanted)", inside, kWanted));
}

// A handler that runs a nested message loop (as a message box or a menu does) must not be entered
// again by its own timer meanwhile; other timers go on ticking, and its own resumes afterwards.
void NoReentry(Win32TimerHost& host) {
    TTimer own(host, 10, false), other(host, 20, false);
    int depth = 0, deepest = 0, ownTicks = 0, ownInsideLoop = 0, otherInsideLoop = 0, ownAfter = 0;
    bool inLoop = false, loopDone = false, loopEnded = false;
    other.OnTimer = [&] {
        if (inLoop) ++otherInsideLoop;
    };
    own.OnTimer = [&] {
        ++depth;
        deepest = std::max(deepest, depth);
        ++ownTicks;
        if (inLoop) ++ownInsideLoop;
        if (loopDone && ++ownAfter == 3) PostQuitMessage(0);
        if (ownTicks == 1) {
            // Long enough for the own timer to fall due many times over.
            inLoop = true;
            const double endAt = NowMs() + 10000;
            MSG msg;
            while (otherInsideLoop < 10 && NowMs() < endAt) {
                if (!PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
                    MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
                    continue;
                }
                if (msg.message == WM_QUIT) break;
                TranslateMessage(&msg);
                DispatchMessageW(&msg);
            }
            inLoop = false;
            loopDone = true;
        }
        --depth;
    };
    own.SetEnabled(true);
    other.SetEnabled(true);
    loopEnded = RunLoop(20000);
    own.SetEnabled(false);
    other.SetEnabled(false);
    Report(deepest == 1 && ownInsideLoop == 0 && otherInsideLoop >= 10 && loopEnded,
           "a handler is never re-entered by its own timer",
           Format("deepest nesting %d (1 wanted), own ticks inside its nested loop %d (0 wanted), other "
                  "timer's ticks there %d (10 wanted), own ticks after it %d (3 wanted)",
                  deepest, ownInsideLoop, otherInsideLoop, ownAfter));
}

// A 10 ms timer whose handler blocks for 500 ms: the deadlines it missed must not come out as a
// burst of catch-up ticks. Sound: one late tick, then the old pace, about 11 ticks in the 100 ms
// after the stall (fewer on a busy machine); a burst gives 50 or more.
void NoBurstAfterStall(Win32TimerHost& host) {
    constexpr double kStallMs = 500, kWindowMs = 100;
    constexpr int kMaxInWindow = 15;
    TTimer timer(host, 10, false);
    std::vector<double> at;
    double stallEnd = 0;
    timer.OnTimer = [&] {
        at.push_back(NowMs());
        if (at.size() == 3) {
            Sleep(static_cast<DWORD>(kStallMs));
            stallEnd = NowMs();
        }
        // Count until a full window after the stall has passed.
        if (stallEnd > 0 && NowMs() >= stallEnd + kWindowMs + 50) PostQuitMessage(0);
    };
    timer.SetEnabled(true);
    const bool ended = RunLoop(20000);
    timer.SetEnabled(false);
    int inWindow = 0;
    for (double t : at)
        if (t > stallEnd && t < stallEnd + kWindowMs) ++inWindow;
    Report(ended && inWindow <= kMaxInWindow, "late ticks of one timer never burst out",
           Format("%d ticks in the %.0f ms after a %.0f ms stall of a 10 ms timer (at most %d wanted)",
                  inWindow, kWindowMs, kStallMs, kMaxInWindow));
}

// A tick that waited long in the queue (the thread was busy in another handler) must not cost the
// next deadline its tick when that one is late by less than an interval. A 1500 ms timer's first
// tick is posted while a helper's handler blocks from 1400 to 3200 ms: at 3200 the deadline of
// 3000 is 200 ms late and is due its own tick then, long before the one of 4500.
void LateTickAfterQueueWait(Win32TimerHost& host) {
    constexpr double kInterval = 1500;
    TTimer timer(host, static_cast<std::uint32_t>(kInterval), false), blocker(host, 1400, false);
    std::vector<double> at;
    double stallEnd = 0;
    blocker.OnTimer = [&] {
        blocker.SetEnabled(false);
        Sleep(1800);
        stallEnd = NowMs();
    };
    timer.OnTimer = [&] {
        at.push_back(NowMs());
        if (at.size() == 3) PostQuitMessage(0);
    };
    const double start = NowMs();
    timer.SetEnabled(true);
    blocker.SetEnabled(true);
    const bool ended = RunLoop(20000);
    timer.SetEnabled(false);
    blocker.SetEnabled(false);
    const double second = at.size() >= 2 ? at[1] - start : -1;
    // Only a stall that held the first tick in the queue tests the rule; a machine too busy to
    // start the helper in time passes without it.
    const bool queued = !at.empty() && at[0] >= stallEnd;
    Report(ended && (!queued || second < 3 * kInterval), "a tick late by less than its interval is delivered",
           Format("first tick at %.0f ms%s, second at %.0f ms (before %.0f wanted)",
                  at.empty() ? -1 : at[0] - start, queued ? " (held in the queue by a stall)" : "", second,
                  3 * kInterval));
}

// Timer changes made from the handler of a helper timer, `changeAtMs` after the start.
struct Changed {
    double startedAt = 0;
    double changedAt = 0;
    std::vector<double> ticks;  // of the timer under test
};

// Runs `timer` (enabled at the start) and calls `change` once, from a helper timer's tick
// `changeAtMs` later, then runs until `timer` has ticked `wanted` times after the change.
Changed RunWithChange(Win32TimerHost& host, TTimer& timer, std::uint32_t changeAtMs, std::size_t wanted,
                      const std::function<void()>& change) {
    Changed c;
    TTimer helper(host, changeAtMs, false);
    helper.OnTimer = [&] {
        helper.SetEnabled(false);
        change();
        c.changedAt = NowMs();
    };
    timer.OnTimer = [&] {
        c.ticks.push_back(NowMs());
        std::size_t after = 0;
        for (double t : c.ticks)
            if (c.changedAt > 0 && t > c.changedAt) ++after;
        if (after >= wanted) PostQuitMessage(0);
    };
    c.startedAt = NowMs();
    timer.SetEnabled(true);
    helper.SetEnabled(true);
    RunLoop(20000);
    timer.SetEnabled(false);
    return c;
}

double FirstAfter(const Changed& c) {
    for (double t : c.ticks)
        if (t > c.changedAt) return t;
    return -1;
}

int TicksBefore(const Changed& c) {
    int n = 0;
    for (double t : c.ticks)
        if (t <= c.changedAt) ++n;
    return n;
}

// A 1000 ms timer given 1500 ms at 300 ms: its next tick comes 1500 ms after the change, never
// earlier (a count kept from the start would tick at 1000 or 1500 ms after the start).
void NewIntervalRestarts(Win32TimerHost& host) {
    TTimer timer(host, 1000, false);
    const Changed c = RunWithChange(host, timer, 300, 2, [&] { timer.SetInterval(1500); });
    const double first = FirstAfter(c), second = c.ticks.size() >= 2 ? c.ticks[1] : -1;
    // 1 ms for rounding between the counter and the host's deadlines. The second tick is
    // judged against the change, not the first tick: deadlines are anchored to the schedule, so
    // a first tick that came late on a busy machine is followed by one that is on time.
    const bool pass = TicksBefore(c) == 0 && first > 0 && first - c.changedAt >= 1500 - 1 && second > 0 &&
                      second - c.changedAt >= 3000 - 1;
    Report(pass, "a new interval restarts the count",
           Format("changed at %.0f ms; next ticks %.0f and %.0f ms after the change (1500 and 3000 or later "
                  "wanted), %d ticks before it (0 wanted)",
                  c.changedAt - c.startedAt, first - c.changedAt, second - c.changedAt, TicksBefore(c)));
}

// Enabling an enabled timer or setting the interval it has must keep its count: a 2000 ms timer
// touched so at 1000 ms still ticks at 2000 ms, a second before a restarted one could.
void SameSettingsChangeNothing(Win32TimerHost& host) {
    struct Case {
        const char* what;
        void (*touch)(TTimer&);
    };
    const Case cases[] = {
        {"enabled again", [](TTimer& t) { t.SetEnabled(true); }},
        {"given its own interval", [](TTimer& t) { t.SetInterval(2000); }},
    };
    std::string seen;
    bool pass = true;
    for (const Case& k : cases) {
        TTimer timer(host, 2000, false);
        const Changed c = RunWithChange(host, timer, 1000, 1, [&] { k.touch(timer); });
        const double first = FirstAfter(c) - c.changedAt;
        // A restarted count could not tick before 2000 ms after the touch.
        const bool ok = TicksBefore(c) == 0 && first > 0 && first < 2000 - 1;
        pass = pass && ok;
        seen += Format("%s%s at %.0f ms: next tick %.0f ms later (under 2000 wanted)",
                       seen.empty() ? "" : "; ", k.what, c.changedAt - c.startedAt, first);
    }
    Report(pass, "re-enabling an enabled timer or setting the same interval changes nothing", seen);
}

// Interval 0 never ticks: not when enabled with it, and not when a running timer is given it,
// also with one of its ticks already posted (another handler keeps the thread busy meanwhile).
void IntervalZeroNeverTicks(Win32TimerHost& host) {
    TTimer zero(host, 0, true), stopped(host, 5, true), trigger(host, 50, true), end(host, 600, true);
    int zeroTicks = 0, stoppedBefore = 0, stoppedAfter = 0;
    bool set = false;
    zero.OnTimer = [&] { ++zeroTicks; };
    stopped.OnTimer = [&] { ++(set ? stoppedAfter : stoppedBefore); };
    trigger.OnTimer = [&] {
        trigger.SetEnabled(false);
        Sleep(20);  // the 5 ms timer's next tick is posted meanwhile
        stopped.SetInterval(0);
        set = true;
    };
    end.OnTimer = [&] { PostQuitMessage(0); };
    RunLoop(20000);
    end.SetEnabled(false);
    Report(zeroTicks == 0 && stoppedAfter == 0 && stoppedBefore > 0, "interval 0 never ticks",
           Format("ticks of a timer enabled with 0: %d, of a running one after it got 0: %d (0 wanted each; "
                  "it ticked %d times before)",
                  zeroTicks, stoppedAfter, stoppedBefore));
}

}  // namespace

int wmain() {
    std::vector<std::wstring> errors;
    Win32TimerHost host([&](const std::wstring& message) { errors.push_back(message); });
    TicksDuringMessageBox(host);
    NoReentry(host);
    NoBurstAfterStall(host);
    LateTickAfterQueueWait(host);
    NewIntervalRestarts(host);
    SameSettingsChangeNothing(host);
    IntervalZeroNeverTicks(host);
    for (const std::wstring& e : errors) std::printf("handler error: %ls\n", e.c_str());
    return g_failures;
}
