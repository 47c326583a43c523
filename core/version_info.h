// Reads the string table and the fixed file version of an executable's version resource.
// The program takes its identity (company, product, version) from its own executable this way.
#pragma once

#include <cstdint>
#include <string>

#include "platform/platform.h"

namespace orv {

struct TEXEVersionData {
    std::wstring CompanyName;
    std::wstring FileDescription;
    std::wstring FileVersion;
    std::wstring InternalName;
    std::wstring LegalCopyright;
    std::wstring LegalTrademarks;
    std::wstring OriginalFileName;
    std::wstring ProductName;
    std::wstring ProductVersion;
    std::wstring Comments;
    std::wstring PrivateBuild;
    std::wstring SpecialBuild;
};

// Strings of the first translation only; a missing string leaves its field empty. Throws
// EOSError when the file has no version information, it cannot be loaded, or it has no
// translation table.
TEXEVersionData ReadVersionData(Platform& platform, const std::wstring& fileName);

// "major.minor" of the fixed file version, e.g. "3.2"; empty when it cannot be read.
std::wstring ReadFileVersionText(Platform& platform, const std::wstring& fileName);

// The program's own company and product names, for when its version record cannot give them.
inline constexpr wchar_t kBuiltInCompanyName[] = L"QUENZAL";
inline constexpr wchar_t kBuiltInProductName[] = L"Orvalin";

// The identity values the program derives once at start.
struct AppIdentity {
    std::wstring AppCompanyName;
    std::wstring AppProductName;
    std::wstring AppTitle;    // company + " - " + product
    std::wstring AppVersion;  // "major.minor"
};

}  // namespace orv
