// The step list's own operations: reordering by drag and drop, deleting, selection.
#include "macro/step_list.h"

#include <gtest/gtest.h>

#include <cwchar>
#include <string>
#include <vector>

namespace orv {
namespace {

StepList ListOf(const std::wstring& names) {
    StepList list;
    for (wchar_t c : names) list.Append(StepRow::Click(std::wstring(1, c), L"0"));
    return list;
}

std::wstring Names(const StepList& list) {
    std::wstring names;
    for (std::size_t i = 0; i < list.Count(); ++i) names += list.Cell(i, kCellX);
    return names;
}

TEST(StepList, DragMovesTheFirstSelectedRowAboveTheTarget) {
    struct Case {
        const wchar_t* selected;
        std::size_t target;
        const wchar_t* order;
        const wchar_t* stillSelected;
    };
    const Case cases[] = {
        {L"B", 3, L"ACBD", L""},     // from above
        {L"D", 0, L"DABC", L""},     // from below
        {L"BD", 0, L"BACD", L"D"},   // only the first selected row moves
        {L"B", 1, L"ABCD", L""},     // dropped on itself
        {L"", 2, L"ABCD", L""},      // nothing selected
        {L"B", 4, L"ABCD", L"B"},    // below the last row: no target
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.selected, c.selected + std::wcslen(c.selected)) + " -> " + std::to_string(c.target));
        StepList list = ListOf(L"ABCD");
        for (const wchar_t* s = c.selected; *s; ++s) list.SetSelected(static_cast<std::size_t>(*s - L'A'), true);
        list.MoveFirstSelectedBefore(c.target);
        EXPECT_EQ(Names(list), c.order);
        std::wstring selected;
        for (std::size_t i = 0; i < list.Count(); ++i) {
            if (list.Selected(i)) selected += list.Cell(i, kCellX);
        }
        EXPECT_EQ(selected, c.stillSelected);
        EXPECT_EQ(list.SelectedCount(), selected.size());
    }
}

TEST(StepList, DeleteSelectedKeepsTheOrderOfTheRest) {
    StepList list = ListOf(L"ABCDE");
    list.SetSelected(1, true);
    list.SetSelected(3, true);
    list.SetFocused(4);
    list.DeleteSelected();
    EXPECT_EQ(Names(list), L"ACE");
    EXPECT_EQ(list.SelectedCount(), 0u);
    EXPECT_EQ(list.Focused(), 2u);  // E kept the focus mark
    EXPECT_EQ(list.FirstSelected(), StepList::kNone);
}

TEST(StepList, RowsKeepTheirTextThroughEditsDeletesAndCompaction) {
    StepList list;
    for (int i = 0; i < 5000; ++i) list.Append(StepRow::Click(std::to_wstring(i), std::to_wstring(-i), L"X"));
    for (int i = 0; i < 4000; ++i) list.Delete(0);  // forces the arena to compact
    list.SetRow(0, StepRow{{L"-", L"-", L"-", L"-", L"-", L"1.5"}});
    EXPECT_EQ(list.Count(), 1000u);
    EXPECT_TRUE(list.Row(0).IsPause());
    EXPECT_EQ(list.Row(1), StepRow::Click(L"4001", L"-4001", L"X"));
    EXPECT_EQ(list.Row(999), StepRow::Click(L"4999", L"-4999", L"X"));
}

TEST(StepList, AppendScrollsTheNewRowIntoView) {
    StepList list;
    std::vector<std::size_t> scrolled;
    list.OnScrollIntoView = [&](std::size_t row) { scrolled.push_back(row); };
    list.Append(StepRow::Click(L"1", L"2"));
    list.Append(StepRow::Click(L"3", L"4"));
    EXPECT_EQ(scrolled, (std::vector<std::size_t>{0, 1}));
}

TEST(StepList, AHeldPlayingRowIsFollowedBeforeTheSelectionIsShown) {
    // The view scrolls by itself, by the least amount, to a newly focused row it does not show;
    // following by pages only works when the follow-up comes first.
    StepList list = ListOf(L"abcdef");
    std::vector<std::string> calls;
    list.OnScrollIntoView = [&](std::size_t row) { calls.push_back("scroll " + std::to_string(row)); };
    list.OnFollowRow = [&](std::size_t row) { calls.push_back("follow " + std::to_string(row)); };
    list.OnChange = [&](const StepList::Change& change) {
        if (change.kind == StepList::Change::kSelectionReset) calls.push_back("selection");
    };
    list.HoldView();
    list.ScrollIntoView(4);
    list.SetSelected(4, true);
    list.SetFocused(4);
    list.EndHold();
    EXPECT_TRUE(calls.empty());
    EXPECT_TRUE(list.ShowHeld());
    EXPECT_EQ(calls, (std::vector<std::string>{"follow 4", "selection"}));
}

TEST(StepList, ThePlayingRowTurnsThePageInsteadOfScrollingEachFrame) {
    constexpr std::size_t kNone = StepList::kNone;
    struct Case {
        std::size_t row, top, perPage, count, target;
    } const cases[] = {
        {5, 0, 20, 100, kNone},    // visible
        {19, 0, 20, 100, kNone},   // the last visible row
        {20, 0, 20, 100, 39},      // just below: the next page, with the row on top
        {70, 0, 20, 100, 89},      // far below
        {90, 0, 20, 100, 99},      // near the end: the last row at the bottom
        {0, 80, 20, 100, 0},       // a new pass starts above: the row lands on top
        {3, 0, 0, 100, 3},         // a view with no room shows the row itself
        {100, 0, 20, 100, kNone},  // no such row
    };
    for (const Case& c : cases) {
        EXPECT_EQ(StepList::FollowScrollTarget(c.row, c.top, c.perPage, c.count), c.target)
            << "row " << c.row << " top " << c.top;
    }
}

}  // namespace
}  // namespace orv
