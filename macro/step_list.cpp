// Row storage, selection and the list operations of the step list.
#include "macro/step_list.h"

#include <algorithm>
#include <utility>

namespace orv {

std::wstring_view StepList::Cell(std::size_t row, int cell) const {
    const Span& span = m_rows[row];
    std::uint64_t offset = span.offset;
    for (int i = 0; i < cell; ++i) offset += span.length[static_cast<std::size_t>(i)];
    // Every span lies inside the arena, so no bounds check is needed here.
    return std::wstring_view(m_text.data() + static_cast<std::size_t>(offset), span.length[static_cast<std::size_t>(cell)]);
}

StepRow StepList::Row(std::size_t row) const {
    StepRow result;
    for (int i = 0; i < kCellCount; ++i) result.cells[static_cast<std::size_t>(i)] = std::wstring(Cell(row, i));
    return result;
}

StepList::Span StepList::Store(const std::array<std::wstring_view, kCellCount>& cells) {
    Span span{m_text.size(), {}};
    std::size_t total = 0;
    for (std::size_t i = 0; i < cells.size(); ++i) {
        span.length[i] = static_cast<std::uint32_t>(cells[i].size());
        total += cells[i].size();
    }
    // At most one reallocation per row, doubling as the string itself would. The cells are
    // copied into the new arena before the old one goes, so they may even be views of it.
    // Most recorded rows have three or four empty cells, which need no copy at all.
    if (m_text.capacity() - m_text.size() < total) {
        std::wstring grown;
        grown.reserve(std::max(m_text.size() + total, 2 * m_text.capacity()));
        grown.append(m_text);
        for (const std::wstring_view cell : cells) grown.append(cell);
        m_text.swap(grown);
    } else {
        for (const std::wstring_view cell : cells) {
            if (!cell.empty()) m_text.append(cell);
        }
    }
    m_liveChars += total;
    return span;
}

void StepList::CompactIfWasteful() {
    // Deleted and overwritten rows leave their text behind; copy the live text once the dead
    // part outweighs it, so memory stays proportional to the list.
    if (m_text.size() < 4096 || m_text.size() < 2 * m_liveChars) return;
    std::wstring compact;
    compact.reserve(m_liveChars + m_liveChars / 4);
    for (Span& span : m_rows) {
        std::uint64_t total = 0;
        for (std::uint32_t length : span.length) total += length;
        const std::uint64_t start = compact.size();
        compact.append(m_text, static_cast<std::size_t>(span.offset), static_cast<std::size_t>(total));
        span.offset = start;
    }
    m_text.swap(compact);
}

void StepList::Append(const StepRow& row) {
    Append(row.cells[0], row.cells[1], row.cells[2], row.cells[3], row.cells[4], row.cells[5]);
}

void StepList::Append(std::wstring_view x, std::wstring_view y, std::wstring_view left, std::wstring_view right,
                      std::wstring_view middle, std::wstring_view wait) {
    m_rows.push_back(Store({x, y, left, right, middle, wait}));
    m_selected.push_back(0);
    Notify(Change::kAppended, m_rows.size() - 1);
    ScrollIntoView(m_rows.size() - 1);
}

void StepList::SetRow(std::size_t index, const StepRow& row) {
    for (std::uint32_t length : m_rows[index].length) m_liveChars -= length;
    m_rows[index] = Store({row.cells[0], row.cells[1], row.cells[2], row.cells[3], row.cells[4], row.cells[5]});
    CompactIfWasteful();
    Notify(Change::kRows, index);
}

void StepList::Insert(std::size_t index, const StepRow& row) {
    const Span span = Store({row.cells[0], row.cells[1], row.cells[2], row.cells[3], row.cells[4], row.cells[5]});
    m_rows.insert(m_rows.begin() + static_cast<std::ptrdiff_t>(index), span);
    m_selected.insert(m_selected.begin() + static_cast<std::ptrdiff_t>(index), 0);
    if (m_focused != kNone && m_focused >= index) ++m_focused;
    Notify(Change::kRows, index);
}

void StepList::Delete(std::size_t index) {
    for (std::uint32_t length : m_rows[index].length) m_liveChars -= length;
    if (m_selected[index]) --m_selectedCount;
    m_rows.erase(m_rows.begin() + static_cast<std::ptrdiff_t>(index));
    m_selected.erase(m_selected.begin() + static_cast<std::ptrdiff_t>(index));
    if (m_focused == index) {
        m_focused = kNone;
    } else if (m_focused != kNone && m_focused > index) {
        --m_focused;
    }
    CompactIfWasteful();
    Notify(Change::kRows, index);
}

void StepList::Clear() {
    m_rows.clear();
    m_rows.shrink_to_fit();
    m_selected.clear();
    m_selected.shrink_to_fit();
    m_text.clear();
    m_text.shrink_to_fit();
    m_liveChars = 0;
    m_selectedCount = 0;
    m_focused = kNone;
    Notify(Change::kRows, 0);
}

void StepList::Truncate(std::size_t count) {
    if (count >= m_rows.size()) return;
    for (std::size_t row = count; row < m_rows.size(); ++row) {
        for (std::uint32_t length : m_rows[row].length) m_liveChars -= length;
        if (m_selected[row]) --m_selectedCount;
    }
    m_rows.resize(count);
    m_selected.resize(count);
    if (m_focused != kNone && m_focused >= count) m_focused = kNone;
    CompactIfWasteful();
    Notify(Change::kRows, count);
}

void StepList::Reserve(std::size_t rows, std::size_t chars) {
    m_rows.reserve(m_rows.size() + rows);
    m_selected.reserve(m_selected.size() + rows);
    m_text.reserve(m_text.size() + chars);
}

std::size_t StepList::FirstSelected() const {
    if (m_selectedCount == 0) return kNone;
    const auto it = std::find(m_selected.begin(), m_selected.end(), 1);
    return static_cast<std::size_t>(it - m_selected.begin());
}

void StepList::SetSelected(std::size_t row, bool selected) {
    if (row >= m_selected.size() || (m_selected[row] != 0) == selected) return;
    m_selected[row] = selected ? 1 : 0;
    selected ? ++m_selectedCount : --m_selectedCount;
    Notify(Change::kSelection, row, row, selected);
}

void StepList::SetSelectedRange(std::size_t first, std::size_t last, bool selected) {
    if (m_selected.empty()) return;
    last = std::min(last, m_selected.size() - 1);
    bool changed = false;
    for (std::size_t row = first; row <= last; ++row) {
        if ((m_selected[row] != 0) == selected) continue;
        m_selected[row] = selected ? 1 : 0;
        selected ? ++m_selectedCount : --m_selectedCount;
        changed = true;
    }
    if (changed) Notify(Change::kSelection, first, last, selected);
}

void StepList::ClearSelection() {
    if (m_selectedCount == 0) return;
    if (m_selectedCount == 1 && m_focused < m_selected.size() && m_selected[m_focused]) {
        SetSelected(m_focused, false);  // playback's case, without a search from the top
        return;
    }
    if (m_selectedCount <= 16) {
        // Playback moves a single selection along every step: name the few rows that change,
        // which the view can update one by one instead of visiting all of its rows.
        for (std::size_t row = FirstSelected(); m_selectedCount > 0 && row < m_selected.size(); ++row) {
            if (m_selected[row]) SetSelected(row, false);
        }
        return;
    }
    std::fill(m_selected.begin(), m_selected.end(), 0);
    m_selectedCount = 0;
    Notify(Change::kSelectionCleared);
}

bool StepList::ShowHeld() {
    const bool held = m_heldSelection || m_heldScroll != kNone;
    // The scroll first: the view may scroll by itself to a newly focused row that it does not
    // show, by the least amount, which is what following by pages avoids.
    if (m_heldScroll != kNone) {
        const std::size_t row = std::exchange(m_heldScroll, kNone);
        if (row < m_rows.size()) {
            if (OnFollowRow) {
                OnFollowRow(row);
            } else {
                ScrollIntoView(row);
            }
        }
    }
    if (m_heldSelection) {
        m_heldSelection = false;
        Notify(Change::kSelectionReset);
    }
    return held;
}

std::size_t StepList::FollowScrollTarget(std::size_t row, std::size_t top, std::size_t perPage,
                                         std::size_t count) {
    if (row >= count) return kNone;
    if (perPage == 0) return row;  // no room to show a page: just the row
    if (row >= top && row - top < perPage) return kNone;
    if (row < top) return row;  // scrolled up to, it lands at the top
    // Scrolled down to, the target lands at the bottom: a page on from the row puts the row on top.
    return std::min(count - 1, row + perPage - 1);
}

void StepList::SetFocused(std::size_t row) {
    if (row != kNone && row >= m_rows.size()) return;
    if (m_focused == row) return;
    m_focused = row;
    Notify(Change::kFocus, row);
}

void StepList::DeleteSelected() {
    if (m_selectedCount == 0) return;
    std::size_t kept = 0;
    std::size_t first = kNone;
    std::size_t newFocus = kNone;
    for (std::size_t row = 0; row < m_rows.size(); ++row) {
        if (m_selected[row]) {
            if (first == kNone) first = row;
            for (std::uint32_t length : m_rows[row].length) m_liveChars -= length;
            continue;
        }
        if (row == m_focused) newFocus = kept;
        m_rows[kept] = m_rows[row];
        m_selected[kept] = 0;
        ++kept;
    }
    m_rows.resize(kept);
    m_selected.resize(kept);
    m_selectedCount = 0;
    m_focused = newFocus;
    CompactIfWasteful();
    Notify(Change::kRows, first);
}

void StepList::MoveFirstSelectedBefore(std::size_t target) {
    const std::size_t source = FirstSelected();
    if (source == kNone || target >= m_rows.size()) return;
    // Insert a copy before the target, then delete the original: the copy is not selected.
    const StepRow row = Row(source);
    Insert(target, row);
    Delete(source < target ? source : source + 1);
}

std::size_t StepList::MemoryBytes() const {
    return m_text.capacity() * sizeof(wchar_t) + m_rows.capacity() * sizeof(Span) + m_selected.capacity();
}

}  // namespace orv
