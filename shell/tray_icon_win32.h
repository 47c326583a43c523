// The notification-area icon of a window: added and removed through Shell_NotifyIcon, owned like
// a handle (removed when the object goes), and added again when the shell restarts.
#pragma once

#include <windows.h>

#include <string>

namespace orv {

class TrayIconWin32 {
public:
    TrayIconWin32() = default;
    ~TrayIconWin32();
    TrayIconWin32(TrayIconWin32&& other) noexcept;
    TrayIconWin32& operator=(TrayIconWin32&& other) noexcept;
    TrayIconWin32(const TrayIconWin32&) = delete;
    TrayIconWin32& operator=(const TrayIconWin32&) = delete;

    // Mouse messages on the icon reach `owner` as `callbackMessage` (lParam: the mouse message).
    void Attach(HWND owner, UINT callbackMessage) {
        m_owner = owner;
        m_callbackMessage = callbackMessage;
    }
    // Shows the icon with this tooltip, or updates the one shown; answers false when the shell
    // refused (no notification area yet: TaskbarCreated brings the next chance).
    bool Show(const std::wstring& tip);
    void Remove() noexcept;
    bool Shown() const { return m_wanted; }
    // After the shell restarted (the TaskbarCreated message) its notification area is empty:
    // an icon that is meant to be shown is added again, also one the old shell refused.
    void ShellRestarted();

private:
    bool Notify(DWORD action);
    HICON LoadSmallIcon();

    HWND m_owner = nullptr;
    UINT m_callbackMessage = 0;
    HICON m_icon = nullptr;  // at the size of the system's DPI, loaded once
    std::wstring m_tip;
    bool m_wanted = false;  // between Show and Remove
    bool m_added = false;   // the shell has it
};

}  // namespace orv
