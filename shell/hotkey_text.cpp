// Key names, display text, its parsing and validation for the hotkey dialog.
#include "shell/hotkey_text.h"

#include <string_view>

namespace orv {
namespace {

constexpr wchar_t kCtrlAlt[] = L"Ctrl+Alt+";

// Upper case for the scripts whose key names a keyboard layout gives (Latin, Greek, Cyrillic),
// independent of the C library's locale so that the unit tests see what Windows does.
wchar_t FoldCase(wchar_t c) {
    if (c >= L'a' && c <= L'z') return static_cast<wchar_t>(c - 0x20);
    if (c >= 0xE0 && c <= 0xFE && c != 0xF7) return static_cast<wchar_t>(c - 0x20);
    if (c == 0xFF) return 0x178;
    if (c >= 0x100 && c <= 0x17F && c != 0x131 && c != 0x138 && c != 0x149 && c != 0x17F) {
        // Latin Extended-A pairs upper/lower as even/odd, with a shift of one block at 0x139.
        const bool shifted = (c >= 0x139 && c <= 0x148) || (c >= 0x179 && c <= 0x17E);
        const bool lower = shifted ? (c % 2 == 0) : (c % 2 == 1);
        return lower ? static_cast<wchar_t>(c - 1) : c;
    }
    if (c >= 0x3B1 && c <= 0x3C9 && c != 0x3C2) return static_cast<wchar_t>(c - 0x20);
    if (c >= 0x430 && c <= 0x44F) return static_cast<wchar_t>(c - 0x20);
    if (c >= 0x450 && c <= 0x45F) return static_cast<wchar_t>(c - 0x50);
    return c;
}

bool EqualIgnoringCase(std::wstring_view a, std::wstring_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (FoldCase(a[i]) != FoldCase(b[i])) return false;
    }
    return true;
}

bool IsBlank(wchar_t c) { return static_cast<std::uint32_t>(c) <= 32; }

}  // namespace

std::wstring HotkeyKeyName(Platform& platform, std::uint8_t key) {
    static const wchar_t* const kNavigation[] = {L"Space", L"PgUp", L"PgDn",  L"End", L"Home",
                                                 L"Left",  L"Up",   L"Right", L"Down"};
    switch (key) {
        case 0x00:
            return L"";
        case 0x08:
            return L"BkSp";
        case 0x09:
            return L"Tab";
        case 0x0D:
            return L"Enter";
        case 0x1B:
            return L"Esc";
        case 0x2D:
            return L"Ins";
        case 0x2E:
            return L"Del";
        default:
            break;
    }
    if (key >= 0x20 && key <= 0x28) return kNavigation[key - 0x20];
    if ((key >= L'0' && key <= L'9') || (key >= L'A' && key <= L'Z')) return std::wstring(1, key);
    if (key >= 0x70 && key <= 0x87) return L"F" + std::to_wstring(key - 0x70 + 1);
    return platform.KeyNameOfVirtualKey(key);
}

std::wstring ShortcutToText(Platform& platform, std::uint16_t shortcut) {
    const std::wstring name = HotkeyKeyName(platform, static_cast<std::uint8_t>(shortcut & 0xFF));
    if (name.empty()) return L"";
    std::wstring text;
    if (shortcut & kShortcutCtrl) text += L"Ctrl+";
    if (shortcut & kShortcutAlt) text += L"Alt+";
    if (shortcut & kShortcutShift) text += L"Shift+";
    return text + name;
}

std::uint16_t TextToShortcut(Platform& platform, const std::wstring& text) {
    std::wstring_view rest = text;
    std::uint16_t flags = 0;
    for (bool found = true; found;) {
        found = false;
        for (auto [prefix, flag] : {std::pair{std::wstring_view(L"Ctrl+"), kShortcutCtrl},
                                    std::pair{std::wstring_view(L"Alt+"), kShortcutAlt},
                                    std::pair{std::wstring_view(L"Shift+"), kShortcutShift}}) {
            if (rest.substr(0, prefix.size()) == prefix) {
                rest.remove_prefix(prefix.size());
                flags |= flag;
                found = true;
            }
        }
    }
    for (unsigned key = 0x08; key <= 0xFF; ++key) {
        const std::wstring name = HotkeyKeyName(platform, static_cast<std::uint8_t>(key));
        if (!name.empty() && EqualIgnoringCase(name, rest)) return static_cast<std::uint16_t>(flags | key);
    }
    return 0;
}

std::optional<wchar_t> HotkeyLetterOfText(const std::wstring& text) {
    constexpr std::size_t kPrefixLength = std::size(kCtrlAlt) - 1;
    if (text.compare(0, kPrefixLength, kCtrlAlt) != 0) return std::nullopt;
    std::wstring rest;
    for (std::size_t i = 0; i < text.size();) {
        if (EqualIgnoringCase(std::wstring_view(text).substr(i, kPrefixLength), kCtrlAlt)) {
            i += kPrefixLength;
        } else {
            rest += text[i++];
        }
    }
    std::size_t first = 0;
    std::size_t last = rest.size();
    while (first < last && IsBlank(rest[first])) ++first;
    while (last > first && IsBlank(rest[last - 1])) --last;
    if (last - first != 1) return std::nullopt;
    return rest[first];
}

std::optional<std::uint32_t> HotkeyVirtualKey(Platform& platform, wchar_t letter) {
    if ((letter >= L'A' && letter <= L'Z') || (letter >= L'a' && letter <= L'z') ||
        (letter >= L'0' && letter <= L'9')) {
        return static_cast<std::uint32_t>(letter);
    }
    if (auto key = platform.VirtualKeyOfCharacter(letter)) return *key;
    return std::nullopt;
}

}  // namespace orv
