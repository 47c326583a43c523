// Macro file text: line and cell splitting, encodings, and the exact bytes written.
#include "macro/macro_file.h"

#include <gtest/gtest.h>

#include <algorithm>
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

// A literal's bytes, NUL bytes included.
template <std::size_t N>
std::string Bytes(const char (&literal)[N]) {
    return std::string(literal, N - 1);
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

// UTF-16 saved without a mark would read in the ANSI code page as cells full of NUL characters
// and a row of garbage after every line: its first line tells it apart, since ANSI text has no
// NUL bytes. A file with a few NUL bytes, or a binary, stays ANSI. Every reader agrees, whatever
// the size of its pieces.
TEST(MacroFile, Utf16WithoutAMarkIsReadAsUtf16) {
    FakePlatform os;
    struct Case {
        const char* name;
        std::string bytes;
        std::vector<StepRow> rows;
    };
    const Case cases[] = {
        {"little-endian",
         Bytes("1\0,\0"
               "2\0,\0X\0\r\0\n\0"
               "3\0,\0\xA9\x03\r\0\n\0"),
         {R(L"1", L"2", L"X"), R(L"3", L"\u03a9")}},
        {"big-endian",
         Bytes("\0"
               "1\0,\0"
               "2\0\n\0"
               "4"),
         {R(L"1", L"2"), R(L"4", L"")}},
        {"NUL bytes in ANSI",
         Bytes("5,6\r\n7,8\0\0\r\n\0\0\0\r\n"),
         {R(L"5", L"6"), R(L"7", std::wstring(L"8\0\0", 3)), R(std::wstring(3, L'\0'), L"")}},
        {"binary start",
         Bytes("MZ\x90\0\x03\0\0\0\x04\0\0\0\xFF\xFF\0\0\r\n"),
         {R(std::wstring(L"MZ\u0090\0\u0003\0\0\0\u0004\0\0\0\u00ff\u00ff\0\0", 16), L"")}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        StepList whole;
        AppendMacroRows(DecodeMacroBytes(os, c.bytes), L',', whole);
        EXPECT_EQ(Rows(whole), c.rows);
        for (const std::size_t chunk : {std::size_t{1}, std::size_t{5}, kMacroChunkBytes}) {
            StepList pieces;
            LoadMacroBytes(os, c.bytes, L',', pieces, chunk);
            EXPECT_EQ(Rows(pieces), c.rows) << "pieces of " << chunk;
        }
    }

    // Cells holding NUL characters (as such a file gives them) could spell UTF-16 in ANSI bytes:
    // they are written as UTF-8 with its mark, and read back the same.
    StepList list;
    list.Append(R(std::wstring(L"A\0B\0C\0", 6), L""));
    for (const std::size_t chunk : {std::size_t{1}, kMacroChunkBytes}) {
        const std::string bytes = EncodeMacroRows(os, list, L',', chunk);
        EXPECT_TRUE(bytes.starts_with("\xEF\xBB\xBF"));
        StepList back;
        LoadMacroBytes(os, bytes, L',', back, chunk);
        EXPECT_EQ(Rows(back), Rows(list));
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
        // The piecewise writer and reader, with pieces small enough to end after every row.
        ASSERT_EQ(EncodeMacroRows(os, list, separator, 1 + pick(40)), bytes) << "round " << round;
        StepList loaded;
        LoadMacroBytes(os, bytes, separator, loaded, 1 + pick(40));
        ASSERT_EQ(Rows(loaded), Rows(list))
            << "round " << round << ", file " << testing::PrintToString(bytes);
    }
}

// A double-byte ANSI code page in miniature: a byte from 0x81 on leads, and with a following
// byte from 0x40 on makes one character; a lead without one stands for itself. Line ends are
// single bytes, as in the real double-byte code pages.
class DoubleBytePlatform : public FakePlatform {
public:
    std::wstring AnsiToWide(std::string_view bytes) override {
        std::wstring text;
        for (std::size_t i = 0; i < bytes.size(); ++i) {
            const auto lead = static_cast<unsigned char>(bytes[i]);
            const auto trail = i + 1 < bytes.size() ? static_cast<unsigned char>(bytes[i + 1]) : 0;
            if (lead >= 0x81 && trail >= 0x40) {
                text.push_back(static_cast<wchar_t>(0x4E00 + ((lead - 0x81) << 8 | trail)));
                ++i;
            } else {
                text.push_back(static_cast<wchar_t>(lead));
            }
        }
        return text;
    }
};

// The piecewise loader against the plain reading (decode the whole file, then split it), for
// every encoding and line ending, with piece sizes that put a piece end on every byte: inside
// CR LF, inside UTF-8 sequences (whole and broken), inside UTF-16 surrogate pairs and inside
// double-byte characters. Rows already in the list stay in front.
TEST(MacroFile, PiecewiseLoadingReadsAsTheWholeFile) {
    FakePlatform latin;
    DoubleBytePlatform doubleByte;
    const auto utf16 = [](std::initializer_list<char16_t> units, bool bigEndian) {
        std::string bytes;
        for (const char16_t u : units) {
            const char hi = static_cast<char>(u >> 8), lo = static_cast<char>(u & 0xFF);
            bytes += bigEndian ? std::string{hi, lo} : std::string{lo, hi};
        }
        return bytes;
    };
    const auto utf16Pieces = [&](bool be) {
        return std::vector<std::string>{
            utf16({u'1'}, be),           utf16({u','}, be),         utf16({u'\r'}, be),
            utf16({u'\n'}, be),          utf16({u'\r', u'\n'}, be), utf16({0xE9}, be),
            utf16({0xD83D, 0xDE00}, be), utf16({0xDC00}, be),       utf16({u'X', u'X'}, be)};
    };
    struct Case {
        const char* name;
        Platform* platform;
        std::string mark;
        std::vector<std::string> pieces;
    };
    const std::vector<std::string> lineEnds = {"\r", "\n", "\r\n"};
    std::vector<Case> cases = {
        {"ANSI 1252", &latin, "", {"1", ",", ";", "X", "\xE9", "\x80", "\xFF"}},
        {"ANSI double-byte", &doubleByte, "", {"1", ",", "\x81\x41", "\x82\xFE", "\x81", "\xE9\x40"}},
        {"UTF-8",
         &latin,
         "\xEF\xBB\xBF",
         {"1", ",", "\xC3\xA9", "\xE2\x82\xAC", "\xF0\x9F\x98\x80", "\xC3", "\xE2\x82", "\xF0\x9F\x98",
          "\xED\xA0\x80", "\xFF", "\x80"}},
        {"UTF-16 LE", &latin, "\xFF\xFE", utf16Pieces(false)},
        {"UTF-16 BE", &latin, "\xFE\xFF", utf16Pieces(true)},
    };
    std::mt19937 random(20261211);
    const auto pick = [&](std::size_t n) {
        return std::uniform_int_distribution<std::size_t>(0, n - 1)(random);
    };
    for (Case& c : cases) {
        SCOPED_TRACE(c.name);
        const bool wide = c.mark.size() == 2;
        if (!wide) c.pieces.insert(c.pieces.end(), lineEnds.begin(), lineEnds.end());
        for (int round = 0; round < 300; ++round) {
            std::string bytes = c.mark;
            for (std::size_t n = pick(30); n > 0; --n) bytes += c.pieces[pick(c.pieces.size())];
            if (wide && pick(4) == 0) bytes += '7';  // an odd last byte
            StepList expected;
            expected.Append(R(L"kept", L"row"));
            AppendMacroRows(DecodeMacroBytes(*c.platform, bytes), L',', expected);
            for (std::size_t chunk = 1; chunk <= 14; ++chunk) {
                StepList loaded;
                loaded.Append(R(L"kept", L"row"));
                LoadMacroBytes(*c.platform, bytes, L',', loaded, chunk);
                ASSERT_EQ(Rows(loaded), Rows(expected)) << "round " << round << ", pieces of " << chunk
                                                        << ", file " << testing::PrintToString(bytes);
            }
        }
    }
}

// A file served in reads of at most `most` bytes, as a network share may answer, whose reading
// can fail at byte `failAt` of the `failPass`-th pass over it (the loader reads a file twice).
class PiecemealReader : public FileReader {
public:
    static constexpr std::uint32_t kReadFault = 23;  // "data error (cyclic redundancy check)"

    PiecemealReader(std::string bytes, std::size_t most, int failPass = 0, std::size_t failAt = 0)
        : m_bytes(std::move(bytes)), m_most(most), m_failPass(failPass), m_failAt(failAt) {}

    std::optional<std::size_t> Read(char* buffer, std::size_t size, std::uint32_t& error) override {
        std::size_t end = std::min({m_bytes.size(), m_at + size, m_at + m_most});
        if (m_pass == m_failPass) {
            if (m_at >= m_failAt) {
                error = kReadFault;
                return std::nullopt;
            }
            end = std::min(end, m_failAt);
        }
        const std::size_t n = m_bytes.copy(buffer, end - m_at, m_at);
        m_at += n;
        return n;
    }
    bool Rewind(std::uint32_t&) override {
        ++m_pass;
        m_at = 0;
        return true;
    }

private:
    std::string m_bytes;
    std::size_t m_most;
    int m_pass = 1;
    int m_failPass;
    std::size_t m_failAt;
    std::size_t m_at = 0;
};

const std::string kUtf16File(
    "\xFF\xFE"
    "1\0,\0\xE9\0\r\0\n\0"
    "2\0,\0X\0\n\0",
    20);
const std::string kLongLineFile = "\xEF\xBB\xBF" + std::string(100, '7') +
                                  ",\xC3\xA9\r\n\r\n"
                                  "3,4\r"
                                  "5,6";

// Reads shorter than asked for, the mark split over them, lines longer than the buffer: the
// same rows as decoding the whole file.
TEST(MacroFile, ShortReadsLoadAsTheWholeFile) {
    FakePlatform os;
    for (const std::string& bytes : {std::string("1,2,X,,,\r\n3,4\n\xE9,5\r"), kUtf16File, kLongLineFile}) {
        StepList expected;
        AppendMacroRows(DecodeMacroBytes(os, bytes), L',', expected);
        for (const std::size_t most : {1, 2, 3, 7}) {
            for (const std::size_t chunk : {1, 5, 16, 4096}) {
                PiecemealReader file(bytes, most);
                StepList loaded;
                EXPECT_EQ(LoadMacroRows(os, file, L',', loaded, chunk), 0u);
                EXPECT_EQ(Rows(loaded), Rows(expected)) << "reads of " << most << ", pieces of " << chunk
                                                        << ", file " << testing::PrintToString(bytes);
            }
        }
    }
}

// A read that fails, while counting or while storing, answers its code and leaves the list as
// it was: a file that cannot be read adds nothing.
TEST(MacroFile, AFileThatFailsToReadAddsNoRows) {
    FakePlatform os;
    const std::string bytes = "1,2,X,,,\r\n3,4,,X,,\r\n5,6,,,X,\r\n";
    const struct {
        int pass;
        std::size_t at;
    } cases[] = {{1, 0}, {1, 12}, {2, 0}, {2, 12}, {2, bytes.size() - 1}};
    for (const auto& c : cases) {
        for (const std::size_t chunk : {4, 4096}) {
            PiecemealReader file(bytes, 5, c.pass, c.at);
            StepList list;
            list.Append(R(L"kept", L"row"));
            list.SetSelected(0, true);
            list.SetFocused(0);
            EXPECT_EQ(LoadMacroRows(os, file, L',', list, chunk), PiecemealReader::kReadFault);
            EXPECT_EQ(Rows(list), std::vector<StepRow>{R(L"kept", L"row")})
                << "pass " << c.pass << " failing at " << c.at << ", pieces of " << chunk;
            EXPECT_EQ(list.SelectedCount(), 1u);
            EXPECT_EQ(list.Focused(), 0u);
        }
    }
}

// Counting first sizes the list once: nothing is left over from growing by doubling.
TEST(MacroFile, LoadingSizesTheListExactly) {
    FakePlatform os;
    std::string bytes;
    std::size_t chars = 0;
    const std::size_t rows = 5000;
    for (std::size_t i = 0; i < rows; ++i) {
        const std::string x = std::to_string(i), y = std::to_string(i % 1080);
        bytes += x + "," + y + ",X,,,\r\n";
        chars += x.size() + y.size() + 1;
    }
    StepList exact;
    exact.Reserve(rows, chars);
    const std::size_t floor = exact.MemoryBytes();
    StepList loaded;
    LoadMacroBytes(os, bytes, L',', loaded);
    EXPECT_EQ(loaded.Count(), rows);
    EXPECT_EQ(loaded.MemoryBytes(), floor);
}

}  // namespace
}  // namespace orv
