// TFormEditStep: the step editor. It shows the first selected row of the step list as numbers
// and check boxes, and OK writes them into the row selected at that moment. It does not block
// the main window, so the selection may change while it is open.
#pragma once

#include <cstdint>
#include <functional>
#include <limits>

#include "core/controls.h"
#include "macro/step_list.h"

namespace orv {

class TFormEditStep : public Control {  // the caption of this control is the window caption
public:
    explicit TFormEditStep(StepList& list);

    TLabel LabelX, LabelY, LabelWait;
    TSpinEdit SpinEdit1{std::numeric_limits<std::int32_t>::min(), std::numeric_limits<std::int32_t>::max(), 0};
    TSpinEdit SpinEdit2{std::numeric_limits<std::int32_t>::min(), std::numeric_limits<std::int32_t>::max(), 0};
    TSpinEdit SpinEdit3{0, 999999999, 0};
    TCheckBox CheckBox1, CheckBox2, CheckBox3;  // left, right, middle button
    TCheckBox CheckBox4, CheckBox5, CheckBox6;  // "Double Click" for each
    TButton Button1;                            // OK
    TButton Button2;                            // Cancel (also Esc)

    // Asks the view to close the window.
    std::function<void()> OnClose;

    void FormCreate();
    void Button1Click();
    void Button2Click();

private:
    void ButtonBoxClick(TCheckBox& button, TCheckBox& doubleClick);
    StepList& m_list;
};

}  // namespace orv
