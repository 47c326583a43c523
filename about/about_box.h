// TAboutBox: the about box's behaviour, written against control models. It shows the product
// and version over a letter rain, offers the "Info" menu of three links, a home-page link, and
// slides its content panel aside when the icon is double-clicked. The Win32 view draws it and
// forwards the user's actions; everything it decides is decided here.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "about/rain.h"
#include "core/controls.h"
#include "core/version_info.h"
#include "platform/platform.h"

namespace orv {

// A panel of the box: position and size in the box's client pixels at its current DPI.
class TPanel : public Control {
public:
    int Left = 0, Top = 0, Width = 0, Height = 0;
    void SetLeft(int left) {
        Left = left;
        Changed();
    }
};

// The slide timer's interval in ms: screenDpi × 5 / formDpi, rounded to the nearest integer
// (a half to the even neighbour), at least 1.
std::uint32_t SlideIntervalMs(int screenDpi, int formDpi);

class TAboutBox : public Control {  // the caption of this control is the window caption
public:
    // Client size and parts at 96 DPI.
    static constexpr int kClientWidth = 446, kClientHeight = 374;
    static constexpr int kPanelLeft = 48, kPanelTop = 42, kPanelWidth = 350, kPanelHeight = 291;
    static constexpr int kEggWidth = 324, kEggHeight = 220;
    static constexpr int kSlideStep = 5;  // pixels per slide tick
    static constexpr std::uint32_t kMenuGuardMs = 100;
    static constexpr int kVkEscape = 27;

    // `dpi` is the box's DPI, `screenDpi` the system's; `random` feeds the rain.
    TAboutBox(Platform& platform, const AppIdentity& identity, RainRandom& random, int dpi, int screenDpi);

    TPanel PanelEgg;  // the cat picture, beneath Panel1, hidden at first
    TPanel Panel1;    // the content panel
    TLabel Label2;    // product and version
    TButton BitBtn1;  // OK
    TButton BitBtn2;  // Info
    TLabel Label5;    // the home-page link; its hint is the address
    TMenuItem Credits1, Howtouninstall1, LicensePrivacyPolicy1;
    TTimer tmTimer;   // the rain
    TTimer TimerEgg;  // the slide
    Rain rain;

    // --- set by the view --------------------------------------------------------------------
    WindowRef Window = 0;
    RainCanvas* Canvas = nullptr;         // the box's drawing surface
    int OuterWidth = 0, OuterHeight = 0;  // the window's outer size in pixels
    std::function<void()> OnClose;
    // Pops the menu up at the button's bottom-left corner and returns once it has closed.
    std::function<void(TButton&)> PopupMenuAt;
    std::function<void(int dx, int dy)> MoveWindowBy;
    // Renders the logo and the cat at the current DPI (HighDPIImageYukle).
    std::function<void()> LoadPictures;
    // After a DPI change: fonts and drawing surfaces at the new scale, before the rain restarts.
    std::function<void()> Rescale;

    // --- handlers ---------------------------------------------------------------------------
    void FormCreate();
    void tmTimerTimer();
    void FormResize();
    // The box has moved to a monitor of another DPI and been rescaled: pictures and rain anew.
    void FormAfterMonitorDpiChanged(int newDpi);
    void BitBtn1Click();
    void ButtonKeyDown(int virtualKey);  // BitBtn1KeyDown and BitBtn2KeyDown
    void BitBtn2Click();
    void Credits1Click();
    void Howtouninstall1Click();
    void LicensePrivacyPolicy1Click();
    void Label5Click();
    void Image1DblClick();
    void ImageEggDblClick();
    void TimerEggTimer();
    enum class MouseButton { Left, Right, Middle };
    void FormMouseDown(MouseButton button, Point screen);
    void FormMouseMove(Point screen);
    void FormMouseUp();

    int Dpi() const { return m_dpi; }
    int Scale(int value96) const;
    int ClientWidth() const { return Scale(kClientWidth); }
    int ClientHeight() const { return Scale(kClientHeight); }
    bool Dragging() const { return dragging; }

    static std::wstring HomePage();
    static std::wstring CreditsPage();
    static std::wstring UninstallPage();

private:
    void StartRain();
    void ShowButtonMenu(TButton& button);
    void LayoutPanels();

    Platform& m_platform;
    const AppIdentity& m_identity;
    RainRandom& m_random;
    int m_dpi;
    int m_screenDpi;
    int bitmapWidth = 0, bitmapHeight = 0;
    bool dragging = false;
    int dx = 0, dy = 0;
    // The "Info" menu's last showing: which button, and the tick count when the menu closed.
    TButton* m_menuButton = nullptr;
    std::uint32_t m_menuClosedAt = 0;
};

}  // namespace orv
