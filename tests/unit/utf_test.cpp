// UTF-8 decoding must refuse every malformed form, and the two directions must agree on every
// code point, including those that need a surrogate pair.
#include "core/utf.h"

#include <gtest/gtest.h>

namespace orv {
namespace {

std::wstring Units(std::initializer_list<unsigned> units) {
    std::wstring text;
    for (unsigned u : units) text += static_cast<wchar_t>(u);
    return text;
}

TEST(Utf8ToWide, DecodesValidSequences) {
    const std::pair<std::string, std::wstring> cases[] = {
        {"", L""},
        {std::string("a\0b", 3), Units({'a', 0, 'b'})},
        {"\x7F", Units({0x7F})},
        {"\xC2\x80", Units({0x80})},
        {"\xC3\xA9", Units({0xE9})},
        {"\xDF\xBF", Units({0x7FF})},
        {"\xE0\xA0\x80", Units({0x800})},
        {"\xE2\x82\xAC", Units({0x20AC})},
        {"\xED\x9F\xBF", Units({0xD7FF})},  // just below the surrogates
        {"\xEE\x80\x80", Units({0xE000})},  // just above them
        {"\xEF\xBB\xBF", Units({0xFEFF})},  // a BOM is ordinary text here
        {"\xEF\xBF\xBF", Units({0xFFFF})},
        {"\xF0\x90\x80\x80", Units({0xD800, 0xDC00})},
        {"\xF0\x9F\x98\x80", Units({0xD83D, 0xDE00})},
        {"\xF4\x8F\xBF\xBF", Units({0xDBFF, 0xDFFF})},
    };
    for (const auto& [bytes, expected] : cases) {
        SCOPED_TRACE(testing::PrintToString(bytes));
        EXPECT_EQ(Utf8ToWide(bytes), expected);
    }
}

TEST(Utf8ToWide, RejectsMalformedSequences) {
    const std::string cases[] = {
        "\x80",                      // continuation byte without a lead
        "\xBF",                      //
        "\xC0\x80",                  // overlong NUL
        "\xC1\xBF",                  // overlong 0x7F
        "\xE0\x9F\xBF",              // overlong 0x7FF
        "\xF0\x8F\xBF\xBF",          // overlong 0xFFFF
        "\xED\xA0\x80",              // high surrogate D800
        "\xED\xBF\xBF",              // low surrogate DFFF
        "\xED\xA0\xBD\xED\xB8\x80",  // a surrogate pair encoded as two characters
        "\xF4\x90\x80\x80",          // 0x110000
        "\xF5\x80\x80\x80",          //
        "\xF8\x88\x80\x80\x80",      // five-byte form
        "\xFE",                      //
        "\xFF",                      //
        "\xC3",                      // truncated
        "\xE2\x82",                  //
        "\xF0\x9F\x98",              //
        "ok\xC3",                    // truncated at the very end
        "\xC3"
        "A",                 // continuation missing
        "\xE2\x28\xA1",      //
        "\xF0\x9F\x98\x28",  //
    };
    for (const std::string& bytes : cases) {
        SCOPED_TRACE(testing::PrintToString(bytes));
        EXPECT_EQ(Utf8ToWide(bytes), std::nullopt);
    }
}

TEST(WideToUtf8, EncodesPairsAndReplacesLoneSurrogates) {
    const std::string kFffd = "\xEF\xBF\xBD";
    const std::pair<std::wstring, std::string> cases[] = {
        {L"", ""},
        {Units({'a', 0x7F}), "a\x7F"},
        {Units({0x80}), "\xC2\x80"},
        {Units({0x7FF}), "\xDF\xBF"},
        {Units({0x800}), "\xE0\xA0\x80"},
        {Units({0xFFFF}), "\xEF\xBF\xBF"},
        {Units({0xD83D, 0xDE00}), "\xF0\x9F\x98\x80"},
        {Units({0xDBFF, 0xDFFF}), "\xF4\x8F\xBF\xBF"},
        {Units({0xD800}), kFffd},
        {Units({0xDC00}), kFffd},
        {Units({0xD800, 'A'}), kFffd + "A"},
        {Units({0xDC00, 0xD800}), kFffd + kFffd},  // reversed pair
        {Units({0xD800, 0xD800, 0xDC00}), kFffd + "\xF0\x90\x80\x80"},
    };
    for (const auto& [text, expected] : cases) {
        SCOPED_TRACE(testing::PrintToString(expected));
        EXPECT_EQ(WideToUtf8(text), expected);
    }
}

TEST(Utf, EveryCodePointRoundTrips) {
    std::wstring text;
    for (unsigned c = 0; c <= 0x10FFFF; ++c) {
        if (c >= 0xD800 && c <= 0xDFFF) continue;
        if (c < 0x10000) {
            text += static_cast<wchar_t>(c);
        } else {
            text += static_cast<wchar_t>(0xD800 + ((c - 0x10000) >> 10));
            text += static_cast<wchar_t>(0xDC00 + ((c - 0x10000) & 0x3FF));
        }
    }
    const std::string bytes = WideToUtf8(text);
    EXPECT_EQ(bytes.size(), 0x80 * 1 + 0x780 * 2 + (0xF800 - 0x800) * 3 + 0x100000 * 4);
    EXPECT_TRUE(Utf8ToWide(bytes) == text);  // EXPECT_EQ would print megabytes on failure
}

}  // namespace
}  // namespace orv
