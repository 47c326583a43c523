// Win32 view of the hotkey dialog: a small modeless window with a hotkey-capture field that
// owns its form and destroys itself when closed.
#pragma once

#include <windows.h>

#include <memory>

#include "platform/win32/win32_platform.h"
#include "shell/hotkey_form.h"

namespace orv {

class HotkeyDialogWindow {
public:
    // Creates and shows a dialog centred over `owner`; it lives until it is closed.
    static void Open(std::unique_ptr<TFormHotkey> form, HWND owner, Win32Platform& platform);

private:
    HotkeyDialogWindow(std::unique_ptr<TFormHotkey> form, Win32Platform& platform)
        : m_form(std::move(form)), m_platform(platform) {}
    static LRESULT CALLBACK WndProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
    LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp);
    void CreateControls();
    void ApplyFont();
    void Layout();
    void OnCommand(int id, int code);
    void MirrorHotKey();
    int S(int value) const { return MulDiv(value, static_cast<int>(m_dpi), 96); }

    std::unique_ptr<TFormHotkey> m_form;
    Win32Platform& m_platform;
    HWND m_hwnd = nullptr;
    HWND m_hotkey = nullptr;
    HWND m_lastFocus = nullptr;  // the child that had the focus when the window was deactivated
    HFONT m_font = nullptr;
    UINT m_dpi = 96;
};

}  // namespace orv
