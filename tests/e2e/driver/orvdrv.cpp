// orvdrv: reads and pokes the running Orvalin main window from another process, for the
// end-to-end scenarios. It runs inside the same Wine prefix as the program and executes the
// commands given on its command line in order, one result line per query on stdout (UTF-8).
//
//   orvdrv [--wait MS] COMMAND [ARGS...] [COMMAND [ARGS...]]...
//
// --wait MS   how long the first command that needs the main window waits for it (default 10000)
//
// Queries on the main window (one line each):
//   hwnd | pid | caption | windows         handle, process id, caption, number of main windows
//   exstyle                                extended style as 0x%08X
//   topmost | acceptfiles                  1/0 for WS_EX_TOPMOST / WS_EX_ACCEPTFILES
//   text ID | enabled ID | visible ID      child text (WM_GETTEXT), 1/0, 1/0
//   checked ID                             BM_GETCHECK: 0 unchecked, 1 checked, 2 indeterminate
//   updown ID                              UDM_GETPOS32 of an up-down control
//   status N | status-parts                text of status bar panel N (numbered from 0), panel count
//   rows ID | cell ID ROW COL              list view row count, cell text (row, column from 0)
//   rect ID                                control's screen rectangle "left top right bottom"
//   center ID                              its centre "x y", ready for `xdotool mousemove`
//   window-rect                            the main window's screen rectangle, as for rect
//   iconic                                 1 while the main window is minimized, else 0
//   exists                                 1 while the main window exists, else 0 (never fails)
// The step list (a list view; ID is its control id, rows numbered from 0):
//   row ID ROW                             the row's cells joined by ","
//   table ID                               every row as for `row`, joined by "|"
//   selected ID                            numbers of the selected rows, space-separated
//   row-rect ID ROW | row-center ID ROW    screen rectangle / centre of the row's first cell
// Actions on the main window (no output):
//   click ID                               posts BM_CLICK to the child
//   command ID                             posts WM_COMMAND with a menu command id
//   send-commands N ID... --               sends WM_COMMAND with each id in turn, N rounds, each
//                                          one once the last was handled: as fast as the window
//                                          takes them (fails when the window goes meanwhile)
//   wait-shown MS                          waits until the main window is visible (start-up done)
//   wait-gone MS                           waits until the main window is destroyed
//   wait-caption TEXT MS                   waits until the main window has this caption
//   wait-text ID TEXT MS                   waits until the child has this text
//   wait-rows ID N MS                      waits until the list view has N rows
//   drop FILE... [--]                      files dropped from the shell: posts WM_DROPFILES with
//                                          a wide DROPFILES block made in the program's memory
//   find MS                                forgets the main window and waits for one again
// Other top-level windows (message boxes, dialogs):
//   wait-window CAPTION MS                 waits for a visible top-level window with this caption
//                                          and makes it the current dialog
//   wait-active MS                         waits until it is the foreground window (typed keys
//                                          go to it)
//   dialog-class | dialog-text             its class name; its message text (static children)
//   dialog-owner                           its owner window's handle as for hwnd (0x00000000: none)
//   dialog-above-main                      1 when it is above the main window in the z-order
//   dialog-buttons                         its button captions joined by "|"
//   press CAPTION                          presses its button with this caption ("&" ignored)
//   dialog-rect                            its screen rectangle "left top right bottom"
//   dialog-controls                        its direct children as "class:id:text", joined by "|"
//   dlg-text REF | dlg-checked REF         a child's text (WM_GETTEXT); BM_GETCHECK as for checked
//   dlg-enabled REF | dlg-center REF       a child's enabled state 1/0; its centre "x y"
//       REF names a direct child of the dialog: a number is a control id; otherwise NAME or
//       NAME#N, the first (or N-th, from 0) child whose class is NAME (any case) or whose
//       caption without "&" is NAME, in creation order: Edit#2, "Double Click#1", OK
//   wait-window-gone CAPTION MS            waits until no such window is left
//   wait-class CLASS MS                    as wait-window, for a window of this class (the update
//                                          notice has no caption)
//   count-class CLASS                      top-level windows of this class: "ALL SHOWN", the number
//                                          of them and of the visible ones
// The hotkey dialog and the system-wide hotkeys:
//   count-windows CAPTION                  number of visible top-level windows with this caption
//   dlg-hotkey REF                         HKM_GETHOTKEY of a hotkey field as 0x%04X (the HOTKEYF_*
//                                          flags in the high byte, the key code in the low byte)
//   hold-hotkey MODS VK                    registers the combination for this driver, as another
//                                          program holding it would; answers 1, or 0 when taken
//   release-hotkey                         gives it up again (ending the driver does as well)
// The main window's shell state and the notification area (tray icons of Wine's taskbar):
//   shown                                  1 while the main window is visible, else 0
//   syscommand minimize|restore            posts WM_SYSCOMMAND SC_MINIMIZE / SC_RESTORE, as the
//                                          caption buttons do
//   tray-tips                              tooltip texts of the shown tray icons, joined by "|"
//   tray-center TIP                        centre "x y" of the shown tray icon with this tooltip
//   wait-popup MS                          waits for a shown pop-up menu and answers its centre
// Files held by this driver (hostile-file scenarios):
//   lock-file PATH                         opens the file for reading and writing with no sharing,
//                                          as another program that has it open does, and holds it
//                                          until the driver ends; answers 1
// Misc:
//   sleep MS
//   tick                                   GetTickCount() now: the clock of message times, so
//                                          that a test can compare a moment with logged input
//
// Results that contain line breaks are printed with "\n" and "\r" escaped, so that every query
// answers exactly one line. Any failure prints "orvdrv: ..." on stderr and exits with 1 (2 for a
// usage error); the lines printed before it stand.
#include <windows.h>
#include <commctrl.h>
#include <shlobj.h>

#include <fcntl.h>
#include <io.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cwchar>
#include <stdexcept>
#include <string>
#include <vector>

#include "app/control_ids.h"

namespace {

struct Failure : std::runtime_error {
    int code;
    Failure(const std::string& message, int exitCode = 1) : std::runtime_error(message), code(exitCode) {}
};

std::string Utf8(const std::wstring& text) {
    if (text.empty()) return {};
    const int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0,
                                         nullptr, nullptr);
    std::string out(static_cast<std::size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), size, nullptr,
                        nullptr);
    return out;
}

[[noreturn]] void Fail(const std::wstring& message) { throw Failure(Utf8(message)); }

void PrintLine(const std::wstring& text) {
    std::wstring escaped;
    for (wchar_t c : text) {
        if (c == L'\n') {
            escaped += L"\\n";
        } else if (c == L'\r') {
            escaped += L"\\r";
        } else {
            escaped += c;
        }
    }
    const std::string line = Utf8(escaped) + "\n";
    std::fwrite(line.data(), 1, line.size(), stdout);
    std::fflush(stdout);
}

std::wstring Hex(unsigned long long value) {
    wchar_t buffer[32];
    std::swprintf(buffer, 32, L"0x%08llX", value);
    return buffer;
}

// The text of a window of another process: GetWindowText answers "" across processes for
// controls, WM_GETTEXT is marshalled by the system.
std::wstring WindowText(HWND hwnd) {
    DWORD_PTR length = 0;
    if (!SendMessageTimeoutW(hwnd, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, 5000, &length)) {
        Fail(L"window does not answer WM_GETTEXTLENGTH");
    }
    std::wstring text(length + 1, L'\0');
    DWORD_PTR copied = 0;
    SendMessageTimeoutW(hwnd, WM_GETTEXT, length + 1, reinterpret_cast<LPARAM>(text.data()), SMTO_ABORTIFHUNG,
                        5000, &copied);
    text.resize(copied);
    return text;
}

// Captions of top-level windows: the system keeps them, so no message has to reach a window
// that may be busy or hung.
std::wstring TitleOf(HWND hwnd) {
    wchar_t title[512] = {};
    GetWindowTextW(hwnd, title, 512);
    return title;
}

std::wstring ClassOf(HWND hwnd) {
    wchar_t name[256] = {};
    GetClassNameW(hwnd, name, 256);
    return name;
}

std::wstring WithoutAccelerators(const std::wstring& caption) {
    std::wstring out;
    for (std::size_t i = 0; i < caption.size(); ++i) {
        if (caption[i] == L'&' && i + 1 < caption.size()) ++i;
        out += caption[i];
    }
    return out;
}

// Scratch memory in the target process for messages whose pointers the system does not
// marshal (status bar and list view texts).
class RemoteBuffer {
public:
    RemoteBuffer(HWND owner, std::size_t size) : m_size(size) {
        DWORD pid = 0;
        GetWindowThreadProcessId(owner, &pid);
        m_process = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, pid);
        if (!m_process) Fail(L"cannot open the program's process");
        m_address = VirtualAllocEx(m_process, nullptr, size, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
        if (!m_address) {
            CloseHandle(m_process);
            Fail(L"cannot allocate memory in the program's process");
        }
    }
    ~RemoteBuffer() {
        if (m_address) VirtualFreeEx(m_process, m_address, 0, MEM_RELEASE);
        CloseHandle(m_process);
    }
    RemoteBuffer(const RemoteBuffer&) = delete;
    RemoteBuffer& operator=(const RemoteBuffer&) = delete;

    // The memory stays in the program when the buffer goes: for a block that the program
    // itself releases (a dropped-files block, freed by DragFinish).
    void HandOver() { m_address = nullptr; }

    char* Address() const { return static_cast<char*>(m_address); }
    void Write(std::size_t offset, const void* data, std::size_t size) {
        if (!WriteProcessMemory(m_process, Address() + offset, data, size, nullptr)) Fail(L"remote write failed");
    }
    void Read(std::size_t offset, void* data, std::size_t size) {
        if (!ReadProcessMemory(m_process, Address() + offset, data, size, nullptr)) Fail(L"remote read failed");
    }
    std::wstring ReadText(std::size_t offset, std::size_t maxChars) {
        std::wstring text(maxChars, L'\0');
        Read(offset, text.data(), maxChars * sizeof(wchar_t));
        text.resize(std::wcslen(text.c_str()));
        return text;
    }

private:
    HANDLE m_process = nullptr;
    void* m_address = nullptr;
    std::size_t m_size;
};

// --- finding windows -------------------------------------------------------------------------

std::vector<HWND> MainWindows() {
    std::vector<HWND> found;
    EnumWindows(
        [](HWND hwnd, LPARAM lp) -> BOOL {
            if (ClassOf(hwnd) == orv::ids::kMainWindowClass) reinterpret_cast<std::vector<HWND>*>(lp)->push_back(hwnd);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&found));
    return found;
}

HWND FindMainWindow(DWORD timeoutMs) {
    const DWORD start = GetTickCount();
    for (;;) {
        const auto windows = MainWindows();
        if (!windows.empty()) return windows.front();
        if (GetTickCount() - start >= timeoutMs) break;
        Sleep(50);
    }
    Fail(L"no window of class TAppForm appeared within " + std::to_wstring(timeoutMs) + L" ms");
}

std::vector<HWND> TopLevelWindowsCaptioned(const std::wstring& caption) {
    struct Search {
        std::wstring caption;
        std::vector<HWND> found;
    } search{caption, {}};
    EnumWindows(
        [](HWND hwnd, LPARAM lp) -> BOOL {
            auto& s = *reinterpret_cast<Search*>(lp);
            if (IsWindowVisible(hwnd) && TitleOf(hwnd) == s.caption) s.found.push_back(hwnd);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

std::vector<HWND> TopLevelWindowsOfClass(const std::wstring& className, bool shownOnly) {
    struct Search {
        std::wstring className;
        bool shownOnly;
        std::vector<HWND> found;
    } search{className, shownOnly, {}};
    EnumWindows(
        [](HWND hwnd, LPARAM lp) -> BOOL {
            auto& s = *reinterpret_cast<Search*>(lp);
            if ((!s.shownOnly || IsWindowVisible(hwnd)) && ClassOf(hwnd) == s.className) s.found.push_back(hwnd);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

std::vector<HWND> ChildrenOfClass(HWND parent, const std::wstring& className) {
    struct Search {
        HWND parent;
        std::wstring className;
        std::vector<HWND> found;
    } search{parent, className, {}};
    EnumChildWindows(
        parent,
        [](HWND hwnd, LPARAM lp) -> BOOL {
            auto& s = *reinterpret_cast<Search*>(lp);
            if (GetParent(hwnd) == s.parent && _wcsicmp(ClassOf(hwnd).c_str(), s.className.c_str()) == 0) {
                s.found.push_back(hwnd);
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// --- the command interpreter -------------------------------------------------------------------

class Driver {
public:
    Driver(int argc, wchar_t** argv) : m_args(argv + 1, argv + argc) {}

    void Run() {
        if (m_next < m_args.size() && m_args[m_next] == L"--wait") {
            ++m_next;
            m_waitMs = Number(L"--wait");
        }
        if (m_next >= m_args.size()) throw Failure("no command given (see the comment atop orvdrv.cpp)", 2);
        while (m_next < m_args.size()) Execute(m_args[m_next++]);
    }

private:
    std::wstring Arg(const std::wstring& command) {
        if (m_next >= m_args.size()) throw Failure("missing argument for " + Utf8(command), 2);
        return m_args[m_next++];
    }

    long Number(const std::wstring& command) {
        const std::wstring text = Arg(command);
        wchar_t* end = nullptr;
        const long value = std::wcstol(text.c_str(), &end, 0);
        if (text.empty() || *end) throw Failure("not a number for " + Utf8(command) + ": " + Utf8(text), 2);
        return value;
    }

    HWND Main() {
        if (!m_main) m_main = FindMainWindow(m_waitMs);
        if (!IsWindow(m_main)) Fail(L"the main window no longer exists");
        return m_main;
    }

    HWND Child(const std::wstring& command) {
        const long id = Number(command);
        HWND child = GetDlgItem(Main(), id);
        if (!child) Fail(L"no control with id " + std::to_wstring(id) + L" in the main window");
        return child;
    }

    HWND Dialog() {
        if (!m_dialog || !IsWindow(m_dialog)) Fail(L"no current dialog (use wait-window first)");
        return m_dialog;
    }

    static void WaitUntil(const std::wstring& what, DWORD timeoutMs, const auto& done) {
        const DWORD start = GetTickCount();
        while (!done()) {
            if (GetTickCount() - start >= timeoutMs) Fail(L"timed out after " + std::to_wstring(timeoutMs) + L" ms: " + what);
            Sleep(50);
        }
    }

    std::wstring StatusText(HWND bar, int panel) {
        const int parts = static_cast<int>(SendMessageW(bar, SB_GETPARTS, 0, 0));
        if (panel < 0 || panel >= parts) {
            Fail(L"status bar has " + std::to_wstring(parts) + L" panels, no panel " + std::to_wstring(panel));
        }
        const std::size_t length = LOWORD(SendMessageW(bar, SB_GETTEXTLENGTHW, panel, 0));
        RemoteBuffer buffer(bar, (length + 1) * sizeof(wchar_t));
        SendMessageW(bar, SB_GETTEXTW, panel, reinterpret_cast<LPARAM>(buffer.Address()));
        return buffer.ReadText(0, length + 1);
    }

    std::wstring CellText(HWND list, int row, int column) {
        constexpr std::size_t kMaxChars = 4096;
        RemoteBuffer buffer(list, sizeof(LVITEMW) + kMaxChars * sizeof(wchar_t));
        LVITEMW item = {};
        item.iSubItem = column;
        item.cchTextMax = kMaxChars;
        item.pszText = reinterpret_cast<wchar_t*>(buffer.Address() + sizeof(LVITEMW));
        const wchar_t empty = 0;
        buffer.Write(sizeof(LVITEMW), &empty, sizeof empty);
        buffer.Write(0, &item, sizeof item);
        SendMessageW(list, LVM_GETITEMTEXTW, row, reinterpret_cast<LPARAM>(buffer.Address()));
        return buffer.ReadText(sizeof(LVITEMW), kMaxChars);
    }

    std::wstring RowText(HWND list, int row) {
        const int columns = static_cast<int>(SendMessageW(ListView_GetHeader(list), HDM_GETITEMCOUNT, 0, 0));
        std::wstring text;
        for (int column = 0; column < columns; ++column) {
            if (column) text += L",";
            text += CellText(list, row, column);
        }
        return text;
    }

    int RowCount(HWND list) { return static_cast<int>(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0)); }

    // The first cell of a row on the screen: where a user clicks to pick the row.
    RECT RowRect(HWND list, int row) {
        if (row < 0 || row >= RowCount(list)) {
            Fail(L"the list has " + std::to_wstring(RowCount(list)) + L" rows, no row " + std::to_wstring(row));
        }
        RemoteBuffer buffer(list, sizeof(RECT));
        RECT r = {};
        r.left = LVIR_LABEL;
        buffer.Write(0, &r, sizeof r);
        if (!SendMessageW(list, LVM_GETITEMRECT, row, reinterpret_cast<LPARAM>(buffer.Address()))) {
            Fail(L"LVM_GETITEMRECT failed for row " + std::to_wstring(row));
        }
        buffer.Read(0, &r, sizeof r);
        MapWindowPoints(list, nullptr, reinterpret_cast<POINT*>(&r), 2);
        return r;
    }

    // What the shell hands a window that files are dropped on: a DROPFILES header followed by
    // the wide names, each ending in NUL, and one more NUL. DragQueryFileW and DragFinish get
    // the block's address as the HDROP: GlobalLock answers a plain pointer unchanged, and under
    // Wine DragFinish's GlobalFree of memory the heap never gave out fails without harm (checked:
    // the program reads every name and lives on).
    void DropFiles(HWND main, const std::vector<std::wstring>& files) {
        std::wstring names;
        for (const std::wstring& file : files) {
            names += file;
            names += L'\0';
        }
        names += L'\0';
        DROPFILES header = {};
        header.pFiles = sizeof header;
        header.fNC = FALSE;
        header.fWide = TRUE;
        RECT client = {};
        GetClientRect(main, &client);
        header.pt = {client.right / 2, client.bottom / 2};
        const std::size_t size = sizeof header + names.size() * sizeof(wchar_t);
        RemoteBuffer block(main, size);
        block.Write(0, &header, sizeof header);
        block.Write(sizeof header, names.data(), names.size() * sizeof(wchar_t));
        if (!PostMessageW(main, WM_DROPFILES, reinterpret_cast<WPARAM>(block.Address()), 0)) {
            Fail(L"PostMessage(WM_DROPFILES) failed, error " + std::to_wstring(GetLastError()));
        }
        block.HandOver();
    }

    // The icons of Wine's notification area: the centre of each on the screen and its tooltip
    // text. Wine 8 draws the icons in the taskbar window itself and gives each a tool of one
    // tooltip window that the taskbar owns; a tool's rectangle is its icon's place.
    struct TrayIcon {
        POINT center;
        std::wstring tip;
    };
    std::vector<TrayIcon> TrayIcons() {
        std::vector<TrayIcon> icons;
        HWND tray = FindWindowW(L"Shell_TrayWnd", nullptr);
        if (!tray) return icons;
        struct Search {
            HWND tray;
            std::vector<HWND> tooltips;
        } search = {tray, {}};
        EnumWindows(
            [](HWND w, LPARAM p) -> BOOL {
                auto* s = reinterpret_cast<Search*>(p);
                if (GetWindow(w, GW_OWNER) == s->tray && ClassOf(w) == TOOLTIPS_CLASSW)
                    s->tooltips.push_back(w);
                return TRUE;
            },
            reinterpret_cast<LPARAM>(&search));
        constexpr std::size_t kChars = 256;
        for (HWND tooltip : search.tooltips) {
            const auto count = static_cast<int>(SendMessageW(tooltip, TTM_GETTOOLCOUNT, 0, 0));
            for (int i = 0; i < count; ++i) {
                RemoteBuffer remote(tooltip, sizeof(TTTOOLINFOW) + kChars * sizeof(wchar_t));
                TTTOOLINFOW info = {};
                info.cbSize = sizeof info;
                info.lpszText = reinterpret_cast<wchar_t*>(remote.Address() + sizeof info);
                remote.Write(0, &info, sizeof info);
                if (!SendMessageW(tooltip, TTM_ENUMTOOLSW, static_cast<WPARAM>(i),
                                  reinterpret_cast<LPARAM>(remote.Address()))) {
                    continue;
                }
                remote.Read(0, &info, sizeof info);
                std::wstring text(kChars, L'\0');
                remote.Read(sizeof info, text.data(), kChars * sizeof(wchar_t));
                text.resize(std::wcslen(text.c_str()));
                POINT center = {(info.rect.left + info.rect.right) / 2,
                                (info.rect.top + info.rect.bottom) / 2};
                MapWindowPoints(info.hwnd, nullptr, &center, 1);
                // A tool without an area on the taskbar is an icon that is not shown.
                if (info.rect.right > info.rect.left) icons.push_back({center, text});
            }
        }
        return icons;
    }

    // A child of the current dialog, as described for REF at the top of this file.
    HWND DialogChild(const std::wstring& command) {
        const std::wstring ref = Arg(command);
        HWND dialog = Dialog();
        if (!ref.empty() && ref.find_first_not_of(L"0123456789") == std::wstring::npos) {
            HWND child = GetDlgItem(dialog, std::wcstol(ref.c_str(), nullptr, 10));
            if (!child) Fail(L"the dialog has no control with id " + ref);
            return child;
        }
        std::wstring name = ref;
        long index = 0;
        const auto hash = ref.rfind(L'#');
        if (hash != std::wstring::npos && hash + 1 < ref.size() &&
            ref.find_first_not_of(L"0123456789", hash + 1) == std::wstring::npos) {
            name = ref.substr(0, hash);
            index = std::wcstol(ref.c_str() + hash + 1, nullptr, 10);
        }
        long seen = 0;
        for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
            const bool match = _wcsicmp(ClassOf(child).c_str(), name.c_str()) == 0 ||
                               WithoutAccelerators(WindowText(child)) == name;
            if (match && seen++ == index) return child;
        }
        Fail(L"the dialog has no child " + ref);
    }

    void Execute(const std::wstring& c) {
        if (c == L"hwnd") {
            PrintLine(Hex(reinterpret_cast<ULONG_PTR>(Main())));
        } else if (c == L"pid") {
            DWORD pid = 0;
            GetWindowThreadProcessId(Main(), &pid);
            PrintLine(std::to_wstring(pid));
        } else if (c == L"caption") {
            PrintLine(WindowText(Main()));
        } else if (c == L"windows") {
            PrintLine(std::to_wstring(MainWindows().size()));
        } else if (c == L"exstyle") {
            PrintLine(Hex(static_cast<ULONG_PTR>(GetWindowLongPtrW(Main(), GWL_EXSTYLE)) & 0xFFFFFFFFu));
        } else if (c == L"topmost") {
            PrintLine((GetWindowLongPtrW(Main(), GWL_EXSTYLE) & WS_EX_TOPMOST) ? L"1" : L"0");
        } else if (c == L"acceptfiles") {
            PrintLine((GetWindowLongPtrW(Main(), GWL_EXSTYLE) & WS_EX_ACCEPTFILES) ? L"1" : L"0");
        } else if (c == L"text") {
            PrintLine(WindowText(Child(c)));
        } else if (c == L"enabled") {
            PrintLine(IsWindowEnabled(Child(c)) ? L"1" : L"0");
        } else if (c == L"visible") {
            PrintLine(IsWindowVisible(Child(c)) ? L"1" : L"0");
        } else if (c == L"checked") {
            PrintLine(std::to_wstring(SendMessageW(Child(c), BM_GETCHECK, 0, 0)));
        } else if (c == L"updown") {
            // The error flag would need remote memory; a position outside the range is visible
            // in the buddy's text anyway.
            PrintLine(std::to_wstring(static_cast<int>(SendMessageW(Child(c), UDM_GETPOS32, 0, 0))));
        } else if (c == L"status") {
            const long panel = Number(c);
            HWND bar = GetDlgItem(Main(), orv::ids::kStatusBar1);
            if (!bar) Fail(L"the main window has no status bar");
            PrintLine(StatusText(bar, panel));
        } else if (c == L"status-parts") {
            HWND bar = GetDlgItem(Main(), orv::ids::kStatusBar1);
            if (!bar) Fail(L"the main window has no status bar");
            PrintLine(std::to_wstring(SendMessageW(bar, SB_GETPARTS, 0, 0)));
        } else if (c == L"rows") {
            PrintLine(std::to_wstring(SendMessageW(Child(c), LVM_GETITEMCOUNT, 0, 0)));
        } else if (c == L"cell") {
            HWND list = Child(c);
            const long row = Number(c);
            const long column = Number(c);
            PrintLine(CellText(list, row, column));
        } else if (c == L"rect" || c == L"center" || c == L"window-rect") {
            RECT r;
            GetWindowRect(c == L"window-rect" ? Main() : Child(c), &r);
            if (c != L"center") {
                PrintLine(std::to_wstring(r.left) + L" " + std::to_wstring(r.top) + L" " + std::to_wstring(r.right) +
                          L" " + std::to_wstring(r.bottom));
            } else {
                PrintLine(std::to_wstring((r.left + r.right) / 2) + L" " + std::to_wstring((r.top + r.bottom) / 2));
            }
        } else if (c == L"iconic") {
            PrintLine(IsIconic(Main()) ? L"1" : L"0");
        } else if (c == L"row") {
            HWND list = Child(c);
            const long row = Number(c);
            if (row < 0 || row >= RowCount(list)) {
                Fail(L"the list has " + std::to_wstring(RowCount(list)) + L" rows, no row " + std::to_wstring(row));
            }
            PrintLine(RowText(list, row));
        } else if (c == L"table") {
            HWND list = Child(c);
            std::wstring text;
            const int rows = RowCount(list);
            for (int row = 0; row < rows; ++row) {
                if (row) text += L"|";
                text += RowText(list, row);
            }
            PrintLine(text);
        } else if (c == L"selected") {
            HWND list = Child(c);
            std::wstring text;
            for (int row = ListView_GetNextItem(list, -1, LVNI_SELECTED); row >= 0;
                 row = ListView_GetNextItem(list, row, LVNI_SELECTED)) {
                if (!text.empty()) text += L" ";
                text += std::to_wstring(row);
            }
            PrintLine(text);
        } else if (c == L"row-rect" || c == L"row-center") {
            HWND list = Child(c);
            const RECT r = RowRect(list, Number(c));
            if (c == L"row-rect") {
                PrintLine(std::to_wstring(r.left) + L" " + std::to_wstring(r.top) + L" " + std::to_wstring(r.right) +
                          L" " + std::to_wstring(r.bottom));
            } else {
                PrintLine(std::to_wstring((r.left + r.right) / 2) + L" " + std::to_wstring((r.top + r.bottom) / 2));
            }
        } else if (c == L"wait-caption") {
            const std::wstring caption = Arg(c);
            const long ms = Number(c);
            HWND main = Main();
            WaitUntil(L"the caption is not \"" + caption + L"\" (it is \"" + WindowText(main) + L"\")", ms,
                      [&] { return WindowText(main) == caption; });
        } else if (c == L"wait-text") {
            HWND child = Child(c);
            const std::wstring text = Arg(c);
            const long ms = Number(c);
            WaitUntil(L"the control's text is not \"" + text + L"\" (it is \"" + WindowText(child) + L"\")", ms,
                      [&] { return WindowText(child) == text; });
        } else if (c == L"wait-rows") {
            HWND list = Child(c);
            const long rows = Number(c);
            const long ms = Number(c);
            const DWORD start = GetTickCount();
            while (RowCount(list) != rows) {
                if (GetTickCount() - start >= static_cast<DWORD>(ms)) {
                    Fail(L"timed out after " + std::to_wstring(ms) + L" ms: the list has " +
                         std::to_wstring(RowCount(list)) + L" rows, not " + std::to_wstring(rows));
                }
                Sleep(50);
            }
        } else if (c == L"drop") {
            std::vector<std::wstring> files;
            while (m_next < m_args.size() && m_args[m_next] != L"--") files.push_back(m_args[m_next++]);
            if (m_next < m_args.size()) ++m_next;  // the "--"
            if (files.empty()) throw Failure("drop needs at least one file", 2);
            DropFiles(Main(), files);
        } else if (c == L"exists") {
            if (!m_main) {
                const auto windows = MainWindows();
                if (!windows.empty()) m_main = windows.front();
            }
            PrintLine(m_main && IsWindow(m_main) ? L"1" : L"0");
        } else if (c == L"click") {
            // Posted: a click may open a modal window, and a sent message would wait for it.
            if (!PostMessageW(Child(c), BM_CLICK, 0, 0)) Fail(L"PostMessage(BM_CLICK) failed");
        } else if (c == L"command") {
            const long id = Number(c);
            if (!PostMessageW(Main(), WM_COMMAND, MAKEWPARAM(id, 0), 0)) Fail(L"PostMessage(WM_COMMAND) failed");
        } else if (c == L"send-commands") {
            const long rounds = Number(c);
            std::vector<long> ids;
            while (m_next < m_args.size() && m_args[m_next] != L"--") ids.push_back(Number(c));
            if (m_next < m_args.size()) ++m_next;  // the "--"
            if (ids.empty()) throw Failure("send-commands needs at least one id", 2);
            HWND main = Main();
            for (long round = 0; round < rounds; ++round) {
                for (const long id : ids) {
                    DWORD_PTR ignored = 0;
                    if (!SendMessageTimeoutW(main, WM_COMMAND, MAKEWPARAM(id, 0), 0, SMTO_ABORTIFHUNG, 10000,
                                             &ignored)) {
                        Fail(L"the main window did not take command " + std::to_wstring(id) + L" in round " +
                             std::to_wstring(round));
                    }
                }
            }
        } else if (c == L"wait-shown") {
            const long ms = Number(c);
            HWND main = Main();
            WaitUntil(L"the main window is not shown", ms, [&] { return IsWindowVisible(main) != FALSE; });
        } else if (c == L"wait-gone") {
            const long ms = Number(c);
            HWND main = Main();
            WaitUntil(L"the main window is still there", ms, [&] { return !IsWindow(main); });
        } else if (c == L"find") {
            const long ms = Number(c);
            m_main = nullptr;
            m_main = FindMainWindow(ms);
        } else if (c == L"wait-window") {
            const std::wstring caption = Arg(c);
            const long ms = Number(c);
            WaitUntil(L"no window captioned \"" + caption + L"\"", ms, [&] {
                const auto found = TopLevelWindowsCaptioned(caption);
                m_dialog = found.empty() ? nullptr : found.front();
                return m_dialog != nullptr;
            });
        } else if (c == L"wait-class") {
            const std::wstring className = Arg(c);
            const long ms = Number(c);
            WaitUntil(L"no window of class \"" + className + L"\"", ms, [&] {
                const auto found = TopLevelWindowsOfClass(className, true);
                m_dialog = found.empty() ? nullptr : found.front();
                return m_dialog != nullptr;
            });
        } else if (c == L"count-class") {
            const std::wstring className = Arg(c);
            PrintLine(std::to_wstring(TopLevelWindowsOfClass(className, false).size()) + L" " +
                      std::to_wstring(TopLevelWindowsOfClass(className, true).size()));
        } else if (c == L"wait-window-gone") {
            const std::wstring caption = Arg(c);
            const long ms = Number(c);
            WaitUntil(L"a window captioned \"" + caption + L"\" is still there", ms,
                      [&] { return TopLevelWindowsCaptioned(caption).empty(); });
        } else if (c == L"wait-active") {
            const long ms = Number(c);
            HWND dialog = Dialog();
            WaitUntil(L"the dialog is not the foreground window", ms, [&] { return GetForegroundWindow() == dialog; });
        } else if (c == L"dialog-owner") {
            PrintLine(Hex(reinterpret_cast<ULONG_PTR>(GetWindow(Dialog(), GW_OWNER))));
        } else if (c == L"dialog-above-main") {
            HWND dialog = Dialog();
            HWND main = Main();
            bool above = false;
            for (HWND w = GetWindow(main, GW_HWNDPREV); w; w = GetWindow(w, GW_HWNDPREV)) {
                if (w == dialog) above = true;
            }
            PrintLine(above ? L"1" : L"0");
        } else if (c == L"dialog-class") {
            PrintLine(ClassOf(Dialog()));
        } else if (c == L"dialog-text") {
            // A message box shows its icon in a static too; that one has no text.
            std::wstring text;
            for (HWND s : ChildrenOfClass(Dialog(), L"Static")) {
                if ((GetWindowLongW(s, GWL_STYLE) & SS_TYPEMASK) == SS_ICON) continue;
                const std::wstring part = WindowText(s);
                if (part.empty()) continue;
                if (!text.empty()) text += L"\n";
                text += part;
            }
            PrintLine(text);
        } else if (c == L"dialog-buttons") {
            std::wstring captions;
            for (HWND b : ChildrenOfClass(Dialog(), L"Button")) {
                if (!IsWindowVisible(b)) continue;
                if (!captions.empty()) captions += L"|";
                captions += WithoutAccelerators(WindowText(b));
            }
            PrintLine(captions);
        } else if (c == L"press") {
            const std::wstring caption = Arg(c);
            HWND dialog = Dialog();
            HWND target = nullptr;
            for (HWND b : ChildrenOfClass(dialog, L"Button")) {
                if (IsWindowVisible(b) && WithoutAccelerators(WindowText(b)) == caption) target = b;
            }
            if (!target) Fail(L"the dialog has no button \"" + caption + L"\"");
            // What the button itself would tell its dialog; unlike BM_CLICK it needs neither
            // focus nor an active window.
            if (!PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(target), BN_CLICKED),
                              reinterpret_cast<LPARAM>(target))) {
                Fail(L"PostMessage(WM_COMMAND) to the dialog failed");
            }
        } else if (c == L"dialog-rect") {
            RECT r;
            GetWindowRect(Dialog(), &r);
            PrintLine(std::to_wstring(r.left) + L" " + std::to_wstring(r.top) + L" " + std::to_wstring(r.right) + L" " +
                      std::to_wstring(r.bottom));
        } else if (c == L"dialog-controls") {
            std::wstring text;
            for (HWND child = GetWindow(Dialog(), GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
                if (!text.empty()) text += L"|";
                text += ClassOf(child) + L":" + std::to_wstring(GetDlgCtrlID(child)) + L":" + WindowText(child);
            }
            PrintLine(text);
        } else if (c == L"dlg-text") {
            PrintLine(WindowText(DialogChild(c)));
        } else if (c == L"dlg-checked") {
            PrintLine(std::to_wstring(SendMessageW(DialogChild(c), BM_GETCHECK, 0, 0)));
        } else if (c == L"dlg-enabled") {
            PrintLine(IsWindowEnabled(DialogChild(c)) ? L"1" : L"0");
        } else if (c == L"dlg-center") {
            RECT r;
            GetWindowRect(DialogChild(c), &r);
            PrintLine(std::to_wstring((r.left + r.right) / 2) + L" " +
                      std::to_wstring((r.top + r.bottom) / 2));
        } else if (c == L"shown") {
            PrintLine(IsWindowVisible(Main()) ? L"1" : L"0");
        } else if (c == L"syscommand") {
            const std::wstring what = Arg(c);
            const WPARAM command = what == L"minimize" ? SC_MINIMIZE : what == L"restore" ? SC_RESTORE : 0;
            if (!command) throw Failure("syscommand takes minimize or restore", 2);
            if (!PostMessageW(Main(), WM_SYSCOMMAND, command, 0)) Fail(L"PostMessage(WM_SYSCOMMAND) failed");
        } else if (c == L"tray-tips") {
            std::wstring tips;
            for (const TrayIcon& icon : TrayIcons()) tips += (tips.empty() ? L"" : L"|") + icon.tip;
            PrintLine(tips);
        } else if (c == L"tray-center") {
            const std::wstring wanted = Arg(c);
            const auto icons = TrayIcons();
            const auto found = std::find_if(icons.begin(), icons.end(),
                                            [&](const TrayIcon& icon) { return icon.tip == wanted; });
            if (found == icons.end()) Fail(L"no tray icon with the tooltip \"" + wanted + L"\"");
            PrintLine(std::to_wstring(found->center.x) + L" " + std::to_wstring(found->center.y));
        } else if (c == L"wait-popup") {
            const long ms = Number(c);
            HWND popup = nullptr;
            WaitUntil(L"no pop-up menu is shown", ms, [&] {
                popup = FindWindowW(L"#32768", nullptr);
                return popup && IsWindowVisible(popup);
            });
            RECT r;
            GetWindowRect(popup, &r);
            PrintLine(std::to_wstring((r.left + r.right) / 2) + L" " + std::to_wstring((r.top + r.bottom) / 2));
        } else if (c == L"count-windows") {
            PrintLine(std::to_wstring(TopLevelWindowsCaptioned(Arg(c)).size()));
        } else if (c == L"dlg-hotkey") {
            wchar_t value[8];
            std::swprintf(value, 8, L"0x%04X",
                          static_cast<unsigned>(LOWORD(SendMessageW(DialogChild(c), HKM_GETHOTKEY, 0, 0))));
            PrintLine(value);
        } else if (c == L"hold-hotkey") {
            const long mods = Number(c);
            const long vk = Number(c);
            if (m_holding) UnregisterHotKey(nullptr, kHeldHotkeyId);
            m_holding =
                RegisterHotKey(nullptr, kHeldHotkeyId, static_cast<UINT>(mods), static_cast<UINT>(vk)) != 0;
            PrintLine(m_holding ? L"1" : L"0");
        } else if (c == L"release-hotkey") {
            if (m_holding) UnregisterHotKey(nullptr, kHeldHotkeyId);
            m_holding = false;
        } else if (c == L"lock-file") {
            const std::wstring path = Arg(c);
            HANDLE file = CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                      FILE_ATTRIBUTE_NORMAL, nullptr);
            if (file == INVALID_HANDLE_VALUE) {
                Fail(L"cannot open " + path + L" (error " + std::to_wstring(GetLastError()) + L")");
            }
            m_lockedFiles.push_back(file);  // closed by the system when the driver ends
            PrintLine(L"1");
        } else if (c == L"sleep") {
            Sleep(static_cast<DWORD>(Number(c)));
        } else if (c == L"tick") {
            PrintLine(std::to_wstring(GetTickCount()));
        } else {
            throw Failure("unknown command: " + Utf8(c), 2);
        }
    }

    std::vector<std::wstring> m_args;
    std::size_t m_next = 0;
    DWORD m_waitMs = 10000;
    HWND m_main = nullptr;
    HWND m_dialog = nullptr;
    // hold-hotkey: a combination registered on this thread.
    static constexpr int kHeldHotkeyId = 0x7A11;
    bool m_holding = false;
    // lock-file: files held open without sharing.
    std::vector<HANDLE> m_lockedFiles;
};

}  // namespace

int wmain(int argc, wchar_t** argv) {
    // Screen coordinates must be the physical ones that xdotool uses.
    SetProcessDPIAware();
    // Plain "\n" line ends for the shell that reads the answers; text mode would add "\r".
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stderr), _O_BINARY);
    try {
        Driver(argc, argv).Run();
        return 0;
    } catch (const Failure& failure) {
        std::fprintf(stderr, "orvdrv: %s\n", failure.what());
        return failure.code;
    }
}
