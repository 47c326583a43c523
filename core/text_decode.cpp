// Decoding text files by their byte-order mark.
#include "core/text_decode.h"

#include <algorithm>

#include "core/utf.h"

namespace orv {
namespace {

std::wstring DecodeUtf16(std::string_view bytes, bool bigEndian) {
    std::wstring text;
    text.reserve(bytes.size() / 2);
    for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
        const auto a = static_cast<unsigned char>(bytes[i]);
        const auto b = static_cast<unsigned char>(bytes[i + 1]);
        text.push_back(static_cast<wchar_t>(bigEndian ? (a << 8 | b) : (b << 8 | a)));
    }
    return text;
}

}  // namespace

void AppendUtf8Lenient(std::string_view bytes, std::wstring& text) {
    // Each sequence is decoded strictly on its own; a lead byte that does not start a valid one
    // becomes U+FFFD and reading goes on with the next byte, so the readable rest still loads.
    std::size_t i = 0;
    while (i < bytes.size()) {
        const auto lead = static_cast<unsigned char>(bytes[i]);
        if (lead < 0x80) {
            text.push_back(static_cast<wchar_t>(lead));
            ++i;
            continue;
        }
        const std::size_t length = (lead >> 5) == 6 ? 2 : (lead >> 4) == 14 ? 3 : (lead >> 3) == 30 ? 4 : 0;
        if (length > 1 && i + length <= bytes.size()) {
            if (auto piece = Utf8ToWide(bytes.substr(i, length))) {
                text += *piece;
                i += length;
                continue;
            }
        }
        text.push_back(static_cast<wchar_t>(0xFFFD));
        ++i;
    }
}

Utf16Order Utf16WithoutMarkOf(std::string_view start) {
    start = start.substr(0, std::min(start.find_first_of("\r\n"), kUtf16SniffBytes));
    std::size_t pairs = 0;
    std::size_t highZeroLe = 0;
    std::size_t highZeroBe = 0;
    for (std::size_t i = 0; i + 1 < start.size(); i += 2, ++pairs) {
        if (start[i] == 0 && start[i + 1] == 0) return Utf16Order::kNone;
        highZeroLe += start[i + 1] == 0;
        highZeroBe += start[i] == 0;
    }
    if (pairs == 0) return Utf16Order::kNone;
    if (highZeroLe * 2 >= pairs) return Utf16Order::kLittleEndian;
    if (highZeroBe * 2 >= pairs) return Utf16Order::kBigEndian;
    return Utf16Order::kNone;
}

std::wstring DecodeTextBytes(Platform& platform, std::string_view bytes) {
    if (bytes.substr(0, 3) == "\xEF\xBB\xBF") {
        std::wstring text;
        text.reserve(bytes.size() - 3);
        AppendUtf8Lenient(bytes.substr(3), text);
        return text;
    }
    if (bytes.substr(0, 2) == "\xFF\xFE") return DecodeUtf16(bytes.substr(2), false);
    if (bytes.substr(0, 2) == "\xFE\xFF") return DecodeUtf16(bytes.substr(2), true);
    switch (Utf16WithoutMarkOf(bytes)) {
        case Utf16Order::kLittleEndian:
            return DecodeUtf16(bytes, false);
        case Utf16Order::kBigEndian:
            return DecodeUtf16(bytes, true);
        case Utf16Order::kNone:
            break;
    }
    return platform.AnsiToWide(bytes);
}

}  // namespace orv
