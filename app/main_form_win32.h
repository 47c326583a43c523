// The Win32 view of the main window: creates the native controls, mirrors the control models
// onto them and forwards user actions to the form's handlers. It decides nothing itself.
#pragma once

#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>

#include <map>
#include <vector>

#include "app/main_form.h"
#include "platform/win32/control_views.h"
#include "platform/win32/win32_platform.h"
#include "shell/tray_icon_win32.h"

namespace orv {

class MainWindow {
public:
    MainWindow(TAppForm& form, Win32Platform& platform);
    ~MainWindow();
    MainWindow(const MainWindow&) = delete;
    MainWindow& operator=(const MainWindow&) = delete;

    // Creates the window and its controls, hidden.
    HWND Create();
    HWND Handle() const { return m_hwnd; }
    HACCEL Accelerators() const { return m_accelerators; }
    void Destroy();

private:
    static LRESULT CALLBACK WndProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
    static LRESULT CALLBACK SplitterProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
    LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp);

    void CreateControls();
    void CreateMenus();
    void BindModels();
    void Layout();
    void FitColumns();
    void UpdateFonts();
    void UpdateImages();
    void OnCommand(int id, int code, HWND control);
    LRESULT OnNotify(const NMHDR& header);
    void ShowDropDown(int buttonId, HMENU menu);
    void OnListChange(const StepList::Change& change);
    void FlushListGrowth();
    void SelectionFromModel();
    void OnListItemChanged(const NMLISTVIEW& item);
    void OnDropFiles(HDROP drop);
    void EndListDrag(bool drop);
    void OnDpiChanged(UINT dpi, const RECT& suggested);

    HWND Child(int id) const { return GetDlgItem(m_hwnd, id); }
    HWND AddControl(const wchar_t* className, const wchar_t* text, DWORD style, int id, DWORD exStyle = 0);
    int S(int value) const { return MulDiv(value, static_cast<int>(m_dpi), 96); }

    // Mirroring of one model onto its control.
    void MirrorButton(TButton& model, int id);
    void MirrorMenuItem(TMenuItem& item);
    void MirrorStatusBar();
    void MirrorTrayIcon();
    void OnTrayIcon(UINT mouseMessage);

    TAppForm& m_form;
    Win32Platform& m_platform;
    HWND m_hwnd = nullptr;
    HWND m_tooltip = nullptr;
    HMENU m_menu = nullptr;
    HMENU m_recordDropDown = nullptr;
    HMENU m_playDropDown = nullptr;
    HMENU m_listMenu = nullptr;
    HMENU m_trayMenu = nullptr;
    HACCEL m_accelerators = nullptr;
    HFONT m_font = nullptr;
    HFONT m_boldFont = nullptr;
    std::map<int, HICON> m_icons;  // image index -> icon at the current DPI
    HICON m_hotkeyIcon = nullptr;
    UINT m_dpi = 96;
    int m_leftWidth = 210;  // in 96-DPI units; the splitter moves it
    std::vector<win32::SpinView> m_spins;
    bool m_listFromView = false;  // the list view itself reported the selection change
    bool m_listDragging = false;
    bool m_listGrowPending = false;               // rows appended that the view has not counted yet
    bool m_listGrowTimerArmed = false;            // the frame timer that counts them in
    int m_listGrowIdleFrames = 0;                 // frames without new rows; the timer ends itself
    std::size_t m_scrollPending = StepList::kNone;  // row to scroll to once they are counted
    std::wstring m_cellBuffer;    // text handed to the list view for one cell
    std::map<int, TMenuItem*> m_commands;
    // The status panels as last handed to the control: only a panel whose text changed is
    // sent again (the cursor timer asks 100 times a second).
    std::vector<std::wstring> m_panelsShown;
    TrayIconWin32 m_tray;
    UINT m_taskbarCreated = 0;  // broadcast when the shell (and its notification area) starts
};

}  // namespace orv
