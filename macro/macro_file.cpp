// Reading and writing the text of macro files; see macro_file.h for the format.
#include "macro/macro_file.h"

#include "core/text_decode.h"
#include "core/utf.h"

namespace orv {

std::wstring FormatMacroText(const StepList& list, wchar_t separator) {
    // Lines are put together in a small buffer that goes into the text a few thousand
    // characters at a time: one string operation per chunk instead of several per cell.
    std::wstring text;
    text.reserve(list.Count() * 16);
    constexpr std::size_t kChunk = 4096;
    wchar_t chunk[kChunk];
    std::size_t used = 0;
    for (std::size_t row = 0; row < list.Count(); ++row) {
        for (int cell = 0; cell < kCellCount; ++cell) {
            std::wstring_view value = list.Cell(row, cell);
            if (used + value.size() + 2 > kChunk) {  // 2: room for a separator or CR LF
                text.append(chunk, used);
                used = 0;
                if (value.size() + 2 > kChunk) {
                    text.append(value);
                    value = {};
                }
            }
            for (const wchar_t c : value) chunk[used++] = c;
            if (cell + 1 < kCellCount) {
                chunk[used++] = separator;
            } else {
                chunk[used++] = L'\r';
                chunk[used++] = L'\n';
            }
        }
    }
    text.append(chunk, used);
    return text;
}

std::string EncodeMacroText(Platform& platform, std::wstring_view text) {
    // ANSI text whose first bytes happen to spell a byte-order mark (a first cell beginning with
    // y-diaeresis and thorn, for one, is FF FE in code page 1252) would be read back as UTF-16 or
    // UTF-8 and come back garbled; such text goes the UTF-8 way too, whose own mark keeps it intact.
    const auto startsLikeAMark = [](std::string_view bytes) {
        return bytes.starts_with("\xEF\xBB\xBF") || bytes.starts_with("\xFF\xFE") ||
               bytes.starts_with("\xFE\xFF");
    };
    std::string bytes;
    if (platform.WideToAnsi(text, bytes) && !startsLikeAMark(bytes)) return bytes;
    return "\xEF\xBB\xBF" + WideToUtf8(text);
}

std::wstring DecodeMacroBytes(Platform& platform, std::string_view bytes) { return DecodeTextBytes(platform, bytes); }

void AppendMacroRows(std::wstring_view text, wchar_t separator, StepList& list) {
    // One pass over the characters: a line ends at CR, LF or the end of the text, and each of
    // the first six separators on it closes a cell; whatever follows the sixth is ignored.
    const wchar_t* p = text.data();
    const wchar_t* const end = p + text.size();
    while (p < end) {
        std::wstring_view cells[kCellCount];
        int cell = 0;
        const wchar_t* start = p;
        const wchar_t* q = p;
        for (; q < end; ++q) {
            const wchar_t c = *q;
            if (c == L'\r' || c == L'\n') break;
            if (c == separator && cell < kCellCount) {
                cells[cell++] = std::wstring_view(start, static_cast<std::size_t>(q - start));
                start = q + 1;
            }
        }
        const bool blank = q == p;  // a blank line (say, one an editor added at the end) is no step
        if (cell < kCellCount) cells[cell] = std::wstring_view(start, static_cast<std::size_t>(q - start));
        p = q;
        if (p < end) p += (*p == L'\r' && p + 1 < end && p[1] == L'\n') ? 2 : 1;
        if (blank) continue;
        list.Append(cells[0], cells[1], cells[2], cells[3], cells[4], cells[5]);
    }
}

}  // namespace orv
