// What one click row does to the mouse, as a plain list of operations: a cursor move, then for
// the left, right and middle button in that order one click ("X") or two ("XX"), each press
// released before the next button is touched, with nothing in between.
#pragma once

#include <string_view>
#include <vector>

#include "platform/platform.h"

namespace orv {

inline constexpr std::uint32_t kLeftDown = 0x0002, kLeftUp = 0x0004;
inline constexpr std::uint32_t kRightDown = 0x0008, kRightUp = 0x0010;
inline constexpr std::uint32_t kMiddleDown = 0x0020, kMiddleUp = 0x0040;

// Only the exact texts "X" and "XX" press a button; anything else leaves it alone.
std::vector<MouseOp> PlanClick(std::int32_t x, std::int32_t y, std::wstring_view left, std::wstring_view right,
                               std::wstring_view middle);

}  // namespace orv
