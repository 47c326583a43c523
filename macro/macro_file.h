// Macro files ("CSV File (*.csv)"): one step per line, the six cells joined by the locale's list
// separator, no quoting, CR LF after every line. With a comma as separator:
//
//   512,300,X,,,\r\n        a left click at (512, 300)
//   -,-,-,-,-,1.5\r\n       a pause of 1.5 seconds
//
// Written in the ANSI code page. When a cell holds a character that code page cannot represent,
// or the ANSI bytes would begin like a byte-order mark, the file is written as UTF-8 with a
// byte-order mark instead, which every reader of the format takes as UTF-8, so no text ever turns
// into other text on the way to disk.
// Read: a UTF-8, UTF-16 LE or UTF-16 BE byte-order mark selects that encoding, otherwise ANSI;
// lines end at CR LF, LF or CR; missing cells are empty, cells after the sixth are ignored, and
// an empty line adds no row.
#pragma once

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

// Appends one row per non-empty line of the file `bytes` to `list`; the same rows as decoding
// the whole file and then appending its rows. The bytes are decoded a piece of whole lines at a
// time, twice: once to count the rows and characters, so that the list is sized exactly once,
// and once to store them, so that no decoded copy of the whole file is ever held.
void LoadMacroBytes(Platform& platform, std::string_view bytes, wchar_t separator, StepList& list,
                    std::size_t chunkBytes = kMacroChunkBytes);

// The file bytes for the rows of `list`: the same bytes as EncodeMacroText(FormatMacroText()),
// encoded a piece of whole rows at a time into one buffer, without the whole text in between.
std::string EncodeMacroRows(Platform& platform, const StepList& list, wchar_t separator,
                            std::size_t chunkChars = kMacroChunkBytes);

}  // namespace orv
