// Playback's input thread: waits for each queued row's deadline and sends its input.
#include "platform/win32/mouse_sender_win32.h"

#include <algorithm>
#include <system_error>

namespace orv {
namespace {

// A waitable timer may wake this much late (a scheduler quantum; under Wine the server's waits
// count whole milliseconds and wake up to two late on a busy machine): the thread sleeps until
// this long before the deadline and yields its time slices for the rest, so that a row goes out
// within microseconds of its time. With 1 ms here, half the rows at a 10 ms Step Delay went out
// 0.8 ms late or more; with 2.5 ms, 0.35 ms.
constexpr std::int64_t kSpinUs = 2'500;

}  // namespace

Win32MouseSender::Win32MouseSender(SendFunction send, std::function<void()> prepare,
                                   std::function<std::int64_t()> nowUs)
    : m_send(std::move(send)), m_prepare(std::move(prepare)), m_nowUs(std::move(nowUs)) {
    bool highResolution = false;
    m_waitTimer.reset(CreatePreciseWaitableTimer(highResolution, m_raisedResolution));
    m_wake.reset(CreateEventW(nullptr, FALSE, FALSE, nullptr));
    if (!m_waitTimer || !m_wake) {
        throw std::system_error(static_cast<int>(::GetLastError()), std::system_category(), "input thread");
    }
    m_thread = std::thread([this] { Loop(); });
}

Win32MouseSender::~Win32MouseSender() {
    {
        std::lock_guard lock(m_mutex);
        m_stopping = true;
        m_queue.clear();
        ++m_interruptions;
    }
    SetEvent(m_wake.get());
    m_idle.notify_all();
    if (m_thread.joinable()) m_thread.join();
    if (m_raisedResolution) timeEndPeriod(1);
}

void Win32MouseSender::Queue(std::int64_t dueUs, std::vector<MouseOp> ops, std::uint64_t tag,
                             std::int64_t afterPreviousUs) {
    {
        std::lock_guard lock(m_mutex);
        m_queue.push_back({m_nextId++, dueUs, std::move(ops), tag, afterPreviousUs});
    }
    m_idle.notify_all();  // the thread waits on this while the queue is empty
}

void Win32MouseSender::Drop() {
    std::unique_lock lock(m_mutex);
    m_queue.clear();
    m_deadlines.Reset();
    ++m_interruptions;
    SetEvent(m_wake.get());  // a thread waiting for a dropped row's deadline looks again
    m_idle.wait(lock, [this] { return !m_sending; });
}

void Win32MouseSender::Finish() {
    std::unique_lock lock(m_mutex);
    m_idle.wait(lock, [this] { return (m_queue.empty() && !m_sending) || m_stopping; });
}

bool Win32MouseSender::Finished() {
    std::lock_guard lock(m_mutex);
    return m_queue.empty() && !m_sending;
}

void Win32MouseSender::Loop() noexcept {
    try {
        if (m_prepare) m_prepare();
    } catch (...) {
    }
    try {
        std::unique_lock lock(m_mutex);
        for (;;) {
            m_idle.wait(lock, [this] { return !m_queue.empty() || m_stopping; });
            if (m_stopping) return;
            const std::uint64_t id = m_queue.front().id;
            const std::int64_t due = m_deadlines.DueOf(m_queue.front().dueUs, m_queue.front().afterPreviousUs);
            if (m_nowUs() < due) {
                const std::uint64_t interruptions = m_interruptions.load();  // Drop counts under the lock
                lock.unlock();
                WaitUntil(due, interruptions);
                lock.lock();
                // Dropped or stopped meanwhile, or not yet time (woken by a drop): look again.
                if (m_queue.empty() || m_queue.front().id != id || m_nowUs() < due) continue;
            }
            Item item = std::move(m_queue.front());
            m_queue.pop_front();
            m_sending = true;
            m_deadlines.Sent(item.dueUs, item.afterPreviousUs, m_nowUs());
            if (m_queue.empty()) m_deadlines.Idle();
            m_sentTag.store(item.tag + 1);
            lock.unlock();
            try {
                if (!item.ops.empty()) m_send(item.ops);  // none: a row that only marks its time
            } catch (...) {
                MessageBeep(0);  // a row that cannot be played beeps, and the run goes on
            }
            lock.lock();
            m_sending = false;
            m_idle.notify_all();
        }
    } catch (...) {
        // Only the mutex can throw; a thread procedure must not let it through.
    }
}

void Win32MouseSender::WaitUntil(std::int64_t dueUs, std::uint64_t interruptions) noexcept {
    std::int64_t remaining = dueUs - m_nowUs();
    if (remaining > kSpinUs) {
        // Relative due time in 100 ns units.
        LARGE_INTEGER due;
        due.QuadPart = -(remaining - kSpinUs) * 10;
        if (SetWaitableTimer(m_waitTimer.get(), &due, 0, nullptr, nullptr, FALSE)) {
            const HANDLE handles[] = {m_wake.get(), m_waitTimer.get()};
            if (WaitForMultipleObjects(2, handles, FALSE, INFINITE) == WAIT_OBJECT_0) return;  // woken
        } else {
            if (WaitForSingleObject(m_wake.get(), static_cast<DWORD>((remaining - kSpinUs) / 1000)) ==
                WAIT_OBJECT_0) {
                return;
            }
        }
    }
    // The last stretch: give the processor away, but look at the clock after each slice.
    while (m_nowUs() < dueUs) {
        if (m_interruptions.load() != interruptions) return;
        SwitchToThread();
    }
}

}  // namespace orv
