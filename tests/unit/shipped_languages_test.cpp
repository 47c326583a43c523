// The translations shipped in res/Languages and the catalogue of translated texts, checked
// against each other and against the sources: a key with a typo, a text the program does not
// use, a lost "%s", a text left English, a display language the mapping forgets, or a new
// TranslateText literal missing from the catalogue all fail here.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sstream>

#include "core/text_decode.h"
#include "core/utf.h"
#include "localisation/translate.h"
#include "localisation/translated_texts.h"
#include "platform/fake/fake_platform.h"

namespace orv {
namespace {

namespace fs = std::filesystem;

const fs::path kSourceDir = ORVALIN_SOURCE_DIR;
const fs::path kLanguageDir = kSourceDir / "res" / "Languages";

std::string ReadBytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

std::vector<std::string> ShippedLanguageFiles() {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(kLanguageDir)) {
        const std::string name = entry.path().filename().string();
        if (name.size() > 9 && name.substr(name.size() - 9) == ".lang.txt") names.push_back(name);
    }
    std::sort(names.begin(), names.end());
    return names;
}

bool InCatalogue(std::wstring_view text) {
    return std::find(kTranslatedTexts.begin(), kTranslatedTexts.end(), text) != kTranslatedTexts.end();
}

// Key -> translation of each "{key}translation" line, first line per key, as the lookup reads.
std::map<std::wstring, std::wstring> Entries(const std::vector<std::wstring>& lines) {
    std::map<std::wstring, std::wstring> entries;
    for (const std::wstring& line : lines) {
        const std::size_t close = line.find(L'}');
        if (line.empty() || line[0] != L'{' || close == std::wstring::npos) continue;
        entries.emplace(line.substr(1, close - 1), line.substr(close + 1));
    }
    return entries;
}

std::size_t Count(std::wstring_view text, std::wstring_view part) {
    std::size_t n = 0;
    for (std::size_t at = text.find(part); at != std::wstring_view::npos;
         at = text.find(part, at + part.size()))
        ++n;
    return n;
}

TEST(ShippedLanguagesTest, EachFileIsUtf8AndItsKeysAreTextsTheProgramTranslates) {
    const auto files = ShippedLanguageFiles();
    ASSERT_FALSE(files.empty()) << kLanguageDir;
    for (const std::string& name : files) {
        SCOPED_TRACE(name);
        const auto lines = ParseLanguageFile(ReadBytes(kLanguageDir / name));
        ASSERT_TRUE(lines) << "not valid UTF-8";
        std::set<std::wstring> seen;
        for (const std::wstring& line : *lines) {
            if (line.empty() || line[0] != L'{') continue;
            const std::size_t close = line.find(L'}');
            ASSERT_NE(close, std::wstring::npos) << WideToUtf8(line);
            const std::wstring key = line.substr(1, close - 1);
            EXPECT_TRUE(InCatalogue(key)) << "unknown key {" << WideToUtf8(key) << "}";
            // A second line for a key is never read: it is a mistake of the file.
            EXPECT_TRUE(seen.insert(key).second) << "key twice: {" << WideToUtf8(key) << "}";
        }
    }
}

TEST(ShippedLanguagesTest, EachFileLeavesExactlyTheExpectedTextsEnglish) {
    // A text with no entry or an empty one shows in English. Every shipped file translates
    // every text; a file that leaves some English on purpose lists them here.
    const std::map<std::string, std::vector<std::wstring>> expectedEnglish = {
        {"Chinese-Simplified.lang.txt", {}},
        {"Dutch.lang.txt", {}},
        {"French.lang.txt", {}},
        {"German.lang.txt", {}},
        {"Italian.lang.txt", {}},
        {"Japanese.lang.txt", {}},
        {"Korean.lang.txt", {}},
        {"Polish.lang.txt", {}},
        {"Portuguese-Brazil.lang.txt", {}},
        {"Russian.lang.txt", {}},
        {"Spanish.lang.txt", {}},
        {"Turkish.lang.txt", {}},
    };
    std::vector<std::string> expectedFiles;
    for (const auto& [name, texts] : expectedEnglish) expectedFiles.push_back(name);
    EXPECT_EQ(ShippedLanguageFiles(), expectedFiles);

    for (const std::string& name : ShippedLanguageFiles()) {
        SCOPED_TRACE(name);
        const auto lines = ParseLanguageFile(ReadBytes(kLanguageDir / name));
        ASSERT_TRUE(lines);
        const auto entries = Entries(*lines);
        std::vector<std::wstring> english;
        for (std::wstring_view text : kTranslatedTexts) {
            const auto entry = entries.find(std::wstring(text));
            if (entry == entries.end() || entry->second.empty()) english.emplace_back(text);
        }
        const auto expected = expectedEnglish.find(name);
        if (expected != expectedEnglish.end()) {
            EXPECT_EQ(english, expected->second);
        }
    }
}

TEST(ShippedLanguagesTest, TranslationsKeepTheFormatAndHaveNoStrayBlanks) {
    for (const std::string& name : ShippedLanguageFiles()) {
        SCOPED_TRACE(name);
        const auto lines = ParseLanguageFile(ReadBytes(kLanguageDir / name));
        ASSERT_TRUE(lines);
        for (const auto& [english, translation] : Entries(*lines)) {
            if (translation.empty()) continue;
            const std::string shown = WideToUtf8(english) + " -> " + WideToUtf8(translation);
            // "About %s" is formatted with the product name: one "%s" and no other directive.
            EXPECT_EQ(Count(translation, L"%"), Count(english, L"%")) << shown;
            EXPECT_EQ(Count(translation, L"%s"), Count(english, L"%s")) << shown;
            // The rest of the line is taken verbatim: an end blank would show.
            EXPECT_GT(translation.front(), L' ') << shown;
            EXPECT_GT(translation.back(), L' ') << shown;
        }
    }
}

TEST(ShippedLanguagesTest, TheMappingNamesEveryRegionalDisplayLanguageOfEachFile) {
    FakePlatform ansi;  // the mapping is plain ASCII; any code page reads it
    const std::wstring mapping = DecodeTextBytes(ansi, ReadBytes(kLanguageDir / "LanguageCodes.csv"));
    const std::map<std::wstring, std::vector<std::uint16_t>> expected = {
        {L"German.lang.txt", {1031, 2055, 3079, 4103, 5127}},
        {L"French.lang.txt",
         {1036, 2060, 3084, 4108, 5132, 6156, 7180, 8204, 9228, 10252, 11276, 12300, 13324, 14348, 15372}},
        {L"Spanish.lang.txt",
         {1034,  2058,  3082,  4106,  5130,  6154,  7178,  8202,  9226,  10250, 11274, 12298,
          13322, 14346, 15370, 16394, 17418, 18442, 19466, 20490, 21514, 22538, 23562}},
        {L"Italian.lang.txt", {1040, 2064}},
        // Portugal's Portuguese reads the Brazilian file rather than English.
        {L"Portuguese-Brazil.lang.txt", {1046, 2070}},
        {L"Dutch.lang.txt", {1043, 2067}},
        {L"Polish.lang.txt", {1045}},
        {L"Russian.lang.txt", {1049, 2073}},
        {L"Turkish.lang.txt", {1055}},
        {L"Japanese.lang.txt", {1041}},
        {L"Chinese-Simplified.lang.txt", {2052, 4100}},
        {L"Korean.lang.txt", {1042}},
        // English, and Traditional Chinese (Taiwan, Hong Kong, Macao), which the simplified
        // characters would not serve.
        {L"", {1033, 2057, 1028, 3076, 5124}},
    };
    std::set<std::uint16_t> ids;
    for (const auto& [file, languageIds] : expected) {
        for (std::uint16_t id : languageIds) {
            SCOPED_TRACE(id);
            EXPECT_EQ(LanguageFileForId(mapping, id), file);
            ids.insert(id);
        }
    }
    // Nothing else: each line's identifier is one of the above, once, and names a shipped file.
    const auto files = ShippedLanguageFiles();
    std::set<std::wstring> lineIds;
    std::wistringstream in(mapping);
    for (std::wstring line; std::getline(in, line);) {
        if (!line.empty() && line.back() == L'\r') line.pop_back();
        const std::size_t comma = line.find(L',');
        if (comma == std::wstring::npos) continue;
        const std::wstring id = line.substr(0, comma);
        EXPECT_TRUE(lineIds.insert(id).second) << "identifier twice: " << WideToUtf8(id);
        EXPECT_TRUE(ids.count(static_cast<std::uint16_t>(std::stoi(id))))
            << "unexpected line " << WideToUtf8(line);
        const std::string file = WideToUtf8(line.substr(comma + 1));
        EXPECT_TRUE(std::find(files.begin(), files.end(), file) != files.end()) << "no file " << file;
    }
}

// --- the catalogue against the sources -----------------------------------------------------------

struct Call {
    std::string where;     // file:line
    std::string argument;  // the literal's text (UTF-8), or the code after "(" when no literal
    bool literal = false;
};

// The wide literal that starts at `at` (just after L"), with its common escapes undone.
std::string ReadLiteral(const std::string& text, std::size_t at) {
    std::string value;
    for (std::size_t i = at; i < text.size() && text[i] != '"'; ++i) {
        if (text[i] != '\\' || i + 1 >= text.size()) {
            value += text[i];
            continue;
        }
        const char next = text[++i];
        value += next == 'n' ? '\n' : next == 't' ? '\t' : next == 'r' ? '\r' : next;
    }
    return value;
}

std::vector<Call> TranslateTextCalls() {
    static const std::string kCall = "TranslateText(";
    std::vector<Call> calls;
    for (auto it = fs::recursive_directory_iterator(kSourceDir); it != fs::recursive_directory_iterator();
         ++it) {
        const fs::directory_entry& entry = *it;
        const fs::path relative = fs::relative(entry.path(), kSourceDir);
        const std::string top = relative.begin()->string();
        // Build trees, tests (which call the lookup with made-up texts) and hidden folders.
        if (top.rfind("build", 0) == 0 || top == "tests" || top[0] == '.') {
            it.disable_recursion_pending();
            continue;
        }
        const std::string ext = entry.path().extension().string();
        if (!entry.is_regular_file() || (ext != ".cpp" && ext != ".h" && ext != ".inl")) continue;
        const std::string text = ReadBytes(entry.path());
        for (std::size_t at = text.find(kCall); at != std::string::npos; at = text.find(kCall, at + 1)) {
            const std::size_t lineStart = text.rfind('\n', at) + 1;  // npos + 1 == 0
            if (text.substr(lineStart, at - lineStart).find("//") != std::string::npos) continue;
            if (at > 0 && (std::isalnum(static_cast<unsigned char>(text[at - 1])) || text[at - 1] == '_'))
                continue;
            Call call;
            call.where =
                relative.generic_string() + ":" +
                std::to_string(std::count(text.begin(), text.begin() + static_cast<long>(at), '\n') + 1);
            std::size_t arg = at + kCall.size();
            while (arg < text.size() && std::isspace(static_cast<unsigned char>(text[arg]))) ++arg;
            call.literal = text.compare(arg, 2, "L\"") == 0;
            call.argument =
                call.literal ? ReadLiteral(text, arg + 2) : text.substr(arg, text.find(')', arg) - arg);
            calls.push_back(call);
        }
    }
    return calls;
}

TEST(TranslatedTextsTest, EveryTextTheSourcesTranslateIsInTheCatalogue) {
    const std::vector<Call> calls = TranslateTextCalls();
    std::size_t literals = 0;
    for (const Call& call : calls) {
        SCOPED_TRACE(call.where);
        // Only the lookup's own declaration and definition take a variable.
        if (call.where.rfind("localisation/translate.", 0) == 0) continue;
        EXPECT_TRUE(call.literal) << "TranslateText takes the English literal at the call, not "
                                  << call.argument;
        if (!call.literal) continue;
        ++literals;
        const auto text = Utf8ToWide(call.argument);
        ASSERT_TRUE(text);
        EXPECT_TRUE(InCatalogue(*text))
            << "\"" << call.argument << "\" is not in localisation/translated_texts.h";
    }
    EXPECT_GT(literals, 0u) << "no TranslateText call found under " << kSourceDir;
}

TEST(TranslatedTextsTest, TheCatalogueHoldsEachTextOnce) {
    std::set<std::wstring_view> texts(kTranslatedTexts.begin(), kTranslatedTexts.end());
    EXPECT_EQ(texts.size(), kTranslatedTexts.size());
}

}  // namespace
}  // namespace orv
