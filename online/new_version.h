// TNewVer: the small borderless notice that a newer version exists. It opens at the top right,
// names the version, opens the download address from its link, can be dragged and closes
// itself after eleven seconds. The view draws it and animates it in and out.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "core/controls.h"
#include "platform/platform.h"

namespace orv {

inline constexpr int kNewVerClientWidth = 320;
inline constexpr int kNewVerClientHeight = 68;

// The address the link opens. It came from the network, so only an absolute http:// or https://
// address with a host is opened; anything else (file:, a UNC path, a program, an empty answer)
// gives the maker's home page instead.
std::wstring DownloadAddressToOpen(const std::wstring& newVersionUrl, const std::wstring& homePage);

class TNewVer : public Control {
public:
    TNewVer(Platform& platform, std::wstring productName, std::wstring newVersion, std::wstring newVersionUrl,
            std::wstring homePage);

    TLabel Label1;  // heading
    TLabel Label2;  // the link
    TTimer TimerStart, TimerClose, TimerLink;
    Point Position;  // top-left corner on the screen
    bool LinkHot = false;
    bool Shown = false;
    std::int64_t CloseCountdown = 11;  // closing ticks left

    // --- set by the view ----------------------------------------------------------------------
    std::function<void()> AnimateIn;   // 100 ms expanding from the centre, then shown
    std::function<void()> AnimateOut;  // 100 ms collapsing to the centre, then hidden
    std::function<void()> HideWindow;  // closing: hidden, not destroyed
    std::function<void()> FocusMainWindow;
    std::function<bool()> PointerInLink;
    std::function<void(Point)> MoveTo;

    void FormCreate(int screenWidth);
    void TimerStartTimer();
    void TimerCloseTimer();
    void TimerLinkTimer();
    void Label2Click();
    void Button1Click() { Close(); }
    // `button`: 0 left, 1 right, 2 middle; points in screen coordinates.
    void FormMouseDown(int button, Point screen);
    void FormMouseMove(Point screen);
    void FormMouseUp() { m_dragging = false; }
    void Close();

private:
    Platform& m_platform;
    std::wstring m_url;
    std::wstring m_homePage;
    bool m_dragging = false;
    std::int32_t m_dx = 0, m_dy = 0;
};

}  // namespace orv
