// In-memory stand-in for the operating system, for unit tests: a file system of byte strings,
// a version-resource table, scripted dialog answers, a virtual clock that delivers timer ticks,
// and a log of the calls that have visible effects.
#pragma once

#include <deque>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "platform/platform.h"
#include "playback/play_schedule.h"

namespace orv {

class FakePlatform : public Platform {
public:
    // System error codes the fake reports (the Windows values).
    static constexpr std::uint32_t kErrFileNotFound = 2;
    static constexpr std::uint32_t kErrAccessDenied = 5;
    static constexpr std::uint32_t kErrFileExists = 80;
    static constexpr std::uint32_t kErrResourceTypeNotFound = 1813;

    // A version resource as the fake's version library presents it.
    struct VersionResource {
        std::vector<std::pair<std::uint16_t, std::uint16_t>> translations;  // language, code page
        std::map<std::wstring, std::wstring> strings;  // "\StringFileInfo\040904e4\CompanyName" -> value
        std::uint32_t fileVersionMS = 0;
        bool loadFails = false;  // size is known but loading fails
    };

    FakePlatform();

    // --- state the tests set up and inspect ------------------------------------------------
    std::wstring exePath = L"C:\\Program Files\\Orvalin\\orvalin.exe";
    std::vector<std::wstring> params;
    std::wstring appDataFolder = L"C:\\Users\\user\\AppData\\Roaming";
    std::wstring listSeparator = L",";
    std::map<std::wstring, std::string> files;  // path -> bytes (paths compared case-insensitively)
    std::set<std::wstring> folders;             // existing folders (no trailing backslash)
    std::set<std::wstring> readOnlyFolders;     // creating files inside fails with access denied
    std::set<std::wstring> unreadableFiles;     // reading fails with access denied
    std::set<std::wstring> undeletableFiles;
    std::map<std::wstring, VersionResource> versionResources;  // exe path -> resource
    std::vector<int> dialogAnswers;  // consumed in order by MessageDialog; kResultNo when empty
    // Answers of the open, save and input dialogs, consumed in order; cancelled when empty.
    std::vector<std::optional<std::wstring>> openAnswers, saveAnswers, inputAnswers;
    std::vector<std::wstring> inputPrompts;  // "caption|prompt" of each input box shown
    std::vector<MessageDialogRequest> dialogs;
    std::vector<std::wstring> errorBoxes;
    std::vector<std::wstring> log;  // visible effects, e.g. "ShellExecute ..." "Terminate" "Beep 0"
    Point cursor;
    std::set<int> buttonsDown;
    // Input sent, with the virtual time it was sent at.
    struct SentInput {
        std::uint64_t atMs;
        MouseOp op;
    };
    std::vector<SentInput> input;
    bool failNextMouse = false;  // the next SendMouse throws, as a broken input layer would
    // Runs inside each message loop of ours (error box, message dialog, ProcessMessages): what
    // the timers and the user do meanwhile, e.g. [&] { os.Advance(600); } for a box left open
    // for 0.6 s. Not re-entered by the loops its own ticks open.
    std::function<void()> duringMessageLoop;

    // Gives the executable the program's own version resource (QUENZAL / Orvalin / 3.2.0.0).
    void InstallOwnVersionResource();
    bool HasFile(const std::wstring& path) const;
    std::string FileBytes(const std::wstring& path) const;

    // --- virtual clock ----------------------------------------------------------------------
    std::uint64_t NowMs() const { return m_nowUs / 1000; }
    // Moves the clock forward, firing every tick that falls due, in time order.
    void Advance(std::uint64_t ms);
    bool IsArmed(TTimer& timer) const { return m_timers.count(&timer) != 0; }

    // --- Platform ---------------------------------------------------------------------------
    void Arm(TTimer& timer, std::uint32_t intervalMs) override;
    void Disarm(TTimer& timer) override;
    std::wstring ExePath() override { return exePath; }
    std::vector<std::wstring> CommandLineParams() override { return params; }
    void CreateNamedMutex(const std::wstring& name) override;
    std::uint32_t LastErrorCode() override { return m_lastError; }
    std::wstring SystemErrorText(std::uint32_t code) override;
    bool CreateAndDropProbeFile(const std::wstring& path) override;
    std::wstring RoamingAppDataFolder() override { return appDataFolder; }
    bool CreateFolder(const std::wstring& path) override;
    bool RemoveFile(const std::wstring& path) override;
    bool FileExists(const std::wstring& path) override { return HasFile(path); }
    std::optional<std::string> ReadWholeFile(const std::wstring& path, std::uint32_t& error) override;
    std::uint32_t ReplaceFileContent(const std::wstring& path, const std::string& bytes) override;
    std::uint32_t VersionInfoSize(const std::wstring& file) override;
    bool LoadVersionInfo(const std::wstring& file, std::vector<std::uint8_t>& block) override;
    bool QueryTranslation(const std::vector<std::uint8_t>& block, std::uint16_t& language,
                          std::uint16_t& codePage) override;
    bool QueryString(const std::vector<std::uint8_t>& block, const std::wstring& subBlock,
                     std::wstring& value) override;
    bool QueryFileVersionMS(const std::vector<std::uint8_t>& block, std::uint32_t& versionMS) override;
    std::wstring LocaleListSeparator() override { return listSeparator; }
    // The fake's ANSI code page is Windows-1252.
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
    Point CursorPos() override { return cursor; }
    void SetCursorPos(Point p) override;
    void SendMouse(const std::vector<MouseOp>& ops) override;
    void ClipCursor(const std::optional<Rect>& rect) override;
    void MinimizeApplication() override { log.push_back(L"Minimize"); }
    void RestoreApplication() override { log.push_back(L"Restore"); }
    void SetForegroundWindow(WindowRef) override { log.push_back(L"SetForeground"); }
    bool MouseButtonDown(int virtualKey) override { return buttonsDown.count(virtualKey) != 0; }
    std::uintptr_t InstallMouseHook(MouseHookProc proc) override;
    void RemoveMouseHook(std::uintptr_t hook) override;
    std::uint16_t AddGlobalAtom(const std::wstring& name) override;
    void DeleteGlobalAtom(std::uint16_t atom) override;
    bool RegisterHotKey(WindowRef window, std::uint32_t id, std::uint32_t modifiers,
                        std::uint32_t virtualKey) override;
    void UnregisterHotKey(WindowRef window, std::uint32_t id) override;
    // Window shell: logged as "Hide" and "ShowNormal".
    void HideWindow(WindowRef) override { log.push_back(L"Hide"); }
    void ShowWindowNormal(WindowRef) override { log.push_back(L"ShowNormal"); }
    // Playback schedule clock: the virtual clock.
    std::int64_t MonotonicMicros() override { return static_cast<std::int64_t>(m_nowUs); }
    // Virtual time the next SendMouse call takes, in microseconds: a stall while input is sent.
    // Ticks that fall due meanwhile come at the next Advance.
    std::uint64_t nextSendMouseCostUs = 0;
    std::uint64_t sendMouseCostUs = 0;       // what every send of the input thread takes
    std::uint64_t finishQueuedMouseWaitedUs = 0;  // how long callers of FinishQueuedMouse waited
    // Playback's input thread: queued input is sent when the virtual clock reaches its due time
    // (at once when it is due already), in order with the ticks.
    void QueueMouse(std::int64_t dueUs, std::vector<MouseOp> ops, std::uint64_t tag,
                    std::int64_t afterPreviousUs = 0) override;
    void DropQueuedMouse() override;
    void FinishQueuedMouse() override;
    std::size_t QueuedMouseCount() const { return m_queuedMouse.size(); }
    void PrepareQueuedMouse() override { m_sentQueuedMouse.reset(); }
    std::optional<std::uint64_t> SentQueuedMouse() override { return m_sentQueuedMouse; }
    bool QueuedMouseSent() override { return m_queuedMouse.empty(); }

    // Sends one low-level mouse event to the hooks, if any: once, to the newest hook's
    // procedure, as the platform does while two hooks are in for a moment.
    void MouseEvent(std::uint32_t message, Point point);
    std::uintptr_t InstalledHook() const { return m_hooks.empty() ? 0 : m_hooks.back().first; }
    std::size_t LiveHookCount() const { return m_hooks.size(); }
    bool failNextHook = false;  // the next InstallMouseHook answers 0
    // Registered hotkeys: id -> "modifiers,key". Combinations in `heldHotkeys` are owned by
    // another program: registering them fails.
    std::map<std::uint32_t, std::wstring> hotkeys;
    std::set<std::wstring> heldHotkeys;

    // --- languages: listing keeps names as PutFile spelled them; display language, locales --
    // Stores a file and its folders, remembering the name's spelling for ListFolder (files put
    // otherwise list in lower case, the fake's folded form).
    void PutFile(const std::wstring& path, std::string bytes);
    std::uint16_t uiLanguage = 0x0409;
    std::uint32_t threadLocale = 0x0409;
    std::vector<InstalledLocale> installedLocales = {{0x0409, L"en-US"}, {0x0407, L"de-DE"}};
    std::vector<FolderEntry> ListFolder(const std::wstring& pattern) override;
    bool FolderExists(const std::wstring& path) override { return folders.count(Key(path)) != 0; }
    std::uint16_t UserDefaultUILanguage() override { return uiLanguage; }
    std::uint32_t StartupThreadLocale() override { return threadLocale; }
    std::vector<InstalledLocale> InstalledLocales() override { return installedLocales; }
    // About box: the tick count is the virtual clock plus this offset (to test its wrap-around).
    std::uint32_t tickBase = 0;
    std::uint32_t TickCount() override { return tickBase + static_cast<std::uint32_t>(NowMs()); }
    // Keyboard layout: names of the keys outside the fixed table, and the key that types each
    // character. Both start as a US layout's punctuation and keypad keys.
    std::map<std::uint8_t, std::wstring> keyNames;
    std::map<wchar_t, std::uint8_t> layoutKeys;
    std::wstring KeyNameOfVirtualKey(std::uint8_t virtualKey) override;
    std::optional<std::uint8_t> VirtualKeyOfCharacter(wchar_t character) override;
    // --- online services: scripted HTTP answers, an in-memory registry, threads run on demand --
    struct HttpExchange {
        HttpTarget target;
        std::string body;
        std::uint32_t timeoutMs;
    };
    // One scripted result per post, consumed in order: an answer, or a transport failure with
    // its message. A post with nothing scripted fails with "Connection refused".
    struct HttpScript {
        std::optional<HttpAnswer> answer;
        std::wstring failure = L"Connection refused";
    };
    std::vector<HttpScript> httpScript;
    std::vector<HttpExchange> httpPosts;
    std::function<void()> whilePosting;  // runs inside each post, as if while it waits
    // Registry values: "path|name" -> value; a value in `registryWrongType` is no string.
    std::map<std::wstring, std::wstring> registry;
    std::set<std::wstring> registryWrongType;
    std::set<std::wstring> registryKeys;  // opened or created keys
    bool registryCreateFails = false;
    std::optional<std::wstring> machineGuid = L"0f8fad5b-d9cb-469f-a165-70867728950e";
    bool machineGuidWrongType = false;
    std::wstring osDescription = L"Windows 10 (Version 10.0, Build 19045, 64-bit Edition)";
    std::wstring today = L"10.12.2026";
    std::wstring localeName = L"en-US";
    std::vector<std::function<void()>> pendingThreads;  // started, not yet run
    void RunThreads();
    HttpAnswer HttpPostForm(const HttpTarget& target, const std::string& body,
                            std::uint32_t timeoutMs) override;
    std::optional<std::wstring> ReadMachineGuidValue() override;
    bool OpenUserKey(const std::wstring& path) override;
    std::optional<std::wstring> ReadUserString(const std::wstring& path, const std::wstring& name) override;
    bool WriteUserString(const std::wstring& path, const std::wstring& name,
                         const std::wstring& value) override;
    std::wstring OsDescription() override { return osDescription; }
    std::wstring ShortDateToday() override { return today; }
    bool StartThread(std::function<void()> body) override;
    std::int32_t PrimaryScreenWidth() override { return 1920; }

private:
    struct Armed {
        std::uint32_t interval;
        std::uint64_t due;    // in microseconds
        std::uint64_t order;  // arming order breaks ties between equal deadlines
    };
    static std::wstring Key(const std::wstring& path);
    static std::wstring ParentFolder(const std::wstring& path);
    const VersionResource* ResourceOfBlock(const std::vector<std::uint8_t>& block) const;

    void RunMessageLoop();
    bool m_inMessageLoop = false;
    std::uint64_t m_nowUs = 0;  // the virtual clock, in microseconds
    struct QueuedMouse {
        std::int64_t dueUs;
        std::vector<MouseOp> ops;
        std::uint64_t tag;
        std::int64_t afterPreviousUs;
    };
    std::deque<QueuedMouse> m_queuedMouse;
    SendDeadlines m_queuedMouseDeadlines;        // the input thread's rules, on this clock
    std::optional<std::uint64_t> m_sentQueuedMouse;
    std::uint64_t FirstQueuedMouseDue() const;  // when the first queued input goes out
    void SendFirstQueuedMouse();  // takes it off the queue first
    std::uint64_t m_armOrder = 0;
    std::map<TTimer*, Armed> m_timers;
    std::uint32_t m_lastError = 0;
    std::vector<std::wstring> m_loadedBlocks;  // a loaded block holds the index into this
    std::vector<std::pair<std::uintptr_t, MouseHookProc>> m_hooks;  // installed, oldest first
    std::uintptr_t m_nextHook = 100;
    std::map<std::wstring, std::uint16_t> m_atoms;
    std::map<std::wstring, std::wstring> m_spelling;  // file key -> name as PutFile spelled it
};

}  // namespace orv
