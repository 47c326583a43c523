// Macro files ("CSV File (*.csv)"): one step per line, the six cells joined by the locale's list
// separator, no quoting, CR LF after every line. With a comma as separator:
//
//   512,300,X,,,\r\n        a left click at (512, 300)
//   -,-,-,-,-,1.5\r\n       a pause of 1.5 seconds
//
// Written in the ANSI code page. When a cell holds a character that code page cannot represent,
// or the ANSI bytes would begin like a byte-order mark or like UTF-16, the file is written as
// UTF-8 with a byte-order mark instead, which every reader of the format takes as UTF-8, so no
// text ever turns into other text on the way to disk.
// Read: a UTF-8, UTF-16 LE or UTF-16 BE byte-order mark selects that encoding, so does a first
// line that plainly is UTF-16 saved without a mark (Utf16WithoutMarkOf), otherwise ANSI;
// lines end at CR LF, LF or CR; missing cells are empty, cells after the sixth are ignored, and
// an empty line adds no row.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "macro/step_list.h"
#include "platform/platform.h"

namespace orv {

// The text of all rows, each line ended by CR LF; an empty list gives "".
std::wstring FormatMacroText(const StepList& list, wchar_t separator);

// Bytes for the file: ANSI when every character fits and the bytes cannot pass for a
// byte-order mark, else UTF-8 with a byte-order mark.
std::string EncodeMacroText(Platform& platform, std::wstring_view text);

// File bytes to text, by byte-order mark (which is dropped) or else the ANSI code page.
std::wstring DecodeMacroBytes(Platform& platform, std::string_view bytes);

// Appends one row per non-empty line of `text` to `list`.
void AppendMacroRows(std::wstring_view text, wchar_t separator, StepList& list);

// Bytes of a file read in pieces of about this size.
inline constexpr std::size_t kMacroChunkBytes = 16 * 1024;

// Appends one row per non-empty line of the file open in `file` (read from its start) to
// `list`. The file is read through one buffer of about `chunkBytes`, twice: once to count the
// rows and characters, so that the list is sized exactly once, and once to store them; each
// piece of whole lines is decoded on its own, so no copy of the whole file, raw or decoded, is
// ever held. Returns 0, or the system code of a read that failed, and then the list is as it
// was before.
std::uint32_t LoadMacroRows(Platform& platform, FileReader& file, wchar_t separator, StepList& list,
                            std::size_t chunkBytes = kMacroChunkBytes);

// LoadMacroRows for a file's bytes held in memory: the same rows as decoding the whole file and
// then appending its rows.
void LoadMacroBytes(Platform& platform, std::string_view bytes, wchar_t separator, StepList& list,
                    std::size_t chunkBytes = kMacroChunkBytes);

// Writes the file bytes for the first `rows` rows of `list` to `file` a piece of whole rows at a
// time: the same bytes as EncodeMacroText(FormatMacroText()) of those rows, without the whole
// text or the whole file in memory. Stops at the first failed write.
void WriteMacroRows(Platform& platform, const StepList& list, std::size_t rows, wchar_t separator,
                    FileWriter& file, std::size_t chunkChars = kMacroChunkBytes);

// WriteMacroRows for all rows, into one string.
std::string EncodeMacroRows(Platform& platform, const StepList& list, wchar_t separator,
                            std::size_t chunkChars = kMacroChunkBytes);

}  // namespace orv
