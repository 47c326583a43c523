// Win32 view of the update notice: a borderless topmost window that draws the notice, animates
// it in and out and forwards clicks and drags to TNewVer. It frees itself when destroyed.
#pragma once

#include <windows.h>

#include "online/new_version.h"
#include "platform/win32/win32_platform.h"

namespace orv {

class NewVerWindow {
public:
    // Creates the window hidden and binds the form's hooks to it; the form's start tick shows it.
    static void Create(TNewVer& form, HWND owner, Win32Platform& platform);

private:
    NewVerWindow(TNewVer& form, HWND owner, Win32Platform& platform)
        : m_form(form), m_owner(owner), m_platform(platform) {}
    static LRESULT CALLBACK WndProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
    LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp);
    void Paint();
    void Animate(bool in);
    RECT LinkRect() const;
    RECT CloseRect() const;
    int S(int value) const { return MulDiv(value, static_cast<int>(m_dpi), 96); }

    TNewVer& m_form;
    HWND m_owner;
    Win32Platform& m_platform;
    HWND m_hwnd = nullptr;
    HFONT m_headingFont = nullptr;
    HFONT m_linkFont = nullptr;
    HICON m_icon = nullptr;
    UINT m_dpi = 96;
    bool m_linkPressed = false;
    bool m_closePressed = false;
};

}  // namespace orv
