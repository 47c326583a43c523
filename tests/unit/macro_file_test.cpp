// Macro file text: line and cell splitting, encodings, and the exact bytes written.
#include "macro/macro_file.h"

#include <gtest/gtest.h>

#include <iterator>
#include <random>

#include "platform/fake/fake_platform.h"

namespace orv {
namespace {

std::vector<StepRow> Rows(const StepList& list) {
    std::vector<StepRow> rows;
    for (std::size_t i = 0; i < list.Count(); ++i) rows.push_back(list.Row(i));
    return rows;
}

StepRow R(std::wstring a, std::wstring b, std::wstring c = L"", std::wstring d = L"", std::wstring e = L"",
          std::wstring f = L"") {
    return StepRow{{a, b, c, d, e, f}};
}

TEST(MacroFile, WritesSixCellsPerLineWithCrLf) {
    FakePlatform os;
    StepList list;
    list.Append(StepRow::Click(L"512", L"300", L"X"));
    list.Append(R(L"-", L"-", L"-", L"-", L"-", L"2"));
    EXPECT_EQ(EncodeMacroText(os, FormatMacroText(list, L',')), "512,300,X,,,\r\n-,-,-,-,-,2\r\n");
    EXPECT_EQ(EncodeMacroText(os, FormatMacroText(StepList(), L',')), "");
}

TEST(MacroFile, LinesAndCellsAreSplitAsStored) {
    struct Case {
        const char* name;
        std::wstring text;
        wchar_t separator;
        std::vector<StepRow> rows;
    };
    const Case cases[] = {
        {"short line", L"100,200\r\n", L',', {R(L"100", L"200")}},
        {"seventh field ignored", L"1,2,X,,,,9\r\n", L',', {R(L"1", L"2", L"X")}},
        {"LF and lone CR", L"1,1\n2,2\r3,3", L',', {R(L"1", L"1"), R(L"2", L"2"), R(L"3", L"3")}},
        {"blank lines add nothing", L"1,1\r\n\r\n\n2,2\r\n\r\n", L',', {R(L"1", L"1"), R(L"2", L"2")}},
        {"other separator keeps the line whole", L"1;2;X;;;\r\n", L',', {R(L"1;2;X;;;", L"")}},
        {"semicolon separator", L"1;2;X;;;\r\n", L';', {R(L"1", L"2", L"X")}},
        {"quotes are ordinary", L"\"a\",b\r\n", L',', {R(L"\"a\"", L"b")}},
        {"only separators", L",,,,,\r\n", L',', {R(L"", L"")}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        StepList list;
        AppendMacroRows(c.text, c.separator, list);
        EXPECT_EQ(Rows(list), c.rows);
    }
}

TEST(MacroFile, ByteOrderMarksSelectTheEncoding) {
    FakePlatform os;
    struct Case {
        const char* name;
        std::string bytes;
        std::wstring text;
    };
    const Case cases[] = {
        {"ANSI", "1,\xE9\r\n", L"1,\u00e9\r\n"},
        {"UTF-8 with mark", "\xEF\xBB\xBF" "1,\xC3\xA9\r\n", L"1,\u00e9\r\n"},
        {"UTF-16 LE", std::string("\xFF\xFE" "1\0,\0\xE9\0", 8), L"1,\u00e9"},
        {"UTF-16 BE", std::string("\xFE\xFF\0" "1\0,\0\xE9", 8), L"1,\u00e9"},
        {"broken UTF-8 keeps the rest", "\xEF\xBB\xBF" "1,\xC3\r\n2,2", L"1,\uFFFD\r\n2,2"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(DecodeMacroBytes(os, c.bytes), c.text);
    }
}

TEST(MacroFile, TextTheCodePageCannotHoldIsWrittenAsUtf8AndReadsBackTheSame) {
    FakePlatform os;  // its ANSI code page is Windows-1252
    StepList list;
    list.Append(R(L"\u015f", L"\u20ac"));  // no 1252 form for the first
    const std::string bytes = EncodeMacroText(os, FormatMacroText(list, L','));
    EXPECT_EQ(bytes, "\xEF\xBB\xBF\xC5\x9F,\xE2\x82\xAC,,,,\r\n");
    StepList back;
    AppendMacroRows(DecodeMacroBytes(os, bytes), L',', back);
    EXPECT_EQ(Rows(back), Rows(list));

    StepList euro;
    euro.Append(R(L"\u20ac", L"1"));
    EXPECT_EQ(EncodeMacroText(os, FormatMacroText(euro, L',')), "\x80,1,,,,\r\n");
}

// Saving and loading again must give back every cell. Cells are drawn from ASCII, Latin-1, the
// 1252 letters above 0x80, characters 1252 lacks, and prefixes whose 1252 bytes spell a
// byte-order mark; the separators and line breaks are left out, as a cell never holds them.
TEST(MacroFile, SavedRowsLoadBackUnchanged) {
    FakePlatform os;  // its ANSI code page is Windows-1252
    const std::wstring prefixes[] = {L"\u00ff\u00fe", L"\u00fe\u00ff", L"\u00ef\u00bb\u00bf", L"\u00ef\u00bb",
                                     L"\u00ff"};
    const std::wstring pieces[] = {L"512",    L"-",      L"X",      L"XX",     L"1.5",    L" ",
                                   L"\"",     L"\u00e9", L"\u00a0", L"\u00ff", L"\u00fe", L"\u20ac",
                                   L"\u0178", L"\u015f", L"\ufeff", L"\u00bf"};
    std::mt19937 random(20261210);
    const auto pick = [&](std::size_t n) {
        return std::uniform_int_distribution<std::size_t>(0, n - 1)(random);
    };
    for (int round = 0; round < 3000; ++round) {
        const wchar_t separator = round % 2 ? L';' : L',';
        StepList list;
        const std::size_t rows = 1 + pick(3);
        for (std::size_t r = 0; r < rows; ++r) {
            StepRow row;
            for (std::wstring& cell : row.cells) {
                if (pick(3) == 0) cell = prefixes[pick(std::size(prefixes))];
                for (std::size_t n = pick(4); n > 0; --n) cell += pieces[pick(std::size(pieces))];
            }
            list.Append(row);
        }
        const std::string bytes = EncodeMacroText(os, FormatMacroText(list, separator));
        StepList back;
        AppendMacroRows(DecodeMacroBytes(os, bytes), separator, back);
        ASSERT_EQ(Rows(back), Rows(list)) << "round " << round << ", file " << testing::PrintToString(bytes);
    }
}

}  // namespace
}  // namespace orv
