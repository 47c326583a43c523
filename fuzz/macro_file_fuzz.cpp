// Macro files: the loader that reads in pieces gives the rows of reading the file whole, the
// writer that writes in pieces gives the bytes of writing the text whole, and what is written
// reads back as the same rows.
#include "fuzz_support.h"
#include "macro/macro_file.h"
#include "macro/step_list.h"
#include "platform/fake/fake_platform.h"

using namespace orv;
using namespace orv::fuzz;

namespace {

// Each cell of `read` is the cell of `expected`, or with `asWritten` the cell as a file can carry
// it (a lone surrogate, which only a UTF-16 file holds, is written as U+FFFD).
bool SameRows(const StepList& read, const StepList& expected, bool asWritten = false) {
    if (read.Count() != expected.Count()) return false;
    for (std::size_t row = 0; row < read.Count(); ++row) {
        for (int cell = 0; cell < kCellCount; ++cell) {
            const std::wstring_view want = expected.Cell(row, cell);
            if (read.Cell(row, cell) != (asWritten ? WithoutLoneSurrogates(want) : std::wstring(want)))
                return false;
        }
    }
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static FakePlatform os;
    const std::string_view bytes = Bytes(data, size);
    // The list separators of common locales, and piece sizes small enough to cut most lines.
    const std::uint32_t hash = Hash(bytes);
    constexpr wchar_t kSeparators[] = {L',', L',', L';', L'\t'};
    const wchar_t separator = kSeparators[hash % 4];
    const std::size_t pieceSize = 4 + (hash >> 2) % 125;

    StepList whole;
    AppendMacroRows(DecodeMacroBytes(os, bytes), separator, whole);
    StepList pieces;
    LoadMacroBytes(os, bytes, separator, pieces, pieceSize);
    FUZZ_CHECK(SameRows(pieces, whole));
    for (std::size_t row = 0; row < whole.Count(); ++row) {
        for (int cell = 0; cell < kCellCount; ++cell) {
            const std::wstring_view text = whole.Cell(row, cell);
            FUZZ_CHECK(text.find_first_of(std::wstring{L'\r', L'\n', separator}) == std::wstring_view::npos);
        }
    }

    const std::string written = EncodeMacroRows(os, whole, separator, pieceSize);
    FUZZ_CHECK(written == EncodeMacroText(os, FormatMacroText(whole, separator)));
    StepList back;
    LoadMacroBytes(os, written, separator, back, pieceSize);
    FUZZ_CHECK(SameRows(back, whole, true));
    return 0;
}
