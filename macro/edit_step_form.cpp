// Filling the step editor from a row and writing it back.
#include "macro/edit_step_form.h"

#include <string_view>

namespace orv {
namespace {

// A cell read as a decimal integer: an optional sign and ASCII digits within the 32-bit range,
// nothing else. "$10" and "0x10" are not numbers here (the settings file's hexadecimal forms do
// not belong to cells), so they and every other text read as 0.
std::int64_t IntegerOrZero(std::wstring_view text) {
    const bool negative = !text.empty() && text.front() == L'-';
    if (!text.empty() && (text.front() == L'-' || text.front() == L'+')) text.remove_prefix(1);
    if (text.empty()) return 0;
    const std::int64_t limit = negative ? 2147483648LL : 2147483647LL;
    std::int64_t magnitude = 0;
    for (const wchar_t c : text) {
        if (c < L'0' || c > L'9') return 0;
        magnitude = magnitude * 10 + (c - L'0');
        if (magnitude > limit) return 0;  // checked per digit, so it cannot overflow
    }
    return negative ? -magnitude : magnitude;
}

const wchar_t* ButtonCell(const TCheckBox& button, const TCheckBox& doubleClick) {
    if (!button.Checked()) return L"";
    return doubleClick.Checked() ? L"XX" : L"X";
}

}  // namespace

TFormEditStep::TFormEditStep(StepList& list) : m_list(list) {
    SetCaption(L"Edit");
    LabelX.SetCaption(L"X Position");
    LabelY.SetCaption(L"Y Position");
    LabelWait.SetCaption(L"Wait (sec)");
    CheckBox1.SetCaption(L"Left Mouse Button");
    CheckBox2.SetCaption(L"Right Mouse Button");
    CheckBox3.SetCaption(L"Middle Mouse Button");
    for (TCheckBox* box : {&CheckBox4, &CheckBox5, &CheckBox6}) {
        box->SetCaption(L"Double Click");
        box->SetEnabled(false);
    }
    Button1.SetCaption(L"OK");
    Button2.SetCaption(L"Cancel");
    CheckBox1.OnClick = [this] { ButtonBoxClick(CheckBox1, CheckBox4); };
    CheckBox2.OnClick = [this] { ButtonBoxClick(CheckBox2, CheckBox5); };
    CheckBox3.OnClick = [this] { ButtonBoxClick(CheckBox3, CheckBox6); };
    Button1.OnClick = [this] { Button1Click(); };
    Button2.OnClick = [this] { Button2Click(); };
}

void TFormEditStep::ButtonBoxClick(TCheckBox& button, TCheckBox& doubleClick) {
    if (button.Checked()) {
        doubleClick.SetEnabled(true);
    } else {
        doubleClick.SetChecked(false);
        doubleClick.SetEnabled(false);
    }
}

void TFormEditStep::FormCreate() {
    const std::size_t row = m_list.FirstSelected();
    if (row == StepList::kNone) return;
    SpinEdit1.SetValue(IntegerOrZero(m_list.Cell(row, kCellX)));
    SpinEdit2.SetValue(IntegerOrZero(m_list.Cell(row, kCellY)));
    const struct {
        int cell;
        TCheckBox* button;
        TCheckBox* doubleClick;
    } buttons[] = {{kCellLeft, &CheckBox1, &CheckBox4},
                   {kCellRight, &CheckBox2, &CheckBox5},
                   {kCellMiddle, &CheckBox3, &CheckBox6}};
    for (const auto& b : buttons) {
        const std::wstring_view cell = m_list.Cell(row, b.cell);
        if (cell == L"X" || cell == L"XX") b.button->SetChecked(true);
        if (cell == L"XX") b.doubleClick->SetChecked(true);
    }
    SpinEdit3.SetValue(IntegerOrZero(m_list.Cell(row, kCellWait)));
}

void TFormEditStep::Button1Click() {
    const std::size_t row = m_list.FirstSelected();
    if (row == StepList::kNone) return;  // the editor stays open
    StepRow step;
    step.cells[kCellX] = std::to_wstring(SpinEdit1.Value());
    step.cells[kCellY] = std::to_wstring(SpinEdit2.Value());
    step.cells[kCellLeft] = ButtonCell(CheckBox1, CheckBox4);
    step.cells[kCellRight] = ButtonCell(CheckBox2, CheckBox5);
    step.cells[kCellMiddle] = ButtonCell(CheckBox3, CheckBox6);
    step.cells[kCellWait] = SpinEdit3.Value() != 0 ? std::to_wstring(SpinEdit3.Value()) : L"";
    m_list.SetRow(row, step);
    if (OnClose) OnClose();
}

void TFormEditStep::Button2Click() {
    if (OnClose) OnClose();
}

}  // namespace orv
