// The interface language: the lookup, the two file formats, the choice at start-up over the
// in-memory platform, and the locale code.
#include "localisation/translate.h"

#include <gtest/gtest.h>

#include "core/errors.h"
#include "platform/fake/fake_platform.h"

namespace orv {
namespace {

const std::wstring kLanguages = L"C:\\Program Files\\Orvalin\\Languages\\";
const std::string kGerman = "{Cancel}Abbrechen\r\n{Yes}Ja\r\n";

// The language values are process-wide: every test leaves them as a start without a
// Languages folder does, so that no other test meets a language it did not load.
class TranslateTest : public ::testing::Test {
protected:
    ~TranslateTest() override {
        FakePlatform none;
        LoadLanguage(none, L"");
    }
    FakePlatform os;
};

TEST(TranslateFromTest, FindsTheFirstLineThatBeginsWithTheExactKey) {
    struct Case {
        const char* name;
        std::vector<std::wstring> lines;
        std::wstring english, expected;
    };
    const Case cases[] = {
        {"translation taken verbatim, leading blank kept", {L"{OK} Gut "}, L"OK", L" Gut "},
        {"nothing after the key leaves English", {L"{Yes}"}, L"Yes", L"Yes"},
        {"an empty first entry ends the walk", {L"{Yes}", L"{Yes}Ja"}, L"Yes", L"Yes"},
        {"case matters", {L"{yes}ja", L"{Yes}Ja"}, L"Yes", L"Ja"},
        {"first of two lines counts", {L"{No}Nein", L"{No}Nö"}, L"No", L"Nein"},
        {"the key is closed by its brace", {L"{OKAY}Einverstanden", L"{OK}Gut"}, L"OK", L"Gut"},
        {"the key must start the line", {L" {OK}Gut", L"x{OK}Gut"}, L"OK", L"OK"},
        {"braces inside the translation stay", {L"{OK}{Gut}"}, L"OK", L"{Gut}"},
        {"no line for the text", {L"; note", L""}, L"Cancel", L"Cancel"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(TranslateFrom(c.lines, c.english), c.expected);
    }
}

TEST(LanguageFileForIdTest, FirstMatchingLineNamesTheFile) {
    struct Case {
        const char* name;
        std::wstring mapping;
        std::wstring expected;
    };
    const Case cases[] = {
        {"blanks around both fields", L"  1031 ,\tGerman.lang.txt  \r\n", L"German.lang.txt"},
        {"first line wins", L"1031,A.lang.txt\n1031,B.lang.txt\n", L"A.lang.txt"},
        {"a leading zero never matches", L"01031,A.lang.txt\r\n", L""},
        {"only the first comma separates", L"1031,Odd,name.lang.txt", L"Odd,name.lang.txt"},
        {"lines without a comma are ignored", L"1031 German.lang.txt\r1031,B.lang.txt", L"B.lang.txt"},
        {"CR alone ends a line", L"2055,Swiss.lang.txt\r1031,German.lang.txt", L"German.lang.txt"},
        {"another language only", L"1036,French.lang.txt\r\n", L""},
        {"hexadecimal is no decimal", L"0x407,German.lang.txt\r\n", L""},
        {"empty", L"", L""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(LanguageFileForId(c.mapping, 1031), c.expected);
    }
}

TEST(ParseLanguageFileTest, ReadsStrictUtf8InLinesOfAnyEnding) {
    const auto lines = ParseLanguageFile("\xEF\xBB\xBF{A}\xC3\xA4\r\n{B}b\n{C}c\r{D}d");
    ASSERT_TRUE(lines);
    EXPECT_EQ(*lines, (std::vector<std::wstring>{L"{A}\u00e4", L"{B}b", L"{C}c", L"{D}d"}));

    const char* invalid[] = {
        "{Yes}J\xE4",         // Windows-1252, not UTF-8
        "{Yes}\xC0\xAF",      // overlong form
        "{Yes}\xED\xA0\x80",  // a surrogate encoded in UTF-8
        "{Yes}\xE2\x82",      // truncated at the end
        "\xFF\xFE{\0Y\0}\0",  // UTF-16
    };
    for (const char* bytes : invalid) {
        SCOPED_TRACE(bytes);
        EXPECT_FALSE(ParseLanguageFile(bytes));
    }
}

TEST_F(TranslateTest, TheDisplayLanguageChoosesTheFileThroughTheMapping) {
    struct Case {
        const char* name;
        std::string mapping;
        std::wstring fileName;  // as put into the folder
        std::wstring loaded;    // expected LanguageFile name; empty: English
    };
    const Case cases[] = {
        {"name in other case", "1031 , german.lang.txt\r\n", L"German.lang.txt", L"German.lang.txt"},
        {"listed in upper case", "1031,German.lang.txt\r\n", L"German.LANG.TXT", L"German.LANG.TXT"},
        {"no dot before lang.txt", "1031,Germanlang.txt\r\n", L"Germanlang.txt", L"Germanlang.txt"},
        {"mapping in UTF-8 with mark",
         "\xEF\xBB\xBF"
         "1031,German.lang.txt",
         L"German.lang.txt", L"German.lang.txt"},
        {"mapping in UTF-16 LE",
         std::string("\xFF\xFE"
                     "1\0"
                     "0\0"
                     "3\0"
                     "1\0"
                     ",\0"
                     "D\0"
                     ".\0"
                     "l\0"
                     "a\0"
                     "n\0"
                     "g\0"
                     ".\0"
                     "t\0"
                     "x\0"
                     "t\0",
                     32),
         L"D.lang.txt", L"D.lang.txt"},
        {"mapping in UTF-16 BE",
         std::string("\xFE\xFF"
                     "\0"
                     "1\0"
                     "0\0"
                     "3\0"
                     "1\0"
                     ",\0"
                     "D\0"
                     ".\0"
                     "l\0"
                     "a\0"
                     "n\0"
                     "g\0"
                     ".\0"
                     "t\0"
                     "x\0"
                     "t",
                     32),
         L"D.lang.txt", L"D.lang.txt"},
        // Without a mark the ANSI code page (the fake's is Windows-1252) reads the name.
        {"mapping in the ANSI code page",
         "1031,Fran\xE7"
         "ais.lang.txt\r\n",
         L"Fran\u00e7ais.lang.txt", L"Fran\u00e7ais.lang.txt"},
        {"no line for the display language", "1036,German.lang.txt\r\n", L"German.lang.txt", L""},
        {"the named file is missing", "1031,Deutsch.lang.txt\r\n", L"German.lang.txt", L""},
        {"a file the listing does not show", "1031,German.txt\r\n", L"German.txt", L""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        os = FakePlatform();
        os.uiLanguage = 1031;
        os.PutFile(kLanguages + L"LanguageCodes.csv", c.mapping);
        os.PutFile(kLanguages + c.fileName, kGerman);
        LoadLanguage(os, L"");
        EXPECT_EQ(CurrentLanguage().LanguageDir, L"C:\\Program Files\\Orvalin\\Languages");
        if (c.loaded.empty()) {
            EXPECT_EQ(CurrentLanguage().LanguageFile, L"");
            EXPECT_EQ(TranslateText(L"Cancel"), L"Cancel");
        } else {
            EXPECT_EQ(CurrentLanguage().LanguageFile, kLanguages + c.loaded);
            EXPECT_EQ(TranslateText(L"Cancel"), L"Abbrechen");
            EXPECT_EQ(TranslateText(L"No"), L"No");
        }
    }
}

TEST_F(TranslateTest, TheListingTakesFilesEndingInLangTxtAndSkipsFolders) {
    os.PutFile(kLanguages + L"German.lang.txt", "");
    os.PutFile(kLanguages + L"Frenchlang.txt", "");
    os.PutFile(kLanguages + L"Notes.txt", "");
    os.PutFile(kLanguages + L"LanguageCodes.csv", "");
    os.PutFile(kLanguages + L"Old.lang.txt\\Inside.lang.txt", "");  // makes a folder Old.lang.txt
    LoadLanguage(os, L"");
    EXPECT_EQ(CurrentLanguage().LanguageFiles,
              (std::vector<std::wstring>{L"Frenchlang.txt", L"German.lang.txt"}));
}

TEST_F(TranslateTest, WithoutFolderOrMappingEveryTextStaysEnglishSilently) {
    struct Case {
        const char* name;
        void (*setUp)(FakePlatform&);
    };
    const Case cases[] = {
        {"no Languages folder", [](FakePlatform&) {}},
        {"no mapping file", [](FakePlatform& os) { os.PutFile(kLanguages + L"German.lang.txt", kGerman); }},
        {"unreadable mapping file",
         [](FakePlatform& os) {
             os.PutFile(kLanguages + L"German.lang.txt", kGerman);
             os.PutFile(kLanguages + L"LanguageCodes.csv", "1031,German.lang.txt");
             os.unreadableFiles.insert(L"c:\\program files\\orvalin\\languages\\languagecodes.csv");
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        os = FakePlatform();
        os.uiLanguage = 1031;
        c.setUp(os);
        EXPECT_NO_THROW(LoadLanguage(os, L""));
        EXPECT_EQ(CurrentLanguage().LanguageFile, L"");
        EXPECT_EQ(TranslateText(L"Cancel"), L"Cancel");
    }
}

TEST_F(TranslateTest, AFileThatCannotBeUsedIsReportedAndLeavesEnglish) {
    struct Case {
        const char* name;
        bool unreadable;
        std::string bytes;
        const wchar_t* reportPart;
    };
    const Case cases[] = {
        {"not UTF-8", false, "{Cancel}Abbrechen\r\n{Yes}J\xE4\r\n", L"not valid UTF-8"},
        {"unreadable", true, kGerman, L"Cannot open file"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        os = FakePlatform();
        os.uiLanguage = 1031;
        os.PutFile(kLanguages + L"LanguageCodes.csv", "1031,German.lang.txt\r\n");
        os.PutFile(kLanguages + L"German.lang.txt", c.bytes);
        if (c.unreadable)
            os.unreadableFiles.insert(L"c:\\program files\\orvalin\\languages\\german.lang.txt");
        try {
            LoadLanguage(os, L"");
            ADD_FAILURE() << "no report";
        } catch (const Exception& e) {
            EXPECT_NE(e.Message().find(c.reportPart), std::wstring::npos) << e.Message();
            EXPECT_NE(e.Message().find(kLanguages + L"German.lang.txt"), std::wstring::npos) << e.Message();
        }
        EXPECT_TRUE(CurrentLanguage().LanguageLines.empty());
        EXPECT_EQ(TranslateText(L"Cancel"), L"Cancel");
    }
}

TEST_F(TranslateTest, AGivenFileNameIsUsedWithoutTheMapping) {
    os.uiLanguage = 1036;
    os.PutFile(kLanguages + L"LanguageCodes.csv", "1036,French.lang.txt\r\n");
    os.PutFile(kLanguages + L"French.lang.txt", "{Cancel}Annuler\r\n");
    os.PutFile(kLanguages + L"German.lang.txt", kGerman);
    LoadLanguage(os, L"German.lang.txt");
    EXPECT_EQ(TranslateText(L"Cancel"), L"Abbrechen");
    // A blank name is no name: the mapping chooses.
    LoadLanguage(os, L" \t");
    EXPECT_EQ(TranslateText(L"Cancel"), L"Annuler");
}

TEST(GetLocaleCodeTest, NamesTheLocaleOfStartInLanguageRegionForm) {
    struct Case {
        const char* name;
        std::uint32_t threadLocale;
        std::vector<Platform::InstalledLocale> installed;
        std::wstring expected;
    };
    const Case cases[] = {
        {"installed", 0x0407, {{0x0409, L"en-US"}, {0x0407, L"de-DE"}}, L"de-DE"},
        {"unreadable locale counts as 0x0409", 0, {{0x0407, L"de-DE"}, {0x0409, L"en-US"}}, L"en-US"},
        {"not installed", 0x0C07, {{0x0409, L"en-US"}}, L"xx"},
        {"no list", 0x0409, {}, L"xx"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        FakePlatform os;
        os.threadLocale = c.threadLocale;
        os.installedLocales = c.installed;
        EXPECT_EQ(GetLocaleCode(os), c.expected);
    }
}

}  // namespace
}  // namespace orv
