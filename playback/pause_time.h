// How long a pause row waits. Its Wait cell holds seconds with a point or a comma as the
// decimal separator, whatever the user's locale; text that is not a number counts as 0.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace orv {

// The longest interval a window timer takes (USER_TIMER_MAXIMUM).
inline constexpr std::uint32_t kMaxTimerInterval = 0x7FFFFFFF;

// Milliseconds to wait, rounded half to even; nullopt when there is no pause (0, negative or
// not a number). A positive wait that rounds to 0 waits 1 ms, and one beyond the timer range is
// held to kMaxTimerInterval, so that neither stalls nor wraps.
std::optional<std::uint32_t> PauseMilliseconds(std::wstring_view waitCell);

}  // namespace orv
