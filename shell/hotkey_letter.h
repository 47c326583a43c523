// The hotkey letters as settings.ini stores them ("HotkeyCharRecord", "HotkeyCharPlay").
#pragma once

#include <optional>
#include <string>

namespace orv {

// The stored letter when exactly one character remains once blanks (and anything up to the
// space character) are trimmed from both ends; nullopt otherwise.
std::optional<std::wstring> StoredHotkeyLetter(const std::wstring& stored);

}  // namespace orv
