// Windows side of the online services: form posts over WinHTTP (both schemes, with connect and
// receive time-outs), the registry values of the update check, the system's description, and
// the update-check thread.
#include "platform/win32/win32_platform.h"
// After <windows.h>, which it needs.
#include <winhttp.h>

#include <memory>

#include "core/errors.h"

namespace orv {
namespace {

struct InternetCloser {
    void operator()(HINTERNET handle) const { WinHttpCloseHandle(handle); }
};
using InternetHandle = std::unique_ptr<void, InternetCloser>;

struct KeyCloser {
    void operator()(HKEY key) const { RegCloseKey(key); }
};
using KeyHandle = std::unique_ptr<std::remove_pointer_t<HKEY>, KeyCloser>;

// WinHTTP's messages live in its own module, not in the system table.
[[noreturn]] void ThrowHttp(const wchar_t* step) {
    const DWORD code = GetLastError();
    wchar_t* buffer = nullptr;
    const DWORD n = FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_HMODULE |
                                       FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                                   GetModuleHandleW(L"winhttp.dll"), code, 0,
                                   reinterpret_cast<LPWSTR>(&buffer), 0, nullptr);
    std::wstring text = n && buffer ? std::wstring(buffer, n) : std::wstring();
    if (buffer) LocalFree(buffer);
    while (!text.empty() && text.back() <= L' ') text.pop_back();
    throw EHttpError(std::wstring(step) + L" failed (" + std::to_wstring(code) + L")" +
                     (text.empty() ? L"" : L": " + text));
}

std::string CharsetOf(const std::wstring& contentType) {
    std::wstring lower = contentType;
    for (wchar_t& c : lower) c = static_cast<wchar_t>(towlower(c));
    const auto at = lower.find(L"charset=");
    if (at == std::wstring::npos) return "";
    std::string charset;
    for (std::size_t i = at + 8; i < lower.size() && lower[i] != L';' && lower[i] != L' '; ++i) {
        if (lower[i] != L'"' && lower[i] < 0x80) charset += static_cast<char>(lower[i]);
    }
    return charset;
}

std::optional<std::wstring> QueryRegistryString(HKEY key, const std::wstring& name) {
    DWORD type = 0, size = 0;
    LSTATUS status = RegQueryValueExW(key, name.c_str(), nullptr, &type, nullptr, &size);
    if (status == ERROR_FILE_NOT_FOUND) return std::nullopt;
    if (status != ERROR_SUCCESS) throw ERegistryError(L"Failed to get data for '" + name + L"'");
    if (type != REG_SZ && type != REG_EXPAND_SZ)
        throw ERegistryError(L"Invalid data type for '" + name + L"'");
    std::wstring value(size / sizeof(wchar_t) + 1, L'\0');
    size = static_cast<DWORD>(value.size() * sizeof(wchar_t));
    status =
        RegQueryValueExW(key, name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(value.data()), &size);
    if (status != ERROR_SUCCESS) throw ERegistryError(L"Failed to get data for '" + name + L"'");
    value.resize(size / sizeof(wchar_t));
    while (!value.empty() && value.back() == L'\0') value.pop_back();
    return value;
}

KeyHandle OpenUser(const std::wstring& path, REGSAM access) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, access, &key) != ERROR_SUCCESS) return nullptr;
    return KeyHandle(key);
}

DWORD WINAPI ThreadMain(LPVOID parameter) {
    std::unique_ptr<std::function<void()>> body(static_cast<std::function<void()>*>(parameter));
    try {
        (*body)();
    } catch (...) {
        // Nothing may leave a thread procedure; the body records its own failures.
    }
    return 0;
}

// Uses nothing of the platform object: the update check may still wait in it at exit.
HttpAnswer PostOverWinHttp(const HttpTarget& target, const std::string& body, std::uint32_t timeoutMs) {
    InternetHandle session(WinHttpOpen(L"Orvalin", WINHTTP_ACCESS_TYPE_DEFAULT_PROXY, WINHTTP_NO_PROXY_NAME,
                                       WINHTTP_NO_PROXY_BYPASS, 0));
    if (!session) ThrowHttp(L"WinHttpOpen");
    const int limit = static_cast<int>(timeoutMs);
    if (!WinHttpSetTimeouts(session.get(), limit, limit, limit, limit)) ThrowHttp(L"WinHttpSetTimeouts");
    InternetHandle connection(WinHttpConnect(session.get(), target.host.c_str(), target.port, 0));
    if (!connection) ThrowHttp(L"WinHttpConnect");
    InternetHandle request(WinHttpOpenRequest(connection.get(), L"POST", target.path.c_str(), nullptr,
                                              WINHTTP_NO_REFERER, WINHTTP_DEFAULT_ACCEPT_TYPES,
                                              target.secure ? WINHTTP_FLAG_SECURE : 0));
    if (!request) ThrowHttp(L"WinHttpOpenRequest");
    static const wchar_t kHeaders[] =
        L"Content-Type: application/x-www-form-urlencoded\r\nConnection: close\r\n";
    if (!WinHttpSendRequest(request.get(), kHeaders, static_cast<DWORD>(-1L), const_cast<char*>(body.data()),
                            static_cast<DWORD>(body.size()), static_cast<DWORD>(body.size()), 0)) {
        ThrowHttp(L"WinHttpSendRequest");
    }
    if (!WinHttpReceiveResponse(request.get(), nullptr)) ThrowHttp(L"WinHttpReceiveResponse");

    HttpAnswer answer;
    DWORD size = 0;
    WinHttpQueryHeaders(request.get(), WINHTTP_QUERY_CONTENT_TYPE, WINHTTP_HEADER_NAME_BY_INDEX, nullptr,
                        &size, WINHTTP_NO_HEADER_INDEX);
    if (size > 0) {
        std::wstring contentType(size / sizeof(wchar_t) + 1, L'\0');
        size = static_cast<DWORD>(contentType.size() * sizeof(wchar_t));
        if (WinHttpQueryHeaders(request.get(), WINHTTP_QUERY_CONTENT_TYPE, WINHTTP_HEADER_NAME_BY_INDEX,
                                contentType.data(), &size, WINHTTP_NO_HEADER_INDEX)) {
            contentType.resize(size / sizeof(wchar_t));
            answer.charset = CharsetOf(contentType);
        }
    }
    for (;;) {
        DWORD available = 0;
        if (!WinHttpQueryDataAvailable(request.get(), &available)) ThrowHttp(L"WinHttpQueryDataAvailable");
        if (available == 0) break;
        const std::size_t at = answer.body.size();
        answer.body.resize(at + available);
        DWORD read = 0;
        if (!WinHttpReadData(request.get(), answer.body.data() + at, available, &read))
            ThrowHttp(L"WinHttpReadData");
        answer.body.resize(at + read);
        if (read == 0) break;
    }
    return answer;
}

}  // namespace

HttpAnswer Win32Platform::HttpPostForm(const HttpTarget& target, const std::string& body,
                                       std::uint32_t timeoutMs) {
    return PostOverWinHttp(target, body, timeoutMs);
}

Platform::FormPoster Win32Platform::DetachedFormPoster() { return PostOverWinHttp; }

std::optional<std::wstring> Win32Platform::ReadMachineGuidValue() {
    // The 64-bit view, so that a 32-bit build reads the machine's own value; read rights only,
    // narrower ones when those are refused.
    HKEY key = nullptr;
    const wchar_t* path = L"SOFTWARE\\Microsoft\\Cryptography";
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, path, 0, KEY_READ | KEY_WOW64_64KEY, &key) != ERROR_SUCCESS &&
        RegOpenKeyExW(HKEY_LOCAL_MACHINE, path, 0, KEY_QUERY_VALUE | KEY_WOW64_64KEY, &key) !=
            ERROR_SUCCESS) {
        return std::nullopt;
    }
    KeyHandle guard(key);
    return QueryRegistryString(key, L"MachineGuid");
}

bool Win32Platform::OpenUserKey(const std::wstring& path) {
    HKEY key = nullptr;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, KEY_READ | KEY_WRITE, nullptr, &key,
                        nullptr) != ERROR_SUCCESS) {
        return false;
    }
    RegCloseKey(key);
    return true;
}

std::optional<std::wstring> Win32Platform::ReadUserString(const std::wstring& path,
                                                          const std::wstring& name) {
    KeyHandle key = OpenUser(path, KEY_READ);
    if (!key) return std::nullopt;
    return QueryRegistryString(key.get(), name);
}

bool Win32Platform::WriteUserString(const std::wstring& path, const std::wstring& name,
                                    const std::wstring& value) {
    KeyHandle key = OpenUser(path, KEY_WRITE);
    if (!key) return false;
    return RegSetValueExW(key.get(), name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                          static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t))) == ERROR_SUCCESS;
}

std::wstring Win32Platform::OsDescription() {
    // GetVersionEx answers what the manifest claims; ntdll tells the truth.
    OSVERSIONINFOEXW info = {};
    info.dwOSVersionInfoSize = sizeof info;
    using RtlGetVersionFn = LONG(WINAPI*)(OSVERSIONINFOEXW*);
    if (auto rtlGetVersion = reinterpret_cast<RtlGetVersionFn>(
            reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "RtlGetVersion")))) {
        rtlGetVersion(&info);
    }
    std::wstring name = L"Windows";
    std::wstring displayVersion;
    DWORD ubr = 0;
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion", 0,
                      KEY_READ | KEY_WOW64_64KEY, &key) == ERROR_SUCCESS) {
        KeyHandle guard(key);
        try {
            name = QueryRegistryString(key, L"ProductName").value_or(name);
            displayVersion = QueryRegistryString(key, L"DisplayVersion").value_or(L"");
        } catch (const Exception&) {
        }
        DWORD size = sizeof ubr;
        RegQueryValueExW(key, L"UBR", nullptr, nullptr, reinterpret_cast<BYTE*>(&ubr), &size);
    }
    BOOL wow64 = FALSE;
    IsWow64Process(GetCurrentProcess(), &wow64);
    const std::wstring edition = (sizeof(void*) == 8 || wow64) ? L"64-bit Edition" : L"32-bit Edition";
    if (!displayVersion.empty()) {
        return name + L" (Version " + displayVersion + L", OS Build " + std::to_wstring(info.dwBuildNumber) +
               L"." + std::to_wstring(ubr) + L", " + edition + L")";
    }
    const std::wstring version =
        std::to_wstring(info.dwMajorVersion) + L"." + std::to_wstring(info.dwMinorVersion);
    if (info.wServicePackMajor > 0) {
        return name + L" Service Pack " + std::to_wstring(info.wServicePackMajor) + L" (Version " + version +
               L", Build " + std::to_wstring(info.dwBuildNumber) + L", " + edition + L")";
    }
    return name + L" (Version " + version + L", Build " + std::to_wstring(info.dwBuildNumber) + L", " +
           edition + L")";
}

std::wstring Win32Platform::ShortDateToday() {
    wchar_t buffer[128] = {};
    if (!GetDateFormatEx(LOCALE_NAME_USER_DEFAULT, DATE_SHORTDATE, nullptr, nullptr, buffer, 128, nullptr)) {
        SYSTEMTIME now;
        GetLocalTime(&now);
        return std::to_wstring(now.wYear) + L"-" + std::to_wstring(now.wMonth) + L"-" +
               std::to_wstring(now.wDay);
    }
    return buffer;
}

bool Win32Platform::StartThread(std::function<void()> body) {
    auto* parameter = new std::function<void()>(std::move(body));
    HANDLE thread = CreateThread(nullptr, 0, ThreadMain, parameter, 0, nullptr);
    if (!thread) {
        delete parameter;
        return false;
    }
    CloseHandle(thread);
    return true;
}

std::int32_t Win32Platform::PrimaryScreenWidth() { return GetSystemMetrics(SM_CXSCREEN); }

}  // namespace orv
