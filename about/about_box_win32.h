// Win32 view of the about box: a black tool window that composes the rain, the hidden picture
// and the content panel from off-screen bitmaps, so nothing flickers, and forwards clicks,
// keys, drags and DPI changes to TAboutBox.
#pragma once

#include <windows.h>

#include <memory>

#include "about/about_box.h"
#include "platform/win32/win32_platform.h"

namespace orv {

class AboutBoxWindow {
public:
    // Creates the box centred on the screen, runs it modally over `owner` and frees it.
    static void ShowModal(HWND owner, Win32Platform& platform, const AppIdentity& identity);
    ~AboutBoxWindow();

private:
    AboutBoxWindow(Win32Platform& platform, const AppIdentity& identity, int dpi, int screenDpi);
    static LRESULT CALLBACK WndProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
    LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp);
    void CreateControls();
    void CreateFonts();
    void CreateBuffers();
    void LoadPictures();
    void RenderPanel();
    void Layout();
    void Paint(HDC dc);
    void DrawButton(const DRAWITEMSTRUCT& item);
    void PopupInfoMenu(TButton& button);
    void OnDpiChanged(UINT dpi, const RECT& suggested);
    void Rescale();
    RECT IconRect() const;  // in client coordinates, where the panel is now
    RECT EggRect() const;
    int S(int value) const { return m_form.Scale(value); }
    void Close() { m_closed = true; }

    Win32Platform& m_platform;
    DefaultRainRandom m_random;
    TAboutBox m_form;
    HWND m_hwnd = nullptr;
    HWND m_tooltip = nullptr;
    bool m_closed = false;
    bool m_created = false;
    HFONT m_labelFont = nullptr;  // product and version, buttons: 16 px
    HFONT m_linkFont = nullptr;   // the home-page link: 13 px, underlined
    HFONT m_rainFont = nullptr;   // the rain's glyphs: 12 px
    // Off-screen surfaces: the rain (drawn on by each tick), the content panel and the picture
    // (rendered once per DPI), and the picture of "Info"'s arrow.
    HDC m_rainDc = nullptr, m_panelDc = nullptr, m_eggDc = nullptr;
    HBITMAP m_rainBitmap = nullptr, m_panelBitmap = nullptr, m_eggBitmap = nullptr, m_arrow = nullptr;
    HGDIOBJ m_rainOld = nullptr, m_panelOld = nullptr, m_eggOld = nullptr;
    int m_arrowSize = 12;
    std::unique_ptr<RainCanvas> m_canvas;
};

}  // namespace orv
