// UTF-8 <-> UTF-16 conversion. Text is UTF-16 (std::wstring) inside the program, as on Windows;
// on Linux wchar_t is 32 bits wide and holds the same code units one per element.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace orv {

// Strict decoding: overlong forms, surrogates encoded in UTF-8, code points above U+10FFFF and
// truncated sequences all fail. Characters outside the BMP become surrogate pairs.
std::optional<std::wstring> Utf8ToWide(std::string_view bytes);

// Encodes UTF-16 code units; a lone surrogate becomes U+FFFD.
std::string WideToUtf8(std::wstring_view text);

}  // namespace orv
