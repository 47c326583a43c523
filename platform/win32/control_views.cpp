// Shared pieces of the Win32 views.
#include "platform/win32/control_views.h"

#include <commctrl.h>

#include <cwchar>

namespace orv::win32 {

std::wstring WindowText(HWND hwnd) {
    const int length = GetWindowTextLengthW(hwnd);
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    GetWindowTextW(hwnd, text.data(), length + 1);
    text.resize(wcslen(text.c_str()));
    return text;
}

void RegisterWindowClassOnce(const wchar_t* name, WNDPROC proc, HBRUSH background, UINT style) {
    WNDCLASSEXW existing = {sizeof existing};
    if (GetClassInfoExW(GetModuleHandleW(nullptr), name, &existing)) return;
    WNDCLASSEXW wc = {sizeof wc};
    wc.style = style;
    wc.lpfnWndProc = proc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = background ? background : reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = name;
    RegisterClassExW(&wc);  // a failure shows when the window cannot be created
}

UINT WindowDpi(HWND hwnd) {
    // Windows 10 1607 and later know each window's DPI; older systems (and Wine) fall back to
    // the screen's.
    using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
    static const auto getDpiForWindow = reinterpret_cast<GetDpiForWindowFn>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"user32.dll"), "GetDpiForWindow")));
    if (getDpiForWindow && hwnd) {
        const UINT dpi = getDpiForWindow(hwnd);
        if (dpi) return dpi;
    }
    HDC dc = GetDC(nullptr);
    const int dpi = GetDeviceCaps(dc, LOGPIXELSX);
    ReleaseDC(nullptr, dc);
    return dpi > 0 ? static_cast<UINT>(dpi) : 96;
}

void AdjustForDpi(RECT& rect, DWORD style, DWORD exStyle, bool menu, UINT dpi) {
    using AdjustFn = BOOL(WINAPI*)(LPRECT, DWORD, BOOL, DWORD, UINT);
    static const auto adjust = reinterpret_cast<AdjustFn>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleW(L"user32.dll"), "AdjustWindowRectExForDpi")));
    if (adjust) {
        adjust(&rect, style, menu, exStyle, dpi);
    } else {
        AdjustWindowRectEx(&rect, style, menu, exStyle);
    }
}

HFONT CreateUiFont(const wchar_t* face, int pixelHeight, int weight) {
    LOGFONTW lf = {};
    lf.lfHeight = -pixelHeight;  // character height, not cell height
    lf.lfWeight = weight;
    lf.lfCharSet = DEFAULT_CHARSET;
    lf.lfQuality = CLEARTYPE_QUALITY;
    wcsncpy(lf.lfFaceName, face, LF_FACESIZE - 1);
    return CreateFontIndirectW(&lf);
}

void CentreOver(HWND window, HWND over) {
    RECT box = {}, area = {};
    GetWindowRect(window, &box);
    if (over && IsWindowVisible(over) && !IsIconic(over)) {
        GetWindowRect(over, &area);
    } else {
        SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0);
    }
    const int width = box.right - box.left;
    const int height = box.bottom - box.top;
    SetWindowPos(window, nullptr, area.left + ((area.right - area.left) - width) / 2,
                 area.top + ((area.bottom - area.top) - height) / 2, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void MirrorText(HWND hwnd, const Control& model) {
    if (WindowText(hwnd) != model.Caption()) SetWindowTextW(hwnd, model.Caption().c_str());
    EnableWindow(hwnd, model.Enabled());
    ShowWindow(hwnd, model.Visible() ? SW_SHOWNA : SW_HIDE);
}

void MirrorCheck(HWND hwnd, const Control& model, bool checked) {
    MirrorText(hwnd, model);
    SendMessageW(hwnd, BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
}

namespace {

bool ParseInteger(const std::wstring& text, std::int64_t& value) {
    std::size_t i = 0;
    const bool negative = !text.empty() && text[0] == L'-';
    if (negative) i = 1;
    if (i == text.size() || text.size() - i > 12) return false;
    std::int64_t result = 0;
    for (; i < text.size(); ++i) {
        if (text[i] < L'0' || text[i] > L'9') return false;
        result = result * 10 + (text[i] - L'0');
    }
    value = negative ? -result : result;
    return true;
}

}  // namespace

void SpinView::Create(HWND parent, int editId, int upDownId, TSpinEdit& model, bool allowNegative) {
    m_parent = parent;
    m_editId = editId;
    m_upDownId = upDownId;
    m_model = &model;
    HINSTANCE instance = GetModuleHandleW(nullptr);
    HWND edit = CreateWindowExW(WS_EX_CLIENTEDGE, WC_EDITW, L"",
                                WS_CHILD | WS_VISIBLE | WS_TABSTOP | ES_AUTOHSCROLL | (allowNegative ? 0 : ES_NUMBER),
                                0, 0, 10, 10, parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(editId)), instance,
                                nullptr);
    HWND upDown = CreateWindowExW(0, UPDOWN_CLASSW, L"",
                                  WS_CHILD | WS_VISIBLE | UDS_SETBUDDYINT | UDS_ALIGNRIGHT | UDS_ARROWKEYS |
                                      UDS_NOTHOUSANDS,
                                  0, 0, 10, 10, parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(upDownId)),
                                  instance, nullptr);
    SendMessageW(upDown, UDM_SETBUDDY, reinterpret_cast<WPARAM>(edit), 0);
    SendMessageW(upDown, UDM_SETRANGE32, static_cast<WPARAM>(model.MinValue()), static_cast<LPARAM>(model.MaxValue()));
    SendMessageW(edit, EM_SETLIMITTEXT, 11, 0);
}

void SpinView::Mirror() {
    m_mirroring = true;
    const std::wstring text = std::to_wstring(m_model->Value());
    if (WindowText(Edit()) != text) SetWindowTextW(Edit(), text.c_str());
    SendMessageW(UpDown(), UDM_SETPOS32, 0, static_cast<LPARAM>(m_model->Value()));
    EnableWindow(Edit(), m_model->Enabled());
    EnableWindow(UpDown(), m_model->Enabled());
    m_mirroring = false;
}

void SpinView::Commit(std::optional<std::int64_t> fallback) {
    std::int64_t value = 0;
    if (ParseInteger(WindowText(Edit()), value)) {
        m_model->SetValue(value);
    } else if (fallback) {
        m_model->SetValue(*fallback);
        Mirror();
    } else {
        Mirror();
    }
}

bool SpinView::OnCommand(int id, int code) {
    if (id != m_editId) return false;
    if (m_mirroring) return true;
    if (code == EN_CHANGE) {
        // While typing only values inside the range count; the rest is settled when the field
        // loses the focus, so that typing "1000" never passes through a forced "1".
        std::int64_t value = 0;
        if (ParseInteger(WindowText(Edit()), value) && value >= m_model->MinValue() && value <= m_model->MaxValue()) {
            m_model->SetValue(value);
        }
    } else if (code == EN_KILLFOCUS) {
        Commit(std::nullopt);
    }
    return true;
}

}  // namespace orv::win32
