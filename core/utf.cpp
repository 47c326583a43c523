// UTF-8 <-> UTF-16 conversion for the text files the program reads and writes. Decoding is
// strict so that a damaged or foreign-encoded file is noticed instead of being read as garbage.
#include "core/utf.h"

#include <cstdint>

namespace orv {
namespace {

constexpr char32_t kReplacement = 0xFFFD;

bool IsHighSurrogate(char32_t c) { return c >= 0xD800 && c <= 0xDBFF; }
bool IsLowSurrogate(char32_t c) { return c >= 0xDC00 && c <= 0xDFFF; }

void AppendUtf16(std::wstring& out, char32_t c) {
    if (c < 0x10000) {
        out += static_cast<wchar_t>(c);
        return;
    }
    c -= 0x10000;
    out += static_cast<wchar_t>(0xD800 + (c >> 10));
    out += static_cast<wchar_t>(0xDC00 + (c & 0x3FF));
}

void AppendUtf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

}  // namespace

std::optional<std::wstring> Utf8ToWide(std::string_view bytes) {
    std::wstring out;
    out.reserve(bytes.size());
    std::size_t i = 0;
    while (i < bytes.size()) {
        const auto lead = static_cast<unsigned char>(bytes[i]);
        if (lead < 0x80) {
            out += static_cast<wchar_t>(lead);
            ++i;
            continue;
        }
        // The allowed range of the second byte depends on the lead byte: narrowing it is what
        // rejects overlong forms (E0, F0), encoded surrogates (ED) and values past U+10FFFF (F4).
        std::size_t length;
        char32_t c;
        unsigned char secondMin = 0x80, secondMax = 0xBF;
        if (lead >= 0xC2 && lead <= 0xDF) {
            length = 2;
            c = lead & 0x1F;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            length = 3;
            c = lead & 0x0F;
            if (lead == 0xE0) secondMin = 0xA0;
            if (lead == 0xED) secondMax = 0x9F;
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            length = 4;
            c = lead & 0x07;
            if (lead == 0xF0) secondMin = 0x90;
            if (lead == 0xF4) secondMax = 0x8F;
        } else {
            return std::nullopt;  // continuation byte as lead, C0/C1 overlong, or F5..FF
        }
        if (bytes.size() - i < length) return std::nullopt;
        for (std::size_t k = 1; k < length; ++k) {
            const auto next = static_cast<unsigned char>(bytes[i + k]);
            const unsigned char min = k == 1 ? secondMin : 0x80;
            const unsigned char max = k == 1 ? secondMax : 0xBF;
            if (next < min || next > max) return std::nullopt;
            c = (c << 6) | (next & 0x3F);
        }
        AppendUtf16(out, c);
        i += length;
    }
    return out;
}

std::string WideToUtf8(std::wstring_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        // Through uint32_t so that a negative wchar_t (signed on some compilers) cannot pass as
        // a small code point.
        const char32_t unit = static_cast<std::uint32_t>(text[i]);
        if (IsHighSurrogate(unit)) {
            const char32_t low = i + 1 < text.size() ? static_cast<std::uint32_t>(text[i + 1]) : 0;
            if (IsLowSurrogate(low)) {
                AppendUtf8(out, 0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00));
                ++i;
            } else {
                AppendUtf8(out, kReplacement);
            }
        } else if (IsLowSurrogate(unit) || unit > 0x10FFFF) {
            AppendUtf8(out, kReplacement);
        } else {
            // A unit above U+FFFF can only come from a 32-bit wchar_t literal that bypassed the
            // UTF-16 convention; it is still a valid code point, so keep it rather than lose it.
            AppendUtf8(out, unit);
        }
    }
    return out;
}

}  // namespace orv
