// The step list: the one copy of the macro, as rows of six text cells with a selection and a
// focused row. Cell texts live in one shared character arena so that a typical recorded row
// costs a few dozen bytes and appending stays O(1) even with millions of rows.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace orv {

// The cells of one step, in column order.
enum StepCell : int { kCellX = 0, kCellY, kCellLeft, kCellRight, kCellMiddle, kCellWait, kCellCount };

// One step as plain texts: "", "X" or "XX" in the button cells; a row whose Wait is not empty
// is a pause row.
struct StepRow {
    std::array<std::wstring, kCellCount> cells;

    static StepRow Click(std::wstring x, std::wstring y, std::wstring left = L"", std::wstring right = L"",
                         std::wstring middle = L"") {
        return StepRow{{std::move(x), std::move(y), std::move(left), std::move(right), std::move(middle), L""}};
    }
    bool IsPause() const { return !cells[kCellWait].empty(); }
    bool operator==(const StepRow&) const = default;
};

class StepList {
public:
    // What changed, for the view.
    struct Change {
        enum Kind {
            kAppended,   // one row added at the end (`first`)
            kRows,       // rows from `first` on may differ; the selection must be read again
            kSelection,  // rows `first`..`last` are now selected (`selected`) or not
            kSelectionCleared,
            kFocus,           // the focus mark moved to `first` (kNone: no row)
            kSelectionReset,  // selection and focus may differ anywhere: read them again
        } kind;
        std::size_t first = 0;
        std::size_t last = 0;
        bool selected = false;
    };
    std::function<void(const Change&)> OnChange;
    // Asks the view to scroll a row fully into view.
    std::function<void(std::size_t)> OnScrollIntoView;
    // Asks the view to keep a row that moves on by itself (the playing row) in view, the way
    // FollowScrollTarget says; ShowHeld uses it when set, OnScrollIntoView otherwise.
    std::function<void(std::size_t)> OnFollowRow;

    std::size_t Count() const { return m_rows.size(); }
    bool Empty() const { return m_rows.empty(); }
    std::wstring_view Cell(std::size_t row, int cell) const;
    StepRow Row(std::size_t row) const;

    // Appends after the last row and scrolls it into view.
    void Append(const StepRow& row);
    void Append(std::wstring_view x, std::wstring_view y, std::wstring_view left, std::wstring_view right,
                std::wstring_view middle, std::wstring_view wait);
    void SetRow(std::size_t index, const StepRow& row);
    void Insert(std::size_t index, const StepRow& row);
    void Delete(std::size_t index);
    void Clear();
    // Removes the rows from `count` on, so that a load that failed half way adds nothing.
    void Truncate(std::size_t count);
    // Makes room for `rows` more rows holding `chars` more cell characters in all, so that a
    // loader that has counted them first fills the list without growing (and copying) it.
    void Reserve(std::size_t rows, std::size_t chars);

    // Selection and focus.
    bool Selected(std::size_t row) const { return m_selected[row] != 0; }
    std::size_t SelectedCount() const { return m_selectedCount; }
    static constexpr std::size_t kNone = static_cast<std::size_t>(-1);
    std::size_t FirstSelected() const;  // kNone when nothing is selected
    std::size_t Focused() const { return m_focused; }
    void SetSelected(std::size_t row, bool selected);
    void SetSelectedRange(std::size_t first, std::size_t last, bool selected);  // inclusive
    void ClearSelection();
    void SetFocused(std::size_t row);
    void ScrollIntoView(std::size_t row) {
        if (m_holding) {
            m_heldScroll = row;
        } else if (OnScrollIntoView) {
            OnScrollIntoView(row);
        }
    }

    // Held view updates. Playback moves the selection along up to a thousand rows a second
    // and the view follows at the display's pace: between HoldView and EndHold, selection,
    // focus and scroll changes reach the model only; ShowHeld brings the view in line with one
    // kSelectionReset and one scroll. Answers false when nothing was held.
    void HoldView() { m_holding = true; }
    void EndHold() { m_holding = false; }
    bool ShowHeld();

    // The row a view that shows `perPage` rows from `top` on should scroll fully into view so
    // that `row` stays visible while it moves on by itself, or kNone when it is visible already.
    // Below the view the page turns: the row comes to the top and stays visible for a page of
    // rows. Under Wine every scroll repaints the whole list (about 6 ms), so scrolling by the
    // least amount at every frame would cost more than a third of the time at 60 frames a second.
    static std::size_t FollowScrollTarget(std::size_t row, std::size_t top, std::size_t perPage,
                                          std::size_t count);

    // Removes every selected row; the others keep their order.
    void DeleteSelected();
    // Moves the first selected row to stand immediately before `target`; the moved row is
    // not selected afterwards. Nothing happens without a selection or a target.
    void MoveFirstSelectedBefore(std::size_t target);

    // Bytes held for the rows (arena, row table, selection), for the benchmark.
    std::size_t MemoryBytes() const;

private:
    struct Span {
        std::uint64_t offset;
        std::array<std::uint32_t, kCellCount> length;
    };
    Span Store(const std::array<std::wstring_view, kCellCount>& cells);
    void CompactIfWasteful();
    void Notify(Change::Kind kind, std::size_t first = 0, std::size_t last = 0, bool selected = false) {
        if (m_holding &&
            (kind == Change::kSelection || kind == Change::kSelectionCleared || kind == Change::kFocus)) {
            m_heldSelection = true;
            return;
        }
        if (OnChange) OnChange(Change{kind, first, last, selected});
    }

    std::wstring m_text;  // the character arena
    std::size_t m_liveChars = 0;
    std::vector<Span> m_rows;
    std::vector<std::uint8_t> m_selected;
    std::size_t m_selectedCount = 0;
    std::size_t m_focused = kNone;
    // Held view updates.
    bool m_holding = false;
    bool m_heldSelection = false;
    std::size_t m_heldScroll = kNone;
};

}  // namespace orv
