// The one translation lookup for dialog texts. The English text is the key; it comes back
// unchanged when no language is loaded or the loaded language has no entry for it.
#pragma once

#include <string>

namespace orv {

std::wstring TranslateText(const std::wstring& english);

}  // namespace orv
