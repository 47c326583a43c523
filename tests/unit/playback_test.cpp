// Playback on a virtual clock: when rows are performed, what input they send, passes, pauses,
// cursor restore and lock, stopping and the automatic close.
#include <gtest/gtest.h>

#include <algorithm>

#include "app/main_form.h"
#include "platform/fake/fake_platform.h"
#include "platform/mouse_input.h"
#include "playback/click_plan.h"
#include "playback/pause_time.h"
#include "playback/play_schedule.h"

namespace orv {
namespace {

StepRow Pause(const std::wstring& seconds) { return StepRow{{L"-", L"-", L"-", L"-", L"-", seconds}}; }

class PlaybackTest : public ::testing::Test {
protected:
    PlaybackTest() {
        os.InstallOwnVersionResource();
        form = std::make_unique<TAppForm>(os);
        form->FormCreate();
        form->StartTimers();
        os.Advance(2000);  // past the start-up timers
        os.log.clear();
        start = os.NowMs();
    }
    void Load(const std::vector<StepRow>& rows) {
        for (const StepRow& row : rows) form->ListView1.Append(row);
        form->PlayIcinHazirla();
    }
    // Times (from Play) at which the cursor was moved to a row's point.
    std::vector<std::uint64_t> MoveTimes() const {
        std::vector<std::uint64_t> times;
        for (const auto& sent : os.input) {
            if (sent.op.kind == MouseOp::kMove) times.push_back(sent.atMs - start);
        }
        return times;
    }
    long Count(const std::wstring& entry) const { return std::count(os.log.begin(), os.log.end(), entry); }
    // Rows handed to the input thread run this far behind the timer that wakes the player, so
    // that a late tick still hands its row over in time: `times` as such rows go out.
    static std::vector<std::uint64_t> Handed(std::vector<std::uint64_t> times) {
        for (std::uint64_t& t : times) t += 12;
        return times;
    }

    FakePlatform os;
    std::unique_ptr<TAppForm> form;
    std::uint64_t start = 0;
};

TEST(ClickPlan, MovesFirstThenClicksEachButtonInTurn) {
    using Ops = std::vector<MouseOp>;
    const MouseOp move{MouseOp::kMove, -1280, 20, 0};
    const auto b = [](std::uint32_t flag) { return MouseOp{MouseOp::kButton, 0, 0, flag}; };
    struct Case {
        const wchar_t *left, *right, *middle;
        Ops ops;
    };
    const Case cases[] = {
        {L"", L"", L"", {move}},
        {L"X", L"", L"", {move, b(kLeftDown), b(kLeftUp)}},
        {L"XX", L"X", L"", {move, b(kLeftDown), b(kLeftUp), b(kLeftDown), b(kLeftUp), b(kRightDown), b(kRightUp)}},
        {L"x", L"X ", L"XXX", {move}},
        {L"-", L"", L"X", {move, b(kMiddleDown), b(kMiddleUp)}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(PlanClick(-1280, 20, c.left, c.right, c.middle), c.ops);
    }
    EXPECT_EQ(PlanClick(0, 0, L"XX", L"XX", L"XX").size(), 13u);
}

TEST(MouseInput, SwappedButtonsTradeLeftAndRightOnly) {
    const std::uint32_t flags[] = {kLeftDown, kLeftUp, kRightDown, kRightUp, kMiddleDown, kMiddleUp};
    const std::uint32_t swapped[] = {kRightDown, kRightUp, kLeftDown, kLeftUp, kMiddleDown, kMiddleUp};
    for (std::size_t i = 0; i < std::size(flags); ++i) {
        EXPECT_EQ(PhysicalButtonFlag(flags[i], false), flags[i]);
        EXPECT_EQ(PhysicalButtonFlag(flags[i], true), swapped[i]);
    }
}

// The system turns a normalised value n back into origin + floor(n * extent / 65536).
std::int32_t PixelOf(std::int32_t value, std::int32_t origin, std::int32_t extent) {
    return origin + static_cast<std::int32_t>(std::int64_t{value} * extent / 65536);
}

TEST(MouseInput, AbsoluteCoordinatesHitEveryPixelOfTheVirtualDesktop) {
    struct Desk {
        std::int32_t origin, extent;
    };
    // One screen, odd sizes, a monitor left of the primary one, three wide screens.
    for (const Desk d :
         {Desk{0, 1280}, Desk{0, 800}, Desk{0, 1366}, Desk{-1920, 3840}, Desk{-1080, 1897}, Desk{0, 7680}}) {
        SCOPED_TRACE(std::to_string(d.origin) + "+" + std::to_string(d.extent));
        for (std::int32_t p = d.origin; p < d.origin + d.extent; ++p) {
            const std::int32_t v = AbsoluteMouseCoordinate(p, d.origin, d.extent);
            ASSERT_GE(v, 0);
            ASSERT_LE(v, 65535);
            ASSERT_EQ(PixelOf(v, d.origin, d.extent), p);
        }
    }
    // Off the desktop: held to its edge, as the cursor would be.
    EXPECT_EQ(PixelOf(AbsoluteMouseCoordinate(-5000, -1920, 3840), -1920, 3840), -1920);
    EXPECT_EQ(PixelOf(AbsoluteMouseCoordinate(9000, -1920, 3840), -1920, 3840), 1919);
}

TEST(PauseTime, ReadsSecondsWithPointOrCommaAndNeverStalls) {
    const std::pair<const wchar_t*, std::optional<std::uint32_t>> cases[] = {
        {L"1.5", 1500u},
        {L"1,5", 1500u},
        {L"2", 2000u},
        {L"0.0025", 2u},  // half to even
        {L"0.0035", 4u},
        {L"0.0001", 1u},               // rounds to 0: waits 1 ms instead
        {L"1e10", kMaxTimerInterval},  // beyond the timer range: held
        {L"0", std::nullopt},
        {L"-3", std::nullopt},
        {L"abc", std::nullopt},
        {L"", std::nullopt},
        // Rounded on the decimal digits as written: a double would land beside these halves.
        {L".5055", 506u},
        {L"2.0005", 2000u},
        {L"0,0025000000000000001", 3u},
        {L"1.0005e3", 1000500u},
        {L"2.5E-3", 2u},
        {L"1e1", 10000u},
        {L" 1,5 ", 1500u},
        {L"5.", 5000u},
        {L"+0.5", 500u},
        {L"2147483.6465", 2147483646u},
        {L"2147483.647", kMaxTimerInterval},
        {L"1e-400", 1u},
        {L"1e400", kMaxTimerInterval},
        {L"-0.0", std::nullopt},
        {L"0e5", std::nullopt},
        {L".", std::nullopt},
        {L"1e", std::nullopt},
        {L"1e+", std::nullopt},
        {L"1,000.5", std::nullopt},
        {L"0x10", std::nullopt},
        {L"\t1", std::nullopt},
        {L"1 5", std::nullopt},
        {L"inf", std::nullopt},
    };
    for (const auto& [text, ms] : cases) {
        EXPECT_EQ(PauseMilliseconds(text), ms) << testing::PrintToString(std::wstring(text));
    }
}

TEST(PlaySchedule, SlotsFallDueOnFixedDeadlinesAndAStallShiftsThem) {
    // One step of the schedule: take a slot at `takeAt` (or wait `waitMs` after the slot taken
    // last), then the next slot is due at `nextDue`. Times in microseconds.
    struct Op {
        std::int64_t takeAt;  // -1: Wait instead
        std::uint32_t waitMs;
        bool stalled;
        std::int64_t nextDue;
    };
    struct Case {
        const char* what;
        std::uint32_t stepMs;
        std::vector<Op> ops;
    };
    const Case cases[] = {
        {"on time", 1, {{1000, 0, false, 2000}, {2000, 0, false, 3000}}},
        {"late rows keep their deadlines", 1, {{1400, 0, false, 2000}, {2900, 0, false, 3000}}},
        // Up to 10 ms late the missed rows follow back to back; beyond it the schedule moves.
        {"short stall catches up", 1, {{11'000, 0, false, 2000}, {11'000, 0, false, 3000}}},
        {"long stall shifts", 1, {{11'001, 0, true, 12'001}, {12'001, 0, false, 13'001}}},
        {"a long step allows one step of lateness",
         100,
         {{200'000, 0, false, 200'000}, {300'000, 0, false, 300'000}, {400'001, 0, true, 500'001}}},
        {"a pause moves the schedule on", 1, {{1500, 0, false, 2000}, {-1, 1500, false, 1'502'000}}},
        {"a pause counts from the slot's deadline after a stall",
         1,
         {{20'000, 0, true, 21'000}, {-1, 5, false, 26'000}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        PlaySchedule schedule;
        schedule.Restart(0, c.stepMs);
        ASSERT_EQ(schedule.NextDue(), std::int64_t{c.stepMs} * 1000);
        for (const Op& op : c.ops) {
            if (op.takeAt < 0) {
                schedule.Wait(op.waitMs);
            } else {
                ASSERT_TRUE(schedule.Due(op.takeAt));
                EXPECT_EQ(schedule.Take(op.takeAt), op.stalled);
            }
            EXPECT_EQ(schedule.NextDue(), op.nextDue);
        }
    }
    {
        // A player that wakes 12 ms ahead of its slots: a stall is judged by how late the slot
        // itself is, not the wake-up, and the schedule restarts keeping the lead.
        PlaySchedule schedule;
        schedule.Restart(12'000, 10);  // woken first at 10 ms, the slot due at 22 ms
        ASSERT_TRUE(schedule.Due(25'000 + 12'000));
        EXPECT_FALSE(schedule.Take(25'000, 12'000));  // woken 15 ms late, the slot only 3 ms
        EXPECT_EQ(schedule.NextDue(), 32'000);
        ASSERT_TRUE(schedule.Due(45'001 + 12'000));
        EXPECT_TRUE(schedule.Take(45'001, 12'000));  // the slot 13 ms late
        EXPECT_EQ(schedule.NextDue(), 45'001 + 12'000 + 10'000);
    }
    // Never early beyond the clocks' rounding.
    PlaySchedule schedule;
    schedule.Restart(1'000'000, 10);
    EXPECT_FALSE(schedule.Due(1'010'000 - PlaySchedule::kEarlyUs - 1));
    EXPECT_TRUE(schedule.Due(1'010'000 - PlaySchedule::kEarlyUs));
}

TEST_F(PlaybackTest, RowsThatFellDueWhileOneWasSentFollowAtOnceAndALongStallShiftsTheSchedule) {
    struct Case {
        std::uint64_t firstRowCostUs;      // how long sending row 0 takes
        std::vector<std::uint64_t> moves;  // ms from Play, rows 0..7
    };
    const Case cases[] = {
        {0, Handed({1, 2, 3, 4, 5, 6, 7, 8})},
        // Busy 5 ms: rows 1..5 fell due meanwhile and go at once, rows 6 and 7 on their deadlines.
        {5000, Handed({1, 6, 6, 6, 6, 6, 7, 8})},
        // Busy 30 ms: no burst of the rows handed over meanwhile; they follow row 0 a step apart.
        {30'000, Handed({1, 31, 32, 33, 34, 35, 36, 37})},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.firstRowCostUs);
        os.input.clear();
        form->SpinEdit2.SetValue(1);
        form->ListView1.Clear();
        Load(std::vector<StepRow>(8, StepRow::Click(L"1", L"1")));
        start = os.NowMs();
        form->ButtonPlay.Click();
        os.nextSendMouseCostUs = c.firstRowCostUs;
        os.Advance(51);
        EXPECT_EQ(MoveTimes(), c.moves);
        EXPECT_EQ(form->ButtonPlay.Caption(), L"Play");
    }
}

TEST_F(PlaybackTest, RowsAreHandedOverAheadSentOnTimeAndTheRunEndsAfterTheLastOne) {
    form->SpinEdit2.SetValue(1);
    form->LockMouse1.Click();  // off: a locked row is played on this thread when due
    form->RestoreMousePositionAfterCompletion1.Click();
    Load({StepRow::Click(L"1", L"1"), StepRow::Click(L"2", L"2"), StepRow::Click(L"3", L"3"),
          StepRow::Click(L"4", L"4"), StepRow::Click(L"5", L"5"), StepRow::Click(L"6", L"6")});
    os.cursor = {50, 60};
    form->ButtonPlay.Click();
    os.Advance(1);
    EXPECT_GT(os.QueuedMouseCount(), 0u);  // the next rows wait on the input thread
    os.Advance(20);
    // The schedule runs 12 ms behind the timer that wakes the player, so that a late tick still
    // hands its row over in time.
    EXPECT_EQ(MoveTimes(), Handed({1, 2, 3, 4, 5, 6}));
    EXPECT_EQ(form->ButtonPlay.Caption(), L"Play");
    // The restore comes after the last row, not before the rows still queued.
    EXPECT_EQ(os.cursor, (Point{50, 60}));

    // Stopped: the rows handed over are not sent.
    os.input.clear();
    form->ButtonPlay.Click();
    os.Advance(2);
    ASSERT_GT(os.QueuedMouseCount(), 0u);
    form->ButtonPlay.Click();
    EXPECT_EQ(os.QueuedMouseCount(), 0u);
    const std::size_t sent = os.input.size();
    os.Advance(50);
    EXPECT_EQ(os.input.size(), sent);
}

TEST_F(PlaybackTest, APauseServedLateStillEndsOnItsSchedule) {
    form->SpinEdit2.SetValue(1);
    form->RestoreMousePositionAfterEachStep1.Click();  // rows played on this thread when due
    Load({StepRow::Click(L"1", L"1"), StepRow::Click(L"2", L"2"), Pause(L"0.010"),
          StepRow::Click(L"3", L"3")});
    form->ButtonPlay.Click();
    os.nextSendMouseCostUs = 3500;  // row 0 ends at 4.5 ms: rows 1 and 2 (the pause) go late
    os.Advance(30);
    // The pause row was due at 3 ms: the next row is due 10 ms + one step later, at 14 ms,
    // although the pause itself only ends at 14.5 ms.
    EXPECT_EQ(MoveTimes(), (std::vector<std::uint64_t>{1, 4, 14}));
}

TEST_F(PlaybackTest, AfterAPauseARowHandedOverKeepsItsDistanceFromARowSentLate) {
    form->SpinEdit2.SetValue(1);
    form->LockMouse1.Click();  // off: rows go to the input thread
    Load({StepRow::Click(L"1", L"1"), StepRow::Click(L"2", L"2"), Pause(L"0.010"),
          StepRow::Click(L"3", L"3"), StepRow::Click(L"4", L"4")});
    form->ButtonPlay.Click();
    os.nextSendMouseCostUs = 8000;  // row 0 (due at 13 ms) takes until 21 ms: row 1 goes 7 ms late
    os.Advance(60);
    // Row 2 is due 12 ms after row 1 (a step, the pause, a step) and keeps that distance from
    // row 1's late send; row 3 follows on its own deadline, caught up.
    EXPECT_EQ(MoveTimes(), Handed({1, 9, 21, 21}));
}

TEST_F(PlaybackTest, TheListViewFollowsThePlayingRowAtTheDisplaysPace) {
    form->SpinEdit2.SetValue(1);
    form->LockMouse1.Click();  // off: rows are handed over ahead of their time
    std::vector<StepRow> rows(1000, StepRow::Click(L"1", L"1"));
    rows[600] = Pause(L"0.5");
    Load(rows);
    std::vector<std::size_t> scrolls;
    int viewChanges = 0;
    form->ListView1.OnScrollIntoView = [&](std::size_t row) { scrolls.push_back(row); };
    form->ListView1.OnChange = [&](const StepList::Change&) { ++viewChanges; };
    form->ButtonPlay.Click();
    const std::size_t lastClickAt = Handed({600})[0];  // row 599, just before the pause row
    for (std::size_t ms = 1; ms <= lastClickAt; ++ms) {
        os.Advance(1);
        // The model holds a row sent at most a frame ago (at each tick of the player, the row
        // sent last), never one only handed over to be sent.
        const std::size_t sent = MoveTimes().size();
        if (sent == 0) continue;
        const std::size_t focused = form->ListView1.Focused();
        ASSERT_LE(focused, sent - 1) << ms;
        ASSERT_GE(focused + 17, sent - 1) << ms;
        if (ms < lastClickAt - 100) {
            ASSERT_EQ(focused, sent - 1) << ms;  // the pause row is not handed over yet
        }
        ASSERT_TRUE(form->ListView1.Selected(focused));
        ASSERT_EQ(form->ListView1.SelectedCount(), 1u);
    }
    // About 60 frames a second, not one per row.
    EXPECT_GE(scrolls.size(), 30u);
    EXPECT_LE(scrolls.size(), 40u);
    EXPECT_LE(viewChanges, 40);
    os.Advance(17);  // the pause row is shown within a frame of its time
    EXPECT_EQ(scrolls.back(), 600u);
    const int changesAtPause = viewChanges;
    os.Advance(400);  // the frames of the pause leave the view alone
    EXPECT_EQ(viewChanges, changesAtPause);
    os.Advance(150);
    form->ButtonPlay.Click();  // Stop shows the row it stopped at: the last one sent
    const std::size_t stoppedAt = form->ListView1.Focused();
    EXPECT_GT(stoppedAt, 600u);
    EXPECT_EQ(stoppedAt, MoveTimes().size());  // rows 0..599 and the pause row 600 sent nothing
    EXPECT_EQ(scrolls.back(), stoppedAt);
    const std::size_t sent = os.input.size();
    os.Advance(1000);
    EXPECT_EQ(os.input.size(), sent);  // nothing after Stop
}

TEST_F(PlaybackTest, RowsFollowTheStepDelayPausesAndPasses) {
    form->SpinEdit2.SetValue(100);
    form->SpinEdit3.SetValue(500);
    form->SpinEdit1.SetValue(2);
    Load({StepRow::Click(L"1", L"1", L"X"), StepRow::Click(L"2", L"2"), Pause(L"1,5"), StepRow::Click(L"3", L"3")});
    form->ButtonPlay.Click();
    EXPECT_EQ(form->ButtonPlay.Caption(), L"Stop");
    EXPECT_EQ(form->StatusBar1.PanelText(2), L"STOP: Ctrl + Alt + P");
    EXPECT_EQ(form->StatusBar1.PanelText(3), L"Playing...");
    EXPECT_FALSE(form->ButtonRecord.Enabled());
    EXPECT_FALSE(form->Label1.Enabled());

    os.Advance(2000);  // first pass ends at 2000
    EXPECT_EQ(form->SpinEdit1.Value(), 1);
    EXPECT_EQ(form->StatusBar1.PanelText(3), L"Waiting for Replay...");
    os.Advance(3000);
    // Pause of 1.5 s at 300 -> next row at 300 + 1500 + 100; end of pass 100 later; the next
    // pass 500 + 100 after that.
    EXPECT_EQ(MoveTimes(), Handed({100, 200, 1900, 2600, 2700, 4400}));
    EXPECT_EQ(form->ButtonPlay.Caption(), L"Play");
    EXPECT_TRUE(form->ButtonRecord.Enabled());
    EXPECT_EQ(form->StatusBar1.PanelText(2), L"");
    EXPECT_NE(os.FileBytes(L"C:\\Program Files\\Orvalin\\settings.ini").find("Loop=1\r\n"), std::string::npos);
    EXPECT_TRUE(form->ListView1.Selected(3));
    EXPECT_EQ(form->ListView1.SelectedCount(), 1u);
}

TEST_F(PlaybackTest, ABrokenRowBeepsAndTheNextOneStillPlays) {
    Load({StepRow::Click(L"-", L"5", L"X"), StepRow::Click(L"7", L"8", L"X")});
    form->LockMouse1.SetChecked(true);
    form->RestoreMousePositionAfterEachStep1.Click();  // rows played on this thread, locked
    os.failNextMouse = false;
    form->ButtonPlay.Click();
    os.Advance(100);
    EXPECT_EQ(Count(L"Beep 0"), 1);
    EXPECT_TRUE(os.input.empty());
    os.failNextMouse = true;  // the second row's input fails: the lock is released anyway
    os.Advance(100);
    EXPECT_EQ(Count(L"Beep 0"), 2);
    EXPECT_EQ(os.log.back(), L"Beep 0");
    EXPECT_EQ(Count(L"ClipCursor 7,8"), 1);
    EXPECT_EQ(Count(L"ClipCursor off"), 1);

    // Handed to the input thread, a row is one indivisible input and needs no lock around it; a
    // failing one beeps there and the run goes on.
    os.Advance(200);  // the run ends
    form->RestoreMousePositionNone1.Click();
    os.log.clear();
    os.input.clear();
    form->ButtonPlay.Click();  // Play again: the first run has ended
    os.failNextMouse = false;
    os.Advance(150);
    os.failNextMouse = true;
    os.Advance(100);
    EXPECT_EQ(Count(L"Beep 0"), 2);
    EXPECT_TRUE(os.input.empty());
    EXPECT_EQ(Count(L"ClipCursor 7,8"), 0);
}

TEST_F(PlaybackTest, PauseRowsWaitWithoutClickingWhateverElseTheyHold) {
    Load({StepRow{{L"5", L"5", L"X", L"", L"", L"2"}}, Pause(L"abc"), StepRow::Click(L"1", L"1")});
    form->ButtonPlay.Click();
    os.Advance(2400);
    // Row 0 at 100 pauses 2 s; "abc" at 2200 takes its tick without a pause; row 2 at 2300.
    EXPECT_EQ(MoveTimes(), Handed({2300}));
    EXPECT_EQ(Count(L"Beep 0"), 0);
}

TEST_F(PlaybackTest, StoppingDuringAPauseStopsAtOnceAndTheNextRunStartsAtTheTop) {
    Load({StepRow::Click(L"1", L"1"), Pause(L"5"), StepRow::Click(L"2", L"2")});
    form->ButtonPlay.Click();
    os.Advance(1000);
    form->ButtonPlay.Click();
    EXPECT_EQ(form->ButtonPlay.Caption(), L"Play");
    EXPECT_FALSE(form->TimerWait.Enabled());
    EXPECT_FALSE(form->TimerPlay.Enabled());
    os.Advance(10000);
    form->ButtonPlay.Click();
    os.Advance(200);
    EXPECT_EQ(MoveTimes(), Handed({100, 11100}));
}

TEST_F(PlaybackTest, RestoreModesPutTheCursorBack) {
    struct Case {
        TMenuItem TAppForm::*item;
        bool stopByUser;
        std::vector<std::wstring> restores;
    };
    const Case cases[] = {
        {&TAppForm::RestoreMousePositionAfterEachStep1, false, {L"SetCursorPos 50,60", L"SetCursorPos 50,60"}},
        // Each pass saves the position at its first tick, before that row moves the cursor.
        {&TAppForm::RestoreMousePositionAfterEachLoop1, false, {L"SetCursorPos 50,60", L"SetCursorPos 50,60"}},
        {&TAppForm::RestoreMousePositionAfterCompletion1, false, {L"SetCursorPos 50,60"}},
        {&TAppForm::RestoreMousePositionAfterCompletion1, true, {}},
        {&TAppForm::RestoreMousePositionNone1, false, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.restores.size());
        os = FakePlatform();
        os.InstallOwnVersionResource();
        form = std::make_unique<TAppForm>(os);
        form->FormCreate();
        start = os.NowMs();
        (form.get()->*c.item).Click();
        form->SpinEdit1.SetValue(2);
        form->SpinEdit3.SetValue(0);
        Load({StepRow::Click(L"1", L"1"), StepRow::Click(L"2", L"2")});
        os.cursor = {50, 60};
        os.log.clear();
        form->ButtonPlay.Click();
        os.Advance(c.stopByUser ? 250 : 700);
        if (c.stopByUser) form->ButtonPlay.Click();
        std::vector<std::wstring> restores;
        for (const auto& entry : os.log) {
            if (entry.rfind(L"SetCursorPos", 0) == 0) restores.push_back(entry);
        }
        if (c.item == &TAppForm::RestoreMousePositionAfterEachStep1) {
            EXPECT_EQ(restores.size(), 4u);  // after every click row of both passes
            EXPECT_EQ(restores[0], L"SetCursorPos 50,60");
        } else {
            EXPECT_EQ(restores, c.restores);
        }
    }
}

TEST_F(PlaybackTest, InfiniteRunsUntilStoppedAndLeavesTheLoopFieldAlone) {
    form->SpinEdit1.SetValue(3);
    form->CheckBoxInfinite.SetChecked(true);
    form->SpinEdit3.SetValue(0);
    Load({StepRow::Click(L"1", L"1")});
    form->ButtonPlay.Click();
    os.Advance(2000);
    EXPECT_EQ(MoveTimes().size(), 10u);  // a row and an end of pass per pass
    EXPECT_EQ(form->SpinEdit1.Value(), 3);
    EXPECT_EQ(form->ButtonPlay.Caption(), L"Stop");
}

TEST_F(PlaybackTest, AutomaticCloseCountsDownAfterAFinishedRun) {
    form->AutomaticallyClose1.Click();
    Load({StepRow::Click(L"1", L"1")});
    form->ButtonPlay.Click();
    os.Advance(200);
    EXPECT_EQ(form->StatusBar1.PanelText(3), L"Automatically Closing... (3)");
    os.Advance(1000);
    EXPECT_EQ(form->StatusBar1.PanelText(3), L"Automatically Closing... (2)");
    os.Advance(1000);
    EXPECT_EQ(form->StatusBar1.PanelText(3), L"Automatically Closing... (1)");
    EXPECT_EQ(Count(L"Terminate"), 0);
    os.Advance(1000);
    EXPECT_EQ(Count(L"Terminate"), 1);
}

TEST_F(PlaybackTest, StartingARunOrARecordingCancelsTheClosingCountdown) {
    for (const bool record : {false, true}) {
        SCOPED_TRACE(record ? "record" : "play");
        form->AutomaticallyClose1.SetChecked(true);
        form->CheckBoxInfinite.SetChecked(false);
        form->ListView1.Clear();
        Load({StepRow::Click(L"1", L"1")});
        form->ButtonPlay.Click();
        os.Advance(200);
        ASSERT_EQ(form->StatusBar1.PanelText(3), L"Automatically Closing... (3)");

        form->CheckBoxInfinite.SetChecked(true);  // the new run lasts until stopped
        TButton& button = record ? form->ButtonRecord : form->ButtonPlay;
        button.Click();
        EXPECT_EQ(form->StatusBar1.PanelText(3), record ? L"Recording..." : L"Playing...");
        os.Advance(5000);
        EXPECT_EQ(Count(L"Terminate"), 0);
        EXPECT_EQ(button.Caption(), L"Stop");
        button.Click();
        os.Advance(5000);
        EXPECT_EQ(Count(L"Terminate"), 0);
    }
}

TEST_F(PlaybackTest, AStepDelayTypedDuringARunAppliesOnceTheFieldSettles) {
    std::vector<StepRow> rows(100, StepRow::Click(L"1", L"1"));
    Load(rows);
    form->ButtonPlay.Click();
    os.Advance(1050);
    ASSERT_EQ(MoveTimes().size(), 10u);
    // Typing 250 one key at a time: every keystroke is saved, none plays rows at 2 or 25 ms.
    for (const int typed : {2, 25, 250}) {
        if (typed != 2) os.Advance(100);
        form->SpinEdit2.SetValue(typed);
        EXPECT_NE(os.FileBytes(L"C:\\Program Files\\Orvalin\\settings.ini")
                      .find("StepDelay=" + std::to_string(typed) + "\r\n"),
                  std::string::npos);
    }
    os.Advance(1262);  // past 2500; the field was last changed at 1250 and settles at 1750
    const std::vector<std::uint64_t> times = MoveTimes();
    EXPECT_EQ(std::vector<std::uint64_t>(times.begin() + 10, times.end()),
              Handed({1100, 1200, 1300, 1400, 1500, 1600, 1700, 2000, 2250, 2500}));

    // A run started before the field settled takes the value as it reads.
    form->SpinEdit2.SetValue(40);
    form->ButtonPlay.Click();
    form->ButtonPlay.Click();
    const std::uint64_t restart = os.NowMs() - start;
    os.Advance(100);
    EXPECT_EQ(MoveTimes().back(), Handed({restart + 80})[0]);
}

TEST_F(PlaybackTest, ANewStepDelayFollowsTheRowsAlreadyHandedOverByAWholeStep) {
    // At 10 ms the input thread holds rows up to 100 ms ahead when the field settles on 50.
    form->SpinEdit2.SetValue(10);
    Load(std::vector<StepRow>(200, StepRow::Click(L"1", L"1")));
    form->ButtonPlay.Click();
    os.Advance(300);
    form->SpinEdit2.SetValue(50);
    os.Advance(1500);
    const std::vector<std::uint64_t> times = MoveTimes();
    ASSERT_GT(times.size(), 90u);
    std::size_t slow = 0;
    for (std::size_t i = 1; i < times.size(); ++i) {
        const std::uint64_t gap = times[i] - times[i - 1];
        ASSERT_TRUE(gap == 10 || gap == 50) << "row " << i << " came " << gap << " ms after the one before";
        if (gap == 50) ++slow;
    }
    EXPECT_GE(slow, 15u);
    // Settled at 800 ms: handed over then were the rows due up to 900 ms.
    EXPECT_EQ(times[times.size() - slow - 1], Handed({880})[0]);
}

TEST_F(PlaybackTest, ThePlayerNeverWaitsForAnInputThreadThatFellBehind) {
    form->SpinEdit2.SetValue(1);
    form->SpinEdit1.SetValue(2);
    std::vector<StepRow> rows;
    for (int i = 0; i < 200; ++i) rows.push_back(StepRow::Click(std::to_wstring(i), L"1", L"X"));
    Load(rows);
    os.sendMouseCostUs = 3000;  // the system takes a row every 3 ms; the Step Delay asks for 1
    form->ButtonPlay.Click();
    os.Advance(3000);
    EXPECT_EQ(form->ButtonPlay.Caption(), L"Play");
    // Both passes whole and in order; the end of the first one waited for its last row, but
    // the window was never held up waiting for it.
    std::vector<std::int32_t> xs;
    for (const auto& sent : os.input) {
        if (sent.op.kind == MouseOp::kMove) xs.push_back(sent.op.x);
    }
    ASSERT_EQ(xs.size(), 400u);
    for (std::size_t i = 0; i < xs.size(); ++i) ASSERT_EQ(xs[i], static_cast<std::int32_t>(i % 200)) << i;
    EXPECT_EQ(os.finishQueuedMouseWaitedUs, 0u);
}

TEST_F(PlaybackTest, MinimizeAndPlayBringsTheWindowBackWhenTheRunEnds) {
    Load({StepRow::Click(L"1", L"1")});
    form->LockMouse1.Click();  // off, to keep the log to the window
    form->MinimizeandPlay1.Click();
    EXPECT_EQ(Count(L"Minimize"), 1);
    os.Advance(200);
    EXPECT_EQ(os.log, (std::vector<std::wstring>{L"Minimize", L"Restore", L"SetTopmost on", L"SetForeground",
                                                 L"SetTopmost off"}));
    // Stopped with the Play button instead: the window stays where it is.
    os.log.clear();
    form->MinimizeandPlay1.Click();
    form->ButtonPlay.Click();
    EXPECT_EQ(os.log, (std::vector<std::wstring>{L"Minimize"}));
}

TEST_F(PlaybackTest, ClearingDuringARunStopsItFirst) {
    Load({StepRow::Click(L"1", L"1")});
    form->CheckBoxInfinite.SetChecked(true);
    form->ButtonPlay.Click();
    form->ButtonClear.Click();
    EXPECT_EQ(form->ButtonPlay.Caption(), L"Play");
    EXPECT_FALSE(form->TimerPlay.Enabled());
    EXPECT_FALSE(form->ButtonPlay.Enabled());
    EXPECT_TRUE(form->ButtonRecord.Enabled());
}

TEST_F(PlaybackTest, AnEmptyListPlaysPassesOfEndTicksOnly) {
    form->SpinEdit1.SetValue(3);
    form->SpinEdit3.SetValue(0);
    form->PlayIcinHazirla();
    form->ButtonPlay.Click();
    os.Advance(299);
    EXPECT_EQ(form->ButtonPlay.Caption(), L"Stop");
    os.Advance(1);
    EXPECT_EQ(form->ButtonPlay.Caption(), L"Play");
}

}  // namespace
}  // namespace orv
