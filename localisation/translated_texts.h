// Every English text that the program passes through TranslateText, in one place: the keys a
// language file may carry. Callers still write the literal at the call
// (TranslateText(L"Cancel")); a unit test scans the sources and checks that each such literal
// is listed here and that the shipped language files use only these keys.
#pragma once

#include <array>
#include <string_view>

namespace orv {

inline constexpr std::array<std::wstring_view, 34> kTranslatedTexts = {
    // Confirmations and errors of the main window: "Reset to Defaults...", "Insert Wait".
    L"Restart Application?",
    L"Confirmation",
    L"Yes",
    L"No",
    L"Invalid number!",
    L"ERROR",
    // Hotkey dialog (its "Invalid Hotkey: " warning stays English).
    L"Change Hotkey",
    L"Hotkey:",
    L"OK",
    L"Cancel",
    L"WARNING",
    // Update notice.
    L"UPDATE AVAILABLE",
    L"Click to download",
    // Feedback dialog; its caption is the product name, a blank and "feedback".
    L"feedback",
    L"I like it!",
    L"I dislike it!",
    L"We would really appreciate your feedback.",
    L"What did you like or dislike?",
    L"Include my e-mail:",
    L"Send",
    L"Failure",
    L"Invalid e-mail address!",
    L"Success",
    L"Your feedback is received.",
    L"Thank you!",
    L"Something went wrong. Your feedback could not be delivered.",
    L"Please try again later.",
    // About box; "%s" in its caption is the product name.
    L"About %s",
    L"Info",
    L"Acknowledgements...",
    L"How to uninstall...",
    L"License...",
    L"License",
    L"File not found!",
};

}  // namespace orv
