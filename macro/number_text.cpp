// Locale-independent number reading.
#include "macro/number_text.h"

#include <charconv>
#include <string>

namespace orv {

bool TryParseDecimal(std::wstring_view text, double& value) {
    while (!text.empty() && text.front() == L' ') text.remove_prefix(1);
    while (!text.empty() && text.back() == L' ') text.remove_suffix(1);
    std::string narrow;
    narrow.reserve(text.size());
    bool digit = false;
    for (wchar_t c : text) {
        // Only the characters of a plain decimal number; this also shuts out "inf" and "nan".
        if (c >= L'0' && c <= L'9') {
            digit = true;
        } else if (c != L'.' && c != L'-' && c != L'+' && c != L'e' && c != L'E') {
            return false;
        }
        narrow.push_back(static_cast<char>(c));
    }
    if (!digit) return false;
    std::string_view body = narrow;
    const bool negative = !body.empty() && body.front() == '-';
    if (!body.empty() && (body.front() == '+' || body.front() == '-')) body.remove_prefix(1);
    if (body.empty() || body.front() == '+' || body.front() == '-') return false;
    double result = 0;
    const auto [end, error] = std::from_chars(body.data(), body.data() + body.size(), result);
    if (error != std::errc() || end != body.data() + body.size()) return false;
    value = negative ? -result : result;
    return true;
}

}  // namespace orv
