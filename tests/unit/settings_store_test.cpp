// The settings store against the in-memory file system: what survives a rewrite, what reading
// drops, how lookups and integers resolve, and how open and write failures surface.
#include "core/settings_store.h"

#include <gtest/gtest.h>

#include <limits>

#include "core/errors.h"
#include "platform/fake/fake_platform.h"

namespace orv {
namespace {

const std::wstring kPath = L"C:\\Program Files\\Orvalin\\settings.ini";
const std::wstring kFolderKey = L"c:\\program files\\orvalin";  // as the fake keys its folders
const std::string kBom = "\xEF\xBB\xBF";

class SettingsStore : public ::testing::Test {
protected:
    SettingsIni Open(const std::string& bytes) {
        os.ReplaceFileContent(kPath, bytes);
        return SettingsIni(os, kPath);
    }
    // Opens `bytes`, rewrites the file unchanged and returns what was written.
    std::string Rewrite(const std::string& bytes) {
        SettingsIni ini = Open(bytes);
        ini.UpdateFile();
        return os.FileBytes(kPath);
    }

    FakePlatform os;
};

TEST_F(SettingsStore, WritesBomCrLfAndAnEmptyLineAfterEachSection) {
    SettingsIni ini = SettingsIni::Empty(os, kPath);
    ini.WriteInteger(L"Settings", L"ReplayDelay", 1000);
    ini.UpdateFile();
    EXPECT_EQ(os.FileBytes(kPath), kBom + "[Settings]\r\nReplayDelay=1000\r\n\r\n");

    ini.WriteString(L"Other", L"A", L"x");
    ini.UpdateFile();
    EXPECT_EQ(os.FileBytes(kPath), kBom + "[Settings]\r\nReplayDelay=1000\r\n\r\n[Other]\r\nA=x\r\n\r\n");
}

TEST_F(SettingsStore, ReadsAnyLineEndWithOrWithoutBom) {
    const std::vector<std::string> files = {
        "[S]\r\nA=1\r\nB=2\r\n", kBom + "[S]\r\nA=1\r\nB=2\r\n", "[S]\nA=1\nB=2",
        "[S]\rA=1\rB=2\r",       "[S]\r\n\r\nA=1\n\rB=2",
    };
    for (const std::string& bytes : files) {
        SCOPED_TRACE(bytes);
        SettingsIni ini = Open(bytes);
        EXPECT_EQ(ini.ReadString(L"S", L"A", L"?"), L"1");
        EXPECT_EQ(ini.ReadString(L"S", L"B", L"?"), L"2");
    }
}

// One file exercising everything reading drops or normalises; the rewrite shows what survives.
TEST_F(SettingsStore, RewriteKeepsWhatWasReadAndDropsWhatWasSkipped) {
    const std::string input =
        "Orphan=1\r\n"
        "; before any section\r\n"
        "\t[Settings]  \r\n"
        "  Loop \t=  3  \r\n"
        "; a comment\r\n"
        "\r\n"
        "Note without equals \r\n"
        "Path = a=b\r\n"
        "loop=99\r\n"
        "[Unknown]\r\n"
        "Kept=yes\r\n"
        "[SETTINGS]\r\n"
        "Loop=7\r\n"
        "Extra=1\r\n"
        "[Last]\r\n";
    EXPECT_EQ(Rewrite(input), kBom +
                                  "[Settings]\r\n"
                                  "Loop=3\r\n"
                                  "Note without equals\r\n"
                                  "Path=a=b\r\n"
                                  "loop=99\r\n"
                                  "\r\n"
                                  "[Unknown]\r\n"
                                  "Kept=yes\r\n"
                                  "\r\n"
                                  "[Last]\r\n"
                                  "\r\n");
}

TEST_F(SettingsStore, LookupsIgnoreCaseAndTellEmptyFromAbsent) {
    SettingsIni ini = Open(
        "[Settings]\r\n"
        "Loop=3\r\n"
        "loop=99\r\n"
        "Empty=\r\n"
        "Bare\r\n"
        "Path=a=b\r\n"
        "[Settings]\r\n"
        "Late=1\r\n");
    struct Case {
        const wchar_t* section;
        const wchar_t* key;
        const wchar_t* expected;
    };
    const Case cases[] = {
        {L"Settings", L"Loop", L"3"},   {L"SETTINGS", L"lOOP", L"3"},  // first of duplicates
        {L"Settings", L"Empty", L""},   {L"Settings", L"Missing", L"def"},
        {L"Missing", L"Loop", L"def"},  {L"Settings", L"Bare", L"def"},  // no "=": absent
        {L"Settings", L"Path", L"a=b"}, {L"Settings", L"Late", L"def"},  // under a repeated header
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "[" << c.section << "] " << c.key);
        EXPECT_EQ(ini.ReadString(c.section, c.key, L"def"), c.expected);
    }
}

TEST_F(SettingsStore, WritingKeepsFirstMetOrderAndUpdatesInPlace) {
    SettingsIni ini = Open("[A]\r\nx=1\r\nBare\r\ny=2\r\n[B]\r\nz=3\r\n");
    ini.WriteString(L"a", L"X", L"10");     // existing key, other case: replaced where it stands
    ini.WriteString(L"A", L"bare", L"on");  // the line without "=" becomes a key at its place
    ini.WriteString(L"A", L"New", L"n");    // appended to its section, not to the file
    ini.WriteString(L"C", L"k", L"v");      // new section at the end
    ini.UpdateFile();
    EXPECT_EQ(os.FileBytes(kPath), kBom +
                                       "[A]\r\nx=10\r\nBare=on\r\ny=2\r\nNew=n\r\n\r\n"
                                       "[B]\r\nz=3\r\n\r\n[C]\r\nk=v\r\n\r\n");
    EXPECT_EQ(ini.ReadString(L"A", L"Bare", L"def"), L"on");
}

TEST_F(SettingsStore, ValuesRoundTripThroughTheFile) {
    const std::wstring nonBmp = {L'a', static_cast<wchar_t>(0xD83D), static_cast<wchar_t>(0xDE00), L'z'};
    {
        SettingsIni ini = SettingsIni::Empty(os, kPath);
        ini.WriteString(L"Settings", L"Name", L"caf\u00e9 \u20ac");
        ini.WriteString(L"Settings", L"Emoji", nonBmp);
        ini.WriteString(L"Settings", L"Empty", L"");
        ini.WriteInteger(L"Settings", L"Min", std::numeric_limits<std::int32_t>::min());
        ini.UpdateFile();
    }
    EXPECT_NE(os.FileBytes(kPath).find("Name=caf\xC3\xA9 \xE2\x82\xAC\r\n"), std::string::npos);

    SettingsIni ini(os, kPath);
    EXPECT_EQ(ini.ReadString(L"Settings", L"Name", L""), L"caf\u00e9 \u20ac");
    EXPECT_EQ(ini.ReadString(L"Settings", L"Emoji", L""), nonBmp);
    EXPECT_EQ(ini.ReadString(L"Settings", L"Empty", L"def"), L"");
    EXPECT_EQ(ini.ReadInteger(L"Settings", L"Min", 0), std::numeric_limits<std::int32_t>::min());
}

TEST_F(SettingsStore, LineBreaksInAValueCannotForgeLines) {
    SettingsIni ini = Open("[Settings]\r\nLoop=3\r\n");
    ini.WriteString(L"Settings", L"Note", L"a\r\n[Forged]\nX=1\rb");
    ini.UpdateFile();

    SettingsIni reread(os, kPath);
    ASSERT_EQ(reread.Document().sections.size(), 1u);
    EXPECT_EQ(reread.Document().sections[0].entries.size(), 2u);
    // What the program holds now is what it will read after a restart.
    EXPECT_EQ(reread.ReadString(L"Settings", L"Note", L""), ini.ReadString(L"Settings", L"Note", L""));
}

TEST(IniInteger, ParsesDecimalAndHexAndRejectsTheRest) {
    struct Case {
        const wchar_t* text;
        bool ok;
        std::int32_t value;
    };
    const Case cases[] = {
        {L"0", true, 0},
        {L"007", true, 7},
        {L"-5", true, -5},
        {L"+7", true, 7},
        {L"2147483647", true, 2147483647},
        {L"-2147483648", true, std::numeric_limits<std::int32_t>::min()},
        {L"2147483648", false, 0},
        {L"-2147483649", false, 0},
        {L"99999999999999999999999", false, 0},
        {L"0x20", true, 32},
        {L"0X1f", true, 31},
        {L"$20", true, 32},
        {L"-$10", true, -16},
        {L"$7FFFFFFF", true, 2147483647},
        {L"$FFFFFFFF", true, -1},  // a 32-bit pattern
        {L"0x80000000", true, std::numeric_limits<std::int32_t>::min()},
        {L"$100000000", false, 0},
        {L"", false, 0},
        {L"abc", false, 0},
        {L"5 x", false, 0},
        {L" 5", false, 0},
        {L"5 ", false, 0},
        {L"-", false, 0},
        {L"0x", false, 0},
        {L"$", false, 0},
        {L"0xG", false, 0},
        {L"1e3", false, 0},
        {L"--5", false, 0},
        {L"$-5", false, 0},
        {L"\u0663", false, 0},  // a non-ASCII digit
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "\"" << c.text << "\"");
        std::int32_t value = 12345;
        EXPECT_EQ(TryParseIniInteger(c.text, value), c.ok);
        if (c.ok) {
            EXPECT_EQ(value, c.value);
        }
    }
}

TEST_F(SettingsStore, ReadIntegerFallsBackToTheDefault) {
    SettingsIni ini = Open("[S]\r\nHex=0x20\r\nDollar=$FF\r\nWord=abc\r\nEmpty=\r\nMixed=5 x\r\n");
    EXPECT_EQ(ini.ReadInteger(L"S", L"Hex", -1), 32);
    EXPECT_EQ(ini.ReadInteger(L"S", L"Dollar", -1), 255);
    for (const wchar_t* key : {L"Word", L"Empty", L"Mixed", L"Missing"}) {
        EXPECT_EQ(ini.ReadInteger(L"S", key, -1), -1) << key;
    }
}

TEST_F(SettingsStore, FailedUpdateReportsTheFileAndKeepsTheChange) {
    SettingsIni ini = Open("[Settings]\r\nLoop=3\r\n");
    os.readOnlyFolders.insert(kFolderKey);
    ini.WriteInteger(L"Settings", L"Loop", 5);
    try {
        ini.UpdateFile();
        FAIL() << "UpdateFile succeeded on a read-only folder";
    } catch (const EFCreateError& e) {
        EXPECT_EQ(e.Message(), L"Cannot create file \"" + kPath + L"\". Access is denied.");
    }
    EXPECT_EQ(os.FileBytes(kPath), "[Settings]\r\nLoop=3\r\n");  // old content intact
    EXPECT_EQ(ini.ReadInteger(L"Settings", L"Loop", 0), 5);

    os.readOnlyFolders.clear();
    ini.UpdateFile();
    EXPECT_EQ(os.FileBytes(kPath), kBom + "[Settings]\r\nLoop=5\r\n\r\n");
}

TEST_F(SettingsStore, MissingFileGivesAnEmptyStore) {
    SettingsIni missing(os, kPath);
    EXPECT_TRUE(missing.Document().sections.empty());
    EXPECT_FALSE(os.HasFile(kPath));  // opening creates nothing
}

TEST_F(SettingsStore, UnreadableFileThrowsOpenError) {
    os.ReplaceFileContent(kPath, "[S]\r\nA=1\r\n");
    os.unreadableFiles.insert(L"c:\\program files\\orvalin\\settings.ini");
    try {
        SettingsIni ini(os, kPath);
        FAIL() << "opened an unreadable file";
    } catch (const EFOpenError& e) {
        EXPECT_EQ(e.Message(), L"Cannot open file \"" + kPath + L"\". Access is denied.");
    }
    // Empty never reads, so it cannot fail.
    EXPECT_TRUE(SettingsIni::Empty(os, kPath).Document().sections.empty());
}

TEST_F(SettingsStore, TextThatIsNotUtf8Throws) {
    const std::vector<std::string> files = {
        "[S]\r\nA=caf\xE9\r\n",               // Latin-1
        std::string("\xFF\xFE[\0S\0]\0", 8),  // UTF-16 with its BOM
        kBom + "[S]\r\nA=\xED\xA0\x80\r\n",   // encoded surrogate
        "[S]\r\nA=\xC3",                      // truncated at the end
    };
    for (const std::string& bytes : files) {
        SCOPED_TRACE(testing::PrintToString(bytes));
        os.ReplaceFileContent(kPath, bytes);
        try {
            SettingsIni ini(os, kPath);
            ADD_FAILURE() << "accepted";
        } catch (const EEncodingError& e) {
            EXPECT_NE(e.Message().find(kPath), std::wstring::npos);
        }
    }
}

// Sections are found by name through an index: the rules for repeated headers, letter case and
// order must hold as they do for a handful of sections.
TEST_F(SettingsStore, ManySectionsKeepTheFirstOccurrenceAndTheirOrder) {
    std::string file;
    for (int i = 0; i < 3000; ++i)
        file += "[Sec" + std::to_string(i) + "]\r\nk=" + std::to_string(i) + "\r\n";
    file += "[SEC7]\r\nk=late\r\nextra=1\r\n[sec2999]\r\nk=late\r\n";
    SettingsIni ini = Open(file);
    ASSERT_EQ(ini.Document().sections.size(), 3000u);
    EXPECT_EQ(ini.ReadString(L"sec7", L"K", L"?"), L"7");
    EXPECT_EQ(ini.ReadString(L"Sec7", L"extra", L"?"), L"?");
    EXPECT_EQ(ini.ReadString(L"SEC2999", L"k", L"?"), L"2999");
    EXPECT_EQ(ini.ReadString(L"Sec3000", L"k", L"?"), L"?");

    ini.WriteString(L"SEC1500", L"k", L"x");  // in place, under its first spelling
    ini.WriteString(L"New", L"a", L"1");      // a new section goes last
    ini.WriteString(L"NEW", L"b", L"2");      // and is found again in another case
    ini.UpdateFile();
    const std::string bytes = os.FileBytes(kPath);
    EXPECT_TRUE(bytes.starts_with(kBom + "[Sec0]\r\nk=0\r\n\r\n[Sec1]"));
    EXPECT_NE(bytes.find("[Sec1500]\r\nk=x\r\n\r\n[Sec1501]"), std::string::npos);
    EXPECT_TRUE(bytes.ends_with("[Sec2999]\r\nk=2999\r\n\r\n[New]\r\na=1\r\nb=2\r\n\r\n"));
}

// A second reader of the file may take the store's answers only while the bytes on disk read back
// into exactly the store's document.
TEST_F(SettingsStore, KnowsWhenTheFileOnDiskReadsAsItsDocument) {
    SettingsIni ini = Open(kBom + "[Settings]\r\nLoop=3\r\n; note\r\nBare\r\n");
    const auto holdsFile = [&] { return ini.HoldsFileBytes(kPath, os.FileBytes(kPath)); };
    EXPECT_TRUE(holdsFile());
    EXPECT_FALSE(ini.HoldsFileBytes(L"C:\\Other\\settings.ini", os.FileBytes(kPath)));
    EXPECT_FALSE(ini.HoldsFileBytes(kPath, os.FileBytes(kPath) + "x"));

    ini.WriteInteger(L"settings", L"LOOP", 3);  // the same value: nothing changed
    EXPECT_TRUE(holdsFile());
    ini.WriteInteger(L"Settings", L"Loop", 4);  // only in memory so far
    EXPECT_FALSE(holdsFile());
    ini.UpdateFile();
    EXPECT_TRUE(holdsFile());
    ini.WriteString(L"Settings", L"Bare", L"on");
    ini.UpdateFile();
    EXPECT_TRUE(holdsFile());

    os.readOnlyFolders.insert(kFolderKey);
    ini.WriteInteger(L"Settings", L"Loop", 5);
    EXPECT_THROW(ini.UpdateFile(), EFCreateError);
    EXPECT_FALSE(holdsFile());  // the file still says 4
    os.readOnlyFolders.clear();
    ini.UpdateFile();
    EXPECT_TRUE(holdsFile());

    // Written text that reading gives back otherwise: the file is not the document any more.
    const std::pair<const wchar_t*, std::wstring> unreadable[] = {
        {L"Value", L" padded "},
        {L"Value", L"lone \xD800 surrogate"},
        {L"a=b", L"c"},
        {L";Key", L"c"},
    };
    for (const auto& [key, value] : unreadable) {
        SCOPED_TRACE(testing::PrintToString(std::wstring(key) + L"=" + value));
        SettingsIni other = Open("[Settings]\r\n");
        other.WriteString(L"Settings", key, value);
        other.UpdateFile();
        EXPECT_FALSE(other.HoldsFileBytes(kPath, os.FileBytes(kPath)));
        other.WriteString(L"Settings", L"Later", L"1");  // and stays so
        other.UpdateFile();
        EXPECT_FALSE(other.HoldsFileBytes(kPath, os.FileBytes(kPath)));
    }
}

}  // namespace
}  // namespace orv
