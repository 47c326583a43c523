// Version resource reading over the platform's version library.
#include "core/version_info.h"

#include <cstdio>
#include <utility>
#include <vector>

#include "core/errors.h"

namespace orv {
namespace {

[[noreturn]] void RaiseLastError(Platform& platform) {
    const std::uint32_t code = platform.LastErrorCode();
    throw EOSError(code, platform.SystemErrorText(code));
}

}  // namespace

TEXEVersionData ReadVersionData(Platform& platform, const std::wstring& fileName) {
    const std::uint32_t size = platform.VersionInfoSize(fileName);
    if (size == 0) RaiseLastError(platform);
    std::vector<std::uint8_t> block(size);
    if (!platform.LoadVersionInfo(fileName, block)) RaiseLastError(platform);

    std::uint16_t language = 0;
    std::uint16_t codePage = 0;
    if (!platform.QueryTranslation(block, language, codePage)) RaiseLastError(platform);

    wchar_t digits[16];
    std::swprintf(digits, 16, L"%.4x%.4x", static_cast<unsigned>(language), static_cast<unsigned>(codePage));
    const std::wstring prefix = L"\\StringFileInfo\\" + std::wstring(digits);

    TEXEVersionData data;
    const std::pair<std::wstring*, const wchar_t*> fields[] = {
        {&data.CompanyName, L"\\CompanyName"},         {&data.FileDescription, L"\\FileDescription"},
        {&data.FileVersion, L"\\FileVersion"},         {&data.InternalName, L"\\InternalName"},
        {&data.LegalCopyright, L"\\LegalCopyright"},   {&data.LegalTrademarks, L"\\LegalTrademarks"},
        {&data.OriginalFileName, L"\\OriginalFileName"}, {&data.ProductName, L"\\ProductName"},
        {&data.ProductVersion, L"\\ProductVersion"},   {&data.Comments, L"\\Comments"},
        {&data.PrivateBuild, L"\\PrivateBuild"},       {&data.SpecialBuild, L"\\SpecialBuild"},
    };
    for (const auto& [field, key] : fields) {
        std::wstring value;
        if (platform.QueryString(block, prefix + key, value)) *field = value;
    }
    return data;
}

std::wstring ReadFileVersionText(Platform& platform, const std::wstring& fileName) {
    const std::uint32_t size = platform.VersionInfoSize(fileName);
    if (size == 0) return {};
    std::vector<std::uint8_t> block(size);
    std::uint32_t versionMS = 0;
    if (!platform.LoadVersionInfo(fileName, block) || !platform.QueryFileVersionMS(block, versionMS)) return {};
    return std::to_wstring(versionMS >> 16) + L"." + std::to_wstring(versionMS & 0xFFFF);
}

}  // namespace orv
