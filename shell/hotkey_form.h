// TFormHotkey: the hotkey dialog. It edits the letter of the record or the play hotkey (the
// modifiers stay Ctrl+Alt), writes a valid choice to settings.ini at once and offers to restart
// the program, because the hotkeys are registered and labelled only at start. It does not block
// the main window; every click on a pencil button opens another one.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "core/controls.h"
#include "core/settings_store.h"
#include "platform/platform.h"

namespace orv {

// The hotkey-capture field: a shortcut value (key code in the low byte, flags Shift 0x2000,
// Ctrl 0x4000, Alt 0x8000; see shell/hotkey_text.h). 0 is no key.
class THotKey : public Control {
public:
    std::uint16_t Value() const { return m_value; }
    void SetValue(std::uint16_t value) {
        m_value = value;
        Changed();
    }

private:
    std::uint16_t m_value = 0;
};

class TFormHotkey : public Control {  // the caption of this control is the window caption
public:
    // `settings` is the program's store and must outlive the dialog; the letters are the ones
    // in force for this run.
    TFormHotkey(Platform& platform, SettingsIni& settings, std::wstring recordLetter,
                std::wstring playLetter);

    TLabel Label1;  // "Hotkey:"
    THotKey HotKey1;
    TButton Button1;  // OK
    TButton Button2;  // Cancel (also Esc)

    // Which hotkey the dialog edits: exactly "record", or else the play hotkey.
    std::wstring HangiHotkey;

    // Set by the view: closes the window; gives the hotkey field the keyboard focus.
    std::function<void()> OnClose;
    std::function<void()> FocusHotKey;
    void SetWindowRef(WindowRef window) { m_window = window; }
    WindowRef Window() const { return m_window; }

    void FormShow();
    void Button1Click();
    void Button2Click();

private:
    bool EditsRecord() const { return HangiHotkey == L"record"; }

    Platform& m_platform;
    SettingsIni& m_settings;
    std::wstring m_recordLetter;
    std::wstring m_playLetter;
    WindowRef m_window = 0;
};

}  // namespace orv
