// When the rows of a run fall due. Slot k (a row or the end of a pass) is due at
// anchor + k·step; a pause row or a replay delay moves the anchor on by its length. The timer
// that wakes the player only says "look now": the schedule decides how many slots are due, so
// a row that fell due while the previous one was being sent follows it at once, without waiting
// for another tick. Times are microseconds of a monotonic clock.
#pragma once

#include <algorithm>
#include <cstdint>

namespace orv {

class PlaySchedule {
public:
    // A slot late by more than this (or by more than one step, if that is longer) means the
    // player stalled: the schedule starts afresh from then instead of sending the missed rows
    // back to back.
    static constexpr std::int64_t kMinStallUs = 10'000;
    // How early a slot may be taken: the waking timer and this schedule read the same clock but
    // round it apart by a fraction of a microsecond.
    static constexpr std::int64_t kEarlyUs = 50;

    // Starts afresh: the next slot is due one step after `nowUs`.
    void Restart(std::int64_t nowUs, std::uint32_t stepMs) {
        m_stepUs = std::int64_t{stepMs} * 1000;
        m_from = nowUs;
    }
    bool Due(std::int64_t nowUs) const { return nowUs + kEarlyUs >= NextDue(); }
    // Takes the due slot at `nowUs`. Answers true when the slot was so late that the schedule
    // moved to `nowUs` + `leadUs` (the timer that wakes the player must follow). A player that
    // wakes `leadUs` ahead of its slots restarts with that lead.
    bool Take(std::int64_t nowUs, std::int64_t leadUs = 0) {
        const bool stalled = nowUs - NextDue() > std::max(m_stepUs, kMinStallUs);
        m_from = stalled ? nowUs + leadUs : NextDue();
        return stalled;
    }
    // The slot just taken waits `waitMs` before the next step begins (a pause row, the replay
    // delay): the next slot is due `waitMs` + one step after it was due.
    void Wait(std::uint32_t waitMs) { m_from += std::int64_t{waitMs} * 1000; }
    // A new step for the slots after the next one is counted, keeping where it counts from
    // (the end of a pause that is still running).
    void SetStep(std::uint32_t stepMs) { m_stepUs = std::int64_t{stepMs} * 1000; }
    std::int64_t NextDue() const { return m_from + m_stepUs; }
    // When the slot just taken was due (or, after a stall, taken); a Wait moves it on.
    std::int64_t TakenDue() const { return m_from; }

private:
    std::int64_t m_stepUs = 0;
    std::int64_t m_from = 0;  // the next slot is due one step after this
};

// The input thread's side: when a row handed over goes out. Rows keep their deadlines and a row
// that came due while the one before was sent follows at once, as on the player's side; but when
// the sending itself stalled (the thread got no processor, a send took long), a row later than
// one step (its distance from the row before; at least PlaySchedule::kMinStallUs) moves every
// row after it on by its lateness, so that the rows queued meanwhile do not burst out.
class SendDeadlines {
public:
    // When the row due at `dueUs` may go out. `afterPreviousUs` > 0: also not before that long
    // after the previous send began (a pause keeps its length after rows that went out late).
    std::int64_t DueOf(std::int64_t dueUs, std::int64_t afterPreviousUs) const {
        std::int64_t due = dueUs + m_shiftUs;
        if (afterPreviousUs > 0 && m_sent) due = std::max(due, m_sentUs + afterPreviousUs);
        return due;
    }
    // The row is sent at `nowUs`.
    void Sent(std::int64_t dueUs, std::int64_t afterPreviousUs, std::int64_t nowUs) {
        const std::int64_t late = nowUs - DueOf(dueUs, afterPreviousUs);
        const std::int64_t step = m_sent ? dueUs - m_lastDueUs : 0;
        if (late > std::max(step, PlaySchedule::kMinStallUs)) m_shiftUs += late;
        m_lastDueUs = dueUs;
        m_sentUs = nowUs;
        m_sent = true;
    }
    // Nothing is left to send: the next row handed over keeps its own deadline.
    void Idle() { m_shiftUs = 0; }
    void Reset() { *this = SendDeadlines{}; }

private:
    std::int64_t m_shiftUs = 0;
    std::int64_t m_lastDueUs = 0;
    std::int64_t m_sentUs = 0;
    bool m_sent = false;
};

}  // namespace orv
