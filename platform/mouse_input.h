// Arithmetic of synthetic mouse input that does not need the system: which physical button
// gives the logical one a row names, and the normalised coordinate that puts an absolute
// input event on an exact pixel of the virtual desktop. Kept free of Windows headers so that
// the unit tests reach it.
#pragma once

#include <algorithm>
#include <cstdint>

namespace orv {

// Synthetic input names physical buttons (MOUSEEVENTF_LEFTDOWN presses the physical left one),
// while rows name logical ones, as the hook reports them. With the buttons swapped for a
// left-handed user the physical right button is the logical left one, so left and right trade
// flags; the middle button and anything else stay as they are.
constexpr std::uint32_t PhysicalButtonFlag(std::uint32_t logicalFlag, bool buttonsSwapped) {
    if (!buttonsSwapped) return logicalFlag;
    switch (logicalFlag) {
        case 0x0002:
            return 0x0008;  // LEFTDOWN -> RIGHTDOWN
        case 0x0004:
            return 0x0010;  // LEFTUP -> RIGHTUP
        case 0x0008:
            return 0x0002;
        case 0x0010:
            return 0x0004;
        default:
            return logicalFlag;
    }
}

// The 0..65535 value that an absolute MOUSEEVENTF_VIRTUALDESK event needs to land on `pixel`,
// given the virtual desktop's first pixel `origin` (negative with a monitor left of or above
// the primary one) and its size `extent` in pixels. The system maps a value n back to
// origin + floor(n * extent / 65536), so the smallest n that maps onto the pixel is
// ceil(offset * 65536 / extent); a plain rounding lands one pixel short on some points. Points
// off the desktop are held to its edge, as SetCursorPos does.
constexpr std::int32_t AbsoluteMouseCoordinate(std::int32_t pixel, std::int32_t origin, std::int32_t extent) {
    if (extent <= 0) return 0;
    const std::int64_t offset = std::clamp<std::int64_t>(std::int64_t{pixel} - origin, 0, extent - 1);
    const std::int64_t value = (offset * 65536 + extent - 1) / extent;
    return static_cast<std::int32_t>(std::min<std::int64_t>(value, 65535));
}

}  // namespace orv
