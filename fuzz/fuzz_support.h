// What the fuzz targets share: the fuzzer's bytes turned into text the way the program meets
// text, a stable number for choosing parameters from an input, and the check that turns a broken
// property into a finding.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "core/text_decode.h"

// A property that does not hold is a finding: say which, and abort so that libFuzzer keeps the
// input that broke it.
#define FUZZ_CHECK(condition)                                                                            \
    do {                                                                                                 \
        if (!(condition)) {                                                                              \
            std::fprintf(stderr, "%s:%d: property does not hold: %s\n", __FILE__, __LINE__, #condition); \
            std::abort();                                                                                \
        }                                                                                                \
    } while (0)

namespace orv::fuzz {

inline std::string_view Bytes(const std::uint8_t* data, std::size_t size) {
    return {reinterpret_cast<const char*>(data), size};
}

// Text from bytes: after an FF FE mark, UTF-16 LE code units (any unit, lone surrogates too);
// otherwise UTF-8, each broken sequence one U+FFFD, so that seed files stay plain text.
inline std::wstring TextOf(std::string_view bytes) {
    std::wstring text;
    if (bytes.starts_with("\xFF\xFE")) {
        for (std::size_t i = 2; i + 1 < bytes.size(); i += 2) {
            text.push_back(static_cast<wchar_t>(static_cast<unsigned char>(bytes[i]) |
                                                static_cast<unsigned char>(bytes[i + 1]) << 8));
        }
        return text;
    }
    AppendUtf8Lenient(bytes, text);
    return text;
}

// FNV-1a: the same input always chooses the same parameters, so a finding replays.
inline std::uint32_t Hash(std::string_view bytes) {
    std::uint32_t hash = 2166136261u;
    for (const char c : bytes) {
        hash ^= static_cast<unsigned char>(c);
        hash *= 16777619u;
    }
    return hash;
}

inline bool IsHighSurrogate(wchar_t c) { return c >= 0xD800 && c <= 0xDBFF; }
inline bool IsLowSurrogate(wchar_t c) { return c >= 0xDC00 && c <= 0xDFFF; }

// Valid UTF-16: every surrogate is half of a pair.
inline bool IsValidUtf16(std::wstring_view text) {
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (IsHighSurrogate(text[i]) && i + 1 < text.size() && IsLowSurrogate(text[i + 1])) {
            ++i;
        } else if (IsHighSurrogate(text[i]) || IsLowSurrogate(text[i])) {
            return false;
        }
    }
    return true;
}

// The text as UTF-8 can hold it: each lone surrogate becomes U+FFFD.
inline std::wstring WithoutLoneSurrogates(std::wstring_view text) {
    std::wstring out(text);
    for (std::size_t i = 0; i < out.size(); ++i) {
        if (IsHighSurrogate(out[i]) && i + 1 < out.size() && IsLowSurrogate(out[i + 1])) {
            ++i;
        } else if (IsHighSurrogate(out[i]) || IsLowSurrogate(out[i])) {
            out[i] = 0xFFFD;
        }
    }
    return out;
}

}  // namespace orv::fuzz
