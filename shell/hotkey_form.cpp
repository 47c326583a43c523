// Showing the hotkey dialog, and checking and storing the chosen letter.
#include "shell/hotkey_form.h"

#include "core/app_routines.h"
#include "localisation/translate.h"
#include "shell/hotkey_text.h"

namespace orv {

TFormHotkey::TFormHotkey(Platform& platform, SettingsIni& settings, std::wstring recordLetter,
                         std::wstring playLetter)
    : m_platform(platform),
      m_settings(settings),
      m_recordLetter(std::move(recordLetter)),
      m_playLetter(std::move(playLetter)) {
    SetCaption(L"Change Hotkey");
    Label1.SetCaption(L"Hotkey:");
    Button1.SetCaption(L"OK");
    Button2.SetCaption(L"Cancel");
    HotKey1.SetValue(kShortcutCtrl | kShortcutAlt);
    Button1.OnClick = [this] { Button1Click(); };
    Button2.OnClick = [this] { Button2Click(); };
}

void TFormHotkey::FormShow() {
    SetCaption(TranslateText(L"Change Hotkey"));
    Label1.SetCaption(TranslateText(L"Hotkey:"));
    Button1.SetCaption(TranslateText(L"OK"));
    Button2.SetCaption(TranslateText(L"Cancel"));
    HotKey1.SetValue(
        TextToShortcut(m_platform, L"Ctrl+Alt+" + (EditsRecord() ? m_recordLetter : m_playLetter)));
}

void TFormHotkey::Button1Click() {
    std::wstring text = ShortcutToText(m_platform, HotKey1.Value());
    const std::optional<wchar_t> letter = HotkeyLetterOfText(text);
    if (!letter) {
        if (text.empty()) text = L"None";
        if (FocusHotKey) FocusHotKey();
        MessageDialogRequest warning;
        warning.message = L"Invalid Hotkey: " + text;  // this part stays English
        warning.kind = DialogKind::Warning;
        warning.buttons = kBtnOk;
        warning.caption = TranslateText(L"WARNING");
        warning.owner = m_window;
        m_platform.MessageDialog(warning);
        return;
    }
    // A failed write is reported by the error box and asks nothing: a restart would not help.
    m_settings.WriteString(L"Settings", EditsRecord() ? L"HotkeyCharRecord" : L"HotkeyCharPlay",
                           std::wstring(1, *letter));
    m_settings.UpdateFile();
    const int answer = CustomMessageDlg(
        m_platform, TranslateText(L"Restart Application?"), DialogKind::Confirmation, kBtnYes | kBtnNo,
        TranslateText(L"Confirmation"), {TranslateText(L"Yes"), TranslateText(L"No")}, m_window);
    // Any other answer leaves the dialog open; the new letter takes effect at the next start.
    if (answer == kResultYes) RestartProgram(m_platform, m_window);
}

void TFormHotkey::Button2Click() {
    if (OnClose) OnClose();
}

}  // namespace orv
