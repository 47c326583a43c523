// The number readers: decimal numbers typed into the Insert Wait dialog, the Wait cell of pause
// rows, and the integers of settings.ini, macro coordinates and the update record.
#include <cmath>

#include "core/settings_store.h"
#include "fuzz_support.h"
#include "macro/number_text.h"
#include "online/http_exchange.h"
#include "playback/pause_time.h"

using namespace orv;
using namespace orv::fuzz;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::wstring text = TextOf(Bytes(data, size));

    double seconds = 0;
    if (TryParseDecimal(text, seconds)) FUZZ_CHECK(std::isfinite(seconds));

    const std::optional<std::uint32_t> anyWait = PauseMilliseconds(text);
    if (anyWait) FUZZ_CHECK(*anyWait >= 1 && *anyWait <= kMaxTimerInterval);

    // A wait the dialog takes (it reads a comma as a point) is stored as typed; played, a positive
    // one waits its length to the millisecond, held to the timer's range, and any other does not.
    std::wstring typed = text;
    for (wchar_t& c : typed) {
        if (c == L',') c = L'.';
    }
    if (TryParseDecimal(typed, seconds)) {
        const std::optional<std::uint32_t> wait = PauseMilliseconds(typed);
        FUZZ_CHECK(wait.has_value() == (seconds > 0));
        if (wait) {
            const double ms = seconds * 1000;
            if (ms >= kMaxTimerInterval) {
                FUZZ_CHECK(*wait == kMaxTimerInterval);
            } else if (ms < 1) {
                FUZZ_CHECK(*wait == 1);
            } else {
                FUZZ_CHECK(std::fabs(*wait - ms) <= 0.5 + 1e-6 * ms);
            }
        }
    }

    std::int32_t value = 0, again = 0;
    if (TryParseIniInteger(text, value)) {
        FUZZ_CHECK(TryParseIniInteger(std::to_wstring(value), again) && again == value);
    }
    if (const std::optional<std::int32_t> number = TextToInt32(text)) {
        FUZZ_CHECK(TextToInt32(std::to_wstring(*number)) == number);
        // Decimal text both readers take means the same number to both.
        if (TryParseIniInteger(text, value) && text.find_first_of(L"$xX") == std::wstring::npos) {
            FUZZ_CHECK(value == *number);
        }
    }
    return 0;
}
