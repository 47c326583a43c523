// The feedback dialog's window.
#include "online/feedback_form_win32.h"

#include <windowsx.h>

#include "platform/win32/control_views.h"

namespace orv {
namespace {

constexpr wchar_t kClassName[] = L"TFeedbackForm";
constexpr int kClientWidth = 525;
constexpr int kClientHeight = 326;
enum : int { kHeading = 301, kQuestion, kMemo, kEmailLabel, kEmail, kSend };

}  // namespace

void FeedbackWindow::ShowModal(TFeedbackForm& form, HWND owner, Win32Platform& platform) {
    win32::RegisterWindowClassOnce(kClassName, WndProc);
    FeedbackWindow window(form, platform);
    window.m_dpi = win32::WindowDpi(owner);
    const DWORD style = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
    const DWORD exStyle = WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT;
    RECT rect = {0, 0, window.S(kClientWidth), window.S(kClientHeight)};
    win32::AdjustForDpi(rect, style, exStyle, false, window.m_dpi);
    HWND hwnd =
        CreateWindowExW(exStyle, kClassName, form.Caption().c_str(), style, 0, 0, rect.right - rect.left,
                        rect.bottom - rect.top, owner, nullptr, GetModuleHandleW(nullptr), &window);
    if (!hwnd) return;
    win32::CentreOver(hwnd, nullptr);  // centred on the screen
    EnableWindow(owner, FALSE);
    ShowWindow(hwnd, SW_SHOW);
    SetFocus(window.m_memo);
    MSG msg;
    while (!window.m_closed && GetMessageW(&msg, nullptr, 0, 0) > 0) {
        if (window.PreTranslate(msg)) continue;
        if (IsDialogMessageW(hwnd, &msg)) continue;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    if (msg.message == WM_QUIT) PostQuitMessage(static_cast<int>(msg.wParam));
    EnableWindow(owner, TRUE);
    if (IsWindow(hwnd)) DestroyWindow(hwnd);
    SetActiveWindow(owner);
}

bool FeedbackWindow::PreTranslate(MSG& msg) {
    // A multi-line edit asks for every key, Tab included; here Tab moves on, as in a dialog.
    if (msg.message == WM_KEYDOWN && msg.wParam == VK_TAB && msg.hwnd == m_memo) {
        SetFocus(GetNextDlgTabItem(m_hwnd, m_memo, GetKeyState(VK_SHIFT) < 0));
        return true;
    }
    if (msg.message == WM_CHAR && msg.wParam == L'\t' && msg.hwnd == m_memo) return true;
    if (msg.message != WM_KEYDOWN || msg.wParam != VK_ESCAPE) return false;
    if (msg.hwnd == m_memo) {
        m_form.Memo1KeyDown(VK_ESCAPE);
    } else if (msg.hwnd == m_send) {
        m_form.BitBtn1KeyDown(VK_ESCAPE);
    } else if (msg.hwnd == m_email) {
        m_form.Edit1KeyPress(L'\x1B');
    } else {
        return false;
    }
    return true;
}

RECT FeedbackWindow::PanelRect(bool praise) const {
    const int half = kClientWidth / 2;
    return praise ? RECT{S(8), S(7), S(half - 4), S(43)}
                  : RECT{S(half + 4), S(7), S(kClientWidth - 8), S(43)};
}

void FeedbackWindow::CreateControls() {
    HINSTANCE instance = GetModuleHandleW(nullptr);
    m_font = win32::CreateUiFont(L"Tahoma", S(13), FW_NORMAL);
    m_bigFont = win32::CreateUiFont(L"Tahoma", S(16), FW_NORMAL);
    m_boldFont = win32::CreateUiFont(L"Tahoma", S(13), FW_BOLD);
    const auto add = [&](const wchar_t* cls, const std::wstring& text, DWORD style, int id, int x, int y,
                         int w, int h, HFONT font, DWORD exStyle = 0) {
        HWND child =
            CreateWindowExW(exStyle, cls, text.c_str(), WS_CHILD | WS_VISIBLE | style, S(x), S(y), S(w), S(h),
                            m_hwnd, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance, nullptr);
        SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
        return child;
    };
    // Creation order is the tab order: the message box comes first.
    m_memo = add(L"EDIT", m_form.Memo1.Caption(),
                 WS_TABSTOP | WS_VSCROLL | ES_MULTILINE | ES_AUTOVSCROLL | ES_WANTRETURN, kMemo, 8, 96, 509,
                 154, m_font, WS_EX_CLIENTEDGE);
    SendMessageW(m_memo, EM_SETLIMITTEXT, kFeedbackMessageMaxLength, 0);
    add(L"STATIC", m_form.Label3.Caption(), SS_LEFT | SS_CENTERIMAGE, kEmailLabel, 8, 256, 140, 24, m_font);
    m_email = add(L"EDIT", m_form.Edit1.Caption(), WS_TABSTOP | ES_AUTOHSCROLL, kEmail, 150, 256, 367, 23,
                  m_font, WS_EX_CLIENTEDGE);
    SendMessageW(m_email, EM_SETLIMITTEXT, kFeedbackEmailMaxLength, 0);
    m_send = add(L"BUTTON", m_form.BitBtn1.Caption(), WS_TABSTOP | BS_PUSHBUTTON, kSend,
                 kClientWidth - 8 - 172, 289, 172, 33, m_bigFont);
    add(L"STATIC", m_form.Label1.Caption(), SS_CENTER, kHeading, 8, 50, 509, 22, m_bigFont);
    add(L"STATIC", m_form.Label2.Caption(), SS_CENTER, kQuestion, 8, 74, 509, 18, m_boldFont);
}

void FeedbackWindow::DrawPanel(HDC dc, const RECT& rect, const TChoicePanel& panel, bool praise) {
    RECT r = rect;
    const bool on = panel.Selected();
    FillRect(dc, &r, GetSysColorBrush(on ? COLOR_HIGHLIGHT : COLOR_BTNFACE));
    DrawEdge(dc, &r, on ? EDGE_SUNKEN : EDGE_RAISED, BF_RECT);
    // The picture: a face, smiling for praise and frowning for a complaint, 32 x 32.
    const int x = r.left + S(4), y = r.top + (r.bottom - r.top - S(32)) / 2;
    HPEN pen = CreatePen(PS_SOLID, S(2), RGB(60, 60, 60));
    HBRUSH face = CreateSolidBrush(praise ? RGB(255, 214, 64) : RGB(240, 120, 90));
    HGDIOBJ oldPen = SelectObject(dc, pen);
    HGDIOBJ oldBrush = SelectObject(dc, face);
    Ellipse(dc, x + S(1), y + S(1), x + S(31), y + S(31));
    SelectObject(dc, GetStockObject(BLACK_BRUSH));
    Ellipse(dc, x + S(10), y + S(10), x + S(14), y + S(14));
    Ellipse(dc, x + S(18), y + S(10), x + S(22), y + S(14));
    if (praise) {
        Arc(dc, x + S(8), y + S(10), x + S(24), y + S(25), x + S(8), y + S(19), x + S(24), y + S(19));
    } else {
        Arc(dc, x + S(8), y + S(19), x + S(24), y + S(30), x + S(24), y + S(24), x + S(8), y + S(24));
    }
    SelectObject(dc, oldBrush);
    SelectObject(dc, oldPen);
    DeleteObject(face);
    DeleteObject(pen);
    HFONT font = win32::CreateUiFont(L"Tahoma", S(16), FW_NORMAL);
    HGDIOBJ oldFont = SelectObject(dc, font);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, GetSysColor(on ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT));
    RECT text = {x + S(40), r.top, r.right - S(4), r.bottom};
    DrawTextW(dc, panel.Caption().c_str(), -1, &text, DT_LEFT | DT_VCENTER | DT_SINGLELINE);
    SelectObject(dc, oldFont);
    DeleteObject(font);
}

void FeedbackWindow::Paint() {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(m_hwnd, &ps);
    DrawPanel(dc, PanelRect(true), m_form.Panel1, true);
    DrawPanel(dc, PanelRect(false), m_form.Panel2, false);
    EndPaint(m_hwnd, &ps);
}

LRESULT CALLBACK FeedbackWindow::WndProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_NCCREATE) {
        auto* self = static_cast<FeedbackWindow*>(reinterpret_cast<CREATESTRUCTW*>(lp)->lpCreateParams);
        self->m_hwnd = hwnd;
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    }
    auto* self = reinterpret_cast<FeedbackWindow*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (!self) return DefWindowProcW(hwnd, msg, wp, lp);
    LRESULT result = 0;
    Guarded(self->m_platform, [&] { result = self->HandleMessage(msg, wp, lp); });
    if (msg == WM_NCDESTROY) SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
    return result;
}

LRESULT FeedbackWindow::HandleMessage(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
        case WM_CREATE: {
            TFeedbackForm& f = m_form;
            f.Window = reinterpret_cast<WindowRef>(m_hwnd);
            CreateControls();
            f.FocusControl = [this](Control& control) {
                HWND target = &control == &m_form.Memo1   ? m_memo
                              : &control == &m_form.Edit1 ? m_email
                                                          : nullptr;
                return target && SetFocus(target) != nullptr;
            };
            f.CloseWindow = [this] { m_closed = true; };
            f.SetBusy = [this](bool busy) {
                m_busy = busy;
                SetCursor(LoadCursorW(nullptr, busy ? IDC_APPSTARTING : IDC_ARROW));
                if (!busy) {
                    // The exchange blocked this thread: clicks and keys that arrived meanwhile
                    // are dropped, so that nothing is sent twice or typed after the answer.
                    MSG pending;
                    while (PeekMessageW(&pending, nullptr, WM_KEYFIRST, WM_KEYLAST, PM_REMOVE)) {
                    }
                    while (PeekMessageW(&pending, nullptr, WM_MOUSEFIRST, WM_MOUSELAST, PM_REMOVE)) {
                    }
                }
            };
            f.Panel1.OnViewUpdate =
                f.Panel2.OnViewUpdate = [this] { InvalidateRect(m_hwnd, nullptr, FALSE); };
            return 0;
        }
        case WM_PAINT:
            Paint();
            return 0;
        case WM_SETCURSOR: {
            if (m_busy) {
                SetCursor(LoadCursorW(nullptr, IDC_APPSTARTING));
                return TRUE;
            }
            POINT p;
            GetCursorPos(&p);
            ScreenToClient(m_hwnd, &p);
            const RECT praise = PanelRect(true), complaint = PanelRect(false);
            if (reinterpret_cast<HWND>(wp) == m_hwnd && (PtInRect(&praise, p) || PtInRect(&complaint, p))) {
                SetCursor(LoadCursorW(nullptr, IDC_HAND));
                return TRUE;
            }
            break;
        }
        case WM_LBUTTONDOWN:
        case WM_RBUTTONDOWN:
        case WM_MBUTTONDOWN: {
            const POINT p = {GET_X_LPARAM(lp), GET_Y_LPARAM(lp)};
            const int button = msg == WM_LBUTTONDOWN ? 0 : msg == WM_RBUTTONDOWN ? 1 : 2;
            const RECT praise = PanelRect(true), complaint = PanelRect(false);
            if (PtInRect(&praise, p)) m_form.Image1MouseDown(button);
            if (PtInRect(&complaint, p)) m_form.Image2MouseDown(button);
            return 0;
        }
        case WM_COMMAND: {
            const int id = LOWORD(wp), code = HIWORD(wp);
            if (id == kMemo && code == EN_CHANGE) m_form.Memo1.SetCaption(win32::WindowText(m_memo));
            if (id == kEmail && code == EN_CHANGE) m_form.Edit1.SetCaption(win32::WindowText(m_email));
            if (id == kSend && code == BN_CLICKED) m_form.BitBtn1Click();
            if (id == IDCANCEL) m_form.BitBtn1KeyDown(VK_ESCAPE);  // Esc where no field took it
            return 0;
        }
        case WM_CLOSE:
            m_closed = true;
            return 0;
        case WM_DESTROY:
            m_form.FocusControl = nullptr;
            m_form.CloseWindow = nullptr;
            m_form.SetBusy = nullptr;
            m_form.Panel1.OnViewUpdate = m_form.Panel2.OnViewUpdate = nullptr;
            DeleteObject(m_font);
            DeleteObject(m_bigFont);
            DeleteObject(m_boldFont);
            return 0;
    }
    return DefWindowProcW(m_hwnd, msg, wp, lp);
}

}  // namespace orv
