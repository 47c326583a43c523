// The interface language: at start-up one language file is chosen by the user's display
// language and loaded; from then on every dialog passes its fixed English texts through one
// lookup, TranslateText. The English text is the key; it comes back unchanged when no language
// is loaded or the loaded language has no entry for it. Every text the program translates is
// listed in localisation/translated_texts.h.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/platform.h"

namespace orv {

// Process-wide language values, set once by LoadLanguage on the user-interface thread before
// any dialog exists and only read afterwards, so the lookup needs no lock.
struct LanguageValues {
    std::wstring LanguageDir;                 // the executable's folder + "Languages", no trailing "\"
    std::vector<std::wstring> LanguageFiles;  // names of the language files found there
    std::wstring LanguageFile;                // full path of the loaded file; empty: lookup off
    std::vector<std::wstring> LanguageLines;  // its lines, in file order
};
const LanguageValues& CurrentLanguage();

// Chooses and loads the language. A blank `fileName` (start-up always gives one) lets the
// mapping file LanguageCodes.csv choose by the display language; a non-blank one is used as it
// is. A missing folder, mapping, line or file leaves every text English, silently. A chosen file
// that cannot be read or is not valid UTF-8 also leaves every text English, and throws an
// Exception with the message for the user, so that start-up can report it and go on.
void LoadLanguage(Platform& platform, const std::wstring& fileName);

// Appends the names of `folder`'s files matching "*lang.txt" (no dot needed before "lang",
// the file system's case rules) to CurrentLanguage().LanguageFiles.
void FindLanguageFiles(Platform& platform, const std::wstring& folder);

std::wstring TranslateText(const std::wstring& english);

// The user's locale at start in language-region form (en-US), or "xx" when it cannot be named.
// Only reads: the update check calls it from its own thread.
std::wstring GetLocaleCode(Platform& platform);

// --- the pure parts, for tests ------------------------------------------------------------------

// The mapping file, decoded. Each line "<LANGID in decimal>,<language file name>", blanks
// around either field ignored, only the first comma separating; lines without a comma are
// ignored and the first line whose identifier matches wins:
//     1031 , German.lang.txt
//     2055,German.lang.txt
// Answers the file name for `languageId`, empty when no line names it.
std::wstring LanguageFileForId(std::wstring_view mapping, std::uint16_t languageId);

// A language file: strict UTF-8, a leading byte-order mark skipped, lines ending in CR LF, LF or
// CR. nullopt when the bytes are not valid UTF-8. A translation line is "{English}translation":
//     {Cancel}Abbrechen
std::optional<std::vector<std::wstring>> ParseLanguageFile(std::string_view bytes);

// The lookup over loaded lines: the first line that begins with "{" + english + "}" (case
// matters) gives everything after its first "}", verbatim; an empty rest, or no such line,
// gives `english`.
std::wstring TranslateFrom(const std::vector<std::wstring>& lines, const std::wstring& english);

}  // namespace orv
