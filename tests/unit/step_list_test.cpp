// The step list's own operations: reordering by drag and drop, deleting, selection.
#include "macro/step_list.h"

#include <gtest/gtest.h>

#include <cwchar>

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

}  // namespace
}  // namespace orv
