// The settings store: parses settings.ini into an ordered document, answers lookups from memory
// and writes the whole document back in one atomic replacement, so that a crash or a full disk
// never leaves a half-written settings file behind.
#include "core/settings_store.h"

#include <cwctype>
#include <unordered_set>

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

// A hash that agrees with SameText: equal up to letter case gives equal hashes (FNV-1a over the
// folded characters).
std::size_t FoldedHash(std::wstring_view name) {
    std::uint64_t hash = 14695981039346656037ull;
    for (const wchar_t c : name) {
        hash ^= static_cast<std::uint32_t>(FoldCase(c));
        hash *= 1099511628211ull;
    }
    return static_cast<std::size_t>(hash);
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

// Whether the header of `section` and the line `key`=`value` under it read back as exactly this
// name, key and value. A document read from a file always does (reading trims, splits at the
// first "=" and drops comments, so what it keeps survives another round); a value written by the
// program may not, and then the file written from the document is not the document.
bool ReadsBackAs(std::wstring_view section, std::wstring_view key, std::wstring_view value) {
    std::wstring text = L"[";
    text.append(section).append(L"]\r\n").append(key).append(L"=").append(value).append(L"\r\n");
    if (Utf8ToWide(WideToUtf8(text)) != text) return false;  // a lone surrogate becomes U+FFFD
    const IniDocument doc = ParseIni(text);
    return doc.sections.size() == 1 && doc.sections[0].name == section &&
           doc.sections[0].entries.size() == 1 && doc.sections[0].entries[0].hasValue &&
           doc.sections[0].entries[0].key == key && doc.sections[0].entries[0].value == value;
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

// A linear search: a lookup costs no more than the rewrite of the file that follows each write,
// and start-up makes a fixed handful of them.
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
    // The sections so far, by index and hashed by folded name: a repeated header costs one hash
    // lookup, not a comparison with every earlier header, and no name is stored twice.
    const auto hash = [&doc](std::size_t i) { return FoldedHash(doc.sections[i].name); };
    const auto same = [&doc](std::size_t a, std::size_t b) {
        return SameText(doc.sections[a].name, doc.sections[b].name);
    };
    std::unordered_set<std::size_t, decltype(hash), decltype(same)> known(16, hash, same);
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
            // Added first and taken back when the name was known: the set looks names up
            // through the sections, so the candidate has to be one.
            doc.sections.push_back(IniSection{std::wstring(name), {}});
            if (known.insert(doc.sections.size() - 1).second) {
                current = doc.sections.size() - 1;
            } else {
                doc.sections.pop_back();
                current = kNone;
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

SettingsIni SettingsIni::FromAnyEncoding(Platform& platform, std::wstring fileName, std::string_view bytes) {
    SettingsIni ini(platform, std::move(fileName), false);
    std::string_view content = bytes;
    if (content.starts_with(kUtf8Bom)) content.remove_prefix(kUtf8Bom.size());
    if (const std::optional<std::wstring> text = Utf8ToWide(content)) {
        ini.m_doc = ParseIni(*text);
    } else {
        ini.m_doc = ParseIni(DecodeTextBytes(platform, bytes));
    }
    return ini;
}

bool SettingsIni::HoldsFileBytes(std::wstring_view fileName, std::string_view bytes) const {
    return m_fileBytes && fileName == m_fileName && bytes == *m_fileBytes;
}

SettingsIni::SettingsIni(Platform& platform, std::wstring fileName, bool read)
    : m_platform(&platform), m_fileName(std::move(fileName)) {
    if (!read) return;
    std::uint32_t error = 0;
    std::optional<std::string> bytes = m_platform->ReadWholeFile(m_fileName, error);
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
    m_fileBytes = std::move(*bytes);  // whatever was read parses back into m_doc
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
    std::wstring line = OneLine(value);
    IniSection* found = FindSection(m_doc.sections, section);
    if (!found) {
        m_doc.sections.push_back(IniSection{std::wstring(section), {}});
        found = &m_doc.sections.back();
        m_fileBytes.reset();
    }
    // The first line of that name wins, a line without "=" included: it turns into key=value
    // where it stands rather than leaving a stale copy above the new one.
    IniEntry* entry = nullptr;
    for (IniEntry& candidate : found->entries) {
        if (SameText(candidate.key, ident)) {
            entry = &candidate;
            break;
        }
    }
    if (!entry) {
        found->entries.push_back(IniEntry{std::wstring(ident), std::wstring(), false});
        entry = &found->entries.back();
    }
    if (!entry->hasValue || entry->value != line) m_fileBytes.reset();
    m_readsBackExactly = m_readsBackExactly && ReadsBackAs(found->name, entry->key, line);
    entry->value = std::move(line);
    entry->hasValue = true;
}

void SettingsIni::WriteInteger(std::wstring_view section, std::wstring_view ident, std::int32_t value) {
    WriteString(section, ident, std::to_wstring(value));
}

void SettingsIni::UpdateFile() {
    std::string bytes = std::string(kUtf8Bom) + WideToUtf8(FormatIni(m_doc));
    const std::uint32_t error = m_platform->ReplaceFileContent(m_fileName, bytes);
    if (error != 0) {
        m_fileBytes.reset();
        throw EFCreateError(m_fileName, m_platform->SystemErrorText(error));
    }
    if (m_readsBackExactly) {
        m_fileBytes = std::move(bytes);
    } else {
        m_fileBytes.reset();
    }
}

void RecoverInterruptedWrite(Platform& platform, const std::wstring& fileName) {
    const std::wstring temp = fileName + L".orvtmp";
    const std::wstring backup = fileName + L".orvbak";
    if (platform.FileExists(temp)) platform.RemoveFile(temp);
    if (!platform.FileExists(backup)) return;
    if (!platform.FileExists(fileName)) {
        std::uint32_t error = 0;
        const auto bytes = platform.ReadWholeFile(backup, error);
        if (!bytes || platform.ReplaceFileContent(fileName, *bytes) != 0) return;
    }
    platform.RemoveFile(backup);
}

}  // namespace orv
