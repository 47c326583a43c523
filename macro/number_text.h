// Numbers typed or stored as text, read the same way whatever the user's locale says.
#pragma once

#include <string_view>

namespace orv {

// A decimal number with "." as the only decimal separator: optional blanks at either end, an
// optional sign, digits with an optional fraction, and an optional exponent ("1e1"). Infinity,
// NaN, hexadecimal and thousands separators are not numbers.
bool TryParseDecimal(std::wstring_view text, double& value);

}  // namespace orv
