// The about box's handlers: rain, links, licence, "Info" menu, slide and drag.
#include "about/about_box.h"

#include "localisation/translate.h"

namespace orv {
namespace {

constexpr int kShowHide = 0;    // SW_HIDE
constexpr int kShowNormal = 1;  // SW_SHOWNORMAL

std::wstring FolderOf(const std::wstring& path) {
    const auto slash = path.find_last_of(L"\\/");
    return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash + 1);
}

// Format(pattern, value) for a pattern with one "%s"; a translation without it stays as it is.
std::wstring FormatOne(std::wstring pattern, const std::wstring& value) {
    const auto at = pattern.find(L"%s");
    if (at != std::wstring::npos) pattern.replace(at, 2, value);
    return pattern;
}

}  // namespace

std::uint32_t SlideIntervalMs(int screenDpi, int formDpi) {
    if (formDpi <= 0) return 1;
    const std::int64_t n = static_cast<std::int64_t>(screenDpi) * TAboutBox::kSlideStep;
    std::int64_t q = n / formDpi;
    const std::int64_t twiceRest = (n % formDpi) * 2;
    if (twiceRest > formDpi || (twiceRest == formDpi && (q & 1) != 0)) ++q;
    return q < 1 ? 1 : static_cast<std::uint32_t>(q);
}

TAboutBox::TAboutBox(Platform& platform, const AppIdentity& identity, RainRandom& random, int dpi,
                     int screenDpi)
    : Credits1(1),
      Howtouninstall1(2),
      LicensePrivacyPolicy1(3),
      tmTimer(platform, Rain::kIntervalMs, false),
      TimerEgg(platform, 5, false),
      m_platform(platform),
      m_identity(identity),
      m_random(random),
      m_dpi(dpi > 0 ? dpi : 96),
      m_screenDpi(screenDpi > 0 ? screenDpi : 96) {
    PanelEgg.SetVisible(false);
    BitBtn1.SetCaption(L"OK");
    BitBtn2.SetCaption(L"Info");
    Credits1.SetCaption(L"Acknowledgements...");
    Howtouninstall1.SetCaption(L"How to uninstall...");
    LicensePrivacyPolicy1.SetCaption(L"License...");
    Label5.SetCaption(ORVALIN_WEBSITE_HOST);
    Label5.SetHint(HomePage());
    LayoutPanels();

    tmTimer.OnTimer = [this] { tmTimerTimer(); };
    TimerEgg.OnTimer = [this] { TimerEggTimer(); };
    BitBtn1.OnClick = [this] { BitBtn1Click(); };
    BitBtn2.OnClick = [this] { BitBtn2Click(); };
    Credits1.OnClick = [this] { Credits1Click(); };
    Howtouninstall1.OnClick = [this] { Howtouninstall1Click(); };
    LicensePrivacyPolicy1.OnClick = [this] { LicensePrivacyPolicy1Click(); };
}

int TAboutBox::Scale(int value96) const {
    return static_cast<int>((static_cast<std::int64_t>(value96) * m_dpi + 48) / 96);
}

std::wstring TAboutBox::HomePage() { return std::wstring(L"https://") + ORVALIN_WEBSITE_HOST + L"/"; }

std::wstring TAboutBox::CreditsPage() {
    return std::wstring(L"https://") + ORVALIN_WEBSITE_HOST + L"/blog/credits-and-acknowledgements/";
}

std::wstring TAboutBox::UninstallPage() {
    return std::wstring(L"http://") + ORVALIN_WEBSITE_HOST + L"/blog/how-to-uninstall-quenzal-software/";
}

void TAboutBox::LayoutPanels() {
    Panel1.Top = Scale(kPanelTop);
    Panel1.Width = Scale(kPanelWidth);
    Panel1.Height = Scale(kPanelHeight);
    PanelEgg.Width = Scale(kEggWidth);
    PanelEgg.Height = Scale(kEggHeight);
    PanelEgg.Left = (ClientWidth() - PanelEgg.Width) / 2;
    PanelEgg.Top = (ClientHeight() - PanelEgg.Height) / 2;
    Panel1.SetLeft(Scale(kPanelLeft));
}

void TAboutBox::FormCreate() {
    rain.SetAlphabet(L"qzq");
    StartRain();
    SetCaption(FormatOne(TranslateText(L"About %s"), m_identity.AppProductName));
    Label2.SetCaption(m_identity.AppProductName + L" " + m_identity.AppVersion);
    BitBtn1.SetCaption(TranslateText(L"OK"));
    BitBtn2.SetCaption(TranslateText(L"Info"));
    Credits1.SetCaption(TranslateText(L"Acknowledgements..."));
    Howtouninstall1.SetCaption(TranslateText(L"How to uninstall..."));
    LicensePrivacyPolicy1.SetCaption(TranslateText(L"License..."));
    if (LoadPictures) LoadPictures();
}

// --- rain ------------------------------------------------------------------------------------

void TAboutBox::StartRain() {
    bitmapWidth = OuterWidth;
    bitmapHeight = OuterHeight;
    if (Canvas) rain.Start(*Canvas, m_random, bitmapWidth, bitmapHeight);
    tmTimer.SetInterval(Rain::kIntervalMs);
    tmTimer.SetEnabled(true);
}

void TAboutBox::tmTimerTimer() {
    if (Canvas) rain.Tick(*Canvas, m_random);
}

void TAboutBox::FormResize() {
    // The size recorded when the rain started, not the new one: only a new start takes that.
    if (Canvas) rain.Setup(*Canvas, m_random, bitmapWidth, bitmapHeight);
}

void TAboutBox::FormAfterMonitorDpiChanged(int newDpi) {
    if (newDpi <= 0 || newDpi == m_dpi) return;
    const int oldDpi = m_dpi;
    const int slid = Panel1.Left;
    m_dpi = newDpi;
    const bool slidAside = PanelEgg.Visible();
    LayoutPanels();
    if (slidAside) Panel1.SetLeft(static_cast<int>(static_cast<std::int64_t>(slid) * newDpi / oldDpi));
    if (TimerEgg.Enabled()) TimerEgg.SetInterval(SlideIntervalMs(m_screenDpi, m_dpi));
    if (Rescale) Rescale();
    StartRain();
    if (LoadPictures) LoadPictures();
}

// --- buttons, menu and links -------------------------------------------------------------------

void TAboutBox::BitBtn1Click() {
    if (OnClose) OnClose();
}

void TAboutBox::ButtonKeyDown(int virtualKey) {
    if (virtualKey == kVkEscape && OnClose) OnClose();
}

void TAboutBox::BitBtn2Click() { ShowButtonMenu(BitBtn2); }

void TAboutBox::ShowButtonMenu(TButton& button) {
    // A click on the button that closes the open menu arrives just after the menu has gone:
    // it must not open the menu again. Unsigned subtraction keeps the tick count's wrap harmless.
    if (m_menuButton == &button && m_platform.TickCount() - m_menuClosedAt < kMenuGuardMs) {
        m_menuButton = nullptr;
        return;
    }
    if (PopupMenuAt) PopupMenuAt(button);
    m_menuClosedAt = m_platform.TickCount();
    m_menuButton = &button;
}

void TAboutBox::Credits1Click() {
    m_platform.ShellExecuteFile(0, L"open", CreditsPage(), L"", L"", kShowHide);
}

void TAboutBox::Howtouninstall1Click() {
    m_platform.ShellExecuteFile(0, L"open", UninstallPage(), L"", L"", kShowHide);
}

void TAboutBox::Label5Click() { m_platform.ShellExecuteFile(0, L"open", HomePage(), L"", L"", kShowHide); }

void TAboutBox::LicensePrivacyPolicy1Click() {
    const std::wstring path = FolderOf(m_platform.ExePath()) + L"license.txt";
    if (m_platform.FileExists(path)) {
        // Quoted: the program usually lives under "Program Files", and an unquoted path with
        // spaces reaches the editor as several words.
        m_platform.ShellExecuteFile(Window, L"", L"notepad.exe", L"\"" + path + L"\"", L"", kShowNormal);
        return;
    }
    MessageDialogRequest request;
    request.message = TranslateText(L"File not found!");
    request.caption = TranslateText(L"License");
    request.kind = DialogKind::Error;
    request.buttons = kBtnOk;
    request.owner = Window;
    m_platform.MessageDialog(request);
}

// --- the slide -------------------------------------------------------------------------------

void TAboutBox::Image1DblClick() {
    if (TimerEgg.Enabled()) return;
    PanelEgg.SetVisible(true);
    TimerEgg.SetInterval(SlideIntervalMs(m_screenDpi, m_dpi));
    TimerEgg.SetEnabled(true);
}

void TAboutBox::TimerEggTimer() {
    Panel1.SetLeft(Panel1.Left + kSlideStep);
    if (Panel1.Left > ClientWidth()) TimerEgg.SetEnabled(false);
}

void TAboutBox::ImageEggDblClick() {
    if (TimerEgg.Enabled()) return;
    PanelEgg.SetVisible(false);
    Panel1.SetLeft((ClientWidth() - Panel1.Width) / 2);
}

// --- dragging --------------------------------------------------------------------------------

void TAboutBox::FormMouseDown(MouseButton button, Point screen) {
    if (button == MouseButton::Right) return;
    dx = screen.x;
    dy = screen.y;
    dragging = true;
}

void TAboutBox::FormMouseMove(Point screen) {
    if (!dragging) return;
    if (MoveWindowBy) MoveWindowBy(screen.x - dx, screen.y - dy);
    dx = screen.x;
    dy = screen.y;
}

void TAboutBox::FormMouseUp() { dragging = false; }

}  // namespace orv
