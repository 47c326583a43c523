// The update notice's behaviour.
#include "online/new_version.h"

#include "localisation/translate.h"

namespace orv {

std::wstring DownloadAddressToOpen(const std::wstring& newVersionUrl, const std::wstring& homePage) {
    std::wstring lower = newVersionUrl;
    for (wchar_t& c : lower) {
        if (c >= L'A' && c <= L'Z') c = static_cast<wchar_t>(c - L'A' + L'a');
    }
    std::size_t hostStart = 0;
    if (lower.rfind(L"https://", 0) == 0) {
        hostStart = 8;
    } else if (lower.rfind(L"http://", 0) == 0) {
        hostStart = 7;
    } else {
        return homePage;
    }
    // A host must follow; no blanks or control characters anywhere, which the shell could read
    // as the end of the address and the start of something else.
    if (hostStart >= lower.size() || lower[hostStart] == L'/' || lower[hostStart] == L'\\') return homePage;
    for (wchar_t c : newVersionUrl) {
        if (c <= L' ' || c == L'"' || c == 0x7F) return homePage;
    }
    return newVersionUrl;
}

TNewVer::TNewVer(Platform& platform, std::wstring productName, std::wstring newVersion,
                 std::wstring newVersionUrl, std::wstring homePage)
    : TimerStart(platform, 1, false),
      TimerClose(platform, 1000, false),
      TimerLink(platform, 100, false),
      m_platform(platform),
      m_url(std::move(newVersionUrl)),
      m_homePage(std::move(homePage)) {
    Label2.SetCaption(TranslateText(L"Click to download") + L" " + productName + L" " + newVersion);
    TimerStart.OnTimer = [this] { TimerStartTimer(); };
    TimerClose.OnTimer = [this] { TimerCloseTimer(); };
    TimerLink.OnTimer = [this] { TimerLinkTimer(); };
}

void TNewVer::FormCreate(int screenWidth) {
    Position = {screenWidth - kNewVerClientWidth - 5, 5};
    Label1.SetCaption(TranslateText(L"UPDATE AVAILABLE"));
    // The timers start with the window, once its handlers have everything they need.
    TimerStart.SetEnabled(true);
    TimerClose.SetEnabled(true);
    TimerLink.SetEnabled(true);
}

void TNewVer::TimerStartTimer() {
    TimerStart.SetEnabled(false);
    Shown = true;
    if (AnimateIn) AnimateIn();
    if (FocusMainWindow) FocusMainWindow();
}

void TNewVer::TimerCloseTimer() {
    if (--CloseCountdown > 0) return;
    TimerClose.SetEnabled(false);
    if (Shown && AnimateOut) AnimateOut();
    Close();
}

void TNewVer::TimerLinkTimer() {
    const bool hot = PointerInLink && PointerInLink();
    if (hot == LinkHot) return;
    LinkHot = hot;
    Changed();
}

void TNewVer::Label2Click() {
    m_platform.ShellExecuteFile(0, L"open", DownloadAddressToOpen(m_url, m_homePage), L"", L"",
                                0 /* SW_HIDE */);
    Close();
}

void TNewVer::Close() {
    // Closed is closed for the rest of the run: a notice closed before its first start tick must
    // not appear afterwards, nor one closed by its link be animated out again by the countdown.
    TimerStart.SetEnabled(false);
    TimerClose.SetEnabled(false);
    TimerLink.SetEnabled(false);
    Shown = false;
    if (HideWindow) HideWindow();
}

void TNewVer::FormMouseDown(int button, Point screen) {
    if (button == 1) return;
    m_dx = screen.x;
    m_dy = screen.y;
    m_dragging = true;
}

void TNewVer::FormMouseMove(Point screen) {
    if (!m_dragging) return;
    Position.x += screen.x - m_dx;
    Position.y += screen.y - m_dy;
    m_dx = screen.x;
    m_dy = screen.y;
    if (MoveTo) MoveTo(Position);
}

}  // namespace orv
