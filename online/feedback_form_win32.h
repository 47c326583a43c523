// Win32 view of the feedback dialog: shown modally over the main window, with its own message
// loop; forwards clicks, keys and text to TFeedbackForm.
#pragma once

#include <windows.h>

#include "online/feedback_form.h"
#include "platform/win32/win32_platform.h"

namespace orv {

class FeedbackWindow {
public:
    // Shows the dialog and returns once it has closed.
    static void ShowModal(TFeedbackForm& form, HWND owner, Win32Platform& platform);

private:
    FeedbackWindow(TFeedbackForm& form, Win32Platform& platform) : m_form(form), m_platform(platform) {}
    static LRESULT CALLBACK WndProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
    LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp);
    void CreateControls();
    void Paint();
    void DrawPanel(HDC dc, const RECT& rect, const TChoicePanel& panel, bool praise);
    RECT PanelRect(bool praise) const;
    // Routes Esc to the handler of the field that has the focus; answers true when handled.
    bool PreTranslate(MSG& msg);
    int S(int value) const { return MulDiv(value, static_cast<int>(m_dpi), 96); }

    TFeedbackForm& m_form;
    Win32Platform& m_platform;
    HWND m_hwnd = nullptr;
    HWND m_memo = nullptr, m_email = nullptr, m_send = nullptr;
    HFONT m_font = nullptr, m_bigFont = nullptr, m_boldFont = nullptr;
    UINT m_dpi = 96;
    bool m_closed = false;
    bool m_busy = false;
};

}  // namespace orv
