#include "shell/hotkey_letter.h"

#include <cstdint>

namespace orv {

std::optional<std::wstring> StoredHotkeyLetter(const std::wstring& stored) {
    std::size_t first = 0;
    std::size_t last = stored.size();
    while (first < last && static_cast<std::uint32_t>(stored[first]) <= 32) ++first;
    while (last > first && static_cast<std::uint32_t>(stored[last - 1]) <= 32) --last;
    if (last - first != 1) return std::nullopt;
    return stored.substr(first, 1);
}

}  // namespace orv
