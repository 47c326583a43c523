// Reading and writing the text of macro files; see macro_file.h for the format.
#include "macro/macro_file.h"

#include "app/utf.h"

namespace orv {
namespace {

// UTF-8 after a byte-order mark: strict when possible, otherwise each broken sequence becomes
// U+FFFD so that the readable rest of the file still loads.
std::wstring DecodeUtf8Lenient(std::string_view bytes) {
    if (auto strict = Utf8ToWide(bytes)) return std::move(*strict);
    std::wstring text;
    text.reserve(bytes.size());
    std::size_t i = 0;
    while (i < bytes.size()) {
        const auto lead = static_cast<unsigned char>(bytes[i]);
        std::size_t length = lead < 0x80 ? 1 : (lead >> 5) == 6 ? 2 : (lead >> 4) == 14 ? 3 : (lead >> 3) == 30 ? 4 : 0;
        if (length > 1 && i + length <= bytes.size()) {
            if (auto piece = Utf8ToWide(bytes.substr(i, length))) {
                text += *piece;
                i += length;
                continue;
            }
        }
        if (length == 1) {
            text.push_back(static_cast<wchar_t>(lead));
        } else {
            text.push_back(static_cast<wchar_t>(0xFFFD));
        }
        ++i;
    }
    return text;
}

std::wstring DecodeUtf16(std::string_view bytes, bool bigEndian) {
    std::wstring text;
    text.reserve(bytes.size() / 2);
    for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
        const auto a = static_cast<unsigned char>(bytes[i]);
        const auto b = static_cast<unsigned char>(bytes[i + 1]);
        text.push_back(static_cast<wchar_t>(bigEndian ? (a << 8 | b) : (b << 8 | a)));
    }
    return text;
}

}  // namespace

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

std::wstring DecodeMacroBytes(Platform& platform, std::string_view bytes) {
    if (bytes.substr(0, 3) == "\xEF\xBB\xBF") return DecodeUtf8Lenient(bytes.substr(3));
    if (bytes.substr(0, 2) == "\xFF\xFE") return DecodeUtf16(bytes.substr(2), false);
    if (bytes.substr(0, 2) == "\xFE\xFF") return DecodeUtf16(bytes.substr(2), true);
    return platform.AnsiToWide(bytes);
}

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
