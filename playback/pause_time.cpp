// Reading pause rows. The wait is rounded to milliseconds on the decimal digits as written, not
// on a binary double: 0.5055 s is exactly 505.5 ms and rounds to 506, whereas the nearest double
// lies just below it and would give 505.
#include "playback/pause_time.h"

#include <algorithm>
#include <string>

namespace orv {
namespace {

bool IsDigit(wchar_t c) { return c >= L'0' && c <= L'9'; }

// An exponent far beyond any digit count only tells "huge" or "tiny"; holding it here keeps the
// position arithmetic below in range.
constexpr long kExponentCap = 1000000;

}  // namespace

std::optional<std::uint32_t> PauseMilliseconds(std::wstring_view waitCell) {
    // The number: blanks at either end, an optional sign, digits with an optional fraction
    // ("." or ","), an optional exponent ("1e1"). Nothing else is a number.
    std::wstring_view text = waitCell;
    while (!text.empty() && text.front() == L' ') text.remove_prefix(1);
    while (!text.empty() && text.back() == L' ') text.remove_suffix(1);
    bool negative = false;
    if (!text.empty() && (text.front() == L'+' || text.front() == L'-')) {
        negative = text.front() == L'-';
        text.remove_prefix(1);
    }
    std::string digits;  // integer and fraction digits together, without the point
    long pointAt = -1;   // digits before the decimal point
    std::size_t i = 0;
    for (; i < text.size(); ++i) {
        const wchar_t c = text[i];
        if (IsDigit(c)) {
            digits.push_back(static_cast<char>(c));
        } else if ((c == L'.' || c == L',') && pointAt < 0) {
            pointAt = static_cast<long>(digits.size());
        } else {
            break;
        }
    }
    if (digits.empty()) return std::nullopt;
    if (pointAt < 0) pointAt = static_cast<long>(digits.size());
    long exponent = 0;
    if (i < text.size() && (text[i] == L'e' || text[i] == L'E')) {
        ++i;
        bool exponentNegative = false;
        if (i < text.size() && (text[i] == L'+' || text[i] == L'-')) exponentNegative = text[i++] == L'-';
        if (i == text.size()) return std::nullopt;
        for (; i < text.size() && IsDigit(text[i]); ++i) {
            exponent = std::min(exponent * 10 + (text[i] - L'0'), kExponentCap);
        }
        if (exponentNegative) exponent = -exponent;
    }
    if (i != text.size()) return std::nullopt;

    // value = 0.digits × 10^position in milliseconds, with no leading zero in `digits`.
    const std::size_t firstNonZero = digits.find_first_not_of('0');
    if (negative || firstNonZero == std::string::npos) return std::nullopt;  // 0 or less: no pause
    digits.erase(0, firstNonZero);
    const long position = pointAt - static_cast<long>(firstNonZero) + exponent + 3;  // + 3: seconds to ms

    // Ten digits already exceed the timer's range, so anything longer is held there.
    if (position > 10) return kMaxTimerInterval;
    std::uint64_t ms = 0;
    for (long k = 0; k < position; ++k) {
        ms = ms * 10 +
             (static_cast<std::size_t>(k) < digits.size() ? static_cast<std::uint64_t>(digits[k] - '0') : 0);
    }
    // Half to even on the exact fraction: above a half rounds up, exactly a half rounds to the
    // even neighbour. A fraction that starts with zeros (position < 0) is below a half.
    if (position >= 0 && static_cast<std::size_t>(position) < digits.size()) {
        const char first = digits[static_cast<std::size_t>(position)];
        const bool moreAfter =
            digits.find_first_not_of('0', static_cast<std::size_t>(position) + 1) != std::string::npos;
        if (first > '5' || (first == '5' && (moreAfter || ms % 2 == 1))) ++ms;
    }
    if (ms < 1) return 1u;  // a positive wait never becomes "no wait"
    if (ms >= kMaxTimerInterval) return kMaxTimerInterval;
    return static_cast<std::uint32_t>(ms);
}

}  // namespace orv
