// Win32 view of the step editor: a small modeless window that owns its form and destroys
// itself when closed.
#pragma once

#include <windows.h>

#include <memory>
#include <vector>

#include "macro/edit_step_form.h"
#include "platform/win32/control_views.h"
#include "platform/win32/win32_platform.h"

namespace orv {

class StepEditorWindow {
public:
    // Creates and shows an editor centred over `owner`; it lives until it is closed.
    static void Open(std::unique_ptr<TFormEditStep> form, HWND owner, Win32Platform& platform);

private:
    StepEditorWindow(std::unique_ptr<TFormEditStep> form, Win32Platform& platform)
        : m_form(std::move(form)), m_platform(platform) {}
    static LRESULT CALLBACK WndProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
    LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp);
    void CreateControls();
    void Layout();
    void OnCommand(int id, int code, HWND control);
    int S(int value) const { return MulDiv(value, static_cast<int>(m_dpi), 96); }

    std::unique_ptr<TFormEditStep> m_form;
    Win32Platform& m_platform;
    HWND m_hwnd = nullptr;
    HFONT m_font = nullptr;
    UINT m_dpi = 96;
    std::vector<win32::SpinView> m_spins;
};

}  // namespace orv
