// The hotkey dialog window: the common-controls hotkey field held to Ctrl+Alt, layout at the
// window's DPI, and forwarding to TFormHotkey.
#include "shell/hotkey_form_win32.h"

#include <commctrl.h>

#include "platform/win32/control_views.h"
#include "shell/hotkey_text.h"

namespace orv {
namespace {

constexpr wchar_t kClassName[] = L"TFormHotkey";
constexpr int kClientWidth = 265;
constexpr int kClientHeight = 88;

enum : int { kLabel1 = 301, kHotKey1 };

// The field's value (key code, HOTKEYF_* flags in the high byte) as a shortcut value and back.
std::uint16_t ShortcutOfField(LRESULT field) {
    const BYTE key = LOBYTE(LOWORD(field));
    const BYTE flags = HIBYTE(LOWORD(field));
    std::uint16_t shortcut = key;
    if (flags & HOTKEYF_SHIFT) shortcut |= kShortcutShift;
    if (flags & HOTKEYF_CONTROL) shortcut |= kShortcutCtrl;
    if (flags & HOTKEYF_ALT) shortcut |= kShortcutAlt;
    return shortcut;
}

WPARAM FieldOfShortcut(std::uint16_t shortcut) {
    BYTE flags = 0;
    if (shortcut & kShortcutShift) flags |= HOTKEYF_SHIFT;
    if (shortcut & kShortcutCtrl) flags |= HOTKEYF_CONTROL;
    if (shortcut & kShortcutAlt) flags |= HOTKEYF_ALT;
    return MAKEWORD(static_cast<BYTE>(shortcut & 0xFF), flags);
}

}  // namespace

void HotkeyDialogWindow::Open(std::unique_ptr<TFormHotkey> form, HWND owner, Win32Platform& platform) {
    win32::RegisterWindowClassOnce(kClassName, WndProc);
    auto* window = new HotkeyDialogWindow(std::move(form), platform);  // deleted at WM_NCDESTROY
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
    // The texts are translated and the letter put into the field as the dialog is shown.
    window->m_form->FormShow();
    ShowWindow(hwnd, SW_SHOW);
    SetFocus(window->m_hotkey);
}

void HotkeyDialogWindow::CreateControls() {
    HINSTANCE instance = GetModuleHandleW(nullptr);
    TFormHotkey& f = *m_form;
    f.SetWindowRef(reinterpret_cast<WindowRef>(m_hwnd));
    const auto add = [&](const wchar_t* cls, const wchar_t* text, DWORD style, int id) {
        return CreateWindowExW(0, cls, text, WS_CHILD | WS_VISIBLE | style, 0, 0, 10, 10, m_hwnd,
                               reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance, nullptr);
    };
    // Creation order is the tab order.
    HWND label = add(WC_STATICW, f.Label1.Caption().c_str(), SS_LEFT | SS_NOPREFIX, kLabel1);
    m_hotkey = add(HOTKEY_CLASSW, L"", WS_BORDER | WS_TABSTOP, kHotKey1);
    HWND ok = add(WC_BUTTONW, f.Button1.Caption().c_str(), BS_DEFPUSHBUTTON | WS_TABSTOP, IDOK);
    HWND cancel = add(WC_BUTTONW, f.Button2.Caption().c_str(), BS_PUSHBUTTON | WS_TABSTOP, IDCANCEL);
    // Only Ctrl+Alt may go with the key: every other combination, none included, becomes it.
    SendMessageW(m_hotkey, HKM_SETRULES,
                 HKCOMB_NONE | HKCOMB_S | HKCOMB_C | HKCOMB_A | HKCOMB_SC | HKCOMB_SA | HKCOMB_SCA,
                 MAKELPARAM(HOTKEYF_CONTROL | HOTKEYF_ALT, 0));

    f.OnViewUpdate = [this] { SetWindowTextW(m_hwnd, m_form->Caption().c_str()); };
    f.Label1.OnViewUpdate = [this, label] { win32::MirrorText(label, m_form->Label1); };
    f.Button1.OnViewUpdate = [this, ok] { win32::MirrorText(ok, m_form->Button1); };
    f.Button2.OnViewUpdate = [this, cancel] { win32::MirrorText(cancel, m_form->Button2); };
    f.HotKey1.OnViewUpdate = [this] { MirrorHotKey(); };
    f.OnClose = [this] { DestroyWindow(m_hwnd); };
    f.FocusHotKey = [this] { SetFocus(m_hotkey); };
    MirrorHotKey();
    ApplyFont();
    Layout();
}

void HotkeyDialogWindow::MirrorHotKey() {
    SendMessageW(m_hotkey, HKM_SETHOTKEY, FieldOfShortcut(m_form->HotKey1.Value()), 0);
}

void HotkeyDialogWindow::ApplyFont() {
    if (m_font) DeleteObject(m_font);
    m_font = win32::CreateUiFont(L"Segoe UI", S(12), FW_NORMAL);
    for (HWND child = GetWindow(m_hwnd, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(m_font), TRUE);
    }
}

void HotkeyDialogWindow::Layout() {
    const auto place = [&](int id, int x, int y, int w, int h) {
        SetWindowPos(GetDlgItem(m_hwnd, id), nullptr, S(x), S(y), S(w), S(h), SWP_NOZORDER | SWP_NOACTIVATE);
    };
    place(kLabel1, 8, 8, 250, 16);
    place(kHotKey1, 8, 26, 250, 22);
    place(IDOK, 102, 56, 75, 25);
    place(IDCANCEL, 183, 56, 75, 25);
}

void HotkeyDialogWindow::OnCommand(int id, int code) {
    TFormHotkey& f = *m_form;
    if (id == IDOK && (code == BN_CLICKED || code == 0)) {
        // What the user typed into the field, as it is now.
        const LRESULT field = SendMessageW(m_hotkey, HKM_GETHOTKEY, 0, 0);
        if (ShortcutOfField(field) != f.HotKey1.Value()) f.HotKey1.SetValue(ShortcutOfField(field));
        f.Button1.Click();
        return;
    }
    if (id == IDCANCEL) f.Button2.Click();
}

LRESULT CALLBACK HotkeyDialogWindow::WndProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_NCCREATE) {
        auto* self = static_cast<HotkeyDialogWindow*>(reinterpret_cast<CREATESTRUCTW*>(lp)->lpCreateParams);
        self->m_hwnd = hwnd;
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    }
    auto* self = reinterpret_cast<HotkeyDialogWindow*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
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

LRESULT HotkeyDialogWindow::HandleMessage(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
        case WM_CREATE:
            CreateControls();
            return 0;
        case WM_COMMAND:
            OnCommand(LOWORD(wp), HIWORD(wp));
            return 0;
        case WM_ACTIVATE:
            // Not a dialog-manager dialog, so the keyboard focus is kept here: it must be back in
            // the field when the warning about an invalid key has closed.
            if (LOWORD(wp) == WA_INACTIVE) {
                HWND focus = GetFocus();
                if (focus && IsChild(m_hwnd, focus)) m_lastFocus = focus;
            } else {
                SetFocus(m_lastFocus && IsWindow(m_lastFocus) ? m_lastFocus : m_hotkey);
            }
            return 0;
        case WM_CLOSE:
            DestroyWindow(m_hwnd);
            return 0;
        case WM_DPICHANGED: {
            m_dpi = HIWORD(wp);
            const RECT& r = *reinterpret_cast<const RECT*>(lp);
            SetWindowPos(m_hwnd, nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top,
                         SWP_NOZORDER | SWP_NOACTIVATE);
            ApplyFont();
            Layout();
            return 0;
        }
        default:
            return DefWindowProcW(m_hwnd, msg, wp, lp);
    }
}

}  // namespace orv
