// Choosing, loading and looking up the interface language.
#include "localisation/translate.h"

#include "core/errors.h"
#include "core/text_decode.h"
#include "core/utf.h"

namespace orv {
namespace {

LanguageValues g_language;

bool IsBlank(wchar_t c) { return c <= L' '; }

std::wstring_view Trim(std::wstring_view text) {
    while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
    while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
    return text;
}

// Lines ending in CR LF, LF or CR; a last line without an ending counts too.
std::vector<std::wstring_view> SplitLines(std::wstring_view text) {
    std::vector<std::wstring_view> lines;
    std::size_t start = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != L'\r' && text[i] != L'\n') continue;
        lines.push_back(text.substr(start, i - start));
        if (text[i] == L'\r' && i + 1 < text.size() && text[i + 1] == L'\n') ++i;
        start = i + 1;
    }
    if (start < text.size()) lines.push_back(text.substr(start));
    return lines;
}

bool EqualsIgnoringAsciiCase(std::wstring_view a, std::wstring_view b) {
    if (a.size() != b.size()) return false;
    const auto fold = [](wchar_t c) {
        return c >= L'A' && c <= L'Z' ? static_cast<wchar_t>(c - L'A' + L'a') : c;
    };
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (fold(a[i]) != fold(b[i])) return false;
    }
    return true;
}

// The file that the mapping names for the user's display language, as the listing spells it;
// empty when there is none.
std::wstring ChooseByDisplayLanguage(Platform& platform) {
    const std::wstring mappingPath = g_language.LanguageDir + L"\\LanguageCodes.csv";
    if (!platform.FileExists(mappingPath)) return {};
    std::uint32_t error = 0;
    const std::optional<std::string> bytes = platform.ReadWholeFile(mappingPath, error);
    // An unreadable mapping counts as empty.
    const std::wstring mapping = bytes ? DecodeTextBytes(platform, *bytes) : std::wstring();
    const std::wstring wanted = LanguageFileForId(mapping, platform.UserDefaultUILanguage());
    if (wanted.empty()) return {};
    for (const std::wstring& name : g_language.LanguageFiles) {
        if (EqualsIgnoringAsciiCase(name, wanted)) return name;
    }
    return {};
}

}  // namespace

const LanguageValues& CurrentLanguage() { return g_language; }

std::wstring LanguageFileForId(std::wstring_view mapping, std::uint16_t languageId) {
    const std::wstring id = std::to_wstring(languageId);
    for (std::wstring_view line : SplitLines(mapping)) {
        const std::size_t comma = line.find(L',');
        if (comma == std::wstring_view::npos) continue;
        if (Trim(line.substr(0, comma)) == id) return std::wstring(Trim(line.substr(comma + 1)));
    }
    return {};
}

std::optional<std::vector<std::wstring>> ParseLanguageFile(std::string_view bytes) {
    if (bytes.substr(0, 3) == "\xEF\xBB\xBF") bytes.remove_prefix(3);
    const std::optional<std::wstring> text = Utf8ToWide(bytes);
    if (!text) return std::nullopt;
    std::vector<std::wstring> lines;
    for (std::wstring_view line : SplitLines(*text)) lines.emplace_back(line);
    return lines;
}

std::wstring TranslateFrom(const std::vector<std::wstring>& lines, const std::wstring& english) {
    const std::wstring key = L"{" + english + L"}";
    for (const std::wstring& line : lines) {
        if (line.compare(0, key.size(), key) != 0) continue;
        // Everything after the line's first "}" (no English text holds one).
        std::wstring rest = line.substr(line.find(L'}') + 1);
        return rest.empty() ? english : rest;
    }
    return english;
}

void FindLanguageFiles(Platform& platform, const std::wstring& folder) {
    for (const Platform::FolderEntry& entry : platform.ListFolder(folder + L"\\*lang.txt")) {
        if (!entry.isFolder) g_language.LanguageFiles.push_back(entry.name);
    }
}

void LoadLanguage(Platform& platform, const std::wstring& fileName) {
    g_language = LanguageValues();
    const std::wstring exe = platform.ExePath();
    const std::size_t slash = exe.find_last_of(L"\\/");
    g_language.LanguageDir =
        (slash == std::wstring::npos ? std::wstring() : exe.substr(0, slash + 1)) + L"Languages";
    if (!platform.FolderExists(g_language.LanguageDir)) return;
    FindLanguageFiles(platform, g_language.LanguageDir);

    std::wstring chosen = fileName;
    if (Trim(chosen).empty()) chosen = ChooseByDisplayLanguage(platform);
    const std::wstring path = g_language.LanguageDir + L"\\" + chosen;
    if (chosen.empty() || !platform.FileExists(path)) return;

    std::uint32_t error = 0;
    const std::optional<std::string> bytes = platform.ReadWholeFile(path, error);
    if (!bytes) throw EFOpenError(path, platform.SystemErrorText(error));
    std::optional<std::vector<std::wstring>> lines = ParseLanguageFile(*bytes);
    if (!lines) {
        throw EEncodingError(L"The language file \"" + path +
                             L"\" is not valid UTF-8 and cannot be used. Every text stays in English.");
    }
    g_language.LanguageFile = path;
    g_language.LanguageLines = std::move(*lines);
}

std::wstring TranslateText(const std::wstring& english) {
    if (g_language.LanguageFile.empty()) return english;
    return TranslateFrom(g_language.LanguageLines, english);
}

std::wstring GetLocaleCode(Platform& platform) {
    try {
        std::uint32_t lcid = platform.StartupThreadLocale();
        if (lcid == 0) lcid = 0x0409;
        for (const Platform::InstalledLocale& locale : platform.InstalledLocales()) {
            if (locale.lcid == lcid) return locale.name.empty() ? L"xx" : locale.name;
        }
    } catch (...) {
        // Whatever fails, the request still goes out with the "unknown" code.
    }
    return L"xx";
}

}  // namespace orv
