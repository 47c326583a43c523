// The language files and their mapping, LanguageCodes.csv, loaded as start-up loads them. The
// input is the mapping, a NUL byte, then the language file.
#include "core/errors.h"
#include "core/utf.h"
#include "fuzz_support.h"
#include "localisation/translate.h"
#include "localisation/translated_texts.h"
#include "platform/fake/fake_platform.h"

using namespace orv;
using namespace orv::fuzz;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes = Bytes(data, size);
    const std::size_t nul = bytes.find('\0');
    const std::string_view mapping = bytes.substr(0, nul);
    const std::string_view language =
        nul == std::string_view::npos ? std::string_view() : bytes.substr(nul + 1);

    // The mapping's answer is one trimmed field of one line.
    FakePlatform os;
    const std::wstring mappingText = DecodeTextBytes(os, mapping);
    for (const std::uint16_t id : {std::uint16_t{1031}, static_cast<std::uint16_t>(Hash(bytes))}) {
        const std::wstring file = LanguageFileForId(mappingText, id);
        FUZZ_CHECK(file.find_first_of(L"\r\n") == std::wstring::npos);
        FUZZ_CHECK(file.empty() || (file.front() > L' ' && file.back() > L' '));
    }

    // The lines of a language file hold no line break, and written back one per line (after a
    // mark, as the shipped files are) they read back the same.
    const std::optional<std::vector<std::wstring>> lines = ParseLanguageFile(language);
    if (lines) {
        std::wstring joined;
        for (const std::wstring& line : *lines) {
            FUZZ_CHECK(line.find_first_of(L"\r\n") == std::wstring::npos);
            joined += line + L"\r\n";
        }
        const auto again = ParseLanguageFile("\xEF\xBB\xBF" + WideToUtf8(joined));
        FUZZ_CHECK(again && *again == *lines);
    }

    // Start-up: the mapping chooses the file by the display language (German here).
    os.uiLanguage = 1031;
    os.PutFile(L"C:\\Program Files\\Orvalin\\Languages\\LanguageCodes.csv", std::string(mapping));
    os.PutFile(L"C:\\Program Files\\Orvalin\\Languages\\German.lang.txt", std::string(language));
    try {
        LoadLanguage(os, L"");
    } catch (const Exception&) {
        FUZZ_CHECK(!lines);  // only a file that is not UTF-8 is refused
        FUZZ_CHECK(CurrentLanguage().LanguageFile.empty());
    }
    // The lookup over the loaded lines (the program's TranslateText, which takes only literals).
    for (const std::wstring_view english : kTranslatedTexts) {
        const std::wstring shown = TranslateFrom(CurrentLanguage().LanguageLines, std::wstring(english));
        FUZZ_CHECK(!shown.empty());
    }
    return 0;
}
