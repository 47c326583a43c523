// The step editor window: layout at the window's DPI and forwarding to TFormEditStep.
#include "macro/edit_step_form_win32.h"

#include <commctrl.h>

namespace orv {
namespace {

constexpr wchar_t kClassName[] = L"TFormEditStep";
constexpr int kClientWidth = 395;
constexpr int kClientHeight = 221;

enum : int {
    kLabelX = 201,
    kSpinEdit1,
    kSpinEdit1UpDown,
    kLabelY,
    kSpinEdit2,
    kSpinEdit2UpDown,
    kLabelWait,
    kSpinEdit3,
    kSpinEdit3UpDown,
    kCheckBox1,
    kCheckBox2,
    kCheckBox3,
    kCheckBox4,
    kCheckBox5,
    kCheckBox6,
};

}  // namespace

void StepEditorWindow::Open(std::unique_ptr<TFormEditStep> form, HWND owner, Win32Platform& platform) {
    win32::RegisterWindowClassOnce(kClassName, WndProc);
    auto* window = new StepEditorWindow(std::move(form), platform);  // deleted at WM_NCDESTROY
    const DWORD style = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
    const DWORD exStyle = WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT;
    window->m_dpi = win32::WindowDpi(owner);
    RECT rect = {0, 0, window->S(kClientWidth), window->S(kClientHeight)};
    win32::AdjustForDpi(rect, style, exStyle, false, window->m_dpi);
    HWND hwnd = CreateWindowExW(exStyle, kClassName, window->m_form->Caption().c_str(), style, 0, 0,
                                rect.right - rect.left, rect.bottom - rect.top, owner, nullptr,
                                GetModuleHandleW(nullptr), window);
    if (!hwnd) {
        delete window;
        return;
    }
    win32::CentreOver(hwnd, owner);
    ShowWindow(hwnd, SW_SHOW);
    SetFocus(window->m_spins.front().Edit());
}

void StepEditorWindow::CreateControls() {
    HINSTANCE instance = GetModuleHandleW(nullptr);
    const auto add = [&](const wchar_t* cls, const Control& model, DWORD style, int id) {
        HWND hwnd = CreateWindowExW(0, cls, model.Caption().c_str(), WS_CHILD | WS_VISIBLE | style, 0, 0, 10, 10,
                                    m_hwnd, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance, nullptr);
        win32::MirrorText(hwnd, model);
        return hwnd;
    };
    TFormEditStep& f = *m_form;
    // Creation order is the tab order.
    add(WC_STATICW, f.LabelX, SS_LEFT, kLabelX);
    m_spins.emplace_back().Create(m_hwnd, kSpinEdit1, kSpinEdit1UpDown, f.SpinEdit1, true);
    add(WC_STATICW, f.LabelY, SS_LEFT, kLabelY);
    m_spins.emplace_back().Create(m_hwnd, kSpinEdit2, kSpinEdit2UpDown, f.SpinEdit2, true);
    add(WC_STATICW, f.LabelWait, SS_LEFT, kLabelWait);
    m_spins.emplace_back().Create(m_hwnd, kSpinEdit3, kSpinEdit3UpDown, f.SpinEdit3, false);
    const std::pair<TCheckBox*, int> boxes[] = {{&f.CheckBox1, kCheckBox1}, {&f.CheckBox2, kCheckBox2},
                                                {&f.CheckBox3, kCheckBox3}, {&f.CheckBox4, kCheckBox4},
                                                {&f.CheckBox5, kCheckBox5}, {&f.CheckBox6, kCheckBox6}};
    for (auto [box, id] : boxes) {
        HWND hwnd = add(WC_BUTTONW, *box, BS_AUTOCHECKBOX | WS_TABSTOP, id);
        win32::MirrorCheck(hwnd, *box, box->Checked());
        TCheckBox* model = box;
        box->OnViewUpdate = [hwnd, model] { win32::MirrorCheck(hwnd, *model, model->Checked()); };
    }
    add(WC_BUTTONW, f.Button1, BS_DEFPUSHBUTTON | WS_TABSTOP, IDOK);
    add(WC_BUTTONW, f.Button2, BS_PUSHBUTTON | WS_TABSTOP, IDCANCEL);
    for (win32::SpinView& spin : m_spins) {
        win32::SpinView* p = &spin;
        spin.Model().OnViewUpdate = [p] { p->Mirror(); };
        spin.Mirror();
    }
    f.OnClose = [this] { DestroyWindow(m_hwnd); };

    if (m_font) DeleteObject(m_font);
    m_font = win32::CreateUiFont(L"Segoe UI", S(12), FW_NORMAL);
    for (HWND child = GetWindow(m_hwnd, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(m_font), FALSE);
    }
    Layout();
}

void StepEditorWindow::Layout() {
    const auto place = [&](int id, int x, int y, int w, int h) {
        SetWindowPos(GetDlgItem(m_hwnd, id), nullptr, S(x), S(y), S(w), S(h), SWP_NOZORDER | SWP_NOACTIVATE);
    };
    place(kLabelX, 8, 8, 121, 18);
    place(kSpinEdit1, 8, 29, 121, 23);
    place(kLabelY, 8, 64, 121, 18);
    place(kSpinEdit2, 8, 85, 121, 23);
    place(kLabelWait, 8, 120, 121, 18);
    place(kSpinEdit3, 8, 141, 121, 23);
    place(kCheckBox1, 140, 29, 145, 23);
    place(kCheckBox2, 140, 60, 145, 23);
    place(kCheckBox3, 140, 91, 145, 23);
    place(kCheckBox4, 291, 29, 100, 23);
    place(kCheckBox5, 291, 60, 100, 23);
    place(kCheckBox6, 291, 91, 100, 23);
    place(IDOK, 8, 184, 121, 25);
    place(IDCANCEL, 140, 184, 121, 25);
    for (const win32::SpinView& spin : m_spins) {
        SendMessageW(spin.UpDown(), UDM_SETBUDDY, reinterpret_cast<WPARAM>(spin.Edit()), 0);
    }
}

void StepEditorWindow::OnCommand(int id, int code, HWND control) {
    for (win32::SpinView& spin : m_spins) {
        if (spin.OnCommand(id, code)) return;
    }
    TFormEditStep& f = *m_form;
    if (id == IDOK && (code == BN_CLICKED || !control)) {
        // A field whose text is not a number counts as 0.
        for (win32::SpinView& spin : m_spins) spin.Commit(0);
        f.Button1.Click();
        return;
    }
    if (id == IDCANCEL) {
        f.Button2.Click();
        return;
    }
    if (code != BN_CLICKED || !control) return;
    TCheckBox* boxes[] = {&f.CheckBox1, &f.CheckBox2, &f.CheckBox3, &f.CheckBox4, &f.CheckBox5, &f.CheckBox6};
    if (id >= kCheckBox1 && id <= kCheckBox6) {
        boxes[id - kCheckBox1]->SetChecked(SendMessageW(control, BM_GETCHECK, 0, 0) == BST_CHECKED);
    }
}

LRESULT CALLBACK StepEditorWindow::WndProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_NCCREATE) {
        auto* self = static_cast<StepEditorWindow*>(reinterpret_cast<CREATESTRUCTW*>(lp)->lpCreateParams);
        self->m_hwnd = hwnd;
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    }
    auto* self = reinterpret_cast<StepEditorWindow*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (!self) return DefWindowProcW(hwnd, msg, wp, lp);
    if (msg == WM_NCDESTROY) {
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
        if (self->m_font) DeleteObject(self->m_font);
        delete self;
        return DefWindowProcW(hwnd, msg, wp, lp);
    }
    LRESULT result = 0;
    bool handled = false;
    Guarded(self->m_platform, [&] {
        result = self->HandleMessage(msg, wp, lp);
        handled = true;
    });
    return handled ? result : 0;
}

LRESULT StepEditorWindow::HandleMessage(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
        case WM_CREATE:
            CreateControls();
            return 0;
        case WM_COMMAND:
            OnCommand(LOWORD(wp), HIWORD(wp), reinterpret_cast<HWND>(lp));
            return 0;
        case WM_CLOSE:
            DestroyWindow(m_hwnd);
            return 0;
        case WM_DPICHANGED: {
            m_dpi = HIWORD(wp);
            const RECT& r = *reinterpret_cast<const RECT*>(lp);
            SetWindowPos(m_hwnd, nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top,
                         SWP_NOZORDER | SWP_NOACTIVATE);
            if (m_font) DeleteObject(m_font);
            m_font = win32::CreateUiFont(L"Segoe UI", S(12), FW_NORMAL);
            for (HWND child = GetWindow(m_hwnd, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
                SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(m_font), TRUE);
            }
            Layout();
            return 0;
        }
        default:
            return DefWindowProcW(m_hwnd, msg, wp, lp);
    }
}

}  // namespace orv
