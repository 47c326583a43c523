// The settings store: parses settings.ini into an ordered document, answers lookups from memory
// and writes the whole document back in one atomic replacement, so that a crash or a full disk
// never leaves a half-written settings file behind.
#include "core/settings_store.h"

#include <cwctype>

#include "core/errors.h"
#include "core/text_decode.h"
#include "core/utf.h"

namespace orv {
namespace {

constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";
constexpr std::uint32_t kErrorFileNotFound = 2;  // as Windows reports it

bool IsBlank(wchar_t c) { return static_cast<std::uint32_t>(c) <= 32; }

std::wstring_view Trim(std::wstring_view s) {
    while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
    while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
    return s;
}

// ASCII is folded here rather than left to towlower, whose reach depends on the C locale.
wchar_t FoldCase(wchar_t c) {
    if (c >= L'A' && c <= L'Z') return static_cast<wchar_t>(c - L'A' + L'a');
    if (static_cast<std::uint32_t>(c) < 0x80) return c;
    return static_cast<wchar_t>(std::towlower(static_cast<std::wint_t>(c)));
}

bool SameText(std::wstring_view a, std::wstring_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (FoldCase(a[i]) != FoldCase(b[i])) return false;
    }
    return true;
}

// A value is stored on one line, so a line break inside it would split it and could forge
// keys or sections that are read back on the next start. Breaks become blanks instead.
std::wstring OneLine(const std::wstring& value) {
    std::wstring line = value;
    for (wchar_t& c : line) {
        if (c == L'\r' || c == L'\n') c = L' ';
    }
    return line;
}

// ASCII digits only: other scripts' digits are not part of the format.
bool DigitValue(wchar_t c, bool hex, std::uint32_t& digit) {
    if (c >= L'0' && c <= L'9') {
        digit = static_cast<std::uint32_t>(c - L'0');
    } else if (hex && c >= L'a' && c <= L'f') {
        digit = static_cast<std::uint32_t>(c - L'a' + 10);
    } else if (hex && c >= L'A' && c <= L'F') {
        digit = static_cast<std::uint32_t>(c - L'A' + 10);
    } else {
        return false;
    }
    return true;
}

template <typename Sections>
auto FindSection(Sections& sections, std::wstring_view name) -> decltype(&sections.front()) {
    for (auto& section : sections) {
        if (SameText(section.name, name)) return &section;
    }
    return nullptr;
}

}  // namespace

IniDocument ParseIni(std::wstring_view text) {
    IniDocument doc;
    // An index, not a pointer, so that adding sections cannot leave it dangling; kNone before
    // the first header and under a repeated one.
    constexpr std::size_t kNone = static_cast<std::size_t>(-1);
    std::size_t current = kNone;
    std::size_t pos = 0;
    while (pos < text.size()) {
        std::size_t end = text.find_first_of(L"\r\n", pos);
        if (end == std::wstring_view::npos) end = text.size();
        const std::wstring_view line = Trim(text.substr(pos, end - pos));
        pos = end;
        if (pos < text.size()) {
            const bool crLf = text[pos] == L'\r' && pos + 1 < text.size() && text[pos + 1] == L'\n';
            pos += crLf ? 2 : 1;
        }

        if (line.empty() || line.front() == L';') continue;
        if (line.size() >= 2 && line.front() == L'[' && line.back() == L']') {
            const std::wstring_view name = line.substr(1, line.size() - 2);
            if (FindSection(doc.sections, name)) {
                current = kNone;
            } else {
                current = doc.sections.size();
                doc.sections.push_back(IniSection{std::wstring(name), {}});
            }
            continue;
        }
        if (current == kNone) continue;
        std::vector<IniEntry>& entries = doc.sections[current].entries;
        const std::size_t eq = line.find(L'=');
        if (eq == std::wstring_view::npos) {
            entries.push_back(IniEntry{std::wstring(line), std::wstring(), false});
        } else {
            entries.push_back(IniEntry{std::wstring(Trim(line.substr(0, eq))),
                                       std::wstring(Trim(line.substr(eq + 1))), true});
        }
    }
    return doc;
}

std::wstring FormatIni(const IniDocument& doc) {
    std::wstring text;
    for (const IniSection& section : doc.sections) {
        text += L'[';
        text += section.name;
        text += L"]\r\n";
        for (const IniEntry& entry : section.entries) {
            text += entry.key;
            if (entry.hasValue) {
                text += L'=';
                text += entry.value;
            }
            text += L"\r\n";
        }
        text += L"\r\n";
    }
    return text;
}

bool TryParseIniInteger(std::wstring_view text, std::int32_t& value) {
    bool negative = false;
    if (!text.empty() && (text.front() == L'-' || text.front() == L'+')) {
        negative = text.front() == L'-';
        text.remove_prefix(1);
    }
    bool hex = false;
    if (text.size() >= 2 && text[0] == L'0' && (text[1] == L'x' || text[1] == L'X')) {
        hex = true;
        text.remove_prefix(2);
    } else if (!text.empty() && text.front() == L'$') {
        hex = true;
        text.remove_prefix(1);
    }
    if (text.empty()) return false;

    // Accumulated in 64 bits and checked after every digit, so no input can overflow.
    const std::uint64_t limit = hex ? 0xFFFFFFFFull : (negative ? 0x80000000ull : 0x7FFFFFFFull);
    std::uint64_t magnitude = 0;
    for (const wchar_t c : text) {
        std::uint32_t digit;
        if (!DigitValue(c, hex, digit)) return false;
        magnitude = magnitude * (hex ? 16 : 10) + digit;
        if (magnitude > limit) return false;
    }
    // Hexadecimal is a 32-bit pattern, so $FFFFFFFF is -1; unsigned arithmetic makes the
    // negation wrap the same way.
    std::uint32_t bits = static_cast<std::uint32_t>(magnitude);
    if (negative) bits = 0u - bits;
    value = static_cast<std::int32_t>(bits);
    return true;
}

SettingsIni::SettingsIni(Platform& platform, std::wstring fileName)
    : SettingsIni(platform, std::move(fileName), true) {}

SettingsIni SettingsIni::Empty(Platform& platform, std::wstring fileName) {
    return SettingsIni(platform, std::move(fileName), false);
}

SettingsIni SettingsIni::ReadAnyEncoding(Platform& platform, std::wstring fileName) {
    SettingsIni ini(platform, std::move(fileName), false);
    std::uint32_t error = 0;
    const std::optional<std::string> bytes = platform.ReadWholeFile(ini.m_fileName, error);
    if (!bytes) return ini;
    std::string_view content = *bytes;
    if (content.starts_with(kUtf8Bom)) content.remove_prefix(kUtf8Bom.size());
    if (const std::optional<std::wstring> text = Utf8ToWide(content)) {
        ini.m_doc = ParseIni(*text);
    } else {
        ini.m_doc = ParseIni(DecodeTextBytes(platform, *bytes));
    }
    return ini;
}

SettingsIni::SettingsIni(Platform& platform, std::wstring fileName, bool read)
    : m_platform(&platform), m_fileName(std::move(fileName)) {
    if (!read) return;
    std::uint32_t error = 0;
    const std::optional<std::string> bytes = m_platform->ReadWholeFile(m_fileName, error);
    if (!bytes) {
        // A missing folder reports "path not found" rather than "file not found"; both mean
        // there are no settings yet.
        if (error == kErrorFileNotFound || !m_platform->FileExists(m_fileName)) return;
        throw EFOpenError(m_fileName, m_platform->SystemErrorText(error));
    }
    std::string_view content = *bytes;
    if (content.starts_with(kUtf8Bom)) content.remove_prefix(kUtf8Bom.size());
    const std::optional<std::wstring> text = Utf8ToWide(content);
    if (!text) {
        throw EEncodingError(L"Cannot open file \"" + m_fileName + L"\". It is not valid UTF-8 text.");
    }
    m_doc = ParseIni(*text);
}

std::wstring SettingsIni::ReadString(std::wstring_view section, std::wstring_view ident,
                                     const std::wstring& defaultValue) const {
    const IniSection* found = FindSection(m_doc.sections, section);
    if (!found) return defaultValue;
    for (const IniEntry& entry : found->entries) {
        if (entry.hasValue && SameText(entry.key, ident)) return entry.value;
    }
    return defaultValue;
}

std::int32_t SettingsIni::ReadInteger(std::wstring_view section, std::wstring_view ident,
                                      std::int32_t defaultValue) const {
    std::int32_t value;
    return TryParseIniInteger(ReadString(section, ident, std::wstring()), value) ? value : defaultValue;
}

void SettingsIni::WriteString(std::wstring_view section, std::wstring_view ident, const std::wstring& value) {
    IniSection* found = FindSection(m_doc.sections, section);
    if (!found) {
        m_doc.sections.push_back(IniSection{std::wstring(section), {}});
        found = &m_doc.sections.back();
    }
    // The first line of that name wins, a line without "=" included: it turns into key=value
    // where it stands rather than leaving a stale copy above the new one.
    for (IniEntry& entry : found->entries) {
        if (SameText(entry.key, ident)) {
            entry.value = OneLine(value);
            entry.hasValue = true;
            return;
        }
    }
    found->entries.push_back(IniEntry{std::wstring(ident), OneLine(value), true});
}

void SettingsIni::WriteInteger(std::wstring_view section, std::wstring_view ident, std::int32_t value) {
    WriteString(section, ident, std::to_wstring(value));
}

void SettingsIni::UpdateFile() {
    const std::string bytes = std::string(kUtf8Bom) + WideToUtf8(FormatIni(m_doc));
    const std::uint32_t error = m_platform->ReplaceFileContent(m_fileName, bytes);
    if (error != 0) throw EFCreateError(m_fileName, m_platform->SystemErrorText(error));
}

}  // namespace orv
