// The text decoder and the UTF-8 conversions: any bytes decode to valid text by their mark (or by
// a first line that plainly is UTF-16), strict UTF-8 round-trips, and any UTF-16 encodes to UTF-8
// that reads back as the same text.
#include "core/text_decode.h"
#include "core/utf.h"
#include "fuzz_support.h"
#include "platform/fake/fake_platform.h"

using namespace orv;
using namespace orv::fuzz;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static FakePlatform os;
    const std::string_view bytes = Bytes(data, size);

    const std::wstring text = DecodeTextBytes(os, bytes);
    if (bytes.starts_with("\xEF\xBB\xBF")) {
        const std::string_view rest = bytes.substr(3);
        FUZZ_CHECK(IsValidUtf16(text));
        FUZZ_CHECK(text.size() <= rest.size());
        if (const auto strict = Utf8ToWide(rest)) FUZZ_CHECK(text == *strict);
        // Read in two pieces cut just after an ASCII byte, as the macro loader does, the text is
        // the same as read whole.
        std::size_t cut = rest.empty() ? 0 : Hash(rest) % rest.size();
        while (cut < rest.size() && static_cast<unsigned char>(rest[cut]) >= 0x80) ++cut;
        if (cut < rest.size()) ++cut;
        std::wstring pieces;
        AppendUtf8Lenient(rest.substr(0, cut), pieces);
        AppendUtf8Lenient(rest.substr(cut), pieces);
        FUZZ_CHECK(pieces == text);
    } else if (bytes.starts_with("\xFF\xFE") || bytes.starts_with("\xFE\xFF")) {
        // UTF-16 is taken unit for unit; an odd last byte is no character.
        FUZZ_CHECK(text.size() == (bytes.size() - 2) / 2);
    } else if (Utf16WithoutMarkOf(bytes) != Utf16Order::kNone) {
        // UTF-16 saved without a mark is taken unit for unit as well.
        FUZZ_CHECK(text.size() == bytes.size() / 2);
    } else {
        FUZZ_CHECK(text == os.AnsiToWide(bytes));
        FUZZ_CHECK(text.size() == bytes.size());
    }

    if (const auto wide = Utf8ToWide(bytes)) {
        FUZZ_CHECK(IsValidUtf16(*wide));
        FUZZ_CHECK(WideToUtf8(*wide) == bytes);
    }

    const std::wstring units = TextOf(std::string("\xFF\xFE") + std::string(bytes));
    const auto back = Utf8ToWide(WideToUtf8(units));
    FUZZ_CHECK(back.has_value());
    FUZZ_CHECK(*back == WithoutLoneSurrogates(units));
    return 0;
}
