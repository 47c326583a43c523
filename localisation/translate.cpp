// Until a language file is loaded every text stays in English.
#include "localisation/translate.h"

namespace orv {

std::wstring TranslateText(const std::wstring& english) { return english; }

}  // namespace orv
