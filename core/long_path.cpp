// Extended-length path names for the Win32 file functions.
#include "core/long_path.h"

namespace orv {

std::wstring ExtendedLengthPath(std::wstring fullPath) {
    if (fullPath.starts_with(L"\\\\?\\") || fullPath.starts_with(L"\\\\.\\")) return fullPath;
    for (wchar_t& c : fullPath) {
        if (c == L'/') c = L'\\';
    }
    const auto isLetter = [](wchar_t c) { return (c >= L'A' && c <= L'Z') || (c >= L'a' && c <= L'z'); };
    if (fullPath.size() >= 3 && isLetter(fullPath[0]) && fullPath[1] == L':' && fullPath[2] == L'\\') {
        return L"\\\\?\\" + fullPath;
    }
    if (fullPath.size() > 2 && fullPath.starts_with(L"\\\\") && fullPath[2] != L'\\') {
        return L"\\\\?\\UNC\\" + fullPath.substr(2);
    }
    return fullPath;
}

std::wstring NativePathName(const std::wstring& fullPath) {
    const std::wstring extended = ExtendedLengthPath(fullPath);
    // "\\?\" and "\\.\" both stand for the object folder "\??\"; anything else was not absolute.
    if (extended.size() > 4 && (extended.starts_with(L"\\\\?\\") || extended.starts_with(L"\\\\.\\"))) {
        return L"\\??\\" + extended.substr(4);
    }
    return {};
}

}  // namespace orv
