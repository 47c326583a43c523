// Text files of unknown encoding: a byte-order mark (UTF-8, UTF-16 LE, UTF-16 BE) selects the
// encoding and is dropped; without one the bytes are in the system's ANSI code page, unless
// their first line plainly is UTF-16 (see Utf16WithoutMarkOf).
#pragma once

#include <string>
#include <string_view>

#include "platform/platform.h"

namespace orv {

enum class Utf16Order { kNone, kLittleEndian, kBigEndian };

// The byte order of UTF-16 text saved without a byte-order mark, or kNone. ANSI text has no
// NUL bytes, while in UTF-16 every character below U+0100 has one: the bytes before the first
// CR or LF byte (at most kUtf16SniffBytes of them) are UTF-16 when, taken in pairs, none is
// 00 00 and at least half have 00 as their high byte in that order.
//   "1\0,\02\0\r\0\n\0"  little-endian        "1,2\r\n", "MZ\x90\0\3\0\0\0"  kNone
// The rule sees only that bounded start, so a reader that holds just the first piece of a file
// decides as one that holds the whole file.
Utf16Order Utf16WithoutMarkOf(std::string_view start);
inline constexpr std::size_t kUtf16SniffBytes = 512;  // the most of a file's start it looks at

// Broken UTF-8 after a UTF-8 mark becomes U+FFFD per broken sequence, so the rest still reads.
std::wstring DecodeTextBytes(Platform& platform, std::string_view bytes);

// The same UTF-8 reading for a piece of such a file, appended to `text`. A piece that ends
// inside a sequence reads as if the file ended there, so pieces should end at an ASCII byte.
void AppendUtf8Lenient(std::string_view bytes, std::wstring& text);

}  // namespace orv
