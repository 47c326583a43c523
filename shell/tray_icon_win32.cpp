// Shell_NotifyIcon behind the TrayIconWin32 handle.
#include "shell/tray_icon_win32.h"

#include <commctrl.h>
#include <shellapi.h>

#include <algorithm>
#include <utility>

#include "res/resource.h"

namespace orv {
namespace {

constexpr UINT kIconId = 1;  // one icon per owner window

}  // namespace

TrayIconWin32::TrayIconWin32(TrayIconWin32&& other) noexcept
    : m_owner(std::exchange(other.m_owner, nullptr)),
      m_callbackMessage(other.m_callbackMessage),
      m_icon(std::exchange(other.m_icon, nullptr)),
      m_tip(std::move(other.m_tip)),
      m_wanted(std::exchange(other.m_wanted, false)),
      m_added(std::exchange(other.m_added, false)) {}

TrayIconWin32::~TrayIconWin32() {
    Remove();
    if (m_icon) DestroyIcon(m_icon);
}

TrayIconWin32& TrayIconWin32::operator=(TrayIconWin32&& other) noexcept {
    if (this != &other) {
        Remove();
        if (m_icon) DestroyIcon(m_icon);
        m_owner = std::exchange(other.m_owner, nullptr);
        m_callbackMessage = other.m_callbackMessage;
        m_icon = std::exchange(other.m_icon, nullptr);
        m_tip = std::move(other.m_tip);
        m_wanted = std::exchange(other.m_wanted, false);
        m_added = std::exchange(other.m_added, false);
    }
    return *this;
}

HICON TrayIconWin32::LoadSmallIcon() {
    if (m_icon) return m_icon;
    // The notification area draws icons at the small-icon size of the system DPI; an icon of
    // exactly that size from the resource stays sharp where a scaled 16-pixel one would blur.
    // LoadIconMetric (comctl32 6, Vista and later) picks it; older systems and Wine builds
    // without it get the same size through LoadImage.
    HINSTANCE instance = GetModuleHandleW(nullptr);
    using LoadIconMetricFn = HRESULT(WINAPI*)(HINSTANCE, PCWSTR, int, HICON*);
    if (HMODULE comctl = GetModuleHandleW(L"comctl32.dll")) {
        auto load = reinterpret_cast<LoadIconMetricFn>(
            reinterpret_cast<void*>(GetProcAddress(comctl, "LoadIconMetric")));
        if (load && SUCCEEDED(load(instance, MAKEINTRESOURCEW(IDI_APP), LIM_SMALL, &m_icon))) return m_icon;
    }
    m_icon = static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(IDI_APP), IMAGE_ICON,
                                           GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON), 0));
    return m_icon;
}

bool TrayIconWin32::Notify(DWORD action) {
    NOTIFYICONDATAW data = {};
    data.cbSize = sizeof data;
    data.hWnd = m_owner;
    data.uID = kIconId;
    if (action != NIM_DELETE) {
        data.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
        data.uCallbackMessage = m_callbackMessage;
        data.hIcon = LoadSmallIcon();
        const std::size_t n = std::min(m_tip.size(), std::size(data.szTip) - 1);
        std::copy_n(m_tip.data(), n, data.szTip);
        data.szTip[n] = L'\0';
    }
    return Shell_NotifyIconW(action, &data) != FALSE;
}

bool TrayIconWin32::Show(const std::wstring& tip) {
    if (!m_owner) return false;
    m_tip = tip;
    m_wanted = true;
    if (m_added) return Notify(NIM_MODIFY);
    m_added = Notify(NIM_ADD);
    return m_added;
}

void TrayIconWin32::Remove() noexcept {
    if (m_added && m_owner) Notify(NIM_DELETE);
    m_wanted = false;
    m_added = false;
}

void TrayIconWin32::ShellRestarted() {
    if (!m_wanted) return;
    m_added = Notify(NIM_ADD);  // the new shell has no icon of ours
}

}  // namespace orv
