// Start-up, settings and shutdown of the main window, and the handlers of its setting controls.
#include "app/main_form.h"

#include <cwctype>

#include "app/control_ids.h"
#include "core/errors.h"
#include "localisation/translate.h"
#include "macro/macro_file.h"
#include "macro/number_text.h"

namespace orv {
namespace {

constexpr wchar_t kHotkeyPrefix[] = L"Hotkey: Ctrl + Alt + ";
constexpr wchar_t kMacroFilter[] = L"CSV File (*.csv)|*.csv";
constexpr wchar_t kMacroExtension[] = L"csv";
constexpr int kVkDelete = 46;

std::wstring FolderOf(const std::wstring& path) {
    const auto slash = path.find_last_of(L"\\/");
    return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash + 1);
}

}  // namespace

bool IsFolderWritable(Platform& platform, std::wstring folder) {
    if (folder.empty() || folder.back() != L'\\') folder += L'\\';
    return platform.CreateAndDropProbeFile(folder + L"chk.tmp");
}

TAppForm::TAppForm(Platform& platform)
    : SpinEdit1(1, 999999999, 1),
      SpinEdit2(1, 999999999, 100),
      SpinEdit3(0, 999999999, 1),
      StatusBar1({106, 106, 204, 50}),
      Clear1(ids::kCmdClear),
      Load1(ids::kCmdLoad),
      Save1(ids::kCmdSave),
      Exit1(ids::kCmdExit),
      AutomaticallyLoad1(ids::kCmdAutomaticallyLoad),
      AutomaticallyPlay1(ids::kCmdAutomaticallyPlay),
      AutomaticallyClose1(ids::kCmdAutomaticallyClose),
      HotkeyBeep1(ids::kCmdHotkeyBeep),
      LockMouse1(ids::kCmdLockMouse),
      MinimizetoSystemTray1(ids::kCmdMinimizeToSystemTray),
      RestoreMousePositionNone1(ids::kCmdRestoreNone),
      RestoreMousePositionAfterEachStep1(ids::kCmdRestoreAfterEachStep),
      RestoreMousePositionAfterEachLoop1(ids::kCmdRestoreAfterEachLoop),
      RestoreMousePositionAfterCompletion1(ids::kCmdRestoreAfterCompletion),
      StayonTop1(ids::kCmdStayOnTop),
      ResettoDefaults1(ids::kCmdResetToDefaults),
      Help2(ids::kCmdOnlineHelp),
      UpdateNotifications1(ids::kCmdUpdateNotifications),
      SendFeedback1(ids::kCmdSendFeedback),
      About1(ids::kCmdAbout),
      MinimizeandRecord1(ids::kCmdMinimizeAndRecord),
      MinimizeandPlay1(ids::kCmdMinimizeAndPlay),
      Edit1(ids::kCmdEditStep),
      Delete1(ids::kCmdDeleteSelected),
      DeleteAll1(ids::kCmdDeleteAll),
      Exit2(ids::kCmdTrayExit),
      // These three run from start, but only once the message loop runs (StartTimers).
      TimerChecker(platform, 1000, false),
      TimerParam(platform, 500, false),
      TimerStatusMouse(platform, 10, false),
      TimerRecord(platform, 100, false),
      TimerMouseHook(platform, 1000, false),
      TimerPlay(platform, 100, false),
      TimerWait(platform, 1000, false),
      TimerClose(platform, 1000, false),
      TimerHotKeyLock(platform, 250, false),
      m_hotkeyRetry(platform, 250, false),
      m_stepDelaySettle(platform, kStepDelaySettleMs, false),
      m_playFrame(platform, 16, false),
      m_platform(platform),
      m_settings(SettingsIni::Empty(platform, L"")) {
    Label1.SetCaption(L"Hotkey: Ctrl + Alt + R");
    Button3.SetHint(L"Change Hotkey...");
    ButtonRecord.SetCaption(L"Record");
    ButtonRecord.SetImageIndex(kImageRecord);
    RadioButton1.SetCaption(L"Time-Based Recording");
    RadioButton2.SetCaption(L"Event-Based Recording");
    RadioButton1.SetGroup({&RadioButton1, &RadioButton2});
    RadioButton2.SetGroup({&RadioButton1, &RadioButton2});
    RadioButton1.SetChecked(true);
    Label5.SetCaption(L"Hotkey: Ctrl + Alt + P");
    Button7.SetHint(L"Change Hotkey...");
    ButtonPlay.SetCaption(L"Play");
    ButtonPlay.SetImageIndex(kImagePlay);
    LabelLoop.SetCaption(L"Loop:");
    CheckBoxInfinite.SetCaption(L"Infinite");
    LabelStepDelay.SetCaption(L"Step Delay:");
    LabelMsec1.SetCaption(L"msec");
    LabelReplayDelay.SetCaption(L"Replay Delay:");
    LabelMsec2.SetCaption(L"msec");
    GroupSteps.SetCaption(L"Steps");
    ButtonClear.SetCaption(L"Clear");
    Button4.SetCaption(L"Load");
    Button5.SetCaption(L"Save");
    Button6.SetCaption(L"Insert Wait");
    StatusBar1.SetPanelText(0, L"X: 0");
    StatusBar1.SetPanelText(1, L"Y: 0");
    PlayEngelle();

    Clear1.SetCaption(L"Clear");
    Load1.SetCaption(L"Load File...");
    Save1.SetCaption(L"Save File...");
    Exit1.SetCaption(L"Exit");
    AutomaticallyLoad1.SetCaption(L"Automatically Load Last Used File");
    AutomaticallyPlay1.SetCaption(L"Automatically Play Last Used File");
    AutomaticallyPlay1.SetEnabled(false);
    AutomaticallyClose1.SetCaption(L"Automatically Close After Playing");
    HotkeyBeep1.SetCaption(L"Hotkey Beep");
    LockMouse1.SetCaption(L"Lock Mouse While Playing");
    MinimizetoSystemTray1.SetCaption(L"Minimize to System Tray");
    RestoreMousePositionNone1.SetCaption(L"None");
    RestoreMousePositionAfterEachStep1.SetCaption(L"Restore Mouse Position After Each Step");
    RestoreMousePositionAfterEachLoop1.SetCaption(L"Restore Mouse Position After Each Loop");
    RestoreMousePositionAfterCompletion1.SetCaption(L"Restore Mouse Position After Completion");
    const std::vector<TMenuItem*> restoreGroup = {&RestoreMousePositionNone1, &RestoreMousePositionAfterEachStep1,
                                                  &RestoreMousePositionAfterEachLoop1,
                                                  &RestoreMousePositionAfterCompletion1};
    for (TMenuItem* item : restoreGroup) item->SetRadioGroup(restoreGroup);
    RestoreMousePositionNone1.SetChecked(true);
    StayonTop1.SetCaption(L"Stay on Top");
    ResettoDefaults1.SetCaption(L"&Reset to Defaults...");
    Help2.SetCaption(L"Online Help");
    UpdateNotifications1.SetCaption(L"Update Notifications");
    UpdateNotifications1.SetChecked(true);
    UpdateNotifications1.SetEnabled(false);
    SendFeedback1.SetCaption(L"Send Feedback...");
    About1.SetCaption(L"About...");
    MinimizeandRecord1.SetCaption(L"Minimize and Record");
    MinimizeandPlay1.SetCaption(L"Minimize and Play");
    Edit1.SetCaption(L"Edit...");
    Delete1.SetCaption(L"Delete Selected");
    DeleteAll1.SetCaption(L"Delete All");
    Exit2.SetCaption(L"Exit");
    TrayIcon1.SetVisible(false);

    // Handlers. Menu items and buttons that share a command click the one that implements it.
    Exit1.OnClick = [this] { Exit1Click(); };
    Exit2.OnClick = [this] { Exit2Click(); };
    ResettoDefaults1.OnClick = [this] { ResettoDefaults1Click(); };
    RadioButton1.OnClick = [this] { RadioButton1Click(); };
    RadioButton2.OnClick = [this] { RadioButton2Click(); };
    SpinEdit1.OnChange = [this] { SpinEdit1Change(); };
    SpinEdit2.OnChange = [this] { SpinEdit2Change(); };
    SpinEdit3.OnChange = [this] { SpinEdit3Change(); };
    CheckBoxInfinite.OnClick = [this] { CheckBoxInfiniteClick(); };
    AutomaticallyLoad1.OnClick = [this] { AutomaticallyLoad1Click(); };
    AutomaticallyPlay1.OnClick = [this] { AutomaticallyPlay1Click(); };
    AutomaticallyClose1.OnClick = [this] { AutomaticallyClose1Click(); };
    HotkeyBeep1.OnClick = [this] { HotkeyBeep1Click(); };
    LockMouse1.OnClick = [this] { LockMouse1Click(); };
    MinimizetoSystemTray1.OnClick = [this] { MinimizetoSystemTray1Click(); };
    RestoreMousePositionNone1.OnClick = [this] { RestoreMousePositionClick(RestoreMousePositionNone1, L"None"); };
    RestoreMousePositionAfterEachStep1.OnClick = [this] {
        RestoreMousePositionClick(RestoreMousePositionAfterEachStep1, L"AfterEachStep");
    };
    RestoreMousePositionAfterEachLoop1.OnClick = [this] {
        RestoreMousePositionClick(RestoreMousePositionAfterEachLoop1, L"AfterEachLoop");
    };
    RestoreMousePositionAfterCompletion1.OnClick = [this] {
        RestoreMousePositionClick(RestoreMousePositionAfterCompletion1, L"AfterCompletion");
    };
    StayonTop1.OnClick = [this] { StayonTop1Click(); };
    Help2.OnClick = [this] { Help2Click(); };
    About1.OnClick = [this] { About1Click(); };
    UpdateNotifications1.OnClick = [this] { UpdateNotifications1Click(); };
    TrayIcon1.OnClick = [this] { TrayIcon1Click(); };
    SendFeedback1.OnClick = [this] { SendFeedback1Click(); };
    Clear1.OnClick = [this] { ButtonClear.Click(); };
    Load1.OnClick = [this] { Button4.Click(); };
    Save1.OnClick = [this] { Button5.Click(); };
    DeleteAll1.OnClick = [this] { ButtonClear.Click(); };
    ButtonClear.OnClick = [this] { ButtonClearClick(); };
    Button4.OnClick = [this] { Button4Click(); };
    Button5.OnClick = [this] { Button5Click(); };
    Button6.OnClick = [this] { Button6Click(); };
    Delete1.OnClick = [this] { Delete1Click(); };
    Edit1.OnClick = [this] { Edit1Click(); };
    ButtonRecord.OnClick = [this] { ButtonRecordClick(); };
    MinimizeandRecord1.OnClick = [this] { MinimizeandRecord1Click(); };
    TimerRecord.OnTimer = [this] { TimerRecordTimer(); };
    TimerMouseHook.OnTimer = [this] { TimerMouseHookTimer(); };
    TimerHotKeyLock.OnTimer = [this] { TimerHotKeyLockTimer(); };
    Button3.OnClick = [this] { Button3Click(); };
    Button7.OnClick = [this] { Button7Click(); };
    m_hotkeyRetry.OnTimer = [this] { TimerHotkeyRetryTimer(); };
    ButtonPlay.OnClick = [this] { ButtonPlayClick(); };
    MinimizeandPlay1.OnClick = [this] { MinimizeandPlay1Click(); };
    TimerPlay.OnTimer = [this] { TimerPlayTimer(); };
    TimerWait.OnTimer = [this] { TimerWaitTimer(); };
    TimerClose.OnTimer = [this] { TimerCloseTimer(); };
    TimerParam.OnTimer = [this] { TimerParamTimer(); };
    TimerChecker.OnTimer = [this] { TimerCheckerTimer(); };
    TimerStatusMouse.OnTimer = [this] { TimerStatusMouseTimer(); };
    m_stepDelaySettle.OnTimer = [this] { TimerStepDelayTimer(); };
    m_playFrame.OnTimer = [this] { TimerPlayFrameTimer(); };
}

TAppForm::~TAppForm() {
    // A check still waiting for the server must not reach the platform once this form is gone;
    // Cut waits only for a short registry step, never for the post.
    if (m_checkerLink) m_checkerLink->Cut();
    // The hook's procedure points at this form; it must not outlive it, destroy handler or not.
    if (MouseHookHandle) m_platform.RemoveMouseHook(MouseHookHandle);
}

std::vector<TMenuItem*> TAppForm::MenuItems() {
    return {&Clear1,
            &Load1,
            &Save1,
            &Exit1,
            &AutomaticallyLoad1,
            &AutomaticallyPlay1,
            &AutomaticallyClose1,
            &HotkeyBeep1,
            &LockMouse1,
            &MinimizetoSystemTray1,
            &RestoreMousePositionNone1,
            &RestoreMousePositionAfterEachStep1,
            &RestoreMousePositionAfterEachLoop1,
            &RestoreMousePositionAfterCompletion1,
            &StayonTop1,
            &ResettoDefaults1,
            &Help2,
            &UpdateNotifications1,
            &SendFeedback1,
            &About1,
            &MinimizeandRecord1,
            &MinimizeandPlay1,
            &Edit1,
            &Delete1,
            &DeleteAll1,
            &Exit2};
}

// --- start-up ---------------------------------------------------------------------------------

void TAppForm::FormCreate() {
    m_creating = true;
    ReadIdentity();
    DecideDataFolder();
    OpenSettings();
    ApplyStoredSettings();

    // A language file that cannot be used leaves every text English; it is reported once the
    // rest of start-up has run, so that the box's message loop finds the form complete.
    std::optional<std::wstring> languageFailure;
    try {
        LoadLanguage(m_platform, L"");
    } catch (const Exception& e) {
        languageFailure = e.Message();
    }

    KayitliHotKeyOku();
    Label1.SetCaption(kHotkeyPrefix + m_recordHotkeyLetter);
    Label5.SetCaption(kHotkeyPrefix + m_playHotkeyLetter);

    m_dragModeAutomatic = true;

    const std::wstring separator = m_platform.LocaleListSeparator();
    m_fieldSeparator = separator.empty() ? L',' : separator.front();
    m_creating = false;
    if (languageFailure) m_platform.ShowErrorBox(*languageFailure);
}

void TAppForm::StartTimers() {
    if (m_timersStarted) return;  // TimerParam runs once per process
    m_timersStarted = true;
    TimerStatusMouse.SetEnabled(true);
    TimerParam.SetEnabled(true);
    TimerChecker.SetEnabled(true);
}

void TAppForm::ReadIdentity() {
    // A version record that cannot be read is reported, and start-up goes on with the built-in
    // names: empty ones would make the data folder the application-data folder itself, where a
    // foreign settings.ini could be read, rewritten and deleted.
    const std::wstring exe = m_platform.ExePath();
    TEXEVersionData data;
    std::optional<std::wstring> failure;
    try {
        data = ReadVersionData(m_platform, exe);
    } catch (const Exception& e) {
        failure = e.Message();
    }
    m_identity.AppCompanyName = data.CompanyName.empty() ? kBuiltInCompanyName : data.CompanyName;
    m_identity.AppProductName = data.ProductName.empty() ? kBuiltInProductName : data.ProductName;
    m_identity.AppVersion = ReadFileVersionText(m_platform, exe);
    m_identity.AppTitle = m_identity.AppCompanyName + L" - " + m_identity.AppProductName;
    SetCaption(m_identity.AppTitle);
    if (failure) m_platform.ShowErrorBox(*failure);
}

void TAppForm::DecideDataFolder() {
    const std::wstring exeFolder = FolderOf(m_platform.ExePath());
    if (IsFolderWritable(m_platform, exeFolder)) {
        m_dataFolder = exeFolder;
        if (m_dataFolder.empty() || m_dataFolder.back() != L'\\') m_dataFolder += L'\\';
        return;
    }
    const std::wstring base = m_platform.RoamingAppDataFolder();
    const std::wstring company = base + L"\\" + m_identity.AppCompanyName;
    const std::wstring product = company + L"\\" + m_identity.AppProductName;
    m_platform.CreateFolder(company);  // may exist already: ignored
    m_platform.CreateFolder(product);
    m_dataFolder = product + L"\\";
}

void TAppForm::OpenSettings() {
    const std::wstring fileName = m_dataFolder + L"settings.ini";
    RecoverInterruptedWrite(m_platform, fileName);
    try {
        m_settings = SettingsIni(m_platform, fileName);
        return;
    } catch (const Exception&) {
        // Unreadable or undecodable: start over with defaults, silently.
    }
    m_platform.RemoveFile(fileName);
    try {
        m_settings = SettingsIni(m_platform, fileName);
    } catch (const Exception& e) {
        // Still unusable (for example locked by another program): carry on with an empty store
        // in memory, so the program is usable; later writes report their own failures.
        m_settings = SettingsIni::Empty(m_platform, fileName);
        m_platform.ShowErrorBox(e.Message());
        m_startupWriteErrorShown = true;
    }
}

void TAppForm::ApplyStoredSettings() {
    SettingsIni& ini = m_settings;
    const auto text = [&](const wchar_t* key, const wchar_t* def) { return ini.ReadString(kSettingsSection, key, def); };

    if (text(L"Record", L"TimeBased") == L"EventBased") RadioButton2.SetChecked(true);
    SpinEdit1.SetValue(ini.ReadInteger(kSettingsSection, L"Loop", 1));
    SpinEdit2.SetValue(ini.ReadInteger(kSettingsSection, L"StepDelay", 100));
    SpinEdit3.SetValue(ini.ReadInteger(kSettingsSection, L"ReplayDelay", 1000));
    if (text(L"Infinite", L"OFF") == L"ON") CheckBoxInfinite.SetChecked(true);
    MinimizetoSystemTray1.SetChecked(text(L"MinimizeToSystemTray", L"OFF") == L"ON");
    const std::wstring restore = text(L"RestoreMousePosition", L"None");
    if (restore == L"AfterEachStep") {
        RestoreMousePositionAfterEachStep1.SetChecked(true);
    } else if (restore == L"AfterEachLoop") {
        RestoreMousePositionAfterEachLoop1.SetChecked(true);
    } else if (restore == L"AfterCompletion") {
        RestoreMousePositionAfterCompletion1.SetChecked(true);
    }
    HotkeyBeep1.SetChecked(text(L"HotkeyBeep", L"ON") == L"ON");
    LockMouse1.SetChecked(text(L"LockMouse", L"ON") == L"ON");
    if (text(L"StayOnTop", L"OFF") == L"ON") StayOnTopYap();
    if (text(L"AutomaticallyLoad", L"OFF") == L"ON") {
        AutomaticallyLoad1.SetChecked(true);
        AutomaticallyPlay1.SetEnabled(true);
    }
    AutomaticallyPlay1.SetChecked(text(L"AutomaticallyPlay", L"OFF") == L"ON");
    AutomaticallyClose1.SetChecked(text(L"AutomaticallyClose", L"OFF") == L"ON");
}

void TAppForm::FormShow() {
    if (FocusControl) FocusControl(ButtonRecord);  // a failure to focus is ignored
}

void TAppForm::FormDestroy() {
    // Settings need no flush: every change was written when it was made.
    m_platform.UnregisterHotKey(m_window, hotkeyR1);
    m_platform.UnregisterHotKey(m_window, hotkeyP1);
    m_platform.RemoveMouseHook(MouseHookHandle);
    MouseHookHandle = 0;
}

void TAppForm::Exit1Click() { m_platform.Terminate(); }

void TAppForm::Exit2Click() { m_platform.Terminate(); }

void TAppForm::ResettoDefaults1Click() {
    const int answer = CustomMessageDlg(m_platform, TranslateText(L"Restart Application?"),
                                        DialogKind::Confirmation, kBtnYes | kBtnNo, TranslateText(L"Confirmation"),
                                        {TranslateText(L"Yes"), TranslateText(L"No")}, m_window);
    if (answer != kResultYes) return;
    m_platform.RemoveFile(m_dataFolder + L"settings.ini");
    m_platform.ProcessMessages();
    RestartProgram(m_platform, m_window);
}

// --- settings write-through -----------------------------------------------------------------

void TAppForm::SaveSettings() {
    try {
        m_settings.UpdateFile();
    } catch (const Exception& e) {
        // During start-up several controls may write in a row; one report is enough.
        if (m_creating && m_startupWriteErrorShown) return;
        if (m_creating) m_startupWriteErrorShown = true;
        m_platform.ShowErrorBox(e.Message());
    }
}

void TAppForm::WriteSwitch(const wchar_t* key, bool on) {
    m_settings.WriteString(kSettingsSection, key, on ? L"ON" : L"OFF");
}

void TAppForm::ToggleSwitch(TMenuItem& item, const wchar_t* key) {
    item.SetChecked(!item.Checked());
    WriteSwitch(key, item.Checked());
    SaveSettings();
}

void TAppForm::RadioButton1Click() {
    m_settings.WriteString(kSettingsSection, L"Record", L"TimeBased");
    SaveSettings();
}

void TAppForm::RadioButton2Click() {
    m_settings.WriteString(kSettingsSection, L"Record", L"EventBased");
    SaveSettings();
}

void TAppForm::SpinEdit1Change() {
    m_settings.WriteInteger(kSettingsSection, L"Loop", static_cast<std::int32_t>(SpinEdit1.Value()));
    SaveSettings();
}

void TAppForm::SpinEdit2Change() {
    // A new interval restarts a running TimerPlay, so during a run the value waits until the
    // field settles; otherwise it applies at once.
    if (TimerPlay.Enabled()) {
        m_stepDelaySettle.SetEnabled(false);
        m_stepDelaySettle.SetEnabled(true);
    } else {
        TimerStepDelayTimer();
    }
    m_settings.WriteInteger(kSettingsSection, L"StepDelay", static_cast<std::int32_t>(SpinEdit2.Value()));
    SaveSettings();
}

void TAppForm::TimerStepDelayTimer() {
    m_stepDelaySettle.SetEnabled(false);
    const auto step = static_cast<std::uint32_t>(SpinEdit2.Value());
    // A new interval restarts the running timer; the schedule of the rows restarts with it. In a
    // pause, the next row counts the new step from the pause's end.
    if (TimerPlay.Enabled() && step != TimerPlay.Interval()) {
        RestartPlaySchedule(step);
    } else {
        m_playSchedule.SetStep(step);
    }
    TimerPlay.SetInterval(step);
}

void TAppForm::SpinEdit3Change() {
    m_settings.WriteInteger(kSettingsSection, L"ReplayDelay", static_cast<std::int32_t>(SpinEdit3.Value()));
    SaveSettings();
}

void TAppForm::CheckBoxInfiniteClick() {
    SpinEdit1.SetEnabled(!CheckBoxInfinite.Checked());
    WriteSwitch(L"Infinite", CheckBoxInfinite.Checked());
    SaveSettings();
}

void TAppForm::AutomaticallyLoad1Click() {
    if (AutomaticallyLoad1.Checked()) {
        AutomaticallyLoad1.SetChecked(false);
        WriteSwitch(L"AutomaticallyLoad", false);
        WriteSwitch(L"AutomaticallyPlay", false);
        AutomaticallyPlay1.SetChecked(false);
        AutomaticallyPlay1.SetEnabled(false);
    } else {
        AutomaticallyLoad1.SetChecked(true);
        WriteSwitch(L"AutomaticallyLoad", true);
        AutomaticallyPlay1.SetEnabled(true);
    }
    SaveSettings();
}

void TAppForm::AutomaticallyPlay1Click() { ToggleSwitch(AutomaticallyPlay1, L"AutomaticallyPlay"); }

void TAppForm::AutomaticallyClose1Click() { ToggleSwitch(AutomaticallyClose1, L"AutomaticallyClose"); }

void TAppForm::HotkeyBeep1Click() { ToggleSwitch(HotkeyBeep1, L"HotkeyBeep"); }

void TAppForm::LockMouse1Click() { ToggleSwitch(LockMouse1, L"LockMouse"); }

void TAppForm::MinimizetoSystemTray1Click() { ToggleSwitch(MinimizetoSystemTray1, L"MinimizeToSystemTray"); }

void TAppForm::RestoreMousePositionClick(TMenuItem& item, const wchar_t* value) {
    item.SetChecked(true);
    m_settings.WriteString(kSettingsSection, L"RestoreMousePosition", value);
    SaveSettings();
}

void TAppForm::StayonTop1Click() {
    if (StayonTop1.Checked()) {
        StayOnTopYapma();
    } else {
        StayOnTopYap();
    }
}

void TAppForm::StayOnTopYap() {
    WriteSwitch(L"StayOnTop", true);
    SaveSettings();
    StayonTop1.SetChecked(true);
    m_platform.SetTopmost(m_window, true);
    m_platform.ProcessMessages();
}

void TAppForm::StayOnTopYapma() {
    WriteSwitch(L"StayOnTop", false);
    SaveSettings();
    StayonTop1.SetChecked(false);
    m_platform.SetTopmost(m_window, false);
    m_platform.ProcessMessages();
}

void TAppForm::ShowModalWindow(const std::function<void()>& show) {
    const bool lifted = StayonTop1.Checked();
    if (lifted) StayOnTopYapma();
    try {
        show();
    } catch (...) {
        // A window that failed must not leave the setting off for good.
        if (lifted) StayOnTopYap();
        throw;
    }
    if (lifted) StayOnTopYap();
}

void TAppForm::ApplicationEvents1Minimize() {
    m_minimized = true;
    // Nobody sees the panels now: the cursor timer rests (100 wake-ups a second cost a waiting
    // tray program a few percent of a core) and the restore brings them up to date.
    TimerStatusMouse.SetEnabled(false);
    if (!MinimizetoSystemTray1.Checked()) return;  // the window stays on the taskbar
    m_platform.HideWindow(m_window);               // minimized already, it stays so
    TrayIcon1.SetHint(m_identity.AppTitle);
    TrayIcon1.SetVisible(true);
}

void TAppForm::ApplicationEvents1Restore() {
    if (!m_minimized) return;
    m_minimized = false;
    TimerStatusMouseTimer();
    if (m_timersStarted) TimerStatusMouse.SetEnabled(true);
}

void TAppForm::TrayIcon1Click() {
    TrayIcon1.SetVisible(false);
    m_platform.ShowWindowNormal(m_window);
    m_platform.SetForegroundWindow(m_window);
}

void TAppForm::Help2Click() {
    std::wstring name = m_identity.AppProductName;
    for (wchar_t& c : name) {
        if (c >= L'A' && c <= L'Z') c = static_cast<wchar_t>(c - L'A' + L'a');
        if (c == L' ') c = L'-';
    }
    const std::wstring address = std::wstring(L"http://") + ORVALIN_WEBSITE_HOST + L"/help/" + name + L"/";
    m_platform.ShellExecuteFile(0, L"open", address, L"", L"", 0);  // failures are ignored
}

void TAppForm::About1Click() {
    // A topmost main window would cover its own modal box.
    ShowModalWindow([this] {
        if (ShowAboutBox) ShowAboutBox();
    });
}

// --- timers ---------------------------------------------------------------------------------

void TAppForm::TimerParamTimer() {
    TimerParam.SetEnabled(false);
    const std::vector<std::wstring> params = m_platform.CommandLineParams();
    if (!params.empty()) {
        // Files named on the command line win over the automatic load, even when none exists.
        for (const std::wstring& param : params) {
            if (!m_platform.FileExists(param)) {
                m_platform.MessageBeep(0);
                continue;
            }
            DosyaAc(param);
            m_platform.ProcessMessages();
            MinimizeandPlay1.Click();
        }
        return;
    }
    if (!AutomaticallyLoad1.Checked()) return;
    const std::wstring last = m_settings.ReadString(kSettingsSection, L"LastUsedFile", L"");
    if (last.empty() || !m_platform.FileExists(last)) return;
    DosyaAc(last);
    m_platform.ProcessMessages();
    if (AutomaticallyPlay1.Checked()) ButtonPlay.Click();
}

// --- step list and macro files --------------------------------------------------------------

void TAppForm::SetCaptionFromFile(const std::wstring& fileName) {
    const auto slash = fileName.find_last_of(L"\\/:");
    const std::wstring name = slash == std::wstring::npos ? fileName : fileName.substr(slash + 1);
    SetCaption(name + L" - " + m_identity.AppTitle);
}

void TAppForm::ButtonClearClick() {
    // A run in progress ends first: otherwise the disabled Play button could no longer stop it.
    if (Playing()) PlayDugmeBasildi();
    ListView1.Clear();
    PlayEngelle();
    SetCaption(m_identity.AppTitle);
    m_settings.WriteString(kSettingsSection, L"LastUsedFile", L"");
    SaveSettings();
}

void TAppForm::Delete1Click() {
    ListView1.DeleteSelected();
    if (ListView1.Empty()) ButtonClear.Click();
}

void TAppForm::ListView1KeyDown(int virtualKey) {
    if (virtualKey == kVkDelete) Delete1.Click();
}

void TAppForm::ListView1DblClick() { Edit1.Click(); }

void TAppForm::Edit1Click() {
    if (ListView1.FirstSelected() == StepList::kNone) return;
    auto editor = std::make_unique<TFormEditStep>(ListView1);
    editor->FormCreate();
    if (ShowStepEditor) ShowStepEditor(std::move(editor));
}

void TAppForm::ListView1DragDrop(bool sourceIsList, std::size_t target) {
    if (!sourceIsList || target == StepList::kNone) return;
    ListView1.MoveFirstSelectedBefore(target);
}

void TAppForm::Button4Click() {
    const auto fileName = m_platform.OpenFileDialog(m_window, kMacroFilter, kMacroExtension);
    if (fileName) DosyaAc(*fileName);
}

void TAppForm::Button5Click() {
    // The rows are taken before the dialog: what recording adds meanwhile is not saved. Rows
    // are only ever appended while the dialog is open, so the count taken now is those rows.
    const std::size_t rows = ListView1.Count();
    const auto fileName = m_platform.SaveFileDialog(m_window, kMacroFilter, kMacroExtension);
    if (!fileName) return;
    const std::uint32_t code = m_platform.ReplaceFileContentInPieces(*fileName, [&](FileWriter& file) {
        WriteMacroRows(m_platform, ListView1, rows, m_fieldSeparator, file);
    });
    if (code != 0) throw EFCreateError(*fileName, m_platform.SystemErrorText(code));
    SetCaptionFromFile(*fileName);
    m_settings.WriteString(kSettingsSection, L"LastUsedFile", *fileName);
    m_settings.UpdateFile();
}

void TAppForm::DosyaAc(const std::wstring& fileName) {
    std::uint32_t code = 0;
    if (const auto file = m_platform.OpenFileReader(fileName, code)) {
        code = LoadMacroRows(m_platform, *file, m_fieldSeparator, ListView1);
    }
    if (code) throw EFOpenError(fileName, m_platform.SystemErrorText(code));
    SetCaptionFromFile(fileName);
    m_settings.WriteString(kSettingsSection, L"LastUsedFile", fileName);
    PlayIcinHazirla();
    // Last, and reported rather than thrown: a settings file that cannot be written must not
    // cost the rows the caption already names, nor stop the files still to load.
    SaveSettings();
}

void TAppForm::WMDropFiles(const std::vector<std::wstring>& fileNames) {
    // One after the other; a file that fails stops the rest.
    for (const std::wstring& fileName : fileNames) DosyaAc(fileName);
}

void TAppForm::Button6Click() {
    ShowModalWindow([this] {
        const auto answer =
            m_platform.InputQuery(m_window, L"Insert Wait", L"Enter wait duration (in seconds):", L"");
        if (answer) {
            std::wstring text = *answer;
            for (wchar_t& c : text) {
                if (c == L',') c = L'.';
            }
            double seconds = 0;
            if (!TryParseDecimal(text, seconds) || seconds == 0) {
                CustomMessageDlg(m_platform, TranslateText(L"Invalid number!"), DialogKind::Error, kBtnOk,
                                 TranslateText(L"ERROR"), {}, m_window);
            } else {
                ListView1.Append(L"-", L"-", L"-", L"-", L"-", text);
                const std::size_t row = ListView1.Count() - 1;
                ListView1.SetSelected(row, true);
                ListView1.SetFocused(row);
                ListView1.ScrollIntoView(row);
                if (FocusControl) FocusControl(GroupSteps);
            }
        }
    });
}

void TAppForm::TimerStatusMouseTimer() {
    if (m_minimized) return;  // nobody sees the panels; the restore brings them up to date
    StatusBar1.SetPanelText(0, L"X: " + std::to_wstring(m_platform.CursorPos().x));
    StatusBar1.SetPanelText(1, L"Y: " + std::to_wstring(m_platform.CursorPos().y));
}

// --- playback controls ----------------------------------------------------------------------

void TAppForm::PlayIcinHazirla() {
    ButtonPlay.SetEnabled(true);
    CheckBoxInfinite.SetEnabled(true);
    SpinEdit1.SetEnabled(!CheckBoxInfinite.Checked());
    SpinEdit2.SetEnabled(true);
    SpinEdit3.SetEnabled(true);
    Label5.SetEnabled(true);
    for (TLabel* label : {&LabelStepDelay, &LabelLoop, &LabelReplayDelay, &LabelMsec1, &LabelMsec2}) {
        label->SetEnabled(true);
    }
}

void TAppForm::PlayEngelle() {
    ButtonPlay.SetEnabled(false);
    for (TLabel* label : {&Label5, &LabelStepDelay, &LabelLoop, &LabelReplayDelay, &LabelMsec1, &LabelMsec2}) {
        label->SetEnabled(false);
    }
    SpinEdit1.SetEnabled(false);
    SpinEdit2.SetEnabled(false);
    SpinEdit3.SetEnabled(false);
    CheckBoxInfinite.SetEnabled(false);
}

}  // namespace orv
