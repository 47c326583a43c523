// Hotkey texts: the display text the hotkey dialog parses, the letter it takes from it, and the
// letter stored in settings.ini.
#include "fuzz_support.h"
#include "platform/fake/fake_platform.h"
#include "shell/hotkey_letter.h"
#include "shell/hotkey_text.h"

using namespace orv;
using namespace orv::fuzz;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static FakePlatform os;  // a US layout
    const std::wstring text = TextOf(Bytes(data, size));

    // A text that names a shortcut names it again when shown and read back.
    if (const std::uint16_t shortcut = TextToShortcut(os, text)) {
        const std::wstring shown = ShortcutToText(os, shortcut);
        FUZZ_CHECK(!shown.empty());
        FUZZ_CHECK(TextToShortcut(os, shown) == shortcut);
    }

    // The letter the dialog takes is one character that is no blank, and it is taken again
    // from the text the dialog shows for it.
    if (const std::optional<wchar_t> letter = HotkeyLetterOfText(text)) {
        FUZZ_CHECK(static_cast<std::uint32_t>(*letter) > 32);
        FUZZ_CHECK(HotkeyLetterOfText(L"Ctrl+Alt+" + std::wstring(1, *letter)) == letter);
        if (const auto key = HotkeyVirtualKey(os, *letter)) FUZZ_CHECK(*key >= 1 && *key <= 0xFE);
    }

    if (const std::optional<std::wstring> stored = StoredHotkeyLetter(text)) {
        FUZZ_CHECK(stored->size() == 1 && static_cast<std::uint32_t>((*stored)[0]) > 32);
        FUZZ_CHECK(StoredHotkeyLetter(L" " + *stored + L"\t") == stored);
    }
    return 0;
}
