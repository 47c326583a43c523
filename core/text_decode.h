// Text files of unknown encoding: a byte-order mark (UTF-8, UTF-16 LE, UTF-16 BE) selects the
// encoding and is dropped; without one the bytes are in the system's ANSI code page.
#pragma once

#include <string>
#include <string_view>

#include "platform/platform.h"

namespace orv {

// Broken UTF-8 after a UTF-8 mark becomes U+FFFD per broken sequence, so the rest still reads.
std::wstring DecodeTextBytes(Platform& platform, std::string_view bytes);

// The same UTF-8 reading for a piece of such a file, appended to `text`. A piece that ends
// inside a sequence reads as if the file ended there, so pieces should end at an ASCII byte.
void AppendUtf8Lenient(std::string_view bytes, std::wstring& text);

}  // namespace orv
