// The operating-system services the portable code needs, behind one interface.
// win32/ implements it over the Windows API; fake/ is an in-memory double for unit tests.
// Portable code talks to Windows only through this header.
#pragma once

#include <algorithm>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace orv {

// An opaque native window handle (an HWND on Windows); 0 means none.
using WindowRef = std::uintptr_t;

struct Point {
    std::int32_t x = 0;
    std::int32_t y = 0;
    bool operator==(const Point&) const = default;
};

// Kinds and buttons of the standard message dialog.
enum class DialogKind { Warning, Error, Information, Confirmation, Custom };
enum DialogButton : unsigned { kBtnYes = 1, kBtnNo = 2, kBtnOk = 4, kBtnCancel = 8 };
inline constexpr int kResultOk = 1;
inline constexpr int kResultCancel = 2;
inline constexpr int kResultYes = 6;
inline constexpr int kResultNo = 7;

struct MessageDialogRequest {
    std::wstring message;
    DialogKind kind = DialogKind::Information;
    unsigned buttons = kBtnOk;
    std::wstring caption;
    std::vector<std::wstring> buttonCaptions;  // given to the push buttons in creation order
    WindowRef owner = 0;
};

class TTimer;

// Where a form post goes: scheme, host, port and path of an address.
struct HttpTarget {
    bool secure = false;
    std::wstring host;
    std::uint16_t port = 80;
    std::wstring path = L"/";
    bool operator==(const HttpTarget&) const = default;
};
struct HttpAnswer {
    std::string body;
    std::string charset;
};

struct Rect {
    std::int32_t left = 0, top = 0, right = 0, bottom = 0;
    bool operator==(const Rect&) const = default;
};

// One step of synthetic mouse input: a cursor move to (x, y), or one button transition given
// by its mouse_event flag (MOUSEEVENTF_LEFTDOWN = 0x0002 ... MOUSEEVENTF_MIDDLEUP = 0x0040).
struct MouseOp {
    enum Kind { kMove, kButton } kind;
    std::int32_t x = 0, y = 0;
    std::uint32_t flag = 0;
    bool operator==(const MouseOp&) const = default;
};

// Delivers timer ticks on the user-interface thread. A timer is armed with its interval;
// the first tick comes one interval later and then every interval, until disarmed.
class TimerHost {
public:
    virtual ~TimerHost() = default;
    virtual void Arm(TTimer& timer, std::uint32_t intervalMs) = 0;
    virtual void Disarm(TTimer& timer) = 0;
};

// A file open for reading from its start, a piece at a time through the caller's buffer.
class FileReader {
public:
    virtual ~FileReader() = default;
    // Reads up to `size` bytes into `buffer`: the count read, 0 at the end of the file, or
    // nullopt on failure with `error` set to the system code.
    virtual std::optional<std::size_t> Read(char* buffer, std::size_t size, std::uint32_t& error) = 0;
    // Back to the start of the file; false on failure with `error` set.
    virtual bool Rewind(std::uint32_t& error) = 0;
};

// The new content of a file, handed over a piece at a time.
class FileWriter {
public:
    virtual ~FileWriter() = default;
    // Appends `bytes`; false once writing failed (the failure is what the write returns).
    virtual bool Write(std::string_view bytes) = 0;
    // Drops everything written so far, to start the content again.
    virtual bool Restart() = 0;
};

class Platform : public TimerHost {
public:
    ~Platform() override = default;

    // --- process -------------------------------------------------------------------------
    virtual std::wstring ExePath() = 0;  // full path of the running executable
    virtual std::vector<std::wstring> CommandLineParams() = 0;
    virtual void CreateNamedMutex(const std::wstring& name) = 0;  // never tested, never closed
    virtual std::uint32_t LastErrorCode() = 0;
    virtual std::wstring SystemErrorText(std::uint32_t code) = 0;  // the system's text for a code

    // --- files and folders ---------------------------------------------------------------
    // Creates `path` new (fails if it exists), temporary and delete-on-close, then closes it.
    virtual bool CreateAndDropProbeFile(const std::wstring& path) = 0;
    virtual std::wstring RoamingAppDataFolder() = 0;  // empty when the system has none
    virtual bool CreateFolder(const std::wstring& path) = 0;
    virtual bool RemoveFile(const std::wstring& path) = 0;
    virtual bool FileExists(const std::wstring& path) = 0;
    // Reads a whole file. On failure returns nullopt and sets `error` to the system code.
    virtual std::optional<std::string> ReadWholeFile(const std::wstring& path, std::uint32_t& error) = 0;
    // Replaces a file's content through a temporary file in the same folder, so that a failure
    // leaves the previous content in place; an existing file keeps its attributes, and through
    // a symbolic link the file it names is replaced. Returns 0 on success, else the system
    // error code (a read-only file answers "access denied").
    virtual std::uint32_t ReplaceFileContent(const std::wstring& path, const std::string& bytes) = 0;

    // --- version library (GetFileVersionInfoSizeW / GetFileVersionInfoW / VerQueryValueW) --
    virtual std::uint32_t VersionInfoSize(const std::wstring& file) = 0;  // 0 on failure
    virtual bool LoadVersionInfo(const std::wstring& file, std::vector<std::uint8_t>& block) = 0;
    // The first translation entry of a loaded block: language id and code page.
    virtual bool QueryTranslation(const std::vector<std::uint8_t>& block, std::uint16_t& language,
                                  std::uint16_t& codePage) = 0;
    virtual bool QueryString(const std::vector<std::uint8_t>& block, const std::wstring& subBlock,
                             std::wstring& value) = 0;
    // Most significant 32 bits of the fixed file version (major << 16 | minor).
    virtual bool QueryFileVersionMS(const std::vector<std::uint8_t>& block, std::uint32_t& versionMS) = 0;

    // --- locale --------------------------------------------------------------------------
    virtual std::wstring LocaleListSeparator() = 0;  // of the calling thread's locale; may be empty
    // Text in the system's ANSI code page. Encoding answers false when a character has no
    // exact form there (no best-fit substitutes).
    virtual bool WideToAnsi(std::wstring_view text, std::string& bytes) = 0;
    virtual std::wstring AnsiToWide(std::string_view bytes) = 0;

    // --- shell, dialogs, sounds ----------------------------------------------------------
    virtual bool ShellExecuteFile(WindowRef owner, const std::wstring& verb, const std::wstring& file,
                              const std::wstring& params, const std::wstring& dir, int show) = 0;
    virtual int MessageDialog(const MessageDialogRequest& request) = 0;
    // The standard open and save dialogs with one filter ("CSV File (*.csv)|*.csv") and a
    // default extension; the save dialog asks before overwriting. nullopt when cancelled.
    virtual std::optional<std::wstring> OpenFileDialog(WindowRef owner, const std::wstring& filter,
                                                       const std::wstring& defaultExt) = 0;
    virtual std::optional<std::wstring> SaveFileDialog(WindowRef owner, const std::wstring& filter,
                                                       const std::wstring& defaultExt) = 0;
    // A one-line input box; nullopt when cancelled.
    virtual std::optional<std::wstring> InputQuery(WindowRef owner, const std::wstring& caption,
                                                   const std::wstring& prompt, const std::wstring& initial) = 0;
    virtual void ShowErrorBox(const std::wstring& message) = 0;  // the application's error report
    virtual void MessageBeep(std::uint32_t type) = 0;

    // --- application and windows ---------------------------------------------------------
    virtual void ProcessMessages() = 0;  // lets pending window messages run once
    virtual void Terminate() = 0;        // requests normal shutdown of the message loop
    virtual void SetTopmost(WindowRef window, bool topmost) = 0;
    virtual Point CursorPos() = 0;  // (0, 0) when it cannot be read
    virtual void SetCursorPos(Point p) = 0;
    // Moves the cursor with SetCursorPos and sends each transition as its own input event.
    // A transition lands at the point of the move before it, even if the cursor has moved on
    // by the time the system handles it, and presses the logical button its flag names, also
    // when the user has swapped the buttons.
    virtual void SendMouse(const std::vector<MouseOp>& ops) = 0;
    // Confines the cursor to a rectangle, or releases any confinement (nullopt).
    virtual void ClipCursor(const std::optional<Rect>& rect) = 0;
    virtual void MinimizeApplication() = 0;
    virtual void RestoreApplication() = 0;
    virtual void SetForegroundWindow(WindowRef window) = 0;

    // --- recording --------------------------------------------------------------------------
    // Whether a mouse button (VK_LBUTTON 1, VK_RBUTTON 2, VK_MBUTTON 4) is down right now,
    // wherever on the desktop it was pressed.
    virtual bool MouseButtonDown(int virtualKey) = 0;
    // A low-level mouse hook (WH_MOUSE_LL) on the calling thread's message loop. For every
    // mouse event the next hook is called first; then `proc` gets the code, the message and the
    // event's point, once per event, also while two hooks are in (a renewal installs the new
    // hook before it removes the old). Answers the hook handle (0 when it could not be
    // installed).
    using MouseHookProc = std::function<void(int code, std::uint32_t message, Point point)>;
    virtual std::uintptr_t InstallMouseHook(MouseHookProc proc) = 0;
    virtual void RemoveMouseHook(std::uintptr_t hook) = 0;  // 0 or a stale handle is harmless

    // --- system-wide hotkeys -----------------------------------------------------------------
    virtual std::uint16_t AddGlobalAtom(const std::wstring& name) = 0;  // 0 on failure
    virtual void DeleteGlobalAtom(std::uint16_t atom) = 0;
    virtual bool RegisterHotKey(WindowRef window, std::uint32_t id, std::uint32_t modifiers,
                                std::uint32_t virtualKey) = 0;
    virtual void UnregisterHotKey(WindowRef window, std::uint32_t id) = 0;

    // --- languages: display language, folder listing, locales (localisation/translate.cpp) --
    struct FolderEntry {
        std::wstring name;  // without the folder, as the file system spells it
        bool isFolder = false;
    };
    // The entries of a folder that match a wildcard pattern such as C:\Dir\*lang.txt, in the
    // order the file system lists them; empty when the folder is missing or unreadable.
    virtual std::vector<FolderEntry> ListFolder(const std::wstring& pattern) = 0;
    virtual bool FolderExists(const std::wstring& path) = 0;
    virtual std::uint16_t UserDefaultUILanguage() = 0;  // the user's display language (a LANGID)
    // The locale of the user-interface thread when the process started; 0 when it could not
    // be read. Safe to call from any thread.
    virtual std::uint32_t StartupThreadLocale() = 0;
    struct InstalledLocale {
        std::uint32_t lcid = 0;
        std::wstring name;  // language-region form, e.g. en-US
    };
    // Empty when the list cannot be read. Safe to call from any thread.
    virtual std::vector<InstalledLocale> InstalledLocales() = 0;
    // --- about box (menu click guard) -----------------------------------------------------------
    // Milliseconds since the system started, wrapping round after about 49.7 days (GetTickCount).
    virtual std::uint32_t TickCount() = 0;
    // --- keyboard layout (hotkey dialog and hotkey registration) -----------------------------
    // The current keyboard layout's own name of a virtual key (GetKeyNameText of its scan
    // code, e.g. ";" or "Num 5"); empty when the layout has none.
    virtual std::wstring KeyNameOfVirtualKey(std::uint8_t virtualKey) = 0;
    // The virtual key that types `character` on the current keyboard layout (VkKeyScan, the
    // shift state it needs left out); nullopt when no key types it.
    virtual std::optional<std::uint8_t> VirtualKeyOfCharacter(wchar_t character) = 0;
    // --- window shell: hiding the main window while it waits in the notification area ----
    virtual void HideWindow(WindowRef window) = 0;        // a minimized window stays minimized
    virtual void ShowWindowNormal(WindowRef window) = 0;  // shows it restored (SW_RESTORE)
    // --- clock (playback schedule) -------------------------------------------------------------
    // Microseconds of the monotonic clock the timer host schedules its ticks on.
    virtual std::int64_t MonotonicMicros() = 0;
    // --- playback's input thread -----------------------------------------------------------------
    // Sends `ops` at `dueUs` (MonotonicMicros) from a thread of its own, after all input queued
    // before it, so that rows keep their deadlines however busy the user-interface thread is.
    // A send that fails beeps (MessageBeep(0)) on that thread. `tag` is the caller's (a row).
    // With `afterPreviousUs`, it also waits that long after the send of the input queued before
    // it began: a pause keeps its length even when the rows before it went out late.
    virtual void QueueMouse(std::int64_t dueUs, std::vector<MouseOp> ops, std::uint64_t tag,
                            std::int64_t afterPreviousUs = 0) = 0;
    // Forgets the queued input. When it returns, nothing queued before it is sent any more and a
    // send that was under way has ended.
    virtual void DropQueuedMouse() = 0;
    // Returns when all queued input has been sent.
    virtual void FinishQueuedMouse() = 0;
    // True when all queued input has been sent (FinishQueuedMouse would return at once).
    virtual bool QueuedMouseSent() { return true; }
    // Readies the input thread ahead of the first row, which otherwise waits for the thread to
    // start (under Wine the first input of a thread opens its own display connection first).
    // A new run: SentQueuedMouse forgets the runs before.
    virtual void PrepareQueuedMouse() {}
    // The tag of the input the input thread took last to send (an empty `ops` counts, it sends
    // nothing) since PrepareQueuedMouse; a drop leaves it, so after DropQueuedMouse it names the
    // last input that went out. Read from any thread at any time.
    virtual std::optional<std::uint64_t> SentQueuedMouse() { return std::nullopt; }
    // --- online services: form posts, registry, the update-check thread ------------------------
    // Posts `body` (application/x-www-form-urlencoded) with the header "Connection: close";
    // `timeoutMs` limits the connect and the wait for the answer each. Answers the body and
    // the charset the answer declares (empty if none), whatever the status code; throws
    // EHttpError on any transport failure.
    virtual HttpAnswer HttpPostForm(const HttpTarget& target, const std::string& body,
                                    std::uint32_t timeoutMs) = 0;
    // "MachineGuid" of HKLM\SOFTWARE\Microsoft\Cryptography in the 64-bit view, opened
    // read-only; nullopt when the key or value is missing; throws ERegistryError when the value
    // is not a string.
    virtual std::optional<std::wstring> ReadMachineGuidValue() = 0;
    // A key under HKEY_CURRENT_USER, created when missing; false when it cannot be.
    virtual bool OpenUserKey(const std::wstring& path) = 0;
    // A string value of such a key; nullopt when missing; throws ERegistryError for another type.
    virtual std::optional<std::wstring> ReadUserString(const std::wstring& path,
                                                       const std::wstring& name) = 0;
    virtual bool WriteUserString(const std::wstring& path, const std::wstring& name,
                                 const std::wstring& value) = 0;
    virtual std::wstring OsDescription() = 0;   // one line: name, version, build, edition
    virtual std::wstring ShortDateToday() = 0;  // today in the user's short date format
    // Runs `body` on a new thread of its own, which ends with it; false when none could start.
    virtual bool StartThread(std::function<void()> body) = 0;
    virtual std::int32_t PrimaryScreenWidth() = 0;
    // --- files in pieces: macro files of any size without a whole copy in memory ----------
    // Opens a file for reading in pieces; nullptr on failure with `error` set to the system
    // code (the same codes as ReadWholeFile). By default it serves ReadWholeFile's bytes.
    virtual std::unique_ptr<FileReader> OpenFileReader(const std::wstring& path, std::uint32_t& error);
    // ReplaceFileContent with the content that `produce` writes a piece at a time, with the
    // same guarantees and codes; after a failed write (its code is the answer) or an exception
    // out of `produce` the old file stays as it was. `produce` may be called a second time (a
    // file system without links is written the older way), and must write the whole content
    // each time. By default the pieces are gathered and handed to ReplaceFileContent.
    virtual std::uint32_t ReplaceFileContentInPieces(const std::wstring& path,
                                                     const std::function<void(FileWriter&)>& produce);
    // --- form posts that may outlive this object (the update check at exit) ------------------
    // HttpPostForm as a function that needs nothing of this object, for a thread that may still
    // wait for an answer while the program ends and this object goes. By default it calls
    // HttpPostForm, which suits a platform that outlives every thread it starts.
    using FormPoster = std::function<HttpAnswer(const HttpTarget&, const std::string&, std::uint32_t)>;
    virtual FormPoster DetachedFormPoster() {
        return [this](const HttpTarget& target, const std::string& body, std::uint32_t timeoutMs) {
            return HttpPostForm(target, body, timeoutMs);
        };
    }
};

namespace detail {

// Serves bytes held in memory as a file.
class MemoryFileReader final : public FileReader {
public:
    explicit MemoryFileReader(std::string bytes) : m_bytes(std::move(bytes)) {}
    std::optional<std::size_t> Read(char* buffer, std::size_t size, std::uint32_t&) override {
        const std::size_t n = std::min(size, m_bytes.size() - m_at);
        m_bytes.copy(buffer, n, m_at);
        m_at += n;
        return n;
    }
    bool Rewind(std::uint32_t&) override {
        m_at = 0;
        return true;
    }

private:
    std::string m_bytes;
    std::size_t m_at = 0;
};

// Gathers the pieces into one string.
class StringFileWriter final : public FileWriter {
public:
    bool Write(std::string_view bytes) override {
        m_bytes.append(bytes);
        return true;
    }
    bool Restart() override {
        m_bytes.clear();
        return true;
    }
    const std::string& Bytes() const { return m_bytes; }

private:
    std::string m_bytes;
};

}  // namespace detail

inline std::unique_ptr<FileReader> Platform::OpenFileReader(const std::wstring& path, std::uint32_t& error) {
    std::optional<std::string> bytes = ReadWholeFile(path, error);
    if (!bytes) return nullptr;
    return std::make_unique<detail::MemoryFileReader>(std::move(*bytes));
}

inline std::uint32_t Platform::ReplaceFileContentInPieces(const std::wstring& path,
                                                          const std::function<void(FileWriter&)>& produce) {
    detail::StringFileWriter writer;
    produce(writer);
    return ReplaceFileContent(path, writer.Bytes());
}

}  // namespace orv
