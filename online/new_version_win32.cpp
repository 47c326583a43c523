// The update notice's window.
#include "online/new_version_win32.h"

#include <windowsx.h>

#include "platform/win32/control_views.h"
#include "res/resource.h"

namespace orv {
namespace {

constexpr wchar_t kClassName[] = L"TNewVer";
constexpr int kAnimationMs = 100;
constexpr int kAnimationFrames = 10;

}  // namespace

void NewVerWindow::Create(TNewVer& form, HWND owner, Win32Platform& platform) {
    win32::RegisterWindowClassOnce(kClassName, WndProc);
    auto* window = new NewVerWindow(form, owner, platform);  // deleted at WM_NCDESTROY
    window->m_dpi = win32::WindowDpi(owner);
    // Owned and a tool window: no taskbar button of its own.
    HWND hwnd = CreateWindowExW(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, kClassName, L"", WS_POPUP, 0, 0,
                                window->S(kNewVerClientWidth), window->S(kNewVerClientHeight), owner, nullptr,
                                GetModuleHandleW(nullptr), window);
    if (!hwnd) {
        delete window;
        return;
    }
    form.AnimateIn = [window] { window->Animate(true); };
    form.AnimateOut = [window] { window->Animate(false); };
    form.HideWindow = [window] { ShowWindow(window->m_hwnd, SW_HIDE); };
    form.FocusMainWindow = [window] {
        if (GetForegroundWindow() == window->m_hwnd) SetForegroundWindow(window->m_owner);
    };
    form.PointerInLink = [window] {
        POINT p;
        if (!GetCursorPos(&p) || WindowFromPoint(p) != window->m_hwnd) return false;
        ScreenToClient(window->m_hwnd, &p);
        const RECT link = window->LinkRect();
        return PtInRect(&link, p) != FALSE;
    };
    form.MoveTo = [window](Point p) {
        SetWindowPos(window->m_hwnd, nullptr, p.x, p.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    };
    form.OnViewUpdate = [window] { InvalidateRect(window->m_hwnd, nullptr, TRUE); };
    form.Label2.OnViewUpdate = form.OnViewUpdate;
}

RECT NewVerWindow::LinkRect() const {
    return {S(64), S(24), S(kNewVerClientWidth - 26), S(kNewVerClientHeight - 4)};
}

RECT NewVerWindow::CloseRect() const {
    return {S(kNewVerClientWidth - 24), S(2), S(kNewVerClientWidth - 2), S(24)};
}

void NewVerWindow::Animate(bool in) {
    // Wine: AnimateWindow answers success without animating or showing anything, so the effect
    // is made here the same way everywhere: a window region growing from the centre, or
    // shrinking to it, over 100 ms.
    RECT client;
    GetClientRect(m_hwnd, &client);
    const int cx = client.right / 2, cy = client.bottom / 2;
    for (int frame = 1; frame <= kAnimationFrames; ++frame) {
        const int part = in ? frame : kAnimationFrames - frame;
        const int w = client.right * part / kAnimationFrames / 2 + 1;
        const int h = client.bottom * part / kAnimationFrames / 2 + 1;
        SetWindowRgn(m_hwnd, CreateRectRgn(cx - w, cy - h, cx + w, cy + h), TRUE);
        if (in && frame == 1) {
            const Point at = m_form.Position;
            SetWindowPos(m_hwnd, HWND_TOPMOST, at.x, at.y, 0, 0,
                         SWP_NOSIZE | SWP_NOACTIVATE | SWP_SHOWWINDOW);
        }
        UpdateWindow(m_hwnd);
        Sleep(kAnimationMs / kAnimationFrames);
    }
    if (!in) ShowWindow(m_hwnd, SW_HIDE);
    SetWindowRgn(m_hwnd, nullptr, TRUE);
}

void NewVerWindow::Paint() {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(m_hwnd, &ps);
    RECT client;
    GetClientRect(m_hwnd, &client);
    DrawEdge(dc, &client, EDGE_RAISED, BF_RECT);
    DrawIconEx(dc, S(2), S(4), m_icon, S(60), S(60), 0, nullptr, DI_NORMAL);
    SetBkMode(dc, TRANSPARENT);
    HGDIOBJ oldFont = SelectObject(dc, m_headingFont);
    SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
    RECT heading = {S(64), S(4), S(kNewVerClientWidth - 26), S(22)};
    DrawTextW(dc, m_form.Label1.Caption().c_str(), -1, &heading, DT_CENTER | DT_SINGLELINE | DT_VCENTER);
    SelectObject(dc, m_linkFont);
    SetTextColor(dc, GetSysColor(m_form.LinkHot ? COLOR_HOTLIGHT : COLOR_WINDOWTEXT));
    RECT link = LinkRect();
    RECT measured = link;
    DrawTextW(dc, m_form.Label2.Caption().c_str(), -1, &measured, DT_CENTER | DT_WORDBREAK | DT_CALCRECT);
    const int offset = ((link.bottom - link.top) - (measured.bottom - measured.top)) / 2;
    if (offset > 0) link.top += offset;
    DrawTextW(dc, m_form.Label2.Caption().c_str(), -1, &link, DT_CENTER | DT_WORDBREAK);
    // The close button: a small raised square with a cross.
    RECT close = CloseRect();
    DrawFrameControl(dc, &close, DFC_CAPTION, DFCS_CAPTIONCLOSE | (m_closePressed ? DFCS_PUSHED : 0));
    SelectObject(dc, oldFont);
    EndPaint(m_hwnd, &ps);
}

LRESULT CALLBACK NewVerWindow::WndProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_NCCREATE) {
        auto* self = static_cast<NewVerWindow*>(reinterpret_cast<CREATESTRUCTW*>(lp)->lpCreateParams);
        self->m_hwnd = hwnd;
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    }
    auto* self = reinterpret_cast<NewVerWindow*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (!self) return DefWindowProcW(hwnd, msg, wp, lp);
    LRESULT result = 0;
    Guarded(self->m_platform, [&] { result = self->HandleMessage(msg, wp, lp); });
    if (msg == WM_NCDESTROY) {
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
        delete self;
    }
    return result;
}

LRESULT NewVerWindow::HandleMessage(UINT msg, WPARAM wp, LPARAM lp) {
    const auto clientPoint = [lp] { return POINT{GET_X_LPARAM(lp), GET_Y_LPARAM(lp)}; };
    const auto screenPoint = [&] {
        POINT p = clientPoint();
        ClientToScreen(m_hwnd, &p);
        return Point{p.x, p.y};
    };
    switch (msg) {
        case WM_CREATE:
            m_headingFont = win32::CreateUiFont(L"Tahoma", S(13), FW_BOLD);
            m_linkFont = CreateFontW(-S(13), 0, 0, 0, FW_NORMAL, FALSE, TRUE, FALSE, DEFAULT_CHARSET,
                                     OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, CLEARTYPE_QUALITY,
                                     DEFAULT_PITCH, L"Tahoma");
            m_icon = static_cast<HICON>(LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDI_APP),
                                                   IMAGE_ICON, S(60), S(60), LR_DEFAULTCOLOR));
            return 0;
        case WM_PAINT:
            Paint();
            return 0;
        case WM_SETCURSOR: {
            POINT p;
            GetCursorPos(&p);
            ScreenToClient(m_hwnd, &p);
            const RECT link = LinkRect(), close = CloseRect();
            if (PtInRect(&link, p) || PtInRect(&close, p)) {
                SetCursor(LoadCursorW(nullptr, IDC_HAND));
                return TRUE;
            }
            break;
        }
        case WM_LBUTTONDOWN:
        case WM_RBUTTONDOWN:
        case WM_MBUTTONDOWN: {
            const POINT p = clientPoint();
            const RECT link = LinkRect(), close = CloseRect();
            if (msg == WM_LBUTTONDOWN && PtInRect(&link, p)) {
                m_linkPressed = true;  // the link takes no part in dragging: a press is a click
                return 0;
            }
            if (msg == WM_LBUTTONDOWN && PtInRect(&close, p)) {
                m_closePressed = true;
                InvalidateRect(m_hwnd, &close, FALSE);
                return 0;
            }
            m_form.FormMouseDown(msg == WM_LBUTTONDOWN ? 0 : msg == WM_RBUTTONDOWN ? 1 : 2, screenPoint());
            SetCapture(m_hwnd);
            return 0;
        }
        case WM_MOUSEMOVE:
            m_form.FormMouseMove(screenPoint());
            return 0;
        case WM_LBUTTONUP:
        case WM_RBUTTONUP:
        case WM_MBUTTONUP: {
            const POINT p = clientPoint();
            const RECT link = LinkRect(), close = CloseRect();
            const bool link_click = m_linkPressed && PtInRect(&link, p);
            const bool close_click = m_closePressed && PtInRect(&close, p);
            m_linkPressed = m_closePressed = false;
            m_form.FormMouseUp();
            if (GetCapture() == m_hwnd) ReleaseCapture();
            InvalidateRect(m_hwnd, &close, FALSE);
            if (link_click) m_form.Label2Click();
            if (close_click) m_form.Button1Click();
            return 0;
        }
        case WM_MOUSEACTIVATE:
            return MA_NOACTIVATE;
        case WM_DESTROY:
            // The form outlives this window only until the program ends; it must not call here.
            m_form.AnimateIn = m_form.AnimateOut = m_form.HideWindow = m_form.FocusMainWindow = nullptr;
            m_form.PointerInLink = nullptr;
            m_form.MoveTo = nullptr;
            m_form.OnViewUpdate = m_form.Label2.OnViewUpdate = nullptr;
            DeleteObject(m_headingFont);
            DeleteObject(m_linkFont);
            if (m_icon) DestroyIcon(m_icon);
            return 0;
    }
    return DefWindowProcW(m_hwnd, msg, wp, lp);
}

}  // namespace orv
