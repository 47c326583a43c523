// Reading and writing the text of macro files; see macro_file.h for the format.
#include "macro/macro_file.h"

#include <algorithm>
#include <array>

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

namespace {

bool StartsLikeAMark(std::string_view bytes) {
    return bytes.starts_with("\xEF\xBB\xBF") || bytes.starts_with("\xFF\xFE") ||
           bytes.starts_with("\xFE\xFF");
}

// Calls `onRow` with the first six cells of every non-empty line of `text`.
template <class OnRow>
void ForEachRow(std::wstring_view text, wchar_t separator, OnRow&& onRow) {
    // One pass over the characters: a line ends at CR, LF or the end of the text, and each of
    // the first six separators on it closes a cell; whatever follows the sixth is ignored.
    const wchar_t* p = text.data();
    const wchar_t* const end = p + text.size();
    while (p < end) {
        std::array<std::wstring_view, kCellCount> cells{};
        int cell = 0;
        const wchar_t* start = p;
        const wchar_t* q = p;
        for (; q < end; ++q) {
            const wchar_t c = *q;
            if (c == L'\r' || c == L'\n') break;
            if (c == separator && cell < kCellCount) {
                cells[static_cast<std::size_t>(cell++)] =
                    std::wstring_view(start, static_cast<std::size_t>(q - start));
                start = q + 1;
            }
        }
        const bool blank = q == p;  // a blank line (say, one an editor added at the end) is no step
        if (cell < kCellCount)
            cells[static_cast<std::size_t>(cell)] =
                std::wstring_view(start, static_cast<std::size_t>(q - start));
        p = q;
        if (p < end) p += (*p == L'\r' && p + 1 < end && p[1] == L'\n') ? 2 : 1;
        if (blank) continue;
        onRow(cells);
    }
}

enum class Encoding { kAnsi, kUtf8, kUtf16Le, kUtf16Be };

// Decodes `body` a piece of whole lines at a time into `text` and calls `onText` with each
// piece. Pieces end just after a CR or LF, which no multi-byte character of any of these
// encodings (nor of a double-byte ANSI code page) contains, so no character is ever cut in two;
// a line longer than a piece makes its piece longer. A CR LF pair may be cut, which only adds
// a blank line, and blank lines are no rows.
template <class OnText>
void DecodeInPieces(Platform& platform, Encoding encoding, std::string_view body, std::size_t chunkBytes,
                    std::wstring& text, OnText&& onText) {
    const bool wide = encoding == Encoding::kUtf16Le || encoding == Encoding::kUtf16Be;
    const std::size_t unit = wide ? 2 : 1;
    body = body.substr(0, body.size() - body.size() % unit);  // an odd last byte is no character
    chunkBytes = std::max(chunkBytes - chunkBytes % unit, unit);
    const auto unitAt = [&](std::size_t i) -> unsigned {
        const auto a = static_cast<unsigned char>(body[i]);
        if (!wide) return a;
        const auto b = static_cast<unsigned char>(body[i + 1]);
        return encoding == Encoding::kUtf16Be ? (a << 8 | b) : (b << 8 | a);
    };
    const auto lineEndAt = [&](std::size_t i) {
        const unsigned c = unitAt(i);
        return c == '\r' || c == '\n';
    };
    std::size_t pos = 0;
    while (pos < body.size()) {
        std::size_t end = body.size();
        if (end - pos > chunkBytes) {
            // Back to just after the last line end in the piece, or else on past the next one.
            end = pos + chunkBytes;
            while (end > pos && !lineEndAt(end - unit)) end -= unit;
            if (end == pos) {
                end = pos + chunkBytes;
                while (end < body.size() && !lineEndAt(end)) end += unit;
                if (end < body.size()) end += unit;
            }
        }
        const std::string_view piece = body.substr(pos, end - pos);
        text.clear();
        switch (encoding) {
            case Encoding::kAnsi:
                text = platform.AnsiToWide(piece);
                break;
            case Encoding::kUtf8:
                AppendUtf8Lenient(piece, text);
                break;
            case Encoding::kUtf16Le:
            case Encoding::kUtf16Be:
                for (std::size_t i = 0; i < piece.size(); i += 2)
                    text.push_back(static_cast<wchar_t>(unitAt(pos + i)));
                break;
        }
        onText(std::wstring_view(text));
        pos = end;
    }
}

// Calls `onPiece` with the text of the rows a piece of whole rows at a time, until it returns
// false. Pieces end after a row's CR LF, so no surrogate pair is ever cut in two.
template <class OnPiece>
void FormatInPieces(const StepList& list, wchar_t separator, std::size_t chunkChars, std::wstring& piece,
                    OnPiece&& onPiece) {
    piece.clear();
    for (std::size_t row = 0; row < list.Count(); ++row) {
        for (int cell = 0; cell < kCellCount; ++cell) {
            piece.append(list.Cell(row, cell));
            piece.push_back(cell + 1 < kCellCount ? separator : L'\r');
        }
        piece.push_back(L'\n');
        if (piece.size() >= chunkChars) {
            if (!onPiece(std::wstring_view(piece))) return;
            piece.clear();
        }
    }
    if (!piece.empty()) onPiece(std::wstring_view(piece));
}

}  // namespace

std::string EncodeMacroText(Platform& platform, std::wstring_view text) {
    // ANSI text whose first bytes happen to spell a byte-order mark (a first cell beginning with
    // y-diaeresis and thorn, for one, is FF FE in code page 1252) would be read back as UTF-16 or
    // UTF-8 and come back garbled; such text goes the UTF-8 way too, whose own mark keeps it intact.
    std::string bytes;
    if (platform.WideToAnsi(text, bytes) && !StartsLikeAMark(bytes)) return bytes;
    return "\xEF\xBB\xBF" + WideToUtf8(text);
}

std::string EncodeMacroRows(Platform& platform, const StepList& list, wchar_t separator,
                            std::size_t chunkChars) {
    // The characters of the text, which is the size of its ANSI form in a single-byte code page.
    std::size_t chars = 0;
    for (std::size_t row = 0; row < list.Count(); ++row) {
        chars += kCellCount + 1;  // five separators and CR LF
        for (int cell = 0; cell < kCellCount; ++cell) chars += list.Cell(row, cell).size();
    }
    std::wstring piece;
    piece.reserve(std::min(chars, chunkChars + 64));
    std::string bytes;
    bytes.reserve(chars);
    std::string encoded;
    bool ansi = true;
    FormatInPieces(list, separator, chunkChars, piece, [&](std::wstring_view text) {
        ansi = platform.WideToAnsi(text, encoded);
        if (ansi) bytes += encoded;
        return ansi;
    });
    // The same rule as EncodeMacroText: no ANSI form, or one that begins like a mark, goes UTF-8.
    if (ansi && !StartsLikeAMark(bytes)) return bytes;
    bytes.assign("\xEF\xBB\xBF");
    FormatInPieces(list, separator, chunkChars, piece, [&](std::wstring_view text) {
        bytes += WideToUtf8(text);
        return true;
    });
    return bytes;
}

std::wstring DecodeMacroBytes(Platform& platform, std::string_view bytes) {
    return DecodeTextBytes(platform, bytes);
}

void AppendMacroRows(std::wstring_view text, wchar_t separator, StepList& list) {
    ForEachRow(text, separator, [&](const std::array<std::wstring_view, kCellCount>& c) {
        list.Append(c[0], c[1], c[2], c[3], c[4], c[5]);
    });
}

void LoadMacroBytes(Platform& platform, std::string_view bytes, wchar_t separator, StepList& list,
                    std::size_t chunkBytes) {
    // The same choice as DecodeTextBytes: a byte-order mark selects the encoding and is dropped.
    Encoding encoding = Encoding::kAnsi;
    if (bytes.starts_with("\xEF\xBB\xBF")) {
        encoding = Encoding::kUtf8;
        bytes.remove_prefix(3);
    } else if (bytes.starts_with("\xFF\xFE")) {
        encoding = Encoding::kUtf16Le;
        bytes.remove_prefix(2);
    } else if (bytes.starts_with("\xFE\xFF")) {
        encoding = Encoding::kUtf16Be;
        bytes.remove_prefix(2);
    }
    std::wstring text;
    std::size_t rows = 0;
    std::size_t chars = 0;
    DecodeInPieces(platform, encoding, bytes, chunkBytes, text, [&](std::wstring_view piece) {
        ForEachRow(piece, separator, [&](const std::array<std::wstring_view, kCellCount>& c) {
            ++rows;
            for (const std::wstring_view cell : c) chars += cell.size();
        });
    });
    list.Reserve(rows, chars);
    DecodeInPieces(platform, encoding, bytes, chunkBytes, text, [&](std::wstring_view piece) {
        ForEachRow(piece, separator, [&](const std::array<std::wstring_view, kCellCount>& c) {
            list.Append(c[0], c[1], c[2], c[3], c[4], c[5]);
        });
    });
}

}  // namespace orv
