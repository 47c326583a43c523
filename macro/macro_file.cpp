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

// Also true for bytes that reading would take for UTF-16 without a mark (only cells holding
// NUL characters give such ANSI bytes).
bool StartsLikeAMark(std::string_view bytes) {
    return bytes.starts_with("\xEF\xBB\xBF") || bytes.starts_with("\xFF\xFE") ||
           bytes.starts_with("\xFE\xFF") || Utf16WithoutMarkOf(bytes) != Utf16Order::kNone;
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

// The encoding the start of a file selects (a byte-order mark, or UTF-16 without one), and the
// mark's length; the same choice as DecodeTextBytes.
Encoding EncodingOf(std::string_view start, std::size_t& markBytes) {
    markBytes = 0;
    if (start.starts_with("\xEF\xBB\xBF")) {
        markBytes = 3;
        return Encoding::kUtf8;
    }
    if (start.starts_with("\xFF\xFE")) {
        markBytes = 2;
        return Encoding::kUtf16Le;
    }
    if (start.starts_with("\xFE\xFF")) {
        markBytes = 2;
        return Encoding::kUtf16Be;
    }
    switch (Utf16WithoutMarkOf(start)) {
        case Utf16Order::kLittleEndian:
            return Encoding::kUtf16Le;
        case Utf16Order::kBigEndian:
            return Encoding::kUtf16Be;
        case Utf16Order::kNone:
            break;
    }
    return Encoding::kAnsi;
}

// Reads a file through one buffer and hands its text on a piece of whole lines at a time.
// Pieces end just after a CR or LF, which no multi-byte character of any of these encodings
// (nor of a double-byte ANSI code page) contains, so no character is ever cut in two; a line
// longer than the buffer grows the buffer. A CR LF pair may be cut, which only adds a blank
// line, and blank lines are no rows.
class PieceDecoder {
public:
    PieceDecoder(Platform& platform, FileReader& file, std::size_t chunkBytes)
        : m_platform(platform), m_file(file), m_buffer(std::max<std::size_t>(chunkBytes, 4), '\0') {}

    // One pass over the whole file from its start, calling `onText` with each piece. The
    // first pass finds the encoding. Returns 0, or the system code of a failed read.
    template <class OnText>
    std::uint32_t Pass(OnText&& onText) {
        std::uint32_t error = 0;
        if (m_passes++ == 0 ? !FindEncoding(error) : !m_file.Rewind(error)) return error;
        std::size_t used = 0;
        bool atEnd = false;
        // The buffer holds at least the mark, whatever its size.
        if (!Fill(used, atEnd, error)) return error;
        std::size_t begin = m_markBytes;
        const std::size_t unit = Wide() ? 2 : 1;
        for (;;) {
            std::size_t end = used - (used - begin) % unit;  // whole characters only
            if (!atEnd) {
                // Back to just after the last line end; none: the buffer grows and reads on.
                while (end > begin && !LineEndAt(end - unit)) end -= unit;
                if (end == begin) {
                    m_buffer.resize(m_buffer.size() * 2);
                    if (!Fill(used, atEnd, error)) return error;
                    continue;
                }
            }
            if (end > begin) {
                Decode(std::string_view(m_buffer.data() + begin, end - begin));
                onText(std::wstring_view(m_text));
            }
            if (atEnd) return 0;  // an odd last byte of UTF-16 is no character
            std::copy(m_buffer.begin() + static_cast<std::ptrdiff_t>(end),
                      m_buffer.begin() + static_cast<std::ptrdiff_t>(used), m_buffer.begin());
            used -= end;
            begin = 0;
            if (!Fill(used, atEnd, error)) return error;
        }
    }

private:
    // Reads the file's start, as much as the encoding rules look at whatever the buffer's size,
    // and goes back to the beginning.
    bool FindEncoding(std::uint32_t& error) {
        std::string start(std::max<std::size_t>(kUtf16SniffBytes, 3), '\0');
        std::size_t used = 0;
        while (used < start.size()) {
            const std::optional<std::size_t> got =
                m_file.Read(start.data() + used, start.size() - used, error);
            if (!got) return false;
            if (*got == 0) break;
            used += *got;
        }
        m_encoding = EncodingOf(std::string_view(start.data(), used), m_markBytes);
        return m_file.Rewind(error);
    }

    bool Wide() const { return m_encoding == Encoding::kUtf16Le || m_encoding == Encoding::kUtf16Be; }

    // Reads on until the buffer is full or the file ends.
    bool Fill(std::size_t& used, bool& atEnd, std::uint32_t& error) {
        while (used < m_buffer.size() && !atEnd) {
            const std::optional<std::size_t> got =
                m_file.Read(m_buffer.data() + used, m_buffer.size() - used, error);
            if (!got) return false;
            used += *got;
            atEnd = *got == 0;
        }
        return true;
    }

    unsigned UnitAt(std::size_t i) const {
        const auto a = static_cast<unsigned char>(m_buffer[i]);
        if (!Wide()) return a;
        const auto b = static_cast<unsigned char>(m_buffer[i + 1]);
        return m_encoding == Encoding::kUtf16Be ? (a << 8 | b) : (b << 8 | a);
    }

    bool LineEndAt(std::size_t i) const {
        const unsigned c = UnitAt(i);
        return c == '\r' || c == '\n';
    }

    void Decode(std::string_view piece) {
        m_text.clear();
        switch (m_encoding) {
            case Encoding::kAnsi:
                m_text = m_platform.AnsiToWide(piece);
                break;
            case Encoding::kUtf8:
                AppendUtf8Lenient(piece, m_text);
                break;
            case Encoding::kUtf16Le:
            case Encoding::kUtf16Be: {
                const std::size_t at = static_cast<std::size_t>(piece.data() - m_buffer.data());
                for (std::size_t i = 0; i < piece.size(); i += 2)
                    m_text.push_back(static_cast<wchar_t>(UnitAt(at + i)));
                break;
            }
        }
    }

    Platform& m_platform;
    FileReader& m_file;
    std::string m_buffer;
    std::wstring m_text;
    Encoding m_encoding = Encoding::kAnsi;
    std::size_t m_markBytes = 0;
    int m_passes = 0;
};

// Bytes already in memory, read as a file without a copy.
class BytesReader final : public FileReader {
public:
    explicit BytesReader(std::string_view bytes) : m_bytes(bytes) {}
    std::optional<std::size_t> Read(char* buffer, std::size_t size, std::uint32_t&) override {
        const std::size_t n = m_bytes.copy(buffer, size, m_at);
        m_at += n;
        return n;
    }
    bool Rewind(std::uint32_t&) override {
        m_at = 0;
        return true;
    }

private:
    std::string_view m_bytes;
    std::size_t m_at = 0;
};

// Calls `onPiece` with the text of the first `rows` rows a piece of whole rows at a time, until
// it returns false. Pieces end after a row's CR LF, so no surrogate pair is ever cut in two.
template <class OnPiece>
void FormatInPieces(const StepList& list, std::size_t rows, wchar_t separator, std::size_t chunkChars,
                    std::wstring& piece, OnPiece&& onPiece) {
    piece.clear();
    for (std::size_t row = 0; row < rows; ++row) {
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

void WriteMacroRows(Platform& platform, const StepList& list, std::size_t rows, wchar_t separator,
                    FileWriter& file, std::size_t chunkChars) {
    rows = std::min(rows, list.Count());
    std::wstring piece;
    piece.reserve(chunkChars + 64);
    std::string encoded;
    // ANSI piece by piece, until a piece has no ANSI form or the first one begins like a mark;
    // then the same rule as EncodeMacroText: the content starts again as UTF-8.
    bool ansi = true;
    bool first = true;
    FormatInPieces(list, rows, separator, chunkChars, piece, [&](std::wstring_view text) {
        ansi = platform.WideToAnsi(text, encoded) && !(first && StartsLikeAMark(encoded));
        first = false;
        return ansi && file.Write(encoded);
    });
    if (ansi || !file.Restart() || !file.Write("\xEF\xBB\xBF")) return;
    FormatInPieces(list, rows, separator, chunkChars, piece, [&](std::wstring_view text) {
        encoded = WideToUtf8(text);
        return file.Write(encoded);
    });
}

std::string EncodeMacroRows(Platform& platform, const StepList& list, wchar_t separator,
                            std::size_t chunkChars) {
    detail::StringFileWriter bytes;
    WriteMacroRows(platform, list, list.Count(), separator, bytes, chunkChars);
    return bytes.Bytes();
}

std::wstring DecodeMacroBytes(Platform& platform, std::string_view bytes) {
    return DecodeTextBytes(platform, bytes);
}

void AppendMacroRows(std::wstring_view text, wchar_t separator, StepList& list) {
    ForEachRow(text, separator, [&](const std::array<std::wstring_view, kCellCount>& c) {
        list.Append(c[0], c[1], c[2], c[3], c[4], c[5]);
    });
}

std::uint32_t LoadMacroRows(Platform& platform, FileReader& file, wchar_t separator, StepList& list,
                            std::size_t chunkBytes) {
    PieceDecoder decoder(platform, file, chunkBytes);
    std::size_t rows = 0;
    std::size_t chars = 0;
    std::uint32_t error = decoder.Pass([&](std::wstring_view piece) {
        ForEachRow(piece, separator, [&](const std::array<std::wstring_view, kCellCount>& c) {
            ++rows;
            for (const std::wstring_view cell : c) chars += cell.size();
        });
    });
    if (error) return error;
    list.Reserve(rows, chars);
    const std::size_t before = list.Count();
    error = decoder.Pass([&](std::wstring_view piece) {
        ForEachRow(piece, separator, [&](const std::array<std::wstring_view, kCellCount>& c) {
            list.Append(c[0], c[1], c[2], c[3], c[4], c[5]);
        });
    });
    if (error) list.Truncate(before);  // a file that cannot be read adds nothing
    return error;
}

void LoadMacroBytes(Platform& platform, std::string_view bytes, wchar_t separator, StepList& list,
                    std::size_t chunkBytes) {
    BytesReader file(bytes);
    LoadMacroRows(platform, file, separator, list, chunkBytes);
}

}  // namespace orv
