// Win32 view of the main window: native controls, layout at the window's DPI, and the
// translation of window messages into calls of the form's handlers.
#include "app/main_form_win32.h"

#include <commctrl.h>
#include <shellapi.h>
#include <windowsx.h>

#include <algorithm>
#include <cwchar>

#include "about/about_box_win32.h"
#include "app/control_ids.h"
#include "macro/edit_step_form_win32.h"
#include "online/feedback_form_win32.h"
#include "online/new_version_win32.h"
#include "res/resource.h"
#include "shell/hotkey_form_win32.h"

namespace orv {
namespace {

constexpr wchar_t kSplitterClass[] = L"OrvalinSplitter";
constexpr UINT kMsgSplitterDrag = WM_APP + 1;  // wParam: the pointer's x in the parent's client area
// Rows appended by recording reach the list view on a frame timer: the mouse hook that appends
// them must return at once, and a message posted per turn of the loop costs each event a round
// trip to the window system. The timer ends itself after a second without new rows.
constexpr UINT_PTR kTimerListGrow = 0x4C47;
constexpr UINT kListGrowFrameMs = 16;
constexpr int kListGrowIdleFrames = 60;
constexpr UINT kMsgTrayIcon = WM_APP + 3;      // lParam: the mouse message on the tray icon

// Client size at 96 DPI when the window is created, and the smallest it may get.
constexpr int kClientWidth = 764;
constexpr int kClientHeight = 400;
constexpr int kMinClientWidth = 620;
constexpr int kMinClientHeight = 360;
constexpr int kSplitterWidth = 4;

// Columns of the step list: caption and width at 96 DPI.
constexpr std::pair<const wchar_t*, int> kColumns[] = {
    {L"X Position", 60},         {L"Y Position", 60},          {L"Left Mouse Button", 105},
    {L"Right Mouse Button", 110}, {L"Middle Mouse Button", 115}, {L"Wait (sec)", 65}};

int IconIdOfImage(int imageIndex) {
    switch (imageIndex) {
        case kImageRecord: return IDI_RECORD;
        case kImagePlay: return IDI_PLAY;
        case kImageStop: return IDI_STOP;
        default: return 0;
    }
}

}  // namespace

using win32::AdjustForDpi;
using win32::MirrorCheck;
using win32::MirrorText;
using win32::WindowDpi;
using win32::WindowText;

MainWindow::MainWindow(TAppForm& form, Win32Platform& platform) : m_form(form), m_platform(platform) {}

MainWindow::~MainWindow() {
    Destroy();
    for (auto& [index, icon] : m_icons) DestroyIcon(icon);
    if (m_hotkeyIcon) DestroyIcon(m_hotkeyIcon);
    if (m_font) DeleteObject(m_font);
    if (m_boldFont) DeleteObject(m_boldFont);
    if (m_tooltip) DestroyWindow(m_tooltip);
    for (HMENU menu : {m_recordDropDown, m_playDropDown, m_listMenu, m_trayMenu}) {
        if (menu) DestroyMenu(menu);
    }
    if (m_accelerators) DestroyAcceleratorTable(m_accelerators);
}

void MainWindow::Destroy() {
    m_tray.Remove();  // no icon outlives the program
    if (m_hwnd) DestroyWindow(m_hwnd);
    m_hwnd = nullptr;
}

HWND MainWindow::Create() {
    HINSTANCE instance = GetModuleHandleW(nullptr);
    WNDCLASSEXW wc = {sizeof wc};
    wc.style = CS_DBLCLKS;
    wc.lpfnWndProc = WndProc;
    wc.hInstance = instance;
    wc.hIcon = LoadIconW(instance, MAKEINTRESOURCEW(IDI_APP));
    wc.hIconSm = static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(IDI_APP), IMAGE_ICON,
                                               GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON), 0));
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = ids::kMainWindowClass;
    RegisterClassExW(&wc);

    WNDCLASSEXW splitter = {sizeof splitter};
    splitter.lpfnWndProc = SplitterProc;
    splitter.hInstance = instance;
    splitter.hCursor = LoadCursorW(nullptr, IDC_SIZEWE);
    splitter.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    splitter.lpszClassName = kSplitterClass;
    RegisterClassExW(&splitter);

    // Files dropped from the shell arrive as WM_DROPFILES.
    const DWORD exStyle = WS_EX_ACCEPTFILES;
    // No WS_CLIPCHILDREN: the group box does not paint its inside, the window behind it must.
    const DWORD style = WS_OVERLAPPEDWINDOW;
    m_dpi = WindowDpi(nullptr);
    RECT rect = {0, 0, S(kClientWidth), S(kClientHeight)};
    AdjustForDpi(rect, style, exStyle, true, m_dpi);
    const int width = rect.right - rect.left;
    const int height = rect.bottom - rect.top;
    RECT work = {};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    const int x = work.left + std::max(0L, (work.right - work.left - width) / 2);
    const int y = work.top + std::max(0L, (work.bottom - work.top - height) / 2);

    CreateMenus();
    m_hwnd = CreateWindowExW(exStyle, ids::kMainWindowClass, L"", style, x, y, width, height, nullptr, m_menu,
                             instance, this);
    if (!m_hwnd) return nullptr;
    m_platform.SetMainWindow(m_hwnd);
    m_form.SetWindowRef(reinterpret_cast<WindowRef>(m_hwnd));
    m_tray.Attach(m_hwnd, kMsgTrayIcon);
    m_taskbarCreated = RegisterWindowMessageW(L"TaskbarCreated");

    // The window may have landed on a monitor of another DPI than the primary one.
    const UINT dpi = WindowDpi(m_hwnd);
    if (dpi != m_dpi) {
        m_dpi = dpi;
        RECT r = {0, 0, S(kClientWidth), S(kClientHeight)};
        AdjustForDpi(r, style, exStyle, true, m_dpi);
        SetWindowPos(m_hwnd, nullptr, 0, 0, r.right - r.left, r.bottom - r.top, SWP_NOMOVE | SWP_NOZORDER);
    }
    CreateControls();
    UpdateFonts();
    UpdateImages();
    BindModels();
    Layout();
    return m_hwnd;
}

HWND MainWindow::AddControl(const wchar_t* className, const wchar_t* text, DWORD style, int id, DWORD exStyle) {
    return CreateWindowExW(exStyle, className, text, WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | style, 0, 0, 10, 10,
                           m_hwnd, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleW(nullptr),
                           nullptr);
}

void MainWindow::CreateMenus() {
    const auto add = [&](HMENU menu, TMenuItem& item, const wchar_t* suffix = L"") {
        std::wstring text = item.Caption() + suffix;
        MENUITEMINFOW info = {sizeof info};
        info.fMask = MIIM_ID | MIIM_STRING | MIIM_FTYPE;
        info.fType = item.RadioItem() ? MFT_RADIOCHECK : MFT_STRING;
        info.wID = static_cast<UINT>(item.CommandId());
        info.dwTypeData = text.data();
        InsertMenuItemW(menu, GetMenuItemCount(menu), TRUE, &info);
        m_commands[item.CommandId()] = &item;
    };
    const auto separator = [](HMENU menu) { AppendMenuW(menu, MF_SEPARATOR, 0, nullptr); };

    TAppForm& f = m_form;
    HMENU file = CreatePopupMenu();
    add(file, f.Clear1);
    add(file, f.Load1);
    add(file, f.Save1);
    separator(file);
    add(file, f.Exit1);

    HMENU restore = CreatePopupMenu();
    add(restore, f.RestoreMousePositionNone1);
    add(restore, f.RestoreMousePositionAfterEachStep1);
    add(restore, f.RestoreMousePositionAfterEachLoop1);
    add(restore, f.RestoreMousePositionAfterCompletion1);

    HMENU settings = CreatePopupMenu();
    add(settings, f.AutomaticallyLoad1);
    add(settings, f.AutomaticallyPlay1);
    separator(settings);
    add(settings, f.AutomaticallyClose1);
    add(settings, f.HotkeyBeep1);
    add(settings, f.LockMouse1);
    add(settings, f.MinimizetoSystemTray1);
    AppendMenuW(settings, MF_POPUP, reinterpret_cast<UINT_PTR>(restore), L"Restore Mouse Position");
    add(settings, f.StayonTop1);
    separator(settings);
    add(settings, f.ResettoDefaults1);

    HMENU help = CreatePopupMenu();
    add(help, f.Help2, L"\tF1");
    separator(help);
    add(help, f.UpdateNotifications1);
    add(help, f.SendFeedback1);
    add(help, f.About1);

    m_menu = CreateMenu();
    AppendMenuW(m_menu, MF_POPUP, reinterpret_cast<UINT_PTR>(file), L"File");
    AppendMenuW(m_menu, MF_POPUP, reinterpret_cast<UINT_PTR>(settings), L"Settings");
    AppendMenuW(m_menu, MF_POPUP, reinterpret_cast<UINT_PTR>(help), L"Help");

    m_recordDropDown = CreatePopupMenu();
    add(m_recordDropDown, f.MinimizeandRecord1);
    m_playDropDown = CreatePopupMenu();
    add(m_playDropDown, f.MinimizeandPlay1);
    m_listMenu = CreatePopupMenu();
    add(m_listMenu, f.Edit1);
    separator(m_listMenu);
    add(m_listMenu, f.Delete1);
    add(m_listMenu, f.DeleteAll1);
    m_trayMenu = CreatePopupMenu();
    add(m_trayMenu, f.Exit2);

    ACCEL f1 = {FVIRTKEY, VK_F1, static_cast<WORD>(ids::kCmdOnlineHelp)};
    m_accelerators = CreateAcceleratorTableW(&f1, 1);
}

void MainWindow::CreateControls() {
    using namespace ids;
    TAppForm& f = m_form;
    AddControl(WC_STATICW, f.Label1.Caption().c_str(), SS_CENTER | SS_CENTERIMAGE | SS_NOPREFIX, kLabel1);
    AddControl(WC_BUTTONW, L"", BS_PUSHBUTTON | BS_ICON | WS_TABSTOP, kButton3);
    AddControl(WC_BUTTONW, f.ButtonRecord.Caption().c_str(), BS_SPLITBUTTON | WS_TABSTOP, kButtonRecord);
    AddControl(WC_BUTTONW, f.RadioButton1.Caption().c_str(), BS_AUTORADIOBUTTON | WS_GROUP | WS_TABSTOP,
               kRadioButton1);
    AddControl(WC_BUTTONW, f.RadioButton2.Caption().c_str(), BS_AUTORADIOBUTTON, kRadioButton2);
    AddControl(WC_STATICW, L"", SS_ETCHEDHORZ | WS_GROUP, kSeparator);
    AddControl(WC_STATICW, f.Label5.Caption().c_str(), SS_CENTER | SS_CENTERIMAGE | SS_NOPREFIX, kLabel5);
    AddControl(WC_BUTTONW, L"", BS_PUSHBUTTON | BS_ICON | WS_TABSTOP, kButton7);
    AddControl(WC_BUTTONW, f.ButtonPlay.Caption().c_str(), BS_SPLITBUTTON | WS_TABSTOP, kButtonPlay);

    const auto addSpin = [&](TSpinEdit& model, int labelId, TLabel& label, int editId, int upDownId) {
        AddControl(WC_STATICW, label.Caption().c_str(), SS_LEFT | SS_CENTERIMAGE, labelId);
        m_spins.emplace_back().Create(m_hwnd, editId, upDownId, model, false);
    };
    addSpin(f.SpinEdit1, kLabelLoop, f.LabelLoop, kSpinEdit1, kSpinEdit1UpDown);
    AddControl(WC_BUTTONW, f.CheckBoxInfinite.Caption().c_str(), BS_AUTOCHECKBOX | WS_TABSTOP, kCheckBoxInfinite);
    addSpin(f.SpinEdit2, kLabelStepDelay, f.LabelStepDelay, kSpinEdit2, kSpinEdit2UpDown);
    AddControl(WC_STATICW, f.LabelMsec1.Caption().c_str(), SS_LEFT | SS_CENTERIMAGE, kLabelMsec1);
    addSpin(f.SpinEdit3, kLabelReplayDelay, f.LabelReplayDelay, kSpinEdit3, kSpinEdit3UpDown);
    AddControl(WC_STATICW, f.LabelMsec2.Caption().c_str(), SS_LEFT | SS_CENTERIMAGE, kLabelMsec2);

    CreateWindowExW(0, kSplitterClass, L"", WS_CHILD | WS_VISIBLE, 0, 0, 1, 1, m_hwnd,
                    reinterpret_cast<HMENU>(static_cast<INT_PTR>(kSplitter)), GetModuleHandleW(nullptr), nullptr);

    HWND group = AddControl(WC_BUTTONW, f.GroupSteps.Caption().c_str(), BS_GROUPBOX, kGroupSteps);
    HWND list = AddControl(WC_LISTVIEWW, L"",
                           LVS_REPORT | LVS_SHOWSELALWAYS | LVS_OWNERDATA | WS_TABSTOP | WS_BORDER, kListView1);
    ListView_SetExtendedListViewStyle(list, LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT);
    AddControl(WC_BUTTONW, f.ButtonClear.Caption().c_str(), BS_PUSHBUTTON | WS_TABSTOP, kButtonClear);
    AddControl(WC_BUTTONW, f.Button4.Caption().c_str(), BS_PUSHBUTTON | WS_TABSTOP, kButton4);
    AddControl(WC_BUTTONW, f.Button5.Caption().c_str(), BS_PUSHBUTTON | WS_TABSTOP, kButton5);
    AddControl(WC_BUTTONW, f.Button6.Caption().c_str(), BS_PUSHBUTTON | WS_TABSTOP, kButton6);
    AddControl(STATUSCLASSNAMEW, L"", SBARS_SIZEGRIP, kStatusBar1);
    // The group box goes below its contents in the z-order, or the list (which clips its
    // siblings) could not paint anywhere under it.
    SetWindowPos(group, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);

    // Wine: a window that owns a topmost popup never becomes topmost itself, which would break
    // "Stay on Top"; the tooltip therefore has no owner (it still serves the main window).
    m_tooltip = CreateWindowExW(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP,
                                CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr,
                                GetModuleHandleW(nullptr), nullptr);
    for (auto [id, model] : {std::pair{kButton3, &f.Button3}, std::pair{kButton7, &f.Button7}}) {
        TOOLINFOW tool = {sizeof tool};
        tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
        tool.hwnd = m_hwnd;
        tool.uId = reinterpret_cast<UINT_PTR>(Child(id));
        std::wstring hint = model->Hint();
        tool.lpszText = hint.data();
        SendMessageW(m_tooltip, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
    }
}

void MainWindow::UpdateFonts() {
    if (m_font) DeleteObject(m_font);
    if (m_boldFont) DeleteObject(m_boldFont);
    // Tahoma with an 11-pixel character height at 96 DPI.
    LOGFONTW lf = {};
    lf.lfHeight = -S(11);
    lf.lfWeight = FW_NORMAL;
    lf.lfCharSet = DEFAULT_CHARSET;
    lf.lfQuality = CLEARTYPE_QUALITY;
    wcscpy(lf.lfFaceName, L"Tahoma");
    m_font = CreateFontIndirectW(&lf);
    lf.lfWeight = FW_BOLD;
    m_boldFont = CreateFontIndirectW(&lf);
    for (HWND child = GetWindow(m_hwnd, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        const int id = GetDlgCtrlID(child);
        const HFONT font = id == ids::kLabel1 || id == ids::kLabel5 ? m_boldFont : m_font;
        SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    }
    if (m_tooltip) SendMessageW(m_tooltip, WM_SETFONT, reinterpret_cast<WPARAM>(m_font), FALSE);

    // Column widths follow the DPI too.
    HWND list = Child(ids::kListView1);
    const int existing = Header_GetItemCount(ListView_GetHeader(list));
    for (int i = 0; i < 6; ++i) {
        LVCOLUMNW column = {};
        column.mask = LVCF_TEXT | LVCF_WIDTH;
        column.pszText = const_cast<wchar_t*>(kColumns[i].first);
        column.cx = S(kColumns[i].second);
        if (i < existing) {
            ListView_SetColumn(list, i, &column);
        } else {
            ListView_InsertColumn(list, i, &column);
        }
    }
}

void MainWindow::FitColumns() {
    // Room the list has beyond the given widths goes to columns whose captions would otherwise
    // be cut off, in column order.
    HWND list = Child(ids::kListView1);
    RECT client = {};
    GetClientRect(list, &client);
    int spare = client.right;
    for (const auto& [caption, width] : kColumns) spare -= S(width);
    for (int i = 0; i < 6; ++i) {
        const int given = S(kColumns[i].second);
        const int wanted = ListView_GetStringWidth(list, kColumns[i].first) + S(14);
        const int extra = std::clamp(wanted - given, 0, std::max(spare, 0));
        spare -= extra;
        ListView_SetColumnWidth(list, i, given + extra);
    }
}

void MainWindow::UpdateImages() {
    HINSTANCE instance = GetModuleHandleW(nullptr);
    const int size = S(16);
    for (auto& [index, icon] : m_icons) DestroyIcon(icon);
    m_icons.clear();
    for (int index : {kImageRecord, kImagePlay, kImageStop}) {
        m_icons[index] = static_cast<HICON>(
            LoadImageW(instance, MAKEINTRESOURCEW(IconIdOfImage(index)), IMAGE_ICON, size, size, LR_DEFAULTCOLOR));
    }
    if (m_hotkeyIcon) DestroyIcon(m_hotkeyIcon);
    m_hotkeyIcon = static_cast<HICON>(
        LoadImageW(instance, MAKEINTRESOURCEW(IDI_HOTKEY), IMAGE_ICON, size, size, LR_DEFAULTCOLOR));
    for (int id : {ids::kButton3, ids::kButton7}) {
        SendMessageW(Child(id), BM_SETIMAGE, IMAGE_ICON, reinterpret_cast<LPARAM>(m_hotkeyIcon));
    }
    MirrorButton(m_form.ButtonRecord, ids::kButtonRecord);
    MirrorButton(m_form.ButtonPlay, ids::kButtonPlay);
}

void MainWindow::Layout() {
    using namespace ids;
    RECT client = {};
    GetClientRect(m_hwnd, &client);
    HWND status = Child(kStatusBar1);
    SendMessageW(status, WM_SIZE, 0, 0);
    RECT statusRect = {};
    GetWindowRect(status, &statusRect);
    const int statusHeight = statusRect.bottom - statusRect.top;
    int parts[4];
    int edge = 0;
    for (int i = 0; i < 3; ++i) {
        edge += S(m_form.StatusBar1.PanelWidth(static_cast<std::size_t>(i)));
        parts[i] = edge;
    }
    parts[3] = -1;  // the activity text takes the rest of the bar
    SendMessageW(status, SB_SETPARTS, 4, reinterpret_cast<LPARAM>(parts));

    const auto place = [&](int id, int x, int y, int w, int h) {
        SetWindowPos(Child(id), nullptr, x, y, w, h, SWP_NOZORDER | SWP_NOACTIVATE);
    };
    const int m = S(8);
    const int left = S(m_leftWidth);
    const int columnWidth = left - 2 * m;
    int y = S(8);
    place(kLabel1, m, y, columnWidth - S(25), S(20));
    place(kButton3, left - m - S(21), y, S(21), S(20));
    y += S(26);
    place(kButtonRecord, m, y, columnWidth, S(32));
    y += S(38);
    place(kRadioButton1, m + S(4), y, columnWidth - S(4), S(19));
    y += S(21);
    place(kRadioButton2, m + S(4), y, columnWidth - S(4), S(19));
    y += S(27);
    place(kSeparator, m, y, columnWidth, 2);
    y += S(9);
    place(kLabel5, m, y, columnWidth - S(25), S(20));
    place(kButton7, left - m - S(21), y, S(21), S(20));
    y += S(26);
    place(kButtonPlay, m, y, columnWidth, S(32));
    y += S(42);
    // Label, field and what follows must fit 210 pixels: "Infinite" needs about 52 of them.
    const int labelWidth = S(68);
    const int editWidth = S(72);
    const int rowHeight = S(22);
    const int fieldX = S(6) + labelWidth;
    const int afterField = fieldX + editWidth + S(4);
    const struct {
        int label, edit, upDown, after;
    } rows[] = {{kLabelLoop, kSpinEdit1, kSpinEdit1UpDown, kCheckBoxInfinite},
                {kLabelStepDelay, kSpinEdit2, kSpinEdit2UpDown, kLabelMsec1},
                {kLabelReplayDelay, kSpinEdit3, kSpinEdit3UpDown, kLabelMsec2}};
    for (const auto& row : rows) {
        place(row.label, S(6), y, labelWidth, rowHeight);
        place(row.edit, fieldX, y, editWidth, rowHeight);
        place(row.after, afterField, y, left - S(4) - afterField, rowHeight);
        y += rowHeight + S(8);
    }

    const int bottom = client.bottom - statusHeight;
    place(kSplitter, left, 0, S(kSplitterWidth), bottom);
    const int rightX = left + S(kSplitterWidth) + S(4);
    const int rightWidth = std::max(S(100), static_cast<int>(client.right) - rightX - m);
    const int buttonHeight = S(26);
    const int buttonWidth = S(92);
    const int buttonY = bottom - m - buttonHeight;
    place(kGroupSteps, rightX, S(2), rightWidth, buttonY - S(8) - S(2));
    place(kListView1, rightX + S(6), S(20), rightWidth - S(12), buttonY - S(8) - S(2) - S(20) - S(6));
    place(kButtonClear, rightX, buttonY, buttonWidth, buttonHeight);
    int x = rightX + rightWidth;
    for (int id : {kButton6, kButton5, kButton4}) {
        x -= buttonWidth;
        place(id, x, buttonY, buttonWidth, buttonHeight);
        x -= S(6);
    }
    FitColumns();
    // The up-down controls follow their buddies.
    for (const win32::SpinView& spin : m_spins) {
        SendMessageW(spin.UpDown(), UDM_SETBUDDY, reinterpret_cast<WPARAM>(spin.Edit()), 0);
    }
}

// --- mirroring --------------------------------------------------------------------------------

void MainWindow::MirrorButton(TButton& model, int id) {
    MirrorText(Child(id), model);
    auto icon = m_icons.find(model.ImageIndex());
    if (icon != m_icons.end()) {
        SendMessageW(Child(id), BM_SETIMAGE, IMAGE_ICON, reinterpret_cast<LPARAM>(icon->second));
    }
}

void MainWindow::MirrorMenuItem(TMenuItem& item) {
    const UINT id = static_cast<UINT>(item.CommandId());
    for (HMENU menu : {m_menu, m_recordDropDown, m_playDropDown, m_listMenu, m_trayMenu}) {
        CheckMenuItem(menu, id, MF_BYCOMMAND | (item.Checked() ? MF_CHECKED : MF_UNCHECKED));
        EnableMenuItem(menu, id, MF_BYCOMMAND | (item.Enabled() ? MF_ENABLED : MF_GRAYED));
    }
}

void MainWindow::MirrorStatusBar() {
    HWND status = Child(ids::kStatusBar1);
    const TStatusBar& bar = m_form.StatusBar1;
    m_panelsShown.resize(bar.PanelCount());
    for (std::size_t i = 0; i < bar.PanelCount(); ++i) {
        if (bar.PanelText(i) == m_panelsShown[i]) continue;
        // Set before it is sent: whatever the control's repaint runs cannot send it twice.
        m_panelsShown[i] = bar.PanelText(i);
        SendMessageW(status, SB_SETTEXTW, static_cast<WPARAM>(i),
                     reinterpret_cast<LPARAM>(m_panelsShown[i].c_str()));
    }
}

void MainWindow::MirrorTrayIcon() {
    if (m_form.TrayIcon1.Visible()) {
        m_tray.Show(m_form.TrayIcon1.Hint());
    } else {
        m_tray.Remove();
    }
}

void MainWindow::OnTrayIcon(UINT mouseMessage) {
    switch (mouseMessage) {
        case WM_LBUTTONUP:
            m_form.TrayIcon1.Click();
            break;
        case WM_RBUTTONUP:
        case WM_CONTEXTMENU: {
            POINT p = {};
            GetCursorPos(&p);
            // The menu closes when the user clicks elsewhere only if our window is in front;
            // the posted message lets it close at once after a choice.
            SetForegroundWindow(m_hwnd);
            TrackPopupMenu(m_trayMenu, TPM_RIGHTBUTTON | TPM_BOTTOMALIGN, p.x, p.y, 0, m_hwnd, nullptr);
            PostMessageW(m_hwnd, WM_NULL, 0, 0);
            break;
        }
        default:
            break;
    }
}

void MainWindow::BindModels() {
    using namespace ids;
    TAppForm& f = m_form;
    f.OnViewUpdate = [this] { SetWindowTextW(m_hwnd, m_form.Caption().c_str()); };
    const auto bindText = [this](Control& model, int id) {
        model.OnViewUpdate = [this, &model, id] { MirrorText(Child(id), model); };
    };
    bindText(f.Label1, kLabel1);
    bindText(f.Label5, kLabel5);
    bindText(f.LabelLoop, kLabelLoop);
    bindText(f.LabelStepDelay, kLabelStepDelay);
    bindText(f.LabelMsec1, kLabelMsec1);
    bindText(f.LabelReplayDelay, kLabelReplayDelay);
    bindText(f.LabelMsec2, kLabelMsec2);
    bindText(f.GroupSteps, kGroupSteps);
    for (auto [model, id] : {std::pair{&f.ButtonRecord, kButtonRecord}, std::pair{&f.ButtonPlay, kButtonPlay},
                             std::pair{&f.Button3, kButton3}, std::pair{&f.Button7, kButton7},
                             std::pair{&f.ButtonClear, kButtonClear}, std::pair{&f.Button4, kButton4},
                             std::pair{&f.Button5, kButton5}, std::pair{&f.Button6, kButton6}}) {
        TButton* button = model;
        const int buttonId = id;
        if (buttonId == kButton3 || buttonId == kButton7) {
            // Picture buttons: no caption, only the enabled state.
            button->OnViewUpdate = [this, button, buttonId] { EnableWindow(Child(buttonId), button->Enabled()); };
        } else {
            button->OnViewUpdate = [this, button, buttonId] { MirrorButton(*button, buttonId); };
        }
        button->OnViewUpdate();
    }
    f.RadioButton1.OnViewUpdate = [this] {
        MirrorCheck(Child(kRadioButton1), m_form.RadioButton1, m_form.RadioButton1.Checked());
    };
    f.RadioButton2.OnViewUpdate = [this] {
        MirrorCheck(Child(kRadioButton2), m_form.RadioButton2, m_form.RadioButton2.Checked());
    };
    f.CheckBoxInfinite.OnViewUpdate = [this] {
        MirrorCheck(Child(kCheckBoxInfinite), m_form.CheckBoxInfinite, m_form.CheckBoxInfinite.Checked());
    };
    for (win32::SpinView& spin : m_spins) {
        win32::SpinView* p = &spin;
        spin.Model().OnViewUpdate = [p] { p->Mirror(); };
    }
    f.ListView1.OnChange = [this](const StepList::Change& change) { OnListChange(change); };
    f.ListView1.OnScrollIntoView = [this](std::size_t row) {
        if (m_listGrowPending) {
            m_scrollPending = row;  // shown with the rows it belongs to
            return;
        }
        ListView_EnsureVisible(Child(kListView1), static_cast<int>(row), FALSE);
    };
    f.ListView1.OnFollowRow = [this](std::size_t row) {
        FlushListGrowth();  // the view must count the row first
        HWND view = Child(kListView1);
        const auto top = static_cast<std::size_t>(std::max(0, ListView_GetTopIndex(view)));
        const auto perPage = static_cast<std::size_t>(std::max(0, ListView_GetCountPerPage(view)));
        const std::size_t target = StepList::FollowScrollTarget(row, top, perPage, m_form.ListView1.Count());
        if (target != StepList::kNone) ListView_EnsureVisible(view, static_cast<int>(target), FALSE);
    };
    f.ShowStepEditor = [this](std::unique_ptr<TFormEditStep> editor) {
        StepEditorWindow::Open(std::move(editor), m_hwnd, m_platform);
    };
    f.ShowAboutBox = [this] { AboutBoxWindow::ShowModal(m_hwnd, m_platform, m_form.Identity()); };
    f.ShowHotkeyDialog = [this](std::unique_ptr<TFormHotkey> dialog) {
        HotkeyDialogWindow::Open(std::move(dialog), m_hwnd, m_platform);
    };
    f.ShowNewVer = [this](TNewVer& notice) { NewVerWindow::Create(notice, m_hwnd, m_platform); };
    f.ShowFeedback = [this](TFeedbackForm& dialog) { FeedbackWindow::ShowModal(dialog, m_hwnd, m_platform); };
    f.StatusBar1.OnViewUpdate = [this] { MirrorStatusBar(); };
    f.TrayIcon1.OnViewUpdate = [this] { MirrorTrayIcon(); };
    for (auto& [id, item] : m_commands) {
        TMenuItem* menuItem = item;
        menuItem->OnViewUpdate = [this, menuItem] { MirrorMenuItem(*menuItem); };
    }
    f.FocusControl = [this](Control& control) {
        int id = 0;
        if (&control == &m_form.ButtonRecord) id = kButtonRecord;
        if (&control == &m_form.GroupSteps) id = kListView1;  // the step list
        return id && SetFocus(Child(id)) != nullptr;
    };

    // Bring every control in line with its model once.
    f.OnViewUpdate();
    for (Control* c : std::initializer_list<Control*>{&f.Label1, &f.Label5, &f.LabelLoop, &f.LabelStepDelay,
                                                      &f.LabelMsec1, &f.LabelReplayDelay, &f.LabelMsec2,
                                                      &f.GroupSteps, &f.RadioButton1, &f.RadioButton2,
                                                      &f.CheckBoxInfinite, &f.SpinEdit1, &f.SpinEdit2,
                                                      &f.SpinEdit3, &f.StatusBar1}) {
        c->OnViewUpdate();
    }
    for (auto& [id, item] : m_commands) item->OnViewUpdate();
}

// --- user actions -----------------------------------------------------------------------------

void MainWindow::OnCommand(int id, int code, HWND control) {
    using namespace ids;
    TAppForm& f = m_form;
    if (!control) {  // menu or accelerator
        auto it = m_commands.find(id);
        if (it != m_commands.end()) it->second->Click();
        return;
    }
    for (win32::SpinView& spin : m_spins) {
        if (spin.OnCommand(id, code)) return;
    }
    if (code != BN_CLICKED) return;
    switch (id) {
        case kButtonRecord: f.ButtonRecord.Click(); break;
        case kButtonPlay: f.ButtonPlay.Click(); break;
        case kButton3: f.Button3.Click(); break;
        case kButton7: f.Button7.Click(); break;
        case kButtonClear: f.ButtonClear.Click(); break;
        case kButton4: f.Button4.Click(); break;
        case kButton5: f.Button5.Click(); break;
        case kButton6: f.Button6.Click(); break;
        case kRadioButton1: f.RadioButton1.Click(); break;
        case kRadioButton2: f.RadioButton2.Click(); break;
        case kCheckBoxInfinite:
            f.CheckBoxInfinite.SetChecked(SendMessageW(control, BM_GETCHECK, 0, 0) == BST_CHECKED);
            break;
        default: break;
    }
}

void MainWindow::ShowDropDown(int buttonId, HMENU menu) {
    RECT rect = {};
    GetWindowRect(Child(buttonId), &rect);
    TrackPopupMenu(menu, TPM_LEFTALIGN | TPM_TOPALIGN, rect.left, rect.bottom, 0, m_hwnd, nullptr);
}

LRESULT MainWindow::OnNotify(const NMHDR& header) {
    if (header.code == BCN_DROPDOWN) {
        if (header.idFrom == ids::kButtonRecord) ShowDropDown(ids::kButtonRecord, m_recordDropDown);
        if (header.idFrom == ids::kButtonPlay) ShowDropDown(ids::kButtonPlay, m_playDropDown);
        return 0;
    }
    if (header.idFrom != ids::kListView1) return 0;
    switch (header.code) {
        case LVN_GETDISPINFOW: {
            // The list view owns no texts: every cell is read from the step list when drawn.
            auto& info = reinterpret_cast<NMLVDISPINFOW&>(const_cast<NMHDR&>(header));
            const auto row = static_cast<std::size_t>(info.item.iItem);
            if ((info.item.mask & LVIF_TEXT) && row < m_form.ListView1.Count() && info.item.iSubItem < kCellCount) {
                const std::wstring_view cell = m_form.ListView1.Cell(row, info.item.iSubItem);
                const std::size_t n = std::min<std::size_t>(cell.size(), info.item.cchTextMax - 1);
                std::copy_n(cell.data(), n, info.item.pszText);
                info.item.pszText[n] = L'\0';
            }
            return 0;
        }
        case LVN_ITEMCHANGED:
            OnListItemChanged(reinterpret_cast<const NMLISTVIEW&>(header));
            return 0;
        case LVN_ODSTATECHANGED: {
            const auto& range = reinterpret_cast<const NMLVODSTATECHANGE&>(header);
            // While the model is being shown, the view only echoes it.
            if (!m_listFromView && ((range.uNewState ^ range.uOldState) & LVIS_SELECTED)) {
                m_listFromView = true;
                m_form.ListView1.SetSelectedRange(static_cast<std::size_t>(range.iFrom),
                                                  static_cast<std::size_t>(range.iTo),
                                                  (range.uNewState & LVIS_SELECTED) != 0);
                m_listFromView = false;
            }
            return 0;
        }
        case LVN_KEYDOWN:
            m_form.ListView1KeyDown(reinterpret_cast<const NMLVKEYDOWN&>(header).wVKey);
            return 0;
        case NM_DBLCLK:
            m_form.ListView1DblClick();
            return 0;
        case LVN_BEGINDRAG:
            // A press on a row followed by a move drags the list itself.
            m_listDragging = true;
            SetCapture(m_hwnd);
            SetCursor(LoadCursorW(nullptr, IDC_ARROW));
            return 0;
        default:
            return 0;
    }
}

void MainWindow::OnListItemChanged(const NMLISTVIEW& item) {
    if (!(item.uChanged & LVIF_STATE)) return;
    // While the model is being shown, the view only echoes it: a row cleared on the way to being
    // selected again must not clear it in the model.
    if (m_listFromView) return;
    StepList& list = m_form.ListView1;
    m_listFromView = true;
    if ((item.uNewState ^ item.uOldState) & LVIS_SELECTED) {
        const bool selected = (item.uNewState & LVIS_SELECTED) != 0;
        if (item.iItem < 0) {
            if (selected) {
                list.SetSelectedRange(0, list.Count() ? list.Count() - 1 : 0, true);
            } else {
                list.ClearSelection();
            }
        } else {
            list.SetSelected(static_cast<std::size_t>(item.iItem), selected);
        }
    }
    if ((item.uNewState & LVIS_FOCUSED) && !(item.uOldState & LVIS_FOCUSED) && item.iItem >= 0) {
        list.SetFocused(static_cast<std::size_t>(item.iItem));
    }
    m_listFromView = false;
}

void MainWindow::SelectionFromModel() {
    HWND view = Child(ids::kListView1);
    const StepList& list = m_form.ListView1;
    // Wine: clearing every row at once (item -1) visits all rows of the owner-data list, about
    // 2 ms for 3000 rows, and playback catches the view up 60 times a second. What the view
    // shows is a single focused and selected row as a rule: then just that one is cleared.
    const int focused = ListView_GetNextItem(view, -1, LVNI_FOCUSED);
    if (focused >= 0 && ListView_GetSelectedCount(view) == 1 &&
        ListView_GetItemState(view, focused, LVIS_SELECTED) == LVIS_SELECTED) {
        ListView_SetItemState(view, focused, 0, LVIS_SELECTED | LVIS_FOCUSED);
    } else {
        ListView_SetItemState(view, -1, 0, LVIS_SELECTED | LVIS_FOCUSED);
    }
    if (list.SelectedCount() > 0) {
        // Stops at the last selected row: playback shows one row of a long list this way.
        std::size_t left = list.SelectedCount();
        for (std::size_t row = list.FirstSelected(); left > 0 && row < list.Count(); ++row) {
            if (!list.Selected(row)) continue;
            ListView_SetItemState(view, static_cast<int>(row), LVIS_SELECTED, LVIS_SELECTED);
            --left;
        }
    }
    if (list.Focused() != StepList::kNone) {
        ListView_SetItemState(view, static_cast<int>(list.Focused()), LVIS_FOCUSED, LVIS_FOCUSED);
    }
}

void MainWindow::FlushListGrowth() {
    if (!m_listGrowPending) return;
    m_listGrowPending = false;
    HWND view = Child(ids::kListView1);
    ListView_SetItemCountEx(view, static_cast<int>(m_form.ListView1.Count()), LVSICF_NOINVALIDATEALL | LVSICF_NOSCROLL);
    if (m_scrollPending != StepList::kNone && m_scrollPending < m_form.ListView1.Count()) {
        ListView_EnsureVisible(view, static_cast<int>(m_scrollPending), FALSE);
    }
    m_scrollPending = StepList::kNone;
}

void MainWindow::OnListChange(const StepList::Change& change) {
    if (m_listFromView) return;  // the view shows it already
    if (change.kind == StepList::Change::kAppended) {
        // Recording appends from the mouse hook, which must return quickly: the list view
        // learns of new rows once a frame, not once per row.
        m_listGrowPending = true;
        m_listGrowIdleFrames = 0;
        if (!m_listGrowTimerArmed) {
            m_listGrowTimerArmed = SetTimer(m_hwnd, kTimerListGrow, kListGrowFrameMs, nullptr) != 0;
            if (!m_listGrowTimerArmed) PostMessageW(m_hwnd, WM_TIMER, kTimerListGrow, 0);  // one flush at least
        }
        return;
    }
    FlushListGrowth();  // anything else may name the new rows
    HWND view = Child(ids::kListView1);
    const StepList& list = m_form.ListView1;
    m_listFromView = true;  // the view's own notifications echo what we set here
    switch (change.kind) {
        case StepList::Change::kAppended:
            break;
        case StepList::Change::kRows:
            ListView_SetItemCountEx(view, static_cast<int>(list.Count()), LVSICF_NOSCROLL);
            SelectionFromModel();
            InvalidateRect(view, nullptr, FALSE);
            break;
        case StepList::Change::kSelection:
            for (std::size_t row = change.first; row <= change.last && row < list.Count(); ++row) {
                ListView_SetItemState(view, static_cast<int>(row), change.selected ? LVIS_SELECTED : 0,
                                      LVIS_SELECTED);
            }
            break;
        case StepList::Change::kSelectionCleared:
            ListView_SetItemState(view, -1, 0, LVIS_SELECTED);
            break;
        case StepList::Change::kSelectionReset:
            SelectionFromModel();
            break;
        case StepList::Change::kFocus:
            if (change.first == StepList::kNone) {
                ListView_SetItemState(view, -1, 0, LVIS_FOCUSED);
            } else {
                ListView_SetItemState(view, static_cast<int>(change.first), LVIS_FOCUSED, LVIS_FOCUSED);
            }
            break;
    }
    m_listFromView = false;
}

void MainWindow::EndListDrag(bool drop) {
    if (!m_listDragging) return;
    m_listDragging = false;
    if (GetCapture() == m_hwnd) ReleaseCapture();
    if (!drop) return;
    HWND view = Child(ids::kListView1);
    POINT p = {};
    GetCursorPos(&p);
    // Only a drop on the list itself counts; the row under the point is the target.
    if (WindowFromPoint(p) != view) return;
    ScreenToClient(view, &p);
    LVHITTESTINFO hit = {};
    hit.pt = p;
    const int row = ListView_HitTest(view, &hit);
    const bool onRow = row >= 0 && (hit.flags & LVHT_ONITEM);
    m_form.ListView1DragDrop(m_form.ListView1DragOver(true), onRow ? static_cast<std::size_t>(row) : StepList::kNone);
}

void MainWindow::OnDropFiles(HDROP drop) {
    std::vector<std::wstring> names;
    const UINT count = DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
    for (UINT i = 0; i < count; ++i) {
        // Ask for each name's length first: long paths must not be cut off and then opened as
        // another file.
        const UINT length = DragQueryFileW(drop, i, nullptr, 0);
        std::wstring name(static_cast<std::size_t>(length) + 1, L'\0');
        DragQueryFileW(drop, i, name.data(), length + 1);
        name.resize(length);
        names.push_back(std::move(name));
    }
    DragFinish(drop);
    m_form.WMDropFiles(names);
}

void MainWindow::OnDpiChanged(UINT dpi, const RECT& suggested) {
    m_dpi = dpi;
    UpdateFonts();
    UpdateImages();
    SetWindowPos(m_hwnd, nullptr, suggested.left, suggested.top, suggested.right - suggested.left,
                 suggested.bottom - suggested.top, SWP_NOZORDER | SWP_NOACTIVATE);
    Layout();
    InvalidateRect(m_hwnd, nullptr, TRUE);
}

LRESULT CALLBACK MainWindow::WndProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_NCCREATE) {
        auto* self = static_cast<MainWindow*>(reinterpret_cast<CREATESTRUCTW*>(lp)->lpCreateParams);
        self->m_hwnd = hwnd;
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    }
    auto* self = reinterpret_cast<MainWindow*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (!self) return DefWindowProcW(hwnd, msg, wp, lp);
    LRESULT result = 0;
    bool handled = false;
    Guarded(self->m_platform, [&] {
        result = self->HandleMessage(msg, wp, lp);
        handled = true;
    });
    return handled ? result : 0;
}

LRESULT MainWindow::HandleMessage(UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == m_taskbarCreated && msg != 0) {
        m_tray.ShellRestarted();
        return 0;
    }
    switch (msg) {
        case WM_COMMAND:
            OnCommand(LOWORD(wp), HIWORD(wp), reinterpret_cast<HWND>(lp));
            return 0;
        case WM_NOTIFY:
            return OnNotify(*reinterpret_cast<const NMHDR*>(lp));
        case WM_SIZE:
            if (Child(ids::kStatusBar1)) Layout();
            if (wp == SIZE_MINIMIZED) m_form.ApplicationEvents1Minimize();
            if (wp == SIZE_RESTORED || wp == SIZE_MAXIMIZED) m_form.ApplicationEvents1Restore();
            return 0;
        case kMsgTrayIcon:
            OnTrayIcon(static_cast<UINT>(LOWORD(lp)));
            return 0;
        case WM_ENDSESSION:
            // The session ends without our message loop ending: the icon goes now.
            if (wp) m_tray.Remove();
            return 0;
        case WM_DESTROY:
            m_tray.Remove();
            return 0;
        case WM_GETMINMAXINFO: {
            RECT rect = {0, 0, S(kMinClientWidth), S(kMinClientHeight)};
            AdjustForDpi(rect, static_cast<DWORD>(GetWindowLongW(m_hwnd, GWL_STYLE)),
                         static_cast<DWORD>(GetWindowLongW(m_hwnd, GWL_EXSTYLE)), true, m_dpi);
            auto* info = reinterpret_cast<MINMAXINFO*>(lp);
            info->ptMinTrackSize = {rect.right - rect.left, rect.bottom - rect.top};
            return 0;
        }
        case WM_DPICHANGED:
            OnDpiChanged(HIWORD(wp), *reinterpret_cast<const RECT*>(lp));
            return 0;
        case WM_TIMER:
            if (wp != kTimerListGrow) break;
            if (m_listGrowPending) {
                FlushListGrowth();
            } else if (m_listGrowTimerArmed && ++m_listGrowIdleFrames >= kListGrowIdleFrames) {
                KillTimer(m_hwnd, kTimerListGrow);
                m_listGrowTimerArmed = false;
            }
            return 0;
        case kMsgSplitterDrag: {
            const int x = MulDiv(static_cast<int>(static_cast<INT_PTR>(wp)), 96, static_cast<int>(m_dpi));
            RECT client = {};
            GetClientRect(m_hwnd, &client);
            const int maxLeft = MulDiv(client.right, 96, static_cast<int>(m_dpi)) - 320;
            const int width = std::clamp(x, 210, std::max(210, maxLeft));
            if (width != m_leftWidth) {
                m_leftWidth = width;
                Layout();
                InvalidateRect(m_hwnd, nullptr, TRUE);
            }
            return 0;
        }
        case WM_CONTEXTMENU:
            if (reinterpret_cast<HWND>(wp) == Child(ids::kListView1)) {
                POINT p = {GET_X_LPARAM(lp), GET_Y_LPARAM(lp)};
                if (p.x == -1 && p.y == -1) {  // from the keyboard
                    RECT rect = {};
                    GetWindowRect(Child(ids::kListView1), &rect);
                    p = {rect.left + S(8), rect.top + S(24)};
                }
                TrackPopupMenu(m_listMenu, TPM_LEFTALIGN | TPM_RIGHTBUTTON, p.x, p.y, 0, m_hwnd, nullptr);
                return 0;
            }
            break;
        case WM_DROPFILES:
            OnDropFiles(reinterpret_cast<HDROP>(wp));
            return 0;
        case WM_HOTKEY:
            m_form.WMHotKey(static_cast<std::uint32_t>(wp));
            return 0;
        case WM_MOUSEMOVE:
            if (m_listDragging) {
                POINT p = {};
                GetCursorPos(&p);
                SetCursor(LoadCursorW(nullptr, WindowFromPoint(p) == Child(ids::kListView1) ? IDC_ARROW : IDC_NO));
                return 0;
            }
            break;
        case WM_LBUTTONUP:
            if (m_listDragging) {
                EndListDrag(true);
                return 0;
            }
            break;
        case WM_CAPTURECHANGED:
            if (m_listDragging && reinterpret_cast<HWND>(lp) != m_hwnd) EndListDrag(false);
            break;
        case WM_KEYDOWN:
            if (m_listDragging && wp == VK_ESCAPE) {
                EndListDrag(false);
                return 0;
            }
            break;
        case WM_CLOSE:
            // Closing the main window ends the application.
            m_platform.Terminate();
            return 0;
        default:
            break;
    }
    return DefWindowProcW(m_hwnd, msg, wp, lp);
}

LRESULT CALLBACK MainWindow::SplitterProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
        case WM_LBUTTONDOWN:
            SetCapture(hwnd);
            return 0;
        case WM_MOUSEMOVE:
            if (GetCapture() == hwnd) {
                POINT p = {GET_X_LPARAM(lp), GET_Y_LPARAM(lp)};
                MapWindowPoints(hwnd, GetParent(hwnd), &p, 1);
                SendMessageW(GetParent(hwnd), kMsgSplitterDrag, static_cast<WPARAM>(std::max(0L, p.x)), 0);
            }
            return 0;
        case WM_LBUTTONUP:
            if (GetCapture() == hwnd) ReleaseCapture();
            return 0;
        default:
            return DefWindowProcW(hwnd, msg, wp, lp);
    }
}

}  // namespace orv
