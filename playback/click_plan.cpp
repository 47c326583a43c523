// The click row to mouse operations mapping.
#include "playback/click_plan.h"

namespace orv {
namespace {

void AddClicks(std::vector<MouseOp>& ops, std::wstring_view cell, std::uint32_t down, std::uint32_t up) {
    const int clicks = cell == L"X" ? 1 : cell == L"XX" ? 2 : 0;
    for (int i = 0; i < clicks; ++i) {
        ops.push_back({MouseOp::kButton, 0, 0, down});
        ops.push_back({MouseOp::kButton, 0, 0, up});
    }
}

}  // namespace

std::vector<MouseOp> PlanClick(std::int32_t x, std::int32_t y, std::wstring_view left, std::wstring_view right,
                               std::wstring_view middle) {
    std::vector<MouseOp> ops;
    ops.reserve(13);
    ops.push_back({MouseOp::kMove, x, y, 0});
    AddClicks(ops, left, kLeftDown, kLeftUp);
    AddClicks(ops, right, kRightDown, kRightUp);
    AddClicks(ops, middle, kMiddleDown, kMiddleUp);
    return ops;
}

}  // namespace orv
