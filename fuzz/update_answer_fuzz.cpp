// The update check's answer from the maker's server: the tag reader on each line, and the check
// itself reading the answer as the server sent it.
#include <cwctype>
#include <memory>

#include "fuzz_support.h"
#include "online/http_exchange.h"
#include "online/update_check.h"
#include "platform/fake/fake_platform.h"

using namespace orv;
using namespace orv::fuzz;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes = Bytes(data, size);
    const std::uint32_t hash = Hash(bytes);
    static const char* const kCharsets[] = {"", "utf-8", "ISO-8859-1", "windows-1252"};
    const HttpAnswer answer{std::string(bytes), kCharsets[hash % 4]};

    // A tag's value is what stands between the tags of a line that is exactly such a pair.
    const std::wstring text = DecodeAnswer(answer);
    for (const std::wstring& line : SplitLines(text)) {
        FUZZ_CHECK(line.find_first_of(L"\r\n") == std::wstring::npos);
        for (const std::wstring tag : {L"version", L"url", L"result", L"Version"}) {
            const std::wstring value = ReadTagValue(line, tag);
            if (value.empty()) continue;
            std::wstring lower = tag;
            for (wchar_t& c : lower) c = static_cast<wchar_t>(std::towlower(c));
            FUZZ_CHECK(line == L"<" + lower + L">" + value + L"</" + lower + L">");
        }
    }

    // The check reads the answer (over https, or over http after https failed).
    FakePlatform os;
    if (hash & 0x100) os.httpScript.push_back({std::nullopt, L"Secure channel failure"});
    os.httpScript.push_back({answer});
    auto results = std::make_shared<CheckerResults>();
    auto store = std::make_shared<UpdateStore>(os, L"Software\\QUENZAL\\Orvalin");
    CheckerContext context{L"QUENZAL - Orvalin", L"3.2.0.0", L"www.quenzal.example/php/check2.php",
                           [&os] { return os.localeName; }};
    TChecker(os, results, store, context).Execute();
    FUZZ_CHECK(results->CheckerDone.load() == 1);
    if (results->UpdateAvailable) {
        FUZZ_CHECK(results->CheckFailed == 0);
        FUZZ_CHECK(results->NewVersion != context.AppVersion && !results->NewVersion.empty());
    }
    if (results->CheckFailed) FUZZ_CHECK(!results->CheckErrorLog.empty());
    return 0;
}
