// The text form of a hotkey as the hotkey dialog shows and checks it, and the key that a stored
// hotkey letter stands for.
//
// A shortcut value holds the key code in its low byte and the flags Shift 0x2000, Ctrl 0x4000
// and Alt 0x8000. Its display text is "Ctrl+", "Alt+", "Shift+" (each when set, in this order)
// followed by the key's name:
//
//     0xC051 -> "Ctrl+Alt+Q"     0xC074 -> "Ctrl+Alt+F5"     0xC0BA -> "Ctrl+Alt+;" (US layout)
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "platform/platform.h"

namespace orv {

inline constexpr std::uint16_t kShortcutShift = 0x2000;
inline constexpr std::uint16_t kShortcutCtrl = 0x4000;
inline constexpr std::uint16_t kShortcutAlt = 0x8000;

// The name of a key code: a fixed English name for the editing and navigation keys, the digit
// or letter for the main keyboard's digits and letters, "F1".."F24", and for every other key
// the keyboard layout's own name (empty when it has none, and always for code 0).
std::wstring HotkeyKeyName(Platform& platform, std::uint8_t key);

// The display text of a shortcut value; empty when its key has no name.
std::wstring ShortcutToText(Platform& platform, std::uint16_t shortcut);

// The shortcut value a display text names: the prefixes "Ctrl+", "Alt+" and "Shift+" in any
// order, then a key name compared without regard to case. 0 (no key) when no key has that name.
std::uint16_t TextToShortcut(Platform& platform, const std::wstring& text);

// The hotkey letter a display text chooses, or nullopt when it is not a valid choice: the text
// must begin with "Ctrl+Alt+", and once every "Ctrl+Alt+" (in any case) is taken out and the
// ends are trimmed of blanks and control characters, exactly one character must be left.
std::optional<wchar_t> HotkeyLetterOfText(const std::wstring& text);

// The virtual-key code to register for a stored hotkey letter. An ASCII letter or digit is its
// own character code, as it always was ("A".."Z" and "0".."9" are those keys; a hand-written
// lower-case letter keeps meaning the key with that code). Any other character, such as the
// name of a punctuation key the dialog stored, is looked up on the current keyboard layout: its
// character code would be another key (";" is 0x3B, "'" is VK_RIGHT). nullopt when no key of
// the layout types it: then there is nothing sound to register.
std::optional<std::uint32_t> HotkeyVirtualKey(Platform& platform, wchar_t letter);

}  // namespace orv
