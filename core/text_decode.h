// Text files of unknown encoding: a byte-order mark (UTF-8, UTF-16 LE, UTF-16 BE) selects the
// encoding and is dropped; without one the bytes are in the system's ANSI code page.
#pragma once

#include <string>
#include <string_view>

#include "platform/platform.h"

namespace orv {

// Broken UTF-8 after a UTF-8 mark becomes U+FFFD per broken sequence, so the rest still reads.
std::wstring DecodeTextBytes(Platform& platform, std::string_view bytes);

}  // namespace orv
