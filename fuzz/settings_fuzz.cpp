// settings.ini: any file reads without a crash; a file read and written again reads back the
// same; writing one value leaves every other value as it was and reads back as written; and the
// store only claims a file's bytes (so that a second reader skips parsing) when those bytes read
// back into its document.
#include <map>
#include <optional>

#include "core/errors.h"
#include "core/settings_store.h"
#include "core/utf.h"
#include "fuzz_support.h"
#include "platform/fake/fake_platform.h"

using namespace orv;
using namespace orv::fuzz;

namespace {

const std::wstring kPath = L"C:\\Program Files\\Orvalin\\settings.ini";

bool SameDocument(const IniDocument& a, const IniDocument& b) {
    if (a.sections.size() != b.sections.size()) return false;
    for (std::size_t s = 0; s < a.sections.size(); ++s) {
        const IniSection& x = a.sections[s];
        const IniSection& y = b.sections[s];
        if (x.name != y.name || x.entries.size() != y.entries.size()) return false;
        for (std::size_t e = 0; e < x.entries.size(); ++e) {
            if (x.entries[e].key != y.entries[e].key || x.entries[e].value != y.entries[e].value ||
                x.entries[e].hasValue != y.entries[e].hasValue)
                return false;
        }
    }
    return true;
}

// A value as reading gives it back: one line, trimmed of blanks and control characters, in
// what UTF-8 can hold.
std::wstring AsReadBack(const std::wstring& value) {
    std::wstring line = WithoutLoneSurrogates(value);
    for (wchar_t& c : line) {
        if (c == L'\r' || c == L'\n') c = L' ';
    }
    std::size_t first = 0, last = line.size();
    while (first < last && static_cast<std::uint32_t>(line[first]) <= 32) ++first;
    while (last > first && static_cast<std::uint32_t>(line[last - 1]) <= 32) --last;
    return line.substr(first, last - first);
}

// The names the program writes.
constexpr const wchar_t* kSections[] = {L"Settings", L"settings", L"Other"};
constexpr const wchar_t* kKeys[] = {L"LastUsedFile", L"HotkeyCharPlay", L"Loop", L"record"};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes = Bytes(data, size);
    FakePlatform os;
    os.PutFile(kPath, std::string(bytes));

    const SettingsIni anyEncoding = SettingsIni::FromAnyEncoding(os, kPath, bytes);
    std::string_view content = bytes;
    if (content.starts_with("\xEF\xBB\xBF")) content.remove_prefix(3);
    std::optional<SettingsIni> opened;
    try {
        opened.emplace(os, kPath);
    } catch (const EEncodingError&) {
        FUZZ_CHECK(!Utf8ToWide(content));
        return 0;
    }
    SettingsIni& ini = *opened;
    FUZZ_CHECK(Utf8ToWide(content).has_value());
    FUZZ_CHECK(SameDocument(ini.Document(), anyEncoding.Document()));
    FUZZ_CHECK(ini.HoldsFileBytes(kPath, bytes));

    // Integers read as the store reads them survive being written as it writes them.
    for (const IniSection& section : ini.Document().sections) {
        for (const IniEntry& entry : section.entries) {
            std::int32_t value = 0, again = 0;
            if (TryParseIniInteger(entry.value, value)) {
                FUZZ_CHECK(TryParseIniInteger(std::to_wstring(value), again) && again == value);
            }
        }
    }

    // Rewritten unchanged, the file reads back into the same document.
    ini.UpdateFile();
    FUZZ_CHECK(SameDocument(SettingsIni(os, kPath).Document(), ini.Document()));

    // One value written, from a piece of the file's own text (line breaks, brackets and all).
    const std::uint32_t hash = Hash(bytes);
    const std::wstring text = TextOf(bytes);
    const std::size_t from = text.empty() ? 0 : hash % text.size();
    const std::wstring value = text.substr(from, (hash >> 8) % 96);
    const std::wstring section = kSections[(hash >> 16) % std::size(kSections)];
    const std::wstring key = kKeys[(hash >> 20) % std::size(kKeys)];

    // Which settings this write stands for is the store's own matching; a copy tells it.
    SettingsIni probe = ini;
    probe.WriteString(section, key, L"\x1probe");
    std::map<std::pair<std::wstring, std::wstring>, std::wstring> others;
    for (const IniSection& s : ini.Document().sections) {
        for (const IniEntry& e : s.entries) {
            if (probe.ReadString(s.name, e.key, L"") == L"\x1probe") continue;
            others.emplace(std::pair{s.name, e.key}, ini.ReadString(s.name, e.key, L"\x1none"));
        }
    }

    ini.WriteString(section, key, value);
    ini.UpdateFile();
    const std::string fileBytes = os.FileBytes(kPath);
    const SettingsIni after(os, kPath);
    FUZZ_CHECK(after.ReadString(section, key, L"\x1none") == AsReadBack(value));
    for (const auto& [name, old] : others) {
        FUZZ_CHECK(after.ReadString(name.first, name.second, L"\x1none") == old);
    }
    if (ini.HoldsFileBytes(kPath, fileBytes)) FUZZ_CHECK(SameDocument(after.Document(), ini.Document()));
    return 0;
}
