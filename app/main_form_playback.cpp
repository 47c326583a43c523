// Playback: the play/stop toggle and the three timers that walk the step list in passes.
// The Play button's caption is the state: running exactly while it reads "Stop".
#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "core/errors.h"
#include "app/main_form.h"
#include "core/settings_store.h"
#include "playback/click_plan.h"
#include "playback/pause_time.h"

namespace orv {
namespace {

constexpr wchar_t kStopHint[] = L"STOP: Ctrl + Alt + ";

// Rows that fell due are served back to back, but the message loop gets its turn at least this
// often, so that input, painting and Stop are handled while sending cannot keep up.
constexpr std::int64_t kMaxServeUs = 10'000;

// The schedule runs this far behind the timer that wakes the player, so that a tick that comes
// late (painting a frame of the list, another program's load) still finds its row handed over
// in time at every Step Delay, and the end of a pass, taken this far ahead, waits at most this
// long for the input thread to send the last row.
constexpr std::int64_t kPlanAheadUs = 12'000;

// Rows are handed to the input thread up to this long before they are due, and the thread sends
// each one on time: this thread may then stall that long (under Wine it was seen losing 10-125
// ms at a time, to paints and to nothing of ours) without a row going out late. The list shows
// the row the input thread took last, not the rows handed over.
constexpr std::int64_t kHandOverUs = 100'000;

}  // namespace

void TAppForm::ButtonPlayClick() {
    MinimizedRun = false;
    PlayDugmeBasildi();
}

void TAppForm::MinimizeandPlay1Click() {
    MinimizedRun = true;
    PlayDugmeBasildi();
}

void TAppForm::PlayDugmeBasildi() {
    if (Recording()) return;
    if (!Playing()) {
        CancelClosing();
        RecordEngelle();
        SavedCursorPos = m_platform.CursorPos();
        ButtonPlay.SetImageIndex(kImageStop);
        ButtonPlay.SetCaption(L"Stop");
        PlayStepIndex = 0;
        m_lastQueuedDueUs.reset();
        m_waitedSinceQueued = false;
        m_platform.PrepareQueuedMouse();
        if (m_stepDelaySettle.Enabled()) TimerStepDelayTimer();  // a new run takes the delay as it reads
        RestartPlaySchedule(TimerPlay.Interval());
        TimerPlay.SetEnabled(true);
        m_playFrame.SetEnabled(true);
        StatusBar1.SetPanelText(2, kStopHint + PlayHotkeyLetter());
        StatusBar1.SetPanelText(3, L"Playing...");
        if (MinimizedRun) m_platform.MinimizeApplication();
        return;
    }
    // Stopped by the user: no cursor restore, the Loop field stays, no closing countdown.
    // Nothing handed to the input thread is sent after this, and the list shows the last row
    // that was.
    m_platform.DropQueuedMouse();
    FollowSentRow();
    RecordNormaleDon();
    TimerWait.SetEnabled(false);
    TimerPlay.SetEnabled(false);
    m_playFrame.SetEnabled(false);
    ShowPlayingRow();
    ButtonPlay.SetImageIndex(kImagePlay);
    ButtonPlay.SetCaption(L"Play");
    StatusBar1.SetPanelText(2, L"");
    StatusBar1.SetPanelText(3, L"");
    if (MinimizedRun) EnUsteGetir();
}

void TAppForm::TimerPlayTimer() {
    // The tick only wakes the player: the schedule says how many slots are due. A row that fell
    // due while the one before it was sent follows at once, without waiting for another tick.
    const std::int64_t began = m_platform.MonotonicMicros();
    std::int64_t now = began;
    // Rows are handed over `HandOverUs` ahead, the end of a pass `PlanAheadUs` ahead and only
    // once the pass's rows have all been sent: this thread never waits for the input thread,
    // which may be seconds behind when the system cannot take input as fast as the Step Delay
    // asks. (Such a pass ends late, and the schedule starts afresh from its end.) A stall is
    // judged by how late the slot really is.
    while (m_playSchedule.Due(now + HandOverUs())) {
        const bool endOfPass = PlayStepIndex >= static_cast<std::int64_t>(ListView1.Count());
        if (endOfPass && (!m_playSchedule.Due(now + PlanAheadUs()) || !m_platform.QueuedMouseSent())) break;
        if (m_playSchedule.Take(now, PlanAheadUs())) {
            // Stalled: the schedule starts again from now, and so must the timer that wakes us.
            TimerPlay.SetEnabled(false);
            TimerPlay.SetEnabled(true);
        }
        PlaySlot();
        if (!TimerPlay.Enabled() || !Playing()) break;  // a pause, a replay delay or the end of the run
        now = m_platform.MonotonicMicros();
        if (now - began >= kMaxServeUs) break;
    }
    FollowSentRow();
    // Waiting longer than a step (a pause, a replay delay, the run's end): show where it stands.
    if (!TimerPlay.Enabled()) ShowPlayingRow();
}

void TAppForm::TimerPlayFrameTimer() {
    // The view follows the playing row once a frame, not at every row: under Wine a highlight
    // change costs about 0.9 ms, more than a whole step at a 1 ms Step Delay.
    FollowSentRow();
    ShowPlayingRow();
}

std::int64_t TAppForm::HandOverUs() const { return PlanAheadUs() > 0 ? kHandOverUs : 0; }

void TAppForm::FollowSentRow() {
    // Only while rows go to the input thread: rows played on this thread are held as they play.
    if (HandOverUs() == 0) return;
    const auto sent = m_platform.SentQueuedMouse();
    if (sent && *sent < ListView1.Count()) HoldPlayingRow(static_cast<std::size_t>(*sent));
}

std::int64_t TAppForm::PlanAheadUs() const {
    // Restoring the cursor after each step reads where the user left it just before the row, so
    // such rows are played on this thread when due, after what was handed over before them.
    //
    // "Lock Mouse While Playing" keeps the user's own mouse from moving a row's clicks off its
    // point. A row handed over is one SendInput call (the first transition carries the move),
    // and the system never intersperses the events of one call with the user's input, so such a
    // row needs no confinement around it. (Confining from the input thread is no option: under
    // Wine a ClipCursor from a thread without the foreground window reaches the pointer later,
    // through that window's thread, and holds it where a later warp or the cursor restore
    // cannot move it.) Rows played on this thread are still confined around their input.
    return RestoreMousePositionAfterEachStep1.Checked() ? 0 : kPlanAheadUs;
}

void TAppForm::RestartPlaySchedule(std::uint32_t stepMs) {
    // The timer that wakes the player is armed now; the rows run `PlanAheadUs` behind it. Rows
    // already handed over keep their deadlines: the next one follows the last of them a step later.
    std::int64_t from = m_platform.MonotonicMicros() + PlanAheadUs();
    if (m_lastQueuedDueUs) from = std::max(from, *m_lastQueuedDueUs);
    m_playSchedule.Restart(from, stepMs);
}

void TAppForm::ShowPlayingRow() { ListView1.ShowHeld(); }

void TAppForm::PlaySlot() {
    // Rows added or removed meanwhile count from this slot on.
    const auto count = static_cast<std::int64_t>(ListView1.Count());
    if (PlayStepIndex < count) {
        const auto row = static_cast<std::size_t>(PlayStepIndex);
        PerformRow(row);
        PlayStepIndex = PlayStepIndex + 1;
    } else {
        EndOfPass();
    }
}

void TAppForm::PerformRow(std::size_t row) {
    const bool handOver = HandOverUs() > 0;
    if (!handOver) HoldPlayingRow(row);  // else shown once the input thread takes it
    const std::int64_t due = m_playSchedule.TakenDue();
    // After a pause the row waits its full distance from the row before the pause, also when
    // that one was sent late (sending could not keep up): the pause is for the program that the
    // clicks before it started, and must not shrink. So the pause row itself, which begins the
    // pause, keeps its step from the row before it.
    const auto handOverAt = [&](std::vector<MouseOp> ops, bool keepDistance) {
        const std::int64_t afterPrevious =
            (keepDistance || m_waitedSinceQueued) && m_lastQueuedDueUs ? due - *m_lastQueuedDueUs : 0;
        m_platform.QueueMouse(due, std::move(ops), row, afterPrevious);
        m_lastQueuedDueUs = due;
        m_waitedSinceQueued = false;
    };
    if (row == 0 && RestoreMousePositionAfterEachLoop1.Checked()) SavedCursorPos = m_platform.CursorPos();
    try {
        const std::wstring_view wait = ListView1.Cell(row, kCellWait);
        if (!wait.empty()) {
            // A pause row goes over too, with no input: the list shows it when its time comes.
            if (handOver) handOverAt({}, true);
            if (const auto ms = PauseMilliseconds(wait)) {
                m_playSchedule.Wait(*ms);
                m_waitedSinceQueued = true;
                TimerPlay.SetEnabled(false);
                TimerWait.SetInterval(*ms);
                TimerWait.SetEnabled(true);
            }
            return;
        }
        StatusBar1.SetPanelText(3, L"Playing...");
        if (RestoreMousePositionAfterEachStep1.Checked()) SavedCursorPos = m_platform.CursorPos();
        std::int32_t x = 0;
        std::int32_t y = 0;
        if (!TryParseIniInteger(ListView1.Cell(row, kCellX), x) || !TryParseIniInteger(ListView1.Cell(row, kCellY), y)) {
            throw Exception(L"Not a position.");
        }
        const std::wstring left(ListView1.Cell(row, kCellLeft));
        const std::wstring right(ListView1.Cell(row, kCellRight));
        const std::wstring middle(ListView1.Cell(row, kCellMiddle));
        if (handOver) {
            handOverAt(PlanClick(x, y, left, right, middle), false);
            return;
        }
        m_platform.FinishQueuedMouse();  // the rows handed over before this one go first
        if (LockMouse1.Checked()) {
            m_platform.ClipCursor(Rect{x, y, x, y});
            try {
                Fare(x, y, left, right, middle);
            } catch (...) {
                m_platform.ClipCursor(std::nullopt);  // the user gets the mouse back in any case
                throw;
            }
            m_platform.ClipCursor(std::nullopt);
        } else {
            Fare(x, y, left, right, middle);
        }
        if (RestoreMousePositionAfterEachStep1.Checked()) m_platform.SetCursorPos(SavedCursorPos);
    } catch (...) {
        // A row that cannot be played beeps; the run goes on with the next row.
        m_platform.MessageBeep(0);
    }
}

void TAppForm::HoldPlayingRow(std::size_t row) {
    // The model holds the playing row at once; the view catches up in ShowPlayingRow. The same
    // row held again (a pause, a frame without a new row sent) changes nothing.
    if (ListView1.SelectedCount() == 1 && ListView1.Selected(row) && ListView1.Focused() == row) return;
    ListView1.HoldView();
    ListView1.ScrollIntoView(row);
    ListView1.ClearSelection();
    ListView1.SetSelected(row, true);
    ListView1.SetFocused(row);
    ListView1.EndHold();
}

void TAppForm::EndOfPass() {
    // The pass ends when its last row has been sent: the cursor restore, the window coming back
    // and the next pass follow it.
    m_platform.FinishQueuedMouse();
    FollowSentRow();
    StatusBar1.SetPanelText(3, L"");
    if (RestoreMousePositionAfterEachLoop1.Checked()) m_platform.SetCursorPos(SavedCursorPos);
    // The fields are read now: changes made during the pass count.
    if (CheckBoxInfinite.Checked()) {
        PlayStepIndex = 0;
    } else if (SpinEdit1.Value() - 1 > 0) {
        SpinEdit1.SetValue(SpinEdit1.Value() - 1);  // counts down on screen and in the settings
        PlayStepIndex = 0;
    } else {
        RecordNormaleDon();
        TimerPlay.SetEnabled(false);
        m_playFrame.SetEnabled(false);
        ButtonPlay.SetImageIndex(kImagePlay);
        ButtonPlay.SetCaption(L"Play");
        StatusBar1.SetPanelText(2, L"");
        if (MinimizedRun) EnUsteGetir();
        if (RestoreMousePositionAfterCompletion1.Checked()) m_platform.SetCursorPos(SavedCursorPos);
        if (AutomaticallyClose1.Checked()) {
            CloseCountdown = 3;
            TimerCloseTimer();
            TimerClose.SetEnabled(true);
        }
    }
    if (TimerPlay.Enabled() && PlayStepIndex == 0 && SpinEdit3.Value() > 0) {
        m_playSchedule.Wait(static_cast<std::uint32_t>(SpinEdit3.Value()));
        m_waitedSinceQueued = true;
        TimerPlay.SetEnabled(false);
        TimerWait.SetInterval(static_cast<std::uint32_t>(SpinEdit3.Value()));
        TimerWait.SetEnabled(true);
        StatusBar1.SetPanelText(3, L"Waiting for Replay...");
    }
}

void TAppForm::TimerWaitTimer() {
    TimerWait.SetEnabled(false);
    TimerPlay.SetEnabled(true);  // the next row follows one full Step Delay after the pause
    // The schedule counts the pause from when its row was due: a pause row served late, while
    // rows were catching up, may leave the next row due already.
    if (m_playSchedule.Due(m_platform.MonotonicMicros() + PlanAheadUs())) TimerPlayTimer();
}

void TAppForm::TimerCloseTimer() {
    if (CloseCountdown == 0) {
        m_platform.Terminate();
        return;
    }
    StatusBar1.SetPanelText(3, L"Automatically Closing... (" + std::to_wstring(CloseCountdown) + L")");
    --CloseCountdown;
}

void TAppForm::CancelClosing() {
    // A run or a recording started during the countdown is the user's answer to it: closing
    // would end that activity and lose its rows without a word.
    if (!TimerClose.Enabled()) return;
    TimerClose.SetEnabled(false);
    CloseCountdown = 0;
    StatusBar1.SetPanelText(3, L"");
}

void TAppForm::Fare(std::int32_t x, std::int32_t y, std::wstring_view left, std::wstring_view right,
                    std::wstring_view middle) {
    m_platform.SendMouse(PlanClick(x, y, left, right, middle));
}

void TAppForm::EnUsteGetir() {
    // A run that minimized the window into the notification area brings it back from there.
    TrayIcon1.SetVisible(false);
    m_platform.RestoreApplication();
    m_platform.SetTopmost(m_window, true);
    m_platform.SetForegroundWindow(m_window);
    m_platform.SetTopmost(m_window, false);
}

void TAppForm::RecordEngelle() {
    for (Control* c : std::initializer_list<Control*>{&ButtonRecord, &RadioButton1, &RadioButton2, &Label1}) {
        c->SetEnabled(false);
    }
}

void TAppForm::RecordNormaleDon() {
    for (Control* c : std::initializer_list<Control*>{&ButtonRecord, &RadioButton1, &RadioButton2, &Label1}) {
        c->SetEnabled(true);
    }
}

}  // namespace orv
