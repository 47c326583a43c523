// The Windows implementation of the platform interface.
#pragma once

#include <windows.h>


#include "platform/platform.h"
#include "platform/win32/mouse_sender_win32.h"
#include "platform/win32/timer_host_win32.h"

namespace orv {

class Win32Platform : public Platform {
public:
    Win32Platform();
    ~Win32Platform() override;

    // The caption of the application's error box.
    void SetApplicationTitle(const std::wstring& title) { m_appTitle = title; }
    // The window that owns error boxes (the main window once it exists).
    void SetMainWindow(HWND window) { m_mainWindow = window; }

    void Arm(TTimer& timer, std::uint32_t intervalMs) override;
    void Disarm(TTimer& timer) override;
    std::wstring ExePath() override;
    std::vector<std::wstring> CommandLineParams() override;
    void CreateNamedMutex(const std::wstring& name) override;
    std::uint32_t LastErrorCode() override { return m_lastError; }
    std::wstring SystemErrorText(std::uint32_t code) override;
    bool CreateAndDropProbeFile(const std::wstring& path) override;
    std::wstring RoamingAppDataFolder() override;
    bool CreateFolder(const std::wstring& path) override;
    bool RemoveFile(const std::wstring& path) override;
    bool FileExists(const std::wstring& path) override;
    std::optional<std::string> ReadWholeFile(const std::wstring& path, std::uint32_t& error) override;
    std::uint32_t ReplaceFileContent(const std::wstring& path, const std::string& bytes) override;
    std::uint32_t VersionInfoSize(const std::wstring& file) override;
    bool LoadVersionInfo(const std::wstring& file, std::vector<std::uint8_t>& block) override;
    bool QueryTranslation(const std::vector<std::uint8_t>& block, std::uint16_t& language,
                          std::uint16_t& codePage) override;
    bool QueryString(const std::vector<std::uint8_t>& block, const std::wstring& subBlock,
                     std::wstring& value) override;
    bool QueryFileVersionMS(const std::vector<std::uint8_t>& block, std::uint32_t& versionMS) override;
    std::wstring LocaleListSeparator() override;
    bool WideToAnsi(std::wstring_view text, std::string& bytes) override;
    std::wstring AnsiToWide(std::string_view bytes) override;
    bool ShellExecuteFile(WindowRef owner, const std::wstring& verb, const std::wstring& file,
                      const std::wstring& params, const std::wstring& dir, int show) override;
    int MessageDialog(const MessageDialogRequest& request) override;
    std::optional<std::wstring> OpenFileDialog(WindowRef owner, const std::wstring& filter,
                                               const std::wstring& defaultExt) override;
    std::optional<std::wstring> SaveFileDialog(WindowRef owner, const std::wstring& filter,
                                               const std::wstring& defaultExt) override;
    std::optional<std::wstring> InputQuery(WindowRef owner, const std::wstring& caption, const std::wstring& prompt,
                                           const std::wstring& initial) override;
    void ShowErrorBox(const std::wstring& message) override;
    void MessageBeep(std::uint32_t type) override;
    void ProcessMessages() override;
    void Terminate() override;
    void SetTopmost(WindowRef window, bool topmost) override;
    Point CursorPos() override;
    void SetCursorPos(Point p) override;
    void SendMouse(const std::vector<MouseOp>& ops) override;
    void ClipCursor(const std::optional<Rect>& rect) override;
    void MinimizeApplication() override;
    void RestoreApplication() override;
    void SetForegroundWindow(WindowRef window) override;
    bool MouseButtonDown(int virtualKey) override;
    std::uintptr_t InstallMouseHook(MouseHookProc proc) override;
    void RemoveMouseHook(std::uintptr_t hook) override;
    std::uint16_t AddGlobalAtom(const std::wstring& name) override;
    void DeleteGlobalAtom(std::uint16_t atom) override;
    bool RegisterHotKey(WindowRef window, std::uint32_t id, std::uint32_t modifiers,
                        std::uint32_t virtualKey) override;
    void UnregisterHotKey(WindowRef window, std::uint32_t id) override;
    // languages
    std::vector<FolderEntry> ListFolder(const std::wstring& pattern) override;
    bool FolderExists(const std::wstring& path) override;
    std::uint16_t UserDefaultUILanguage() override;
    std::uint32_t StartupThreadLocale() override { return m_startupLocale; }
    std::vector<InstalledLocale> InstalledLocales() override;
    std::uint32_t TickCount() override { return ::GetTickCount(); }  // about box
    // Keyboard layout.
    std::wstring KeyNameOfVirtualKey(std::uint8_t virtualKey) override;
    std::optional<std::uint8_t> VirtualKeyOfCharacter(wchar_t character) override;
    // Window shell.
    void HideWindow(WindowRef window) override;
    void ShowWindowNormal(WindowRef window) override;
    // Playback schedule clock.
    std::int64_t MonotonicMicros() override;
    // online services (online_win32.cpp)
    HttpAnswer HttpPostForm(const HttpTarget& target, const std::string& body,
                            std::uint32_t timeoutMs) override;
    std::optional<std::wstring> ReadMachineGuidValue() override;
    bool OpenUserKey(const std::wstring& path) override;
    std::optional<std::wstring> ReadUserString(const std::wstring& path, const std::wstring& name) override;
    bool WriteUserString(const std::wstring& path, const std::wstring& name,
                         const std::wstring& value) override;
    std::wstring OsDescription() override;
    std::wstring ShortDateToday() override;
    FormPoster DetachedFormPoster() override;
    bool StartThread(std::function<void()> body) override;
    std::int32_t PrimaryScreenWidth() override;
    // Files in pieces.
    std::unique_ptr<FileReader> OpenFileReader(const std::wstring& path, std::uint32_t& error) override;
    std::uint32_t ReplaceFileContentInPieces(const std::wstring& path,
                                             const std::function<void(FileWriter&)>& produce) override;

private:
    bool Fail() {
        m_lastError = ::GetLastError();
        return false;
    }

    HWND m_mainWindow = nullptr;
    // Drift-free ticks that keep coming inside menus and modal boxes.
    Win32TimerHost m_timers{[this](const std::wstring& message) { ShowErrorBox(message); }};
    std::uint32_t m_lastError = 0;
    std::wstring m_appTitle = L"Orvalin";
    // The platform is made first thing on the user-interface thread: this is its locale at start.
    std::uint32_t m_startupLocale = ::GetThreadLocale();
    // SendMouse: the button swap and the virtual desktop, read again once they are this old.
    struct MouseMetrics {
        bool swapped = false;
        int left = 0, top = 0, width = 0, height = 0;
        std::uint64_t readAtMs = 0;
        bool read = false;
    };
    static constexpr std::uint64_t kMouseMetricsMaxAgeMs = 100;
    static const MouseMetrics& CurrentMouseMetrics(MouseMetrics& cache);
    static void SendMouseWith(MouseMetrics& cache, const std::vector<MouseOp>& ops);
    void StartMouseSender();  // the input thread, once
    MouseMetrics m_mouseMetrics;  // of SendMouse, on the user-interface thread

    // Playback's input thread, made at its first row; each thread keeps its own metrics.
    void QueueMouse(std::int64_t dueUs, std::vector<MouseOp> ops, std::uint64_t tag,
                    std::int64_t afterPreviousUs = 0) override;
    void DropQueuedMouse() override;
    void FinishQueuedMouse() override;
    void PrepareQueuedMouse() override;
    std::optional<std::uint64_t> SentQueuedMouse() override;
    bool QueuedMouseSent() override;
    MouseMetrics m_senderMouseMetrics;  // of the input thread
    std::unique_ptr<Win32MouseSender> m_mouseSender;  // last: its thread uses the members above
};

// Runs a handler at the boundary between Windows and our code: an exception becomes the
// application's error box and never escapes into a window procedure or callback.
template <typename F>
void Guarded(Platform& platform, F&& handler) noexcept;

}  // namespace orv

#include "platform/win32/guarded.inl"
