// Reading pause rows.
#include "playback/pause_time.h"

#include <cmath>
#include <string>

#include "macro/number_text.h"

namespace orv {

std::optional<std::uint32_t> PauseMilliseconds(std::wstring_view waitCell) {
    std::wstring text(waitCell);
    for (wchar_t& c : text) {
        if (c == L',') c = L'.';
    }
    double seconds = 0;
    if (!TryParseDecimal(text, seconds) || !(seconds > 0)) return std::nullopt;
    const double ms = std::nearbyint(seconds * 1000.0);  // the default rounding: half to even
    if (ms < 1) return 1u;
    if (ms >= static_cast<double>(kMaxTimerInterval)) return kMaxTimerInterval;
    return static_cast<std::uint32_t>(ms);
}

}  // namespace orv
