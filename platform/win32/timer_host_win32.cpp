// The timer host: a scheduler thread that posts due ticks to a message-only window.
#include "platform/win32/timer_host_win32.h"

#include <mmsystem.h>

#include <algorithm>
#include <exception>
#include <system_error>

#include "core/controls.h"
#include "core/errors.h"
#include "core/utf.h"

namespace orv {
namespace {

constexpr wchar_t kWindowClass[] = L"OrvalinTickWindow";
constexpr UINT kTickMessage = WM_APP + 1;  // wParam: generation of the arming, lParam: the TTimer
constexpr std::int64_t kNever = std::numeric_limits<std::int64_t>::max();

[[noreturn]] void ThrowLastError(const char* what) {
    throw std::system_error(static_cast<int>(::GetLastError()), std::system_category(), what);
}

}  // namespace

Win32TimerHost::Win32TimerHost(ErrorReport reportError) : m_reportError(std::move(reportError)) {
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    m_frequency = frequency.QuadPart;

    m_waitTimer.reset(CreatePreciseWaitableTimer(m_highResolution, m_raisedResolution));
    if (!m_waitTimer) ThrowLastError("CreateWaitableTimerExW");
    m_wake.reset(CreateEventW(nullptr, FALSE, FALSE, nullptr));
    if (!m_wake) ThrowLastError("CreateEventW");

    WNDCLASSEXW wc = {sizeof wc};
    wc.lpfnWndProc = WindowProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = kWindowClass;
    RegisterClassExW(&wc);  // fails harmlessly when a second host registers it again
    m_window =
        CreateWindowExW(0, kWindowClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, wc.hInstance, this);
    if (!m_window) ThrowLastError("CreateWindowExW");

    m_scheduler = std::thread([this] { SchedulerLoop(); });
}

Win32TimerHost::~Win32TimerHost() {
    {
        std::lock_guard lock(m_mutex);
        m_stopping = true;
    }
    SetEvent(m_wake.get());
    m_scheduler.join();
    DestroyWindow(m_window);  // ticks still queued die with it
    if (m_raisedResolution) timeEndPeriod(1);
}

void Win32TimerHost::Arm(TTimer& timer, std::uint32_t intervalMs) {
    if (intervalMs == 0) {
        Disarm(timer);
        return;
    }
    const std::int64_t now = Now();
    std::lock_guard lock(m_mutex);
    Schedule& schedule = m_schedules[&timer];
    schedule = Schedule{};
    schedule.generation = ++m_lastGeneration;
    schedule.anchor = now;
    schedule.intervalMs = intervalMs;
    schedule.allowance = MsToCounts(intervalMs);
    schedule.deadline = now + MsToCounts(intervalMs);
    if (schedule.deadline < m_wakeAt) SetEvent(m_wake.get());
}

void Win32TimerHost::Disarm(TTimer& timer) {
    // The scheduler may still wake for the old deadline; it then finds nothing due.
    std::lock_guard lock(m_mutex);
    m_schedules.erase(&timer);
}

// --- user-interface thread -------------------------------------------------------------------

LRESULT CALLBACK Win32TimerHost::WindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_NCCREATE) {
        auto* create = reinterpret_cast<CREATESTRUCTW*>(lp);
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    } else if (msg == kTickMessage) {
        auto* self = reinterpret_cast<Win32TimerHost*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
        if (self) self->OnTick(wp, lp);
        return 0;
    }
    return DefWindowProcW(hwnd, msg, wp, lp);
}

void Win32TimerHost::OnTick(WPARAM generation, LPARAM timerBits) {
    auto* timer = reinterpret_cast<TTimer*>(timerBits);
    // The generation, not the pointer, proves the tick current: a timer destroyed in the meantime
    // was disarmed, and a new one at the same address carries a newer generation.
    const auto current = [&] {
        const auto it = m_schedules.find(timer);
        return it != m_schedules.end() && static_cast<WPARAM>(it->second.generation) == generation
                   ? &it->second
                   : nullptr;
    };
    try {
        {
            std::lock_guard lock(m_mutex);
            if (!current()) return;
        }
        FireGuarded(*timer);  // unlocked: the handler may arm and disarm timers
        std::lock_guard lock(m_mutex);
        Schedule* schedule = current();
        if (!schedule) return;
        schedule->inFlight = false;
        // How long the tick waited in the queue does not matter: a deadline that passed meanwhile
        // is judged by its own lateness when the scheduler posts it.
        if (schedule->deadline < m_wakeAt) SetEvent(m_wake.get());
    } catch (...) {
        // Only the mutex can throw here; a window procedure must not let it through.
    }
}

void Win32TimerHost::FireGuarded(TTimer& timer) noexcept {
    // The same boundary as Guarded() in win32_platform.h, reporting through the callback.
    try {
        timer.Fire();
    } catch (const Exception& e) {
        Report(e.Message());
    } catch (const std::exception& e) {
        Report(Utf8ToWide(e.what()).value_or(L"Unexpected error."));
    } catch (...) {
    }
}

void Win32TimerHost::Report(const std::wstring& message) noexcept {
    try {
        if (m_reportError) m_reportError(message);
    } catch (...) {
    }
}

// --- scheduler thread ------------------------------------------------------------------------

void Win32TimerHost::SchedulerLoop() noexcept {
    // It only wakes to post; being late here is being late everywhere.
    SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_HIGHEST);
    try {
        std::unique_lock lock(m_mutex);
        while (!m_stopping) {
            const std::int64_t now = Now();
            std::int64_t earliest = kNever;
            for (auto& [timer, schedule] : m_schedules) {
                if (schedule.deadline <= now) {
                    // A due timer whose tick is in flight waits for its handler to return (OnTick).
                    if (schedule.inFlight) continue;
                    if (PostMessageW(m_window, kTickMessage, static_cast<WPARAM>(schedule.generation),
                                     reinterpret_cast<LPARAM>(timer))) {
                        schedule.inFlight = true;
                        // Within the allowance the next deadline follows this one; beyond it this
                        // tick stands for every deadline missed, and the phase resumes after now.
                        SkipPast(schedule,
                                 now - schedule.deadline > schedule.allowance ? now : schedule.deadline);
                    } else {
                        SkipPast(schedule, now);  // a full queue: skip rather than retry at once
                    }
                    if (schedule.inFlight && schedule.deadline <= now) continue;
                }
                earliest = std::min(earliest, schedule.deadline);
            }
            m_wakeAt = earliest;
            lock.unlock();
            WaitUntil(earliest);
            lock.lock();
        }
    } catch (...) {
        // Only the mutex can throw; a thread procedure must not let it through.
    }
}

void Win32TimerHost::WaitUntil(std::int64_t deadline) noexcept {
    if (deadline == kNever) {
        WaitForSingleObject(m_wake.get(), INFINITE);
        return;
    }
    const std::int64_t remaining = deadline - Now();
    if (remaining <= 0) return;
    // Relative due time in 100 ns units, rounded up so that the wait never ends before the
    // deadline. Each wait is recomputed from the absolute deadline, so wake-up latency never adds up.
    LARGE_INTEGER due;
    due.QuadPart = -CountsToUnits(remaining, 10'000'000);
    if (!SetWaitableTimer(m_waitTimer.get(), &due, 0, nullptr, nullptr, FALSE)) {
        // Should not happen; a timed wait is coarser but keeps the thread alive.
        WaitForSingleObject(m_wake.get(), static_cast<DWORD>(std::min<std::int64_t>(
                                              CountsToUnits(remaining, 1000), INFINITE - 1)));
        return;
    }
    const HANDLE handles[] = {m_wake.get(), m_waitTimer.get()};
    WaitForMultipleObjects(2, handles, FALSE, INFINITE);
}

// Moves the schedule forward to its first deadline after `bound` (never back), keeping the phase
// set by the Arm.
void Win32TimerHost::SkipPast(Schedule& schedule, std::int64_t bound) const {
    const std::int64_t elapsed = bound - schedule.anchor;
    if (elapsed > 0) {
        const std::uint64_t elapsedMs =
            static_cast<std::uint64_t>(elapsed / m_frequency) * 1000 +
            static_cast<std::uint64_t>(elapsed % m_frequency * 1000 / m_frequency);
        schedule.index = std::max(schedule.index, elapsedMs / schedule.intervalMs + 1);
    }
    // elapsedMs is rounded down; step past any deadline it still leaves at or before `bound`.
    for (;;) {
        schedule.deadline = schedule.anchor + MsToCounts(schedule.index * schedule.intervalMs);
        if (schedule.deadline > bound) return;
        ++schedule.index;
    }
}

std::int64_t Win32TimerHost::Now() const {
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return now.QuadPart;
}

// Rounded up; split so that long waits on a fast counter cannot overflow.
std::int64_t Win32TimerHost::CountsToUnits(std::int64_t counts, std::int64_t unitsPerSecond) const {
    return counts / m_frequency * unitsPerSecond +
           ((counts % m_frequency) * unitsPerSecond + m_frequency - 1) / m_frequency;
}

// Exact for any counter frequency (no rounding error that would add up over many deadlines) and
// free of overflow for any interval the host can be given.
std::int64_t Win32TimerHost::MsToCounts(std::uint64_t ms) const {
    return static_cast<std::int64_t>(ms / 1000) * m_frequency +
           static_cast<std::int64_t>(ms % 1000) * m_frequency / 1000;
}

}  // namespace orv
