// The about box window: off-screen composition, owner-drawn buttons, the "Info" menu, the
// modal loop, and the DPI-dependent pictures decoded with the Windows Imaging Component.
#include "about/about_box_win32.h"

#include <commctrl.h>
#include <wincodec.h>
#include <windowsx.h>

#include "about/rain_canvas_win32.h"
#include "platform/win32/control_views.h"
#include "res/resource.h"

namespace orv {
namespace {

constexpr wchar_t kClassName[] = L"TAboutBox";
constexpr int kIdInfo = 1002;
constexpr int kIdProduct = 1003;
constexpr int kIdLink = 1004;
constexpr UINT kMsgMenuCommand = WM_APP + 20;  // wParam: the chosen item's id, run after the menu
constexpr int kScales[] = {100, 125, 150, 175, 200};
constexpr COLORREF kLime = RGB(0, 255, 0);

template <typename T>
struct ComRef {
    T* p = nullptr;
    ~ComRef() {
        if (p) p->Release();
    }
    T** operator&() { return &p; }
    T* operator->() const { return p; }
};

// The rendered scale that is sharp at `dpi`: the smallest not smaller than it, else the largest.
int ScaleIndexFor(int dpi) {
    for (int i = 0; i < 5; ++i) {
        if (kScales[i] * 96 >= dpi * 100) return i;
    }
    return 4;
}

// A PNG resource decoded and resized to width x height, as a premultiplied 32-bit top-down DIB
// ready for AlphaBlend; nullptr when it cannot be read.
HBITMAP LoadPicture(int resourceId, int width, int height) {
    HRSRC resource =
        FindResourceW(nullptr, MAKEINTRESOURCEW(resourceId), MAKEINTRESOURCEW(10) /* RT_RCDATA */);
    if (!resource || width <= 0 || height <= 0) return nullptr;
    HGLOBAL data = LoadResource(nullptr, resource);
    auto* bytes = static_cast<BYTE*>(LockResource(data));
    const DWORD size = SizeofResource(nullptr, resource);
    ComRef<IWICImagingFactory> factory;
    if (FAILED(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER,
                                IID_IWICImagingFactory, reinterpret_cast<void**>(&factory))))
        return nullptr;
    ComRef<IWICStream> stream;
    ComRef<IWICBitmapDecoder> decoder;
    ComRef<IWICBitmapFrameDecode> frame;
    ComRef<IWICBitmapScaler> scaler;
    ComRef<IWICFormatConverter> converter;
    if (FAILED(factory->CreateStream(&stream)) || FAILED(stream->InitializeFromMemory(bytes, size)) ||
        FAILED(
            factory->CreateDecoderFromStream(stream.p, nullptr, WICDecodeMetadataCacheOnDemand, &decoder)) ||
        FAILED(decoder->GetFrame(0, &frame)) || FAILED(factory->CreateBitmapScaler(&scaler)) ||
        FAILED(scaler->Initialize(frame.p, static_cast<UINT>(width), static_cast<UINT>(height),
                                  WICBitmapInterpolationModeFant)) ||
        FAILED(factory->CreateFormatConverter(&converter)) ||
        FAILED(converter->Initialize(scaler.p, GUID_WICPixelFormat32bppPBGRA, WICBitmapDitherTypeNone,
                                     nullptr, 0, WICBitmapPaletteTypeCustom)))
        return nullptr;
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!bitmap) return nullptr;
    const UINT stride = static_cast<UINT>(width) * 4;
    if (FAILED(converter->CopyPixels(nullptr, stride, stride * static_cast<UINT>(height),
                                     static_cast<BYTE*>(bits)))) {
        DeleteObject(bitmap);
        return nullptr;
    }
    return bitmap;
}

void Blend(HDC target, int x, int y, int width, int height, HBITMAP picture) {
    if (!picture) return;
    HDC source = CreateCompatibleDC(target);
    HGDIOBJ old = SelectObject(source, picture);
    BLENDFUNCTION blend = {AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
    AlphaBlend(target, x, y, width, height, source, 0, 0, width, height, blend);
    SelectObject(source, old);
    DeleteDC(source);
}

}  // namespace

AboutBoxWindow::AboutBoxWindow(Win32Platform& platform, const AppIdentity& identity, int dpi, int screenDpi)
    : m_platform(platform),
      m_random(GetTickCount() ^ GetCurrentProcessId()),
      m_form(platform, identity, m_random, dpi, screenDpi) {}

AboutBoxWindow::~AboutBoxWindow() {
    if (m_hwnd) DestroyWindow(m_hwnd);
    for (auto [dc, old] : {std::pair{m_rainDc, m_rainOld}, {m_panelDc, m_panelOld}, {m_eggDc, m_eggOld}}) {
        if (dc) {
            SelectObject(dc, old);
            DeleteDC(dc);
        }
    }
    for (HBITMAP bitmap : {m_rainBitmap, m_panelBitmap, m_eggBitmap, m_arrow}) {
        if (bitmap) DeleteObject(bitmap);
    }
    for (HFONT font : {m_labelFont, m_linkFont, m_rainFont}) {
        if (font) DeleteObject(font);
    }
}

void AboutBoxWindow::ShowModal(HWND owner, Win32Platform& platform, const AppIdentity& identity) {
    win32::RegisterWindowClassOnce(kClassName, WndProc, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)),
                                   CS_DBLCLKS);
    const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);

    HDC screen = GetDC(nullptr);
    const int screenDpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    const int dpi = static_cast<int>(win32::WindowDpi(owner));
    std::unique_ptr<AboutBoxWindow> box(new AboutBoxWindow(platform, identity, dpi, screenDpi));
    const DWORD style = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
    const DWORD exStyle = WS_EX_TOOLWINDOW | WS_EX_CONTROLPARENT;
    RECT rect = {0, 0, box->m_form.ClientWidth(), box->m_form.ClientHeight()};
    win32::AdjustForDpi(rect, style, exStyle, false, static_cast<UINT>(dpi));
    HWND hwnd = CreateWindowExW(exStyle, kClassName, L"", style, 0, 0, rect.right - rect.left,
                                rect.bottom - rect.top, owner, nullptr, GetModuleHandleW(nullptr), box.get());
    if (hwnd) {
        win32::CentreOver(hwnd, nullptr);
        EnableWindow(owner, FALSE);
        ShowWindow(hwnd, SW_SHOW);
        SetFocus(GetDlgItem(hwnd, IDOK));
        MSG msg;
        while (!box->m_closed) {
            const BOOL got = GetMessageW(&msg, nullptr, 0, 0);
            if (got <= 0) {
                if (got == 0) PostQuitMessage(static_cast<int>(msg.wParam));  // for the main loop
                break;
            }
            if (IsDialogMessageW(hwnd, &msg)) continue;
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        // The owner comes back before the box goes, so that Windows activates it and not
        // some other program.
        EnableWindow(owner, TRUE);
        SetActiveWindow(owner);
    }
    box.reset();
    if (SUCCEEDED(com)) CoUninitialize();
}

LRESULT CALLBACK AboutBoxWindow::WndProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_NCCREATE) {
        auto* self = static_cast<AboutBoxWindow*>(reinterpret_cast<CREATESTRUCTW*>(lp)->lpCreateParams);
        self->m_hwnd = hwnd;
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    }
    auto* self = reinterpret_cast<AboutBoxWindow*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (!self) return DefWindowProcW(hwnd, msg, wp, lp);
    if (msg == WM_NCDESTROY) {
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
        self->m_hwnd = nullptr;
        self->m_closed = true;
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

void AboutBoxWindow::CreateFonts() {
    for (HFONT font : {m_labelFont, m_linkFont, m_rainFont}) {
        if (font) DeleteObject(font);
    }
    m_labelFont = win32::CreateUiFont(L"Segoe UI", S(16), FW_NORMAL);
    LOGFONTW link = {};
    link.lfHeight = -S(13);
    link.lfWeight = FW_NORMAL;
    link.lfUnderline = TRUE;
    link.lfQuality = CLEARTYPE_QUALITY;
    lstrcpyW(link.lfFaceName, L"Segoe UI");
    m_linkFont = CreateFontIndirectW(&link);
    // The rain's cells are 8 x 12 pixels at any DPI: a denser rain, not a bigger one.
    m_rainFont = win32::CreateUiFont(L"Segoe UI", Rain::kFontHeight, FW_NORMAL);
}

void AboutBoxWindow::CreateControls() {
    HINSTANCE instance = GetModuleHandleW(nullptr);
    const auto add = [&](const wchar_t* cls, const std::wstring& text, DWORD style, int id) {
        return CreateWindowExW(0, cls, text.c_str(), WS_CHILD | WS_VISIBLE | style, 0, 0, 10, 10, m_hwnd,
                               reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance, nullptr);
    };
    TAboutBox& f = m_form;
    add(WC_STATICW, f.Label2.Caption(), SS_LEFT, kIdProduct);
    add(WC_BUTTONW, f.BitBtn1.Caption(), BS_OWNERDRAW | WS_TABSTOP, IDOK);
    add(WC_BUTTONW, f.BitBtn2.Caption(), BS_OWNERDRAW | WS_TABSTOP, kIdInfo);
    HWND link = add(WC_STATICW, f.Label5.Caption(), SS_CENTER | SS_NOTIFY, kIdLink);

    m_tooltip = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP, 0, 0, 0, 0,
                                m_hwnd, nullptr, instance, nullptr);
    TTTOOLINFOW tool = {sizeof tool};
    tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    tool.hwnd = m_hwnd;
    tool.uId = reinterpret_cast<UINT_PTR>(link);
    std::wstring hint = f.Label5.Hint();
    tool.lpszText = hint.data();
    SendMessageW(m_tooltip, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));

    f.Label2.OnViewUpdate = [this] { SetDlgItemTextW(m_hwnd, kIdProduct, m_form.Label2.Caption().c_str()); };
    f.Panel1.OnViewUpdate = [this] {
        Layout();
        InvalidateRect(m_hwnd, nullptr, FALSE);
    };
    f.PanelEgg.OnViewUpdate = [this] { InvalidateRect(m_hwnd, nullptr, FALSE); };
}

void AboutBoxWindow::CreateBuffers() {
    HDC screen = GetDC(m_hwnd);
    const auto make = [&](HDC& dc, HBITMAP& bitmap, HGDIOBJ& old, int width, int height) {
        if (dc) {
            SelectObject(dc, old);
            DeleteDC(dc);
        }
        if (bitmap) DeleteObject(bitmap);
        dc = CreateCompatibleDC(screen);
        bitmap = CreateCompatibleBitmap(screen, width, height);
        old = SelectObject(dc, bitmap);
        PatBlt(dc, 0, 0, width, height, BLACKNESS);
    };
    make(m_rainDc, m_rainBitmap, m_rainOld, m_form.ClientWidth(), m_form.ClientHeight());
    make(m_panelDc, m_panelBitmap, m_panelOld, m_form.Panel1.Width, m_form.Panel1.Height);
    make(m_eggDc, m_eggBitmap, m_eggOld, m_form.PanelEgg.Width, m_form.PanelEgg.Height);
    ReleaseDC(m_hwnd, screen);
    SelectObject(m_rainDc, m_rainFont);
    SetBkColor(m_rainDc, RGB(0, 0, 0));
    SetBkMode(m_rainDc, OPAQUE);
    m_canvas = std::make_unique<DcRainCanvas>(m_rainDc);
    m_form.Canvas = m_canvas.get();
}

// HighDPIImageYukle: the logo and the cat from the rendering that is sharp at this DPI.
void AboutBoxWindow::LoadPictures() {
    const int index = ScaleIndexFor(m_form.Dpi());
    // The picture panel: its own face colour round the cat, which fills it but for 2-pixel margins.
    RECT egg = {0, 0, m_form.PanelEgg.Width, m_form.PanelEgg.Height};
    FillRect(m_eggDc, &egg, GetSysColorBrush(COLOR_BTNFACE));
    const int catWidth = S(320), catHeight = S(214);
    HBITMAP cat = LoadPicture(IDR_CAT_100 + index, catWidth, catHeight);
    Blend(m_eggDc, (egg.right - catWidth) / 2, (egg.bottom - catHeight) / 2, catWidth, catHeight, cat);
    if (cat) DeleteObject(cat);
    if (m_arrow) DeleteObject(m_arrow);
    m_arrowSize = S(12);
    m_arrow = LoadPicture(IDR_ARROW_100 + index, m_arrowSize, m_arrowSize);
    RenderPanel();
}

// The content panel's own drawing: black, the logo, the icon in its bevel frame. The texts and
// buttons are child windows on top.
void AboutBoxWindow::RenderPanel() {
    RECT panel = {0, 0, m_form.Panel1.Width, m_form.Panel1.Height};
    PatBlt(m_panelDc, 0, 0, panel.right, panel.bottom, BLACKNESS);
    const int logoWidth = S(344), logoHeight = S(105);
    HBITMAP logo = LoadPicture(IDR_LOGO_100 + ScaleIndexFor(m_form.Dpi()), logoWidth, logoHeight);
    Blend(m_panelDc, (panel.right - logoWidth) / 2, 0, logoWidth, logoHeight, logo);
    if (logo) DeleteObject(logo);
    RECT frame = {S(9), S(122), S(9) + S(34), S(122) + S(34)};
    DrawEdge(m_panelDc, &frame, BDR_SUNKENOUTER, BF_RECT);
    const int iconSize = S(32);
    HICON icon = static_cast<HICON>(
        LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDI_APP), IMAGE_ICON, iconSize, iconSize, 0));
    if (icon) {
        DrawIconEx(m_panelDc, S(10), S(123), icon, iconSize, iconSize, 0, nullptr, DI_NORMAL);
        DestroyIcon(icon);
    }
}

RECT AboutBoxWindow::IconRect() const {
    const int left = m_form.Panel1.Left + S(10), top = m_form.Panel1.Top + S(123);
    return {left, top, left + S(32), top + S(32)};
}

RECT AboutBoxWindow::EggRect() const {
    const TPanel& egg = m_form.PanelEgg;
    return {egg.Left, egg.Top, egg.Left + egg.Width, egg.Top + egg.Height};
}

void AboutBoxWindow::Layout() {
    const TPanel& p = m_form.Panel1;
    const auto place = [&](int id, int x, int y, int w, int h) {
        SetWindowPos(GetDlgItem(m_hwnd, id), nullptr, p.Left + S(x), p.Top + S(y), S(w), S(h),
                     SWP_NOZORDER | SWP_NOACTIVATE);
    };
    place(kIdProduct, 49, 122, 290, 40);
    place(IDOK, 49, 226, 122, 33);
    place(kIdInfo, 177, 226, 122, 33);
    place(kIdLink, 0, 268, 350, 20);
}

void AboutBoxWindow::Paint(HDC dc) {
    RECT client = {};
    GetClientRect(m_hwnd, &client);
    // Composed off-screen, then put on the screen in one copy: no frame ever shows half of it.
    HDC frame = CreateCompatibleDC(dc);
    HBITMAP bitmap = CreateCompatibleBitmap(dc, client.right, client.bottom);
    HGDIOBJ old = SelectObject(frame, bitmap);
    BitBlt(frame, 0, 0, client.right, client.bottom, m_rainDc, 0, 0, SRCCOPY);
    const TPanel& egg = m_form.PanelEgg;
    if (egg.Visible()) BitBlt(frame, egg.Left, egg.Top, egg.Width, egg.Height, m_eggDc, 0, 0, SRCCOPY);
    const TPanel& panel = m_form.Panel1;
    BitBlt(frame, panel.Left, panel.Top, panel.Width, panel.Height, m_panelDc, 0, 0, SRCCOPY);
    BitBlt(dc, 0, 0, client.right, client.bottom, frame, 0, 0, SRCCOPY);
    SelectObject(frame, old);
    DeleteObject(bitmap);
    DeleteDC(frame);
}

void AboutBoxWindow::DrawButton(const DRAWITEMSTRUCT& item) {
    HDC dc = item.hDC;
    RECT r = item.rcItem;
    const bool pressed = (item.itemState & ODS_SELECTED) != 0;
    const bool focused = (item.itemState & ODS_FOCUS) != 0;
    HBRUSH face = CreateSolidBrush(pressed ? RGB(48, 48, 48) : RGB(28, 28, 28));
    FillRect(dc, &r, face);
    DeleteObject(face);
    HBRUSH border = CreateSolidBrush(focused ? RGB(0, 200, 0) : RGB(80, 80, 80));
    FrameRect(dc, &r, border);
    DeleteObject(border);
    wchar_t text[64] = {};
    GetWindowTextW(item.hwndItem, text, 64);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, RGB(255, 255, 255));
    HGDIOBJ oldFont = SelectObject(dc, m_labelFont);
    RECT textRect = r;
    if (item.CtlID == kIdInfo) {
        const int x = r.right - S(10) - m_arrowSize;
        Blend(dc, x, (r.top + r.bottom - m_arrowSize) / 2, m_arrowSize, m_arrowSize, m_arrow);
        textRect.right = x;
        textRect.left += S(4);
    }
    if (pressed) OffsetRect(&textRect, 1, 1);
    DrawTextW(dc, text, -1, &textRect, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    SelectObject(dc, oldFont);
}

void AboutBoxWindow::PopupInfoMenu(TButton& button) {
    HWND control = &button == &m_form.BitBtn2 ? GetDlgItem(m_hwnd, kIdInfo) : GetDlgItem(m_hwnd, IDOK);
    HMENU menu = CreatePopupMenu();
    TMenuItem* items[] = {&m_form.Credits1, &m_form.Howtouninstall1, &m_form.LicensePrivacyPolicy1};
    for (TMenuItem* item : items) {
        AppendMenuW(menu, MF_STRING, static_cast<UINT_PTR>(item->CommandId()), item->Caption().c_str());
    }
    RECT client = {};
    GetClientRect(control, &client);
    POINT corner = {0, client.bottom};
    ClientToScreen(control, &corner);
    const UINT chosen =
        TrackPopupMenu(menu, TPM_LEFTALIGN | TPM_TOPALIGN | TPM_RETURNCMD | TPM_NONOTIFY | TPM_LEFTBUTTON,
                       corner.x, corner.y, 0, m_hwnd, nullptr);
    DestroyMenu(menu);
    // The item runs after the menu is gone, as a message, once the menu's bookkeeping is done.
    if (chosen) PostMessageW(m_hwnd, kMsgMenuCommand, chosen, 0);
}

void AboutBoxWindow::OnDpiChanged(UINT dpi, const RECT& suggested) {
    SetWindowPos(m_hwnd, nullptr, suggested.left, suggested.top, suggested.right - suggested.left,
                 suggested.bottom - suggested.top, SWP_NOZORDER | SWP_NOACTIVATE);
    RECT outer = {};
    GetWindowRect(m_hwnd, &outer);
    m_form.OuterWidth = outer.right - outer.left;
    m_form.OuterHeight = outer.bottom - outer.top;
    m_form.FormAfterMonitorDpiChanged(static_cast<int>(dpi));
    InvalidateRect(m_hwnd, nullptr, FALSE);
}

// Fonts, surfaces and child positions at the form's new DPI.
void AboutBoxWindow::Rescale() {
    CreateFonts();
    CreateBuffers();
    for (int id : {kIdProduct, IDOK, kIdInfo}) {
        SendMessageW(GetDlgItem(m_hwnd, id), WM_SETFONT, reinterpret_cast<WPARAM>(m_labelFont), FALSE);
    }
    SendMessageW(GetDlgItem(m_hwnd, kIdLink), WM_SETFONT, reinterpret_cast<WPARAM>(m_linkFont), FALSE);
    Layout();
}

LRESULT AboutBoxWindow::HandleMessage(UINT msg, WPARAM wp, LPARAM lp) {
    TAboutBox& f = m_form;
    switch (msg) {
        case WM_CREATE: {
            RECT outer = {};
            GetWindowRect(m_hwnd, &outer);
            f.Window = reinterpret_cast<WindowRef>(m_hwnd);
            f.OuterWidth = outer.right - outer.left;
            f.OuterHeight = outer.bottom - outer.top;
            f.OnClose = [this] { Close(); };
            f.PopupMenuAt = [this](TButton& button) { PopupInfoMenu(button); };
            f.MoveWindowBy = [this](int dx, int dy) {
                RECT r = {};
                GetWindowRect(m_hwnd, &r);
                SetWindowPos(m_hwnd, nullptr, r.left + dx, r.top + dy, 0, 0,
                             SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
            };
            f.LoadPictures = [this] { LoadPictures(); };
            f.Rescale = [this] { Rescale(); };
            f.tmTimer.OnTimer = [this] {
                m_form.tmTimerTimer();
                InvalidateRect(m_hwnd, nullptr, FALSE);
            };
            CreateFonts();
            CreateBuffers();
            CreateControls();
            f.FormCreate();
            SetWindowTextW(m_hwnd, f.Caption().c_str());
            const std::pair<int, const Control*> texts[] = {
                {kIdProduct, &f.Label2}, {IDOK, &f.BitBtn1}, {kIdInfo, &f.BitBtn2}};
            for (auto [id, model] : texts) {
                SetDlgItemTextW(m_hwnd, id, model->Caption().c_str());
                SendMessageW(GetDlgItem(m_hwnd, id), WM_SETFONT, reinterpret_cast<WPARAM>(m_labelFont),
                             FALSE);
            }
            SendMessageW(GetDlgItem(m_hwnd, kIdLink), WM_SETFONT, reinterpret_cast<WPARAM>(m_linkFont),
                         FALSE);
            Layout();
            m_created = true;
            return 0;
        }
        case WM_ERASEBKGND:
            return 1;  // Paint covers every pixel
        case WM_PAINT: {
            PAINTSTRUCT ps;
            HDC dc = BeginPaint(m_hwnd, &ps);
            Paint(dc);
            EndPaint(m_hwnd, &ps);
            return 0;
        }
        case WM_CTLCOLORSTATIC: {
            HDC dc = reinterpret_cast<HDC>(wp);
            const bool link = GetDlgCtrlID(reinterpret_cast<HWND>(lp)) == kIdLink;
            SetTextColor(dc, link ? kLime : RGB(255, 255, 255));
            SetBkColor(dc, RGB(0, 0, 0));
            return reinterpret_cast<LRESULT>(GetStockObject(BLACK_BRUSH));
        }
        case WM_DRAWITEM:
            DrawButton(*reinterpret_cast<const DRAWITEMSTRUCT*>(lp));
            return TRUE;
        case WM_SETCURSOR:
            if (reinterpret_cast<HWND>(wp) == GetDlgItem(m_hwnd, kIdLink)) {
                SetCursor(LoadCursorW(nullptr, IDC_HAND));
                return TRUE;
            }
            return DefWindowProcW(m_hwnd, msg, wp, lp);
        case WM_COMMAND: {
            const int id = LOWORD(wp);
            if (id == IDOK && HIWORD(wp) == BN_CLICKED) f.BitBtn1.Click();
            if (id == IDCANCEL) f.ButtonKeyDown(TAboutBox::kVkEscape);  // Esc on either button
            if (id == kIdInfo && HIWORD(wp) == BN_CLICKED) f.BitBtn2.Click();
            if (id == kIdLink && HIWORD(wp) == STN_CLICKED) f.Label5Click();
            return 0;
        }
        case kMsgMenuCommand:
            for (TMenuItem* item : {&f.Credits1, &f.Howtouninstall1, &f.LicensePrivacyPolicy1}) {
                if (static_cast<WPARAM>(item->CommandId()) == wp) item->Click();
            }
            return 0;
        case WM_LBUTTONDBLCLK: {
            const POINT p = {GET_X_LPARAM(lp), GET_Y_LPARAM(lp)};
            const RECT icon = IconRect();
            const RECT egg = EggRect();
            const RECT panel = {f.Panel1.Left, f.Panel1.Top, f.Panel1.Left + f.Panel1.Width,
                                f.Panel1.Top + f.Panel1.Height};
            if (PtInRect(&icon, p)) {
                f.Image1DblClick();
            } else if (f.PanelEgg.Visible() && PtInRect(&egg, p) && !PtInRect(&panel, p)) {
                f.ImageEggDblClick();
            }
            return 0;
        }
        case WM_LBUTTONDOWN:
        case WM_MBUTTONDOWN:
        case WM_RBUTTONDOWN: {
            POINT p = {GET_X_LPARAM(lp), GET_Y_LPARAM(lp)};
            ClientToScreen(m_hwnd, &p);
            const auto button = msg == WM_LBUTTONDOWN   ? TAboutBox::MouseButton::Left
                                : msg == WM_MBUTTONDOWN ? TAboutBox::MouseButton::Middle
                                                        : TAboutBox::MouseButton::Right;
            f.FormMouseDown(button, {p.x, p.y});
            if (f.Dragging()) SetCapture(m_hwnd);
            return 0;
        }
        case WM_MOUSEMOVE: {
            POINT p = {GET_X_LPARAM(lp), GET_Y_LPARAM(lp)};
            ClientToScreen(m_hwnd, &p);
            f.FormMouseMove({p.x, p.y});
            return 0;
        }
        case WM_LBUTTONUP:
        case WM_MBUTTONUP:
        case WM_RBUTTONUP:
            f.FormMouseUp();
            if (GetCapture() == m_hwnd) ReleaseCapture();
            return 0;
        case WM_CAPTURECHANGED:
            f.FormMouseUp();
            return 0;
        case WM_SIZE:
            if (m_created) f.FormResize();
            return 0;
        case WM_DPICHANGED:
            OnDpiChanged(HIWORD(wp), *reinterpret_cast<const RECT*>(lp));
            return 0;
        case WM_CLOSE:
            Close();
            return 0;
        default:
            return DefWindowProcW(m_hwnd, msg, wp, lp);
    }
}

}  // namespace orv
