// The two system-wide hotkeys, Ctrl+Alt+letter: reading the letters, registering them on the
// main window, and acting on them with a 250 ms lock against key repeat. A disabled hotkey label
// means its hotkey is off for now.
#include <optional>
#include <string>

#include "app/main_form.h"
#include "core/settings_store.h"
#include "shell/hotkey_letter.h"
#include "shell/hotkey_text.h"

namespace orv {
namespace {

constexpr std::uint32_t kModAltControl = 0x0001 | 0x0002;  // MOD_ALT | MOD_CONTROL
constexpr wchar_t kRecordAtom[] = L"QuenzalOrvalinHotkeyR1";
constexpr wchar_t kPlayAtom[] = L"QuenzalOrvalinHotkeyP1";
// A restarted program may start while the old one still holds the combinations: keep trying
// for this long before giving up quietly.
constexpr int kHotkeyRetries = 20;  // every 250 ms, five seconds

}  // namespace

void TAppForm::KayitliHotKeyOku() {
    // This may run before the settings are open, so the folder is worked out here again.
    std::wstring folder = m_platform.ExePath();
    folder = folder.substr(0, folder.find_last_of(L"\\/") + 1);
    if (!IsFolderWritable(m_platform, folder)) {
        const std::wstring base = m_platform.RoamingAppDataFolder();
        m_platform.CreateFolder(base + L"\\QUENZAL");
        m_platform.CreateFolder(base + L"\\QUENZAL\\Orvalin");
        folder = base + L"\\QUENZAL\\Orvalin\\";
    }
    const std::wstring fileName = folder + L"settings.ini";
    if (!m_platform.FileExists(fileName)) return;
    std::uint32_t error = 0;
    const std::string bytes = m_platform.ReadWholeFile(fileName, error).value_or(std::string());
    // Mostly these are the very bytes the settings store read or wrote a moment ago; then its
    // answers are the file's, and a large file is not parsed a second time.
    std::optional<SettingsIni> reread;
    const SettingsIni* ini = m_settings.HoldsFileBytes(fileName, bytes) ? &m_settings : nullptr;
    if (!ini) ini = &reread.emplace(SettingsIni::FromAnyEncoding(m_platform, fileName, bytes));
    if (auto letter = StoredHotkeyLetter(ini->ReadString(kSettingsSection, L"HotkeyCharRecord", L"R"))) {
        m_recordHotkeyLetter = *letter;
    }
    if (auto letter = StoredHotkeyLetter(ini->ReadString(kSettingsSection, L"HotkeyCharPlay", L"P"))) {
        m_playHotkeyLetter = *letter;
    }
}

void TAppForm::CreateWindowHandle() {
    KayitliHotKeyOku();
    hotkeyR1 = m_platform.AddGlobalAtom(kRecordAtom);
    hotkeyP1 = m_platform.AddGlobalAtom(kPlayAtom);
    m_hotkeyRetriesLeft = kHotkeyRetries;
    RegisterHotkeys();
}

void TAppForm::RegisterHotkeys() {
    // The record hotkey first. The key is the one the letter stands for on this keyboard
    // layout; a letter no key types is left unregistered, like a combination someone else holds.
    bool missing = false;
    for (auto [id, letter] : {std::pair{hotkeyR1, &m_recordHotkeyLetter}, std::pair{hotkeyP1, &m_playHotkeyLetter}}) {
        if (id == 0 || m_registered.count(id)) continue;
        const std::optional<std::uint32_t> key = HotkeyVirtualKey(m_platform, (*letter)[0]);
        if (!key) continue;
        if (m_platform.RegisterHotKey(m_window, id, kModAltControl, *key)) {
            m_registered.insert(id);
        } else {
            missing = true;
        }
    }
    m_hotkeyRetry.SetEnabled(missing && m_hotkeyRetriesLeft > 0);
}

void TAppForm::TimerHotkeyRetryTimer() {
    --m_hotkeyRetriesLeft;
    RegisterHotkeys();
}

void TAppForm::DestroyWindowHandle() {
    m_hotkeyRetry.SetEnabled(false);
    for (std::uint32_t* id : {&hotkeyR1, &hotkeyP1}) {
        if (*id == 0) continue;
        m_platform.UnregisterHotKey(m_window, *id);
        m_platform.DeleteGlobalAtom(static_cast<std::uint16_t>(*id));
        m_registered.erase(*id);
        *id = 0;
    }
}

void TAppForm::WMHotKey(std::uint32_t id) {
    const auto accept = [this](const TLabel& gate) {
        if (HotkeyLocked || !gate.Enabled()) return false;
        MinimizedRun = false;
        HotkeyLocked = true;
        // Each accepted press locks for a full 250 ms: restarting the lock timer keeps a
        // free-running tick from unlocking a moment after the press.
        TimerHotKeyLock.SetEnabled(false);
        TimerHotKeyLock.SetEnabled(true);
        if (HotkeyBeep1.Checked()) m_platform.MessageBeep(0);
        return true;
    };
    if (id != 0 && id == hotkeyR1 && accept(Label1)) {
        if (!Recording() && Playing()) PlayDugmeBasildi();
        RecordDugmeBasildi();
    }
    if (id != 0 && id == hotkeyP1 && accept(Label5)) {
        if (!Playing() && Recording()) RecordDugmeBasildi();
        PlayDugmeBasildi();
    }
}

void TAppForm::Button3Click() { OpenHotkeyDialog(L"record"); }

void TAppForm::Button7Click() { OpenHotkeyDialog(L"play"); }

void TAppForm::OpenHotkeyDialog(const wchar_t* which) {
    auto dialog =
        std::make_unique<TFormHotkey>(m_platform, m_settings, m_recordHotkeyLetter, m_playHotkeyLetter);
    dialog->HangiHotkey = which;
    if (ShowHotkeyDialog) ShowHotkeyDialog(std::move(dialog));
}

void TAppForm::TimerHotKeyLockTimer() {
    HotkeyLocked = false;
    TimerHotKeyLock.SetEnabled(false);
}

}  // namespace orv
