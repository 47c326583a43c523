// Windows implementation of the platform operations.
#include "platform/win32/win32_platform.h"

#include <commdlg.h>
#include <knownfolders.h>
#include <shellapi.h>
#include <shlobj.h>

#include <algorithm>
#include <cstddef>
#include <cwchar>

#include "core/controls.h"
#include "core/long_path.h"
#include "platform/mouse_input.h"

namespace orv {
namespace {


// State of the message dialog being shown: its button captions are set when it activates.
struct DialogButtons {
    HHOOK hook = nullptr;
    const std::vector<std::wstring>* captions = nullptr;
};
thread_local DialogButtons t_dialogButtons;

LRESULT CALLBACK DialogCbtProc(int code, WPARAM wp, LPARAM lp) {
    if (code == HCBT_ACTIVATE && t_dialogButtons.captions) {
        HWND dialog = reinterpret_cast<HWND>(wp);
        std::size_t next = 0;
        // Children come in creation order; the standard box creates its buttons Yes, No, ...
        for (HWND child = GetWindow(dialog, GW_CHILD); child && next < t_dialogButtons.captions->size();
             child = GetWindow(child, GW_HWNDNEXT)) {
            wchar_t className[16] = {};
            GetClassNameW(child, className, 16);
            if (_wcsicmp(className, L"Button") == 0) {
                SetWindowTextW(child, (*t_dialogButtons.captions)[next++].c_str());
            }
        }
        t_dialogButtons.captions = nullptr;
    }
    return CallNextHookEx(t_dialogButtons.hook, code, wp, lp);
}

}  // namespace

Win32Platform::Win32Platform() = default;

Win32Platform::~Win32Platform() = default;

void Win32Platform::Arm(TTimer& timer, std::uint32_t intervalMs) { m_timers.Arm(timer, intervalMs); }

void Win32Platform::Disarm(TTimer& timer) { m_timers.Disarm(timer); }

// --- process ----------------------------------------------------------------------------------

std::wstring Win32Platform::ExePath() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD n = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (n < path.size()) {
            path.resize(n);
            return path;
        }
        path.resize(path.size() * 2);
    }
}

std::vector<std::wstring> Win32Platform::CommandLineParams() {
    std::vector<std::wstring> params;
    int count = 0;
    LPWSTR* args = CommandLineToArgvW(GetCommandLineW(), &count);
    if (!args) return params;
    for (int i = 1; i < count; ++i) params.emplace_back(args[i]);
    LocalFree(args);
    return params;
}

void Win32Platform::CreateNamedMutex(const std::wstring& name) {
    CreateMutexW(nullptr, FALSE, name.c_str());  // kept for the life of the process
}

std::wstring Win32Platform::SystemErrorText(std::uint32_t code) {
    wchar_t* buffer = nullptr;
    const DWORD n = FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code,
        0, reinterpret_cast<LPWSTR>(&buffer), 0, nullptr);
    std::wstring text = n && buffer ? std::wstring(buffer, n) : std::wstring();
    if (buffer) LocalFree(buffer);
    // The messages end in a period and a line break; the program's messages add their own.
    while (!text.empty() && (text.back() <= L' ' || text.back() == L'.')) text.pop_back();
    return text;
}

// --- files ------------------------------------------------------------------------------------

namespace {

// `path` made full (relative names, "..", slashes resolved); empty when the system cannot.
std::wstring FullPathName(const std::wstring& path) {
    std::wstring full(path.size() + 1, L'\0');
    for (;;) {
        const DWORD n = GetFullPathNameW(path.c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr);
        if (n == 0) return {};
        if (n < full.size()) {
            full.resize(n);
            return full;
        }
        full.resize(n);
    }
}

// The name to hand to the file functions: long paths in the extended form, so that a folder
// deeper than 260 characters works without the system's long-path opt-in. The extended form is
// taken literally, so the path is made full first.
std::wstring SystemPath(const std::wstring& path) {
    if (path.size() < kExtendedPathFrom) return path;
    const std::wstring full = FullPathName(path);
    return ExtendedLengthPath(full.empty() ? path : full);
}

// Opens a file or folder for its metadata only: any sharing mode of other openers is accepted,
// and links are followed to what they name.
HANDLE OpenForMetadata(const std::wstring& systemPath) {
    return CreateFileW(systemPath.c_str(), FILE_READ_ATTRIBUTES,
                       FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                       FILE_FLAG_BACKUP_SEMANTICS, nullptr);
}

// Where an open file really lives, links resolved; empty when the system cannot say.
std::wstring FinalPathOf(HANDLE file) {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD n = GetFinalPathNameByHandleW(file, path.data(), static_cast<DWORD>(path.size()),
                                                  FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
        if (n == 0) return {};
        if (n < path.size()) {
            path.resize(n);
            return path;
        }
        path.resize(n);
    }
}

// The request block of a rename or of a new link by handle: whether a file under the name is
// replaced, then the name in the system's native form ("\\??\\C:\\..."), not terminated.
std::vector<std::uint8_t> NameRequest(const std::wstring& path) {
    const std::wstring name = NativePathName(FullPathName(path));
    if (name.empty()) return {};
    const std::size_t bytes = offsetof(FILE_RENAME_INFO, FileName) + (name.size() + 1) * sizeof(wchar_t);
    std::vector<std::uint8_t> block(bytes);
    auto* info = reinterpret_cast<FILE_RENAME_INFO*>(block.data());
    info->ReplaceIfExists = TRUE;
    info->FileNameLength = static_cast<DWORD>(name.size() * sizeof(wchar_t));
    std::copy(name.begin(), name.end(), info->FileName);
    return block;
}

// Gives the open file `file` the name `path`, replacing a file there, in one request to the
// system. Right after the deletion mark comes off, this keeps the moment in which a kill leaves
// the temporary file behind as short as it can be: MoveFileExW first opens the file again by
// name and asks about it. False when it fails; then MoveFileExW tries (and reports) the same.
bool RenameOpenFile(HANDLE file, const std::wstring& path) {
    std::vector<std::uint8_t> block = NameRequest(path);
    return !block.empty() &&
           SetFileInformationByHandle(file, FileRenameInfo, block.data(), static_cast<DWORD>(block.size())) != FALSE;
}

// Gives the open file `file` the further name `path` (a hard link), replacing a file there in
// one request. The file then lives under both names, and deleting one leaves the other. The
// file system may have no links (FAT, exFAT, some network shares): false.
bool LinkOpenFile(HANDLE file, const std::wstring& path) {
    using SetInformationFile = LONG(WINAPI*)(HANDLE, void* statusBlock, void* info, ULONG size, int infoClass);
    constexpr int kFileLinkInformation = 11;
    struct StatusBlock {
        void* status;
        ULONG_PTR information;
    };
    static const auto setInformation = reinterpret_cast<SetInformationFile>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "NtSetInformationFile")));
    std::vector<std::uint8_t> block = NameRequest(path);
    if (!setInformation || block.empty()) return false;
    StatusBlock status = {};
    // The link request has the layout of the rename request.
    return setInformation(file, &status, block.data(), static_cast<ULONG>(block.size()), kFileLinkInformation) >= 0;
}

HANDLE OpenForReading(const std::wstring& path) {
    return CreateFileW(SystemPath(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                       FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
}

class HandleFileReader final : public FileReader {
public:
    explicit HandleFileReader(HANDLE file) : m_file(file) {}
    ~HandleFileReader() override { CloseHandle(m_file); }
    HandleFileReader(const HandleFileReader&) = delete;
    HandleFileReader& operator=(const HandleFileReader&) = delete;

    std::optional<std::size_t> Read(char* buffer, std::size_t size, std::uint32_t& error) override {
        DWORD got = 0;
        if (!ReadFile(m_file, buffer, static_cast<DWORD>(std::min<std::size_t>(size, 1u << 30)), &got,
                      nullptr)) {
            error = GetLastError();
            return std::nullopt;
        }
        return got;
    }
    bool Rewind(std::uint32_t& error) override {
        if (SetFilePointerEx(m_file, LARGE_INTEGER{}, nullptr, FILE_BEGIN)) return true;
        error = GetLastError();
        return false;
    }

private:
    HANDLE m_file;
};

// Writes the content into the open temporary file; the first failure is kept and ends writing.
class HandleFileWriter final : public FileWriter {
public:
    explicit HandleFileWriter(HANDLE file) : m_file(file) {}

    bool Write(std::string_view bytes) override {
        while (!m_error && !bytes.empty()) {
            const DWORD part = static_cast<DWORD>(std::min<std::size_t>(bytes.size(), 1u << 20));
            DWORD written = 0;
            if (!WriteFile(m_file, bytes.data(), part, &written, nullptr)) m_error = GetLastError();
            bytes.remove_prefix(written);
        }
        return !m_error;
    }
    bool Restart() override {
        if (!m_error &&
            !(SetFilePointerEx(m_file, LARGE_INTEGER{}, nullptr, FILE_BEGIN) && SetEndOfFile(m_file))) {
            m_error = GetLastError();
        }
        return !m_error;
    }
    // The first failure, else that of flushing the content to disk; 0 when all went well.
    DWORD Finish() {
        if (!m_error && !FlushFileBuffers(m_file)) m_error = GetLastError();
        return m_error;
    }

private:
    HANDLE m_file;
    DWORD m_error = 0;
};

}  // namespace

bool Win32Platform::CreateAndDropProbeFile(const std::wstring& path) {
    HANDLE file = CreateFileW(SystemPath(path).c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                              FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    if (file == INVALID_HANDLE_VALUE) return Fail();
    CloseHandle(file);
    return true;
}

std::wstring Win32Platform::RoamingAppDataFolder() {
    PWSTR path = nullptr;
    std::wstring folder;
    if (SUCCEEDED(SHGetKnownFolderPath(FOLDERID_RoamingAppData, 0, nullptr, &path)) && path) folder = path;
    CoTaskMemFree(path);
    return folder;
}

bool Win32Platform::CreateFolder(const std::wstring& path) {
    return CreateDirectoryW(SystemPath(path).c_str(), nullptr) ? true : Fail();
}

bool Win32Platform::RemoveFile(const std::wstring& path) {
    return DeleteFileW(SystemPath(path).c_str()) ? true : Fail();
}

bool Win32Platform::FileExists(const std::wstring& path) {
    // A link counts by what it names: a dangling one is a missing file. A file that is locked
    // or unreadable still exists (opening it for metadata needs neither).
    HANDLE file = OpenForMetadata(SystemPath(path));
    if (file == INVALID_HANDLE_VALUE) {
        switch (GetLastError()) {
            case ERROR_FILE_NOT_FOUND:
            case ERROR_PATH_NOT_FOUND:
            case ERROR_INVALID_NAME:
            case ERROR_BAD_NETPATH:
            case ERROR_CANT_RESOLVE_FILENAME:  // a loop of links
                return false;
            default: {
                // Refused outright (say, no right to look): the name's own attributes tell.
                const DWORD attributes = GetFileAttributesW(SystemPath(path).c_str());
                return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
            }
        }
    }
    BY_HANDLE_FILE_INFORMATION info = {};
    const bool isFile =
        GetFileInformationByHandle(file, &info) && !(info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY);
    CloseHandle(file);
    return isFile;
}

std::optional<std::string> Win32Platform::ReadWholeFile(const std::wstring& path, std::uint32_t& error) {
    HANDLE file = OpenForReading(path);
    if (file == INVALID_HANDLE_VALUE) {
        error = GetLastError();
        return std::nullopt;
    }
    std::string bytes;
    LARGE_INTEGER size = {};
    if (GetFileSizeEx(file, &size) && size.QuadPart > 0) bytes.reserve(static_cast<std::size_t>(size.QuadPart));
    char chunk[1 << 16];
    for (;;) {
        DWORD got = 0;
        if (!ReadFile(file, chunk, sizeof chunk, &got, nullptr)) {
            error = GetLastError();
            CloseHandle(file);
            return std::nullopt;
        }
        if (got == 0) break;
        bytes.append(chunk, got);
    }
    CloseHandle(file);
    error = 0;
    return bytes;
}

std::unique_ptr<FileReader> Win32Platform::OpenFileReader(const std::wstring& path, std::uint32_t& error) {
    HANDLE file = OpenForReading(path);
    if (file == INVALID_HANDLE_VALUE) {
        error = GetLastError();
        return nullptr;
    }
    error = 0;
    return std::make_unique<HandleFileReader>(file);
}

std::uint32_t Win32Platform::ReplaceFileContent(const std::wstring& path, const std::string& bytes) {
    return ReplaceFileContentInPieces(path, [&](FileWriter& file) { file.Write(bytes); });
}

std::uint32_t Win32Platform::ReplaceFileContentInPieces(const std::wstring& path,
                                                        const std::function<void(FileWriter&)>& produce) {
    // The new content goes to "<name>.orvtmp" beside the file and takes the file's name in one
    // step once it is whole on disk: a crash, a kill or a full disk leaves the previous file
    // intact, never a missing or half-written one. (ReplaceFileW is no such step: it moves the
    // old file aside first, and a kill between its two moves left no file under the name.)
    std::wstring target = SystemPath(path);
    bool exists = false;
    FILE_BASIC_INFO oldInfo = {};
    HANDLE current = OpenForMetadata(target);
    if (current != INVALID_HANDLE_VALUE) {
        BY_HANDLE_FILE_INFORMATION info = {};
        const bool known = GetFileInformationByHandle(current, &info);
        exists = GetFileInformationByHandleEx(current, FileBasicInfo, &oldInfo, sizeof oldInfo) != FALSE;
        // Through a symbolic link the file it names is replaced, and the link stays a link.
        const std::wstring finalPath = FinalPathOf(current);
        CloseHandle(current);
        // What opening the file for writing would answer: a folder or a read-only file refuses.
        if (known && (info.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_READONLY))) {
            return ERROR_ACCESS_DENIED;
        }
        if (!finalPath.empty()) target = finalPath;
    } else if (const DWORD code = GetLastError(); code != ERROR_FILE_NOT_FOUND) {
        return code;  // no such folder, no access, ...: the temporary file would fail alike
    }
    const std::wstring temp = target + L".orvtmp";

    // Writes the content into the open temporary file; the attributes the old file had (hidden,
    // system, ...) and its creation time go over to it. A failure of the latter costs only those.
    const auto write = [&](HANDLE file) -> DWORD {
        HandleFileWriter writer(file);
        produce(writer);
        const DWORD code = writer.Finish();
        if (!code && exists) {
            FILE_BASIC_INFO keep = {};
            keep.CreationTime = oldInfo.CreationTime;
            keep.FileAttributes = oldInfo.FileAttributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM |
                                                            FILE_ATTRIBUTE_ARCHIVE |
                                                            FILE_ATTRIBUTE_NOT_CONTENT_INDEXED);
            if (!keep.FileAttributes) keep.FileAttributes = FILE_ATTRIBUTE_NORMAL;
            SetFileInformationByHandle(file, FileBasicInfo, &keep, sizeof keep);
        }
        return code;
    };

    // First way: the temporary file is created already doomed (delete on close), so that
    // whoever ends the process at whatever moment, the system removes it with the last handle.
    // Once whole it becomes the file under its name as a second link, replacing the old file in
    // one step, and closing it removes only the temporary name. Nothing is ever undone, so no
    // moment is left in which a kill leaves the temporary file behind. (Wine makes the replacing
    // link an unlink and a link within one request of its server: a kill of this process cannot
    // come between them, though another program may find no file for that moment.)
    // DELETE access for the deletion; others may have DELETE, which the rename below needs.
    HANDLE file = CreateFileW(temp.c_str(), GENERIC_WRITE | DELETE, FILE_SHARE_DELETE, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    if (file == INVALID_HANDLE_VALUE) return GetLastError();
    DWORD code = 0;
    try {
        code = write(file);
    } catch (...) {
        CloseHandle(file);
        throw;
    }
    const bool linked = !code && LinkOpenFile(file, target);
    CloseHandle(file);
    if (code || linked) return code;

    // Second way, where the file system has no links (or the link failed, and the rename will
    // say why): the content is written once more into a temporary file marked for deletion,
    // the mark comes off just before the rename (a mark left on would delete the file under its
    // new name when the handle closes). A kill between the two leaves the temporary file, which
    // the next start or write of the same file clears.
    file = CreateFileW(temp.c_str(), GENERIC_WRITE | DELETE, FILE_SHARE_DELETE, nullptr, CREATE_ALWAYS,
                       FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return GetLastError();
    const auto markForDeletion = [file](bool mark) {
        FILE_DISPOSITION_INFO disposition = {};
        disposition.DeleteFile = mark ? TRUE : FALSE;
        return SetFileInformationByHandle(file, FileDispositionInfo, &disposition, sizeof disposition) !=
               FALSE;
    };
    const bool marked = markForDeletion(true);
    const auto discard = [&] {
        if (!marked || !markForDeletion(true)) {
            CloseHandle(file);
            DeleteFileW(temp.c_str());
        } else {
            CloseHandle(file);
        }
    };
    try {
        code = write(file);
    } catch (...) {
        discard();
        throw;
    }
    if (!code && marked && !markForDeletion(false)) code = GetLastError();
    if (!code && !RenameOpenFile(file, target) &&
        !MoveFileExW(temp.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        code = GetLastError();
    }
    if (code) {
        discard();
        return code;
    }
    CloseHandle(file);
    return 0;
}

// --- version library --------------------------------------------------------------------------

std::uint32_t Win32Platform::VersionInfoSize(const std::wstring& file) {
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeW(file.c_str(), &ignored);
    if (!size) m_lastError = GetLastError();
    return size;
}

bool Win32Platform::LoadVersionInfo(const std::wstring& file, std::vector<std::uint8_t>& block) {
    return GetFileVersionInfoW(file.c_str(), 0, static_cast<DWORD>(block.size()), block.data()) ? true : Fail();
}

bool Win32Platform::QueryTranslation(const std::vector<std::uint8_t>& block, std::uint16_t& language,
                                     std::uint16_t& codePage) {
    void* data = nullptr;
    UINT length = 0;
    if (!VerQueryValueW(block.data(), L"\\VarFileInfo\\Translation\\", &data, &length) || !data) return Fail();
    const auto* words = static_cast<const WORD*>(data);
    language = words[0];
    codePage = words[1];
    return true;
}

bool Win32Platform::QueryString(const std::vector<std::uint8_t>& block, const std::wstring& subBlock,
                                std::wstring& value) {
    void* data = nullptr;
    UINT length = 0;
    if (!VerQueryValueW(block.data(), subBlock.c_str(), &data, &length) || !data) return false;
    value = static_cast<const wchar_t*>(data);
    return true;
}

bool Win32Platform::QueryFileVersionMS(const std::vector<std::uint8_t>& block, std::uint32_t& versionMS) {
    void* data = nullptr;
    UINT length = 0;
    if (!VerQueryValueW(block.data(), L"\\", &data, &length) || !data || length < sizeof(VS_FIXEDFILEINFO)) {
        return false;
    }
    versionMS = static_cast<const VS_FIXEDFILEINFO*>(data)->dwFileVersionMS;
    return true;
}

// --- locale -----------------------------------------------------------------------------------

std::wstring Win32Platform::LocaleListSeparator() {
    wchar_t separator[8] = {};
    if (!GetLocaleInfoW(GetThreadLocale(), LOCALE_SLIST, separator, 8)) return {};
    return separator;
}

bool Win32Platform::WideToAnsi(std::wstring_view text, std::string& bytes) {
    bytes.clear();
    if (text.empty()) return true;
    const int length = static_cast<int>(text.size());
    const UINT codePage = GetACP();
    if (codePage == CP_UTF8) {
        // Where the ANSI code page is UTF-8 ("Use Unicode UTF-8 for worldwide language support")
        // every character has its form, and that code page refuses the best-fit and used-default
        // arguments below. Only a lone surrogate has no form: WC_ERR_INVALID_CHARS refuses it.
        const int size = WideCharToMultiByte(CP_UTF8, WC_ERR_INVALID_CHARS, text.data(), length, nullptr, 0,
                                             nullptr, nullptr);
        if (size <= 0) return false;
        bytes.resize(static_cast<std::size_t>(size));
        return WideCharToMultiByte(CP_UTF8, WC_ERR_INVALID_CHARS, text.data(), length, bytes.data(), size,
                                   nullptr, nullptr) == size;
    }
    // Without WC_NO_BEST_FIT_CHARS an "ş" would quietly become "s"; ask for exact forms only
    // and let the caller choose another encoding when a character has none.
    BOOL usedDefault = FALSE;
    int size = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, text.data(), length, nullptr, 0, nullptr,
                                   &usedDefault);
    if (size > 0) {
        if (usedDefault) return false;
        bytes.resize(static_cast<std::size_t>(size));
        WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, text.data(), length, bytes.data(), size, nullptr,
                            &usedDefault);
        return !usedDefault;
    }
    const DWORD error = GetLastError();
    if (error != ERROR_INVALID_FLAGS && error != ERROR_INVALID_PARAMETER) return false;
    // A code page that takes neither argument: convert plainly, and count it exact only if
    // the bytes read back as the same text.
    size = WideCharToMultiByte(CP_ACP, 0, text.data(), length, nullptr, 0, nullptr, nullptr);
    if (size <= 0) return false;
    bytes.resize(static_cast<std::size_t>(size));
    WideCharToMultiByte(CP_ACP, 0, text.data(), length, bytes.data(), size, nullptr, nullptr);
    if (AnsiToWide(bytes) == text) return true;
    bytes.clear();
    return false;
}

std::wstring Win32Platform::AnsiToWide(std::string_view bytes) {
    if (bytes.empty()) return {};
    const int size = MultiByteToWideChar(CP_ACP, 0, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
    std::wstring text(static_cast<std::size_t>(std::max(size, 0)), L'\0');
    if (size > 0) {
        MultiByteToWideChar(CP_ACP, 0, bytes.data(), static_cast<int>(bytes.size()), text.data(), size);
    }
    return text;
}

// --- shell, dialogs, sounds -------------------------------------------------------------------

bool Win32Platform::ShellExecuteFile(WindowRef owner, const std::wstring& verb, const std::wstring& file,
                                 const std::wstring& params, const std::wstring& dir, int show) {
    const auto result = reinterpret_cast<INT_PTR>(
        ShellExecuteW(reinterpret_cast<HWND>(owner), verb.empty() ? nullptr : verb.c_str(), file.c_str(),
                      params.empty() ? nullptr : params.c_str(), dir.empty() ? nullptr : dir.c_str(), show));
    return result > 32;
}

int Win32Platform::MessageDialog(const MessageDialogRequest& request) {
    UINT type = 0;
    switch (request.kind) {
        case DialogKind::Warning: type |= MB_ICONWARNING; break;
        case DialogKind::Error: type |= MB_ICONERROR; break;
        case DialogKind::Information: type |= MB_ICONINFORMATION; break;
        case DialogKind::Confirmation: type |= MB_ICONQUESTION; break;
        case DialogKind::Custom: break;
    }
    const unsigned b = request.buttons;
    if ((b & kBtnYes) && (b & kBtnNo) && (b & kBtnCancel)) {
        type |= MB_YESNOCANCEL;
    } else if ((b & kBtnYes) && (b & kBtnNo)) {
        type |= MB_YESNO;
    } else if ((b & kBtnOk) && (b & kBtnCancel)) {
        type |= MB_OKCANCEL;
    } else {
        type |= MB_OK;
    }
    HWND owner = request.owner ? reinterpret_cast<HWND>(request.owner) : m_mainWindow;
    if (!owner) type |= MB_TASKMODAL;

    t_dialogButtons.captions = &request.buttonCaptions;
    t_dialogButtons.hook = SetWindowsHookExW(WH_CBT, DialogCbtProc, nullptr, GetCurrentThreadId());
    const int result = MessageBoxW(owner, request.message.c_str(), request.caption.c_str(), type);
    if (t_dialogButtons.hook) UnhookWindowsHookEx(t_dialogButtons.hook);
    t_dialogButtons = {};
    return result;
}

namespace {

std::optional<std::wstring> RunFileDialog(HWND owner, const std::wstring& filter, const std::wstring& defaultExt,
                                          bool save) {
    // "Name|*.ext" becomes the double-NUL list the dialog wants.
    std::wstring filters = filter;
    for (wchar_t& c : filters) {
        if (c == L'|') c = L'\0';
    }
    filters.append(2, L'\0');
    std::wstring path(32768, L'\0');
    OPENFILENAMEW ofn = {sizeof ofn};
    ofn.hwndOwner = owner;
    ofn.lpstrFilter = filters.c_str();
    ofn.nFilterIndex = 1;
    ofn.lpstrFile = path.data();
    ofn.nMaxFile = static_cast<DWORD>(path.size());
    ofn.lpstrDefExt = defaultExt.c_str();
    ofn.Flags = OFN_EXPLORER | OFN_HIDEREADONLY | OFN_ENABLESIZING | OFN_NOCHANGEDIR;
    if (save) ofn.Flags |= OFN_OVERWRITEPROMPT | OFN_PATHMUSTEXIST;
    if (!(save ? GetSaveFileNameW(&ofn) : GetOpenFileNameW(&ofn))) return std::nullopt;
    path.resize(wcslen(path.c_str()));
    return path;
}

// A small input box, built in memory so that it needs no resource: a prompt, an edit field,
// OK and Cancel. The standard dialog loop keeps timers and other messages flowing.
struct InputBoxState {
    const std::wstring* prompt;
    std::wstring text;
};

INT_PTR CALLBACK InputBoxProc(HWND dialog, UINT msg, WPARAM wp, LPARAM lp) {
    auto* state = reinterpret_cast<InputBoxState*>(GetWindowLongPtrW(dialog, DWLP_USER));
    switch (msg) {
        case WM_INITDIALOG: {
            state = reinterpret_cast<InputBoxState*>(lp);
            SetWindowLongPtrW(dialog, DWLP_USER, lp);
            SetDlgItemTextW(dialog, 100, state->prompt->c_str());
            SetDlgItemTextW(dialog, 101, state->text.c_str());
            // Centre over the owner, or the screen.
            RECT box = {}, area = {};
            GetWindowRect(dialog, &box);
            HWND owner = GetWindow(dialog, GW_OWNER);
            if (owner && IsWindowVisible(owner) && !IsIconic(owner)) {
                GetWindowRect(owner, &area);
            } else {
                SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0);
            }
            SetWindowPos(dialog, nullptr, area.left + ((area.right - area.left) - (box.right - box.left)) / 2,
                         area.top + ((area.bottom - area.top) - (box.bottom - box.top)) / 2, 0, 0,
                         SWP_NOSIZE | SWP_NOZORDER);
            return TRUE;
        }
        case WM_COMMAND:
            if (LOWORD(wp) == IDOK) {
                HWND edit = GetDlgItem(dialog, 101);
                std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(edit)) + 1, L'\0');
                GetWindowTextW(edit, text.data(), static_cast<int>(text.size()));
                text.resize(wcslen(text.c_str()));
                state->text = text;
                EndDialog(dialog, IDOK);
                return TRUE;
            }
            if (LOWORD(wp) == IDCANCEL) {
                EndDialog(dialog, IDCANCEL);
                return TRUE;
            }
            break;
        default:
            break;
    }
    return FALSE;
}

class DialogTemplate {
public:
    void Word(WORD w) { m_words.push_back(w); }
    void Dword(DWORD d) {
        Word(LOWORD(d));
        Word(HIWORD(d));
    }
    void Text(const std::wstring& text) {
        for (wchar_t c : text) Word(static_cast<WORD>(c));
        Word(0);
    }
    void Align() {
        if (m_words.size() % 2) Word(0);
    }
    void Item(DWORD style, short x, short y, short cx, short cy, WORD id, WORD classAtom, const std::wstring& text) {
        Align();
        Dword(WS_CHILD | WS_VISIBLE | style);
        Dword(0);
        for (short v : {x, y, cx, cy}) Word(static_cast<WORD>(v));
        Word(id);
        Word(0xFFFF);
        Word(classAtom);
        Text(text);
        Word(0);
    }
    const DLGTEMPLATE* Get() const { return reinterpret_cast<const DLGTEMPLATE*>(m_words.data()); }

private:
    std::vector<WORD> m_words;
};

}  // namespace

std::optional<std::wstring> Win32Platform::OpenFileDialog(WindowRef owner, const std::wstring& filter,
                                                          const std::wstring& defaultExt) {
    return RunFileDialog(owner ? reinterpret_cast<HWND>(owner) : m_mainWindow, filter, defaultExt, false);
}

std::optional<std::wstring> Win32Platform::SaveFileDialog(WindowRef owner, const std::wstring& filter,
                                                          const std::wstring& defaultExt) {
    return RunFileDialog(owner ? reinterpret_cast<HWND>(owner) : m_mainWindow, filter, defaultExt, true);
}

std::optional<std::wstring> Win32Platform::InputQuery(WindowRef owner, const std::wstring& caption,
                                                      const std::wstring& prompt, const std::wstring& initial) {
    DialogTemplate t;
    t.Dword(DS_SHELLFONT | DS_MODALFRAME | WS_POPUP | WS_CAPTION | WS_SYSMENU);
    t.Dword(0);
    t.Word(4);  // items
    for (short v : {0, 0, 220, 64}) t.Word(static_cast<WORD>(v));
    t.Word(0);  // no menu
    t.Word(0);  // standard class
    t.Text(caption);
    t.Word(8);
    t.Text(L"MS Shell Dlg");
    t.Item(SS_LEFT | SS_NOPREFIX, 7, 7, 206, 10, 100, 0x0082, L"");
    t.Item(WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL, 7, 20, 206, 13, 101, 0x0081, L"");
    t.Item(WS_TABSTOP | BS_DEFPUSHBUTTON, 108, 42, 50, 15, IDOK, 0x0080, L"OK");
    t.Item(WS_TABSTOP | BS_PUSHBUTTON, 163, 42, 50, 15, IDCANCEL, 0x0080, L"Cancel");
    InputBoxState state{&prompt, initial};
    HWND parent = owner ? reinterpret_cast<HWND>(owner) : m_mainWindow;
    const INT_PTR result = DialogBoxIndirectParamW(GetModuleHandleW(nullptr), t.Get(), parent, InputBoxProc,
                                                   reinterpret_cast<LPARAM>(&state));
    if (result != IDOK) return std::nullopt;
    return state.text;
}

void Win32Platform::ShowErrorBox(const std::wstring& message) {
    HWND owner = m_mainWindow && IsWindowVisible(m_mainWindow) ? m_mainWindow : nullptr;
    MessageBoxW(owner, message.c_str(), m_appTitle.c_str(), MB_OK | MB_ICONERROR | (owner ? 0 : MB_TASKMODAL));
}

void Win32Platform::MessageBeep(std::uint32_t type) { ::MessageBeep(type); }

// --- application and windows ------------------------------------------------------------------

void Win32Platform::ProcessMessages() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            PostQuitMessage(static_cast<int>(msg.wParam));  // leave it for the main loop
            return;
        }
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

void Win32Platform::Terminate() { PostQuitMessage(0); }

void Win32Platform::SetTopmost(WindowRef window, bool topmost) {
    SetWindowPos(reinterpret_cast<HWND>(window), topmost ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE);
}

Point Win32Platform::CursorPos() {
    POINT p = {};
    if (!GetCursorPos(&p)) return {};
    return {p.x, p.y};
}

}  // namespace orv

namespace orv {

void Win32Platform::SetCursorPos(Point p) { ::SetCursorPos(p.x, p.y); }

// Wine: the five GetSystemMetrics calls cost about 0.4 ms together (the virtual desktop is
// measured anew each time), a third of a step at a 1 ms Step Delay. A swap or a new monitor
// layout still holds for every click from a tenth of a second after it on.
const Win32Platform::MouseMetrics& Win32Platform::CurrentMouseMetrics(MouseMetrics& cache) {
    const std::uint64_t now = ::GetTickCount64();
    if (!cache.read || now - cache.readAtMs >= kMouseMetricsMaxAgeMs) {
        cache.swapped = GetSystemMetrics(SM_SWAPBUTTON) != 0;
        cache.left = GetSystemMetrics(SM_XVIRTUALSCREEN);
        cache.top = GetSystemMetrics(SM_YVIRTUALSCREEN);
        cache.width = GetSystemMetrics(SM_CXVIRTUALSCREEN);
        cache.height = GetSystemMetrics(SM_CYVIRTUALSCREEN);
        cache.readAtMs = now;
        cache.read = true;
    }
    return cache;
}

void Win32Platform::SendMouse(const std::vector<MouseOp>& ops) { SendMouseWith(m_mouseMetrics, ops); }

void Win32Platform::QueueMouse(std::int64_t dueUs, std::vector<MouseOp> ops, std::uint64_t tag,
                               std::int64_t afterPreviousUs) {
    StartMouseSender();
    m_mouseSender->Queue(dueUs, std::move(ops), tag, afterPreviousUs);
}

void Win32Platform::StartMouseSender() {
    if (!m_mouseSender) {
        m_mouseSender = std::make_unique<Win32MouseSender>(
            [this](const std::vector<MouseOp>& queued) { SendMouseWith(m_senderMouseMetrics, queued); },
            [this] {
                // What the first send would do first: the thread's own display connection
                // (under Wine), the desktop metrics and the button swap.
                POINT p;
                ::GetCursorPos(&p);
                CurrentMouseMetrics(m_senderMouseMetrics);
            },
            [this] { return MonotonicMicros(); });
    }
}

void Win32Platform::DropQueuedMouse() {
    if (m_mouseSender) m_mouseSender->Drop();
}

void Win32Platform::PrepareQueuedMouse() {
    try {
        StartMouseSender();
        m_mouseSender->ForgetSent();
    } catch (...) {
        // No thread: the first row tries again and beeps if it cannot be played.
    }
}

bool Win32Platform::QueuedMouseSent() { return !m_mouseSender || m_mouseSender->Finished(); }

std::optional<std::uint64_t> Win32Platform::SentQueuedMouse() {
    return m_mouseSender ? m_mouseSender->Sent() : std::nullopt;
}

void Win32Platform::FinishQueuedMouse() {
    if (m_mouseSender) m_mouseSender->Finish();
}

void Win32Platform::SendMouseWith(MouseMetrics& cache, const std::vector<MouseOp>& ops) {
    // A transition without coordinates lands wherever the cursor is when the system gets to it,
    // which under Wine is often still the point of an earlier row (the pointer warp of a move
    // takes hold later). So every transition carries its row's point as an absolute position on
    // the virtual desktop, and the transitions of one row go in one SendInput call, so no other
    // input comes between them. A row with transitions needs no move of its own: the first
    // transition moves the cursor (under Wine each moving event costs about 0.45 ms, the
    // difference between 1.1 and 0.9 ms a click row). A row without any is a plain move. The
    // swap is the one of the moment (CurrentMouseMetrics), whatever it was when the macro was
    // recorded.
    const MouseMetrics& metrics = CurrentMouseMetrics(cache);
    const bool swapped = metrics.swapped;
    const int left = metrics.left, top = metrics.top, width = metrics.width, height = metrics.height;
    std::vector<INPUT> batch;
    batch.reserve(ops.size());
    const auto flush = [&batch] {
        if (!batch.empty()) SendInput(static_cast<UINT>(batch.size()), batch.data(), sizeof(INPUT));
        batch.clear();
    };
    std::optional<Point> at;
    for (std::size_t i = 0; i < ops.size(); ++i) {
        const MouseOp& op = ops[i];
        if (op.kind == MouseOp::kMove) {
            flush();
            at = Point{op.x, op.y};
            const bool transitionFollows = i + 1 < ops.size() && ops[i + 1].kind == MouseOp::kButton;
            if (!transitionFollows || width <= 0 || height <= 0) ::SetCursorPos(op.x, op.y);
            continue;
        }
        INPUT in = {};
        in.type = INPUT_MOUSE;
        in.mi.dwFlags = PhysicalButtonFlag(op.flag, swapped);
        if (at && width > 0 && height > 0) {
            in.mi.dx = AbsoluteMouseCoordinate(at->x, left, width);
            in.mi.dy = AbsoluteMouseCoordinate(at->y, top, height);
            in.mi.dwFlags |= MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE | MOUSEEVENTF_VIRTUALDESK;
        }
        batch.push_back(in);
    }
    flush();
}

void Win32Platform::ClipCursor(const std::optional<Rect>& rect) {
    if (!rect) {
        ::ClipCursor(nullptr);
        return;
    }
    const RECT r = {rect->left, rect->top, rect->right, rect->bottom};
    ::ClipCursor(&r);
}

void Win32Platform::MinimizeApplication() {
    if (m_mainWindow) ShowWindow(m_mainWindow, SW_MINIMIZE);
}

void Win32Platform::RestoreApplication() {
    if (m_mainWindow && IsIconic(m_mainWindow)) ShowWindow(m_mainWindow, SW_RESTORE);
}

void Win32Platform::SetForegroundWindow(WindowRef window) { ::SetForegroundWindow(reinterpret_cast<HWND>(window)); }

bool Win32Platform::MouseButtonDown(int virtualKey) {
    // GetKeyState only knows what this thread's queue has seen, so a press in another program
    // would go unnoticed; the asynchronous state is the physical button, so follow a swap.
    if (GetSystemMetrics(SM_SWAPBUTTON)) {
        if (virtualKey == VK_LBUTTON) {
            virtualKey = VK_RBUTTON;
        } else if (virtualKey == VK_RBUTTON) {
            virtualKey = VK_LBUTTON;
        }
    }
    return (GetAsyncKeyState(virtualKey) & 0x8000) != 0;
}

namespace {

// The low-level hook runs on the thread that installed it, the user-interface thread.
// Renewing the hook installs the new one before it removes the old, so for a moment two hooks
// of ours are in the chain, both with LowLevelMouseProc; g_mouseHook is the newest.
HHOOK g_mouseHook = nullptr;
Platform::MouseHookProc g_mouseHookProc;

// The event whose CallNextHookEx is running. With two hooks of ours in the chain, the newer
// one's CallNextHookEx calls LowLevelMouseProc again for the same event; only the outermost
// call may report it, or the event would become two rows.
struct PassingOn {
    WPARAM message;
    MSLLHOOKSTRUCT info;
};
const PassingOn* g_passingOn = nullptr;

bool SameEvent(const PassingOn& a, WPARAM message, const MSLLHOOKSTRUCT& b) {
    return a.message == message && a.info.pt.x == b.pt.x && a.info.pt.y == b.pt.y &&
           a.info.mouseData == b.mouseData && a.info.flags == b.flags && a.info.time == b.time &&
           a.info.dwExtraInfo == b.dwExtraInfo;
}

LRESULT CALLBACK LowLevelMouseProc(int code, WPARAM wp, LPARAM lp) {
    if (!lp) return CallNextHookEx(g_mouseHook, code, wp, lp);
    const auto& info = *reinterpret_cast<const MSLLHOOKSTRUCT*>(lp);
    const bool repeat = g_passingOn && SameEvent(*g_passingOn, wp, info);
    // Pass the event on first, always: the hook never delays or swallows input.
    const PassingOn self{wp, info};
    const PassingOn* const outer = g_passingOn;
    g_passingOn = &self;
    const LRESULT result = CallNextHookEx(g_mouseHook, code, wp, lp);
    g_passingOn = outer;
    if (g_mouseHookProc && !repeat) {
        try {
            g_mouseHookProc(code, static_cast<std::uint32_t>(wp), Point{info.pt.x, info.pt.y});
        } catch (...) {
            // Nothing may escape into the system's input path.
        }
    }
    return result;
}

}  // namespace

std::uintptr_t Win32Platform::InstallMouseHook(MouseHookProc proc) {
    HHOOK hook = SetWindowsHookExW(WH_MOUSE_LL, LowLevelMouseProc, GetModuleHandleW(nullptr), 0);
    if (hook) {
        g_mouseHook = hook;
        g_mouseHookProc = std::move(proc);
    }
    return reinterpret_cast<std::uintptr_t>(hook);
}

void Win32Platform::RemoveMouseHook(std::uintptr_t hook) {
    if (!hook) return;
    UnhookWindowsHookEx(reinterpret_cast<HHOOK>(hook));
    // Removing an older hook while a newer one is in keeps the newer one's procedure.
    if (reinterpret_cast<HHOOK>(hook) == g_mouseHook) {
        g_mouseHook = nullptr;
        g_mouseHookProc = nullptr;
    }
}

std::uint16_t Win32Platform::AddGlobalAtom(const std::wstring& name) { return GlobalAddAtomW(name.c_str()); }

void Win32Platform::DeleteGlobalAtom(std::uint16_t atom) { ::GlobalDeleteAtom(atom); }

bool Win32Platform::RegisterHotKey(WindowRef window, std::uint32_t id, std::uint32_t modifiers,
                                   std::uint32_t virtualKey) {
    return ::RegisterHotKey(reinterpret_cast<HWND>(window), static_cast<int>(id), modifiers, virtualKey) != 0;
}

void Win32Platform::UnregisterHotKey(WindowRef window, std::uint32_t id) {
    ::UnregisterHotKey(reinterpret_cast<HWND>(window), static_cast<int>(id));
}

// --- languages --------------------------------------------------------------------------------

std::vector<Platform::FolderEntry> Win32Platform::ListFolder(const std::wstring& pattern) {
    std::vector<FolderEntry> entries;
    WIN32_FIND_DATAW data = {};
    HANDLE find = FindFirstFileExW(SystemPath(pattern).c_str(), FindExInfoBasic, &data, FindExSearchNameMatch,
                                   nullptr, 0);
    if (find == INVALID_HANDLE_VALUE) return entries;
    do {
        entries.push_back({data.cFileName, (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0});
    } while (FindNextFileW(find, &data));
    FindClose(find);
    return entries;
}

bool Win32Platform::FolderExists(const std::wstring& path) {
    const DWORD attributes = GetFileAttributesW(SystemPath(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::uint16_t Win32Platform::UserDefaultUILanguage() { return GetUserDefaultUILanguage(); }

namespace {

// EnumSystemLocalesW passes no context to its callback: the list being filled is per thread, so
// that the update check's thread and the user-interface thread may both ask.
thread_local std::vector<Platform::InstalledLocale>* t_locales = nullptr;

BOOL CALLBACK AddInstalledLocale(LPWSTR lcidText) {
    const auto lcid = static_cast<LCID>(std::wcstoul(lcidText, nullptr, 16));
    wchar_t name[LOCALE_NAME_MAX_LENGTH] = {};
    if (lcid != 0 && LCIDToLocaleName(lcid, name, LOCALE_NAME_MAX_LENGTH, 0) > 0) {
        t_locales->push_back({lcid, name});
    }
    return TRUE;
}

}  // namespace

std::vector<Platform::InstalledLocale> Win32Platform::InstalledLocales() {
    std::vector<InstalledLocale> locales;
    t_locales = &locales;
    if (!EnumSystemLocalesW(AddInstalledLocale, LCID_INSTALLED)) locales.clear();
    t_locales = nullptr;
    return locales;
}

// --- keyboard layout ------------------------------------------------------------------------

std::wstring Win32Platform::KeyNameOfVirtualKey(std::uint8_t virtualKey) {
    const UINT scanCode = MapVirtualKeyW(virtualKey, MAPVK_VK_TO_VSC);
    if (scanCode == 0) return {};
    wchar_t name[64] = {};
    const int length = GetKeyNameTextW(static_cast<LONG>(scanCode << 16), name, 64);
    return std::wstring(name, length > 0 ? static_cast<std::size_t>(length) : 0);
}

std::optional<std::uint8_t> Win32Platform::VirtualKeyOfCharacter(wchar_t character) {
    const SHORT scan = VkKeyScanW(character);
    if (LOBYTE(scan) == 0xFF && HIBYTE(scan) == 0xFF) return std::nullopt;  // no key types it
    return static_cast<std::uint8_t>(LOBYTE(scan));
}

// --- window shell ---------------------------------------------------------------------------

void Win32Platform::HideWindow(WindowRef window) { ShowWindow(reinterpret_cast<HWND>(window), SW_HIDE); }

void Win32Platform::ShowWindowNormal(WindowRef window) {
    ShowWindow(reinterpret_cast<HWND>(window), SW_RESTORE);
}

// The performance counter, as the timer host reads it; split so that a fast counter cannot overflow.
std::int64_t Win32Platform::MonotonicMicros() {
    static const std::int64_t frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return f.QuadPart;
    }();
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return now.QuadPart / frequency * 1'000'000 + now.QuadPart % frequency * 1'000'000 / frequency;
}

}  // namespace orv
