// Arithmetic of synthetic mouse input that does not need the system: which physical button
// gives the logical one a row names. Kept free of Windows headers so that the unit tests
// reach it.
#pragma once

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

}  // namespace orv
