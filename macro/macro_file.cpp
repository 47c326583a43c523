// Reading and writing the text of macro files; see macro_file.h for the format.
#include "macro/macro_file.h"

#include "app/text_decode.h"
#include "app/utf.h"

namespace orv {

std::wstring FormatMacroText(const StepList& list, wchar_t separator) {
    std::wstring text;
    text.reserve(list.Count() * 16);
    for (std::size_t row = 0; row < list.Count(); ++row) {
        for (int cell = 0; cell < kCellCount; ++cell) {
            if (cell) text.push_back(separator);
            text.append(list.Cell(row, cell));
        }
        text.append(L"\r\n");
    }
    return text;
}

std::string EncodeMacroText(Platform& platform, std::wstring_view text) {
    std::string bytes;
    if (platform.WideToAnsi(text, bytes)) return bytes;
    return "\xEF\xBB\xBF" + WideToUtf8(text);
}

std::wstring DecodeMacroBytes(Platform& platform, std::string_view bytes) { return DecodeTextBytes(platform, bytes); }

void AppendMacroRows(std::wstring_view text, wchar_t separator, StepList& list) {
    std::size_t pos = 0;
    while (pos < text.size()) {
        std::size_t end = text.find_first_of(L"\r\n", pos);
        if (end == std::wstring_view::npos) end = text.size();
        const std::wstring_view line = text.substr(pos, end - pos);
        pos = end;
        if (pos < text.size()) pos += (text[pos] == L'\r' && pos + 1 < text.size() && text[pos + 1] == L'\n') ? 2 : 1;
        if (line.empty()) continue;  // a blank line (say, one an editor added at the end) is no step

        std::wstring_view cells[kCellCount];
        std::size_t start = 0;
        for (int cell = 0; cell < kCellCount; ++cell) {
            const std::size_t next = line.find(separator, start);
            if (next == std::wstring_view::npos) {
                cells[cell] = line.substr(start);
                break;
            }
            cells[cell] = line.substr(start, next - start);
            start = next + 1;
        }
        list.Append(cells[0], cells[1], cells[2], cells[3], cells[4], cells[5]);
    }
}

}  // namespace orv
