// What a low-level mouse event becomes in a recording: a click row for a button press, nothing
// for a release, a position row for anything else (moves, wheel turns, extra buttons).
#pragma once

#include <cstdint>

namespace orv {

// The button cell a recorded row marks, as ListeyeEkle takes it: 0 none, 1 left, 2 right,
// 3 middle; -1 means the event adds no row.
int RowButtonOfMouseMessage(std::uint32_t message);

}  // namespace orv
