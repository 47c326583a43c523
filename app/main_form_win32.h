// The Win32 view of the main window: creates the native controls, mirrors the control models
// onto them and forwards user actions to the form's handlers. It decides nothing itself.
#pragma once

#include <windows.h>

#include <map>
#include <vector>

#include "app/main_form.h"
#include "platform/win32/win32_platform.h"

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
    struct SpinField {
        TSpinEdit* model;
        int editId;
        int upDownId;
        bool mirroring = false;
    };

    static LRESULT CALLBACK WndProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
    static LRESULT CALLBACK SplitterProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
    LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp);

    void CreateControls();
    void CreateMenus();
    void BindModels();
    void Layout();
    void UpdateFonts();
    void UpdateImages();
    void OnCommand(int id, int code, HWND control);
    LRESULT OnNotify(const NMHDR& header);
    void ShowDropDown(int buttonId, HMENU menu);
    void OnDpiChanged(UINT dpi, const RECT& suggested);

    HWND Child(int id) const { return GetDlgItem(m_hwnd, id); }
    HWND AddControl(const wchar_t* className, const wchar_t* text, DWORD style, int id, DWORD exStyle = 0);
    int S(int value) const { return MulDiv(value, static_cast<int>(m_dpi), 96); }

    // Mirroring of one model onto its control.
    void MirrorWindowText(Control& model, int id);
    void MirrorButton(TButton& model, int id);
    void MirrorCheck(Control& model, bool checked, int id);
    void MirrorSpin(SpinField& field);
    void MirrorMenuItem(TMenuItem& item);
    void MirrorStatusBar();
    void SpinEditChanged(SpinField& field, bool final);

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
    std::vector<SpinField> m_spins;
    std::map<int, TMenuItem*> m_commands;
};

}  // namespace orv
