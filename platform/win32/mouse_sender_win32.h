// Playback's input thread: sends each row's mouse input at its deadline, in order, whatever the
// user-interface thread is doing (painting the list, a message box, a slow timer tick).
#pragma once

#include <windows.h>

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

#include "platform/platform.h"
#include "playback/play_schedule.h"
#include "platform/win32/timer_host_win32.h"

namespace orv {

class Win32MouseSender {
public:
    // `send` does the sending on the sender's thread; an exception from it beeps.
    using SendFunction = std::function<void(const std::vector<MouseOp>&)>;
    // `nowUs` is the clock the due times are read on (the platform's MonotonicMicros); `prepare`
    // runs first on the thread, before anything is sent.
    Win32MouseSender(SendFunction send, std::function<void()> prepare, std::function<std::int64_t()> nowUs);
    ~Win32MouseSender();
    Win32MouseSender(const Win32MouseSender&) = delete;
    Win32MouseSender& operator=(const Win32MouseSender&) = delete;

    // Sent at `dueUs`, and not before `afterPreviousUs` after the send of the one before began.
    void Queue(std::int64_t dueUs, std::vector<MouseOp> ops, std::uint64_t tag, std::int64_t afterPreviousUs = 0);
    // When it returns, nothing queued before it is sent any more, and a send under way has ended.
    void Drop();
    // Returns when everything queued has been sent.
    void Finish();
    bool Finished();  // everything queued has been sent
    // The tag of the input taken last to send, since ForgetSent.
    std::optional<std::uint64_t> Sent() const {
        const std::uint64_t sent = m_sentTag.load();
        return sent ? std::optional<std::uint64_t>(sent - 1) : std::nullopt;
    }
    void ForgetSent() { m_sentTag.store(0); }

private:
    struct Item {
        std::uint64_t id;
        std::int64_t dueUs;
        std::vector<MouseOp> ops;
        std::uint64_t tag;
        std::int64_t afterPreviousUs;
    };
    void Loop() noexcept;
    // Returns at `dueUs`, or earlier once a drop or the stop has been counted since `interruptions`.
    void WaitUntil(std::int64_t dueUs, std::uint64_t interruptions) noexcept;

    struct HandleCloser {
        void operator()(HANDLE handle) const { CloseHandle(handle); }
    };
    using UniqueHandle = std::unique_ptr<void, HandleCloser>;

    SendFunction m_send;
    std::function<void()> m_prepare;
    std::function<std::int64_t()> m_nowUs;
    UniqueHandle m_waitTimer;
    UniqueHandle m_wake;  // auto-reset: the queue changed (dropped, or stop)
    // Counts the drops and the stop, for the last stretch of a wait, which looks at it between
    // time slices without a call to the system (under Wine every wait is a server round trip).
    std::atomic<std::uint64_t> m_interruptions{0};
    std::atomic<std::uint64_t> m_sentTag{0};  // the tag taken last, plus one; 0: none
    bool m_raisedResolution = false;

    std::mutex m_mutex;              // guards everything below
    std::condition_variable m_idle;  // signalled when a send ends or the queue empties
    std::deque<Item> m_queue;
    std::uint64_t m_nextId = 1;
    bool m_sending = false;
    SendDeadlines m_deadlines;
    bool m_stopping = false;

    std::thread m_thread;  // last: starts once everything above exists
};

}  // namespace orv
