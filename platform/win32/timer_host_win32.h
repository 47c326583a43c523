// Timer ticks for the user-interface thread on a schedule that does not drift.
// A scheduler thread sleeps until the earliest deadline and posts one tick message per due timer
// to a message-only window owned by the host. Ticks are ordinary posted messages, so every message
// loop dispatches them: the application's own and the ones that menus, message boxes, modal
// dialogs and the common file dialogs run.
#pragma once

#include <windows.h>
#include <mmsystem.h>

#include <cstdint>
#include <functional>
#include <limits>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "platform/platform.h"

namespace orv {

// A waitable timer that wakes within a fraction of a millisecond: the flag
// CREATE_WAITABLE_TIMER_HIGH_RESOLUTION (0x2, Windows 10 1803 and later; the MinGW-w64 headers do
// not define it). Older systems reject the flag and get a plain timer, which is as fine as the
// system clock tick (15.6 ms by default), so the tick is raised to 1 ms; `raisedResolution` says
// so, for a timeEndPeriod(1) at the end. `highResolution` says whether the flag was taken. Null
// when no timer could be made.
inline HANDLE CreatePreciseWaitableTimer(bool& highResolution, bool& raisedResolution) {
    constexpr DWORD kHighResolutionTimer = 0x2;
    HANDLE timer =
        CreateWaitableTimerExW(nullptr, nullptr, kHighResolutionTimer, TIMER_MODIFY_STATE | SYNCHRONIZE);
    highResolution = timer != nullptr;
    raisedResolution = false;
    if (!timer) {
        timer = CreateWaitableTimerExW(nullptr, nullptr, 0, TIMER_MODIFY_STATE | SYNCHRONIZE);
        if (timer) raisedResolution = timeBeginPeriod(1) == TIMERR_NOERROR;
    }
    return timer;
}

// Schedule rules:
// - Arm(timer, ms) starts the count from now: deadline k is at now + k·ms, k = 1, 2, ... Deadlines
//   follow from the Arm alone, so a late tick never shifts the ones after it: no drift.
// - One tick per timer at a time: a tick is in flight from its post until its handler returns, and
//   the next one is posted only after that. The queue never holds two ticks of one timer, and a
//   handler that runs a modal loop is not re-entered by its own timer (unless it re-arms it: a new
//   Arm starts afresh). The next tick is posted by the scheduler thread after the return, not
//   queued by it, so a handler that outlasts its interval leaves the UI thread room to reach its
//   message loop (input, painting) between ticks.
// - Falling behind: ticks may come late. A deadline late by less than its interval still gets its
//   own tick, however long the tick before it waited in the queue. Late by more, the thread fell
//   behind: it gets one late tick for all it missed, then ticks resume on the original phase. So
//   after a stall at most two ticks of a timer come back to back (the one that waited, and the one
//   of a deadline that passed less than an interval ago): never a burst of catch-up ticks.
//   (Playback does not count ticks: it asks its own schedule what is due when one comes.)
// - Disarm or a new Arm makes a tick already posted for the timer stale; it is discarded unseen.
//
// Arm and Disarm are called on the thread that created the host; handlers may arm and disarm any
// timer, their own included. The host must outlive its armed timers and must not be destroyed from
// inside a handler.
class Win32TimerHost : public TimerHost {
public:
    // Receives the message of an exception a handler let escape (what the application's error
    // box shows); the host then carries on with the next tick.
    using ErrorReport = std::function<void(const std::wstring& message)>;

    explicit Win32TimerHost(ErrorReport reportError);
    ~Win32TimerHost() override;
    Win32TimerHost(const Win32TimerHost&) = delete;
    Win32TimerHost& operator=(const Win32TimerHost&) = delete;

    void Arm(TTimer& timer, std::uint32_t intervalMs) override;
    void Disarm(TTimer& timer) override;

    // True when the wait runs on a high-resolution waitable timer; false on systems without one,
    // where the host raises the system timer resolution to 1 ms for its lifetime instead.
    bool HighResolutionWait() const { return m_highResolution; }

private:
    struct Schedule {
        std::uint64_t generation = 0;  // distinguishes this arming from earlier ones of the timer
        std::int64_t anchor = 0;       // performance-counter time of the Arm
        std::uint32_t intervalMs = 0;
        std::int64_t allowance = 0;  // how late a deadline may be served (one interval), in counter units
        std::uint64_t index = 1;     // the next deadline is anchor + index · interval
        std::int64_t deadline = 0;
        bool inFlight = false;
    };

    static LRESULT CALLBACK WindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
    void OnTick(WPARAM generation, LPARAM timer);
    void FireGuarded(TTimer& timer) noexcept;
    void Report(const std::wstring& message) noexcept;
    void SchedulerLoop() noexcept;
    void WaitUntil(std::int64_t deadline) noexcept;
    void SkipPast(Schedule& schedule, std::int64_t bound) const;
    std::int64_t Now() const;
    std::int64_t MsToCounts(std::uint64_t ms) const;
    std::int64_t CountsToUnits(std::int64_t counts, std::int64_t unitsPerSecond) const;

    struct HandleCloser {
        void operator()(HANDLE handle) const { CloseHandle(handle); }
    };
    using UniqueHandle = std::unique_ptr<void, HandleCloser>;

    ErrorReport m_reportError;
    std::int64_t m_frequency = 1;
    HWND m_window = nullptr;
    UniqueHandle m_waitTimer;
    UniqueHandle m_wake;  // auto-reset: the schedule got an earlier deadline, or stop
    bool m_highResolution = false;
    bool m_raisedResolution = false;

    std::mutex m_mutex;  // guards everything below; the scheduler thread reads it
    std::map<TTimer*, Schedule> m_schedules;
    std::uint64_t m_lastGeneration = 0;
    std::int64_t m_wakeAt = std::numeric_limits<std::int64_t>::max();  // where the scheduler sleeps to
    bool m_stopping = false;

    std::thread m_scheduler;  // last: starts once everything above exists
};

}  // namespace orv
