// TAppForm: the main window's behaviour, written against control models so that it runs the
// same under the Win32 view and in unit tests. The captions of the Record and Play buttons are
// the recording and playback states; disabled labels gate the hotkeys.
#pragma once

#include <memory>
#include <optional>
#include <set>
#include <string>

#include "core/app_routines.h"
#include "core/controls.h"
#include "core/settings_store.h"
#include "core/version_info.h"
#include "macro/edit_step_form.h"
#include "macro/step_list.h"
#include "online/feedback_form.h"
#include "online/new_version.h"
#include "online/update_check.h"
#include "platform/platform.h"
#include "shell/hotkey_form.h"
#include "playback/play_schedule.h"

namespace orv {

inline constexpr wchar_t kSettingsSection[] = L"Settings";

// Image indices of the button pictures.
inline constexpr int kImageRecord = 45;
inline constexpr int kImagePlay = 46;
inline constexpr int kImageStop = 47;

// Portable-use test: can a new file "chk.tmp" be created in `folder`?
bool IsFolderWritable(Platform& platform, std::wstring folder);

class TAppForm : public Control {  // the caption of this control is the window caption
public:
    explicit TAppForm(Platform& platform);
    ~TAppForm() override;

    // --- left column ------------------------------------------------------------------------
    TLabel Label1;  // "Hotkey: Ctrl + Alt + R"
    TButton Button3;
    TButton ButtonRecord;
    TRadioButton RadioButton1;  // time-based recording
    TRadioButton RadioButton2;  // event-based recording
    TLabel Label5;  // "Hotkey: Ctrl + Alt + P"
    TButton Button7;
    TButton ButtonPlay;
    TLabel LabelLoop;
    TSpinEdit SpinEdit1;  // Loop
    TCheckBox CheckBoxInfinite;
    TLabel LabelStepDelay;
    TSpinEdit SpinEdit2;  // Step Delay
    TLabel LabelMsec1;
    TLabel LabelReplayDelay;
    TSpinEdit SpinEdit3;  // Replay Delay
    TLabel LabelMsec2;
    // --- right side -------------------------------------------------------------------------
    TLabel GroupSteps;
    StepList ListView1;  // the macro: the list view shows these rows and nothing else
    TButton ButtonClear;
    TButton Button4;  // Load
    TButton Button5;  // Save
    TButton Button6;  // Insert Wait
    TStatusBar StatusBar1;

    // --- menus ------------------------------------------------------------------------------
    TMenuItem Clear1, Load1, Save1, Exit1;
    TMenuItem AutomaticallyLoad1, AutomaticallyPlay1, AutomaticallyClose1, HotkeyBeep1, LockMouse1,
        MinimizetoSystemTray1;
    TMenuItem RestoreMousePositionNone1, RestoreMousePositionAfterEachStep1, RestoreMousePositionAfterEachLoop1,
        RestoreMousePositionAfterCompletion1;
    TMenuItem StayonTop1, ResettoDefaults1;
    TMenuItem Help2, UpdateNotifications1, SendFeedback1, About1;
    TMenuItem MinimizeandRecord1, MinimizeandPlay1;  // drop-downs of the split buttons
    TMenuItem Edit1, Delete1, DeleteAll1;            // context menu of the step list
    TMenuItem Exit2;                                 // tray menu
    TTrayIcon TrayIcon1;  // hidden at creation; shown while the window waits in the tray

    // Every menu item, for the view to bind by command id.
    std::vector<TMenuItem*> MenuItems();

    // --- timers -----------------------------------------------------------------------------
    TTimer TimerChecker, TimerParam, TimerStatusMouse, TimerRecord, TimerMouseHook, TimerPlay, TimerWait,
        TimerClose, TimerHotKeyLock;

    // --- lifecycle --------------------------------------------------------------------------
    void FormCreate();
    // Arms the timers that run from start (TimerStatusMouse, TimerParam, TimerChecker). Called
    // once, when the message loop starts: message boxes and StayOnTopYap inside FormCreate run
    // message loops of their own, and no tick may find start-up unfinished.
    void StartTimers();
    void FormShow();
    void FormDestroy();
    void SetWindowRef(WindowRef window) { m_window = window; }
    WindowRef Window() const { return m_window; }
    // Set by the view: gives the keyboard focus to a control; answers false when it cannot.
    // The step list is addressed as the `GroupSteps` control.
    std::function<bool(Control&)> FocusControl;
    // Set by the view: shows a new step editor without blocking the main window.
    std::function<void(std::unique_ptr<TFormEditStep>)> ShowStepEditor;
    // Set by the view: creates the about box and shows it modally; returns once it is closed.
    std::function<void()> ShowAboutBox;

    // --- handlers ---------------------------------------------------------------------------
    void Exit1Click();
    void Exit2Click();
    void ResettoDefaults1Click();
    void RadioButton1Click();
    void RadioButton2Click();
    void SpinEdit1Change();
    void SpinEdit2Change();
    void SpinEdit3Change();
    void CheckBoxInfiniteClick();
    void AutomaticallyLoad1Click();
    void AutomaticallyPlay1Click();
    void AutomaticallyClose1Click();
    void HotkeyBeep1Click();
    void LockMouse1Click();
    void MinimizetoSystemTray1Click();
    void RestoreMousePositionClick(TMenuItem& item, const wchar_t* value);
    void StayonTop1Click();
    void StayOnTopYap();
    void StayOnTopYapma();
    // The modal-window rule: every command that shows a window modally shows it through here.
    // A checked "Stay on Top" is switched off (stored, unchecked, not topmost) while `show`
    // runs and switched on again afterwards, also when `show` ends with an exception.
    void ShowModalWindow(const std::function<void()>& show);
    // On every minimize of the application: with "Minimize to System Tray" checked the window
    // leaves the taskbar for the notification area.
    void ApplicationEvents1Minimize();
    // The window is back from the taskbar or the tray: the cursor panels catch up at once.
    void ApplicationEvents1Restore();
    void TrayIcon1Click();  // back from the notification area
    void Help2Click();
    void About1Click();
    void TimerParamTimer();
    // Step list and macro files.
    void ButtonClearClick();
    void Delete1Click();
    void ListView1KeyDown(int virtualKey);
    void ListView1DblClick();
    void Edit1Click();
    bool ListView1DragOver(bool sourceIsList) const { return sourceIsList; }
    // `target` is the row under the drop point, or StepList::kNone.
    void ListView1DragDrop(bool sourceIsList, std::size_t target);
    void Button4Click();
    void Button5Click();
    void Button6Click();
    void DosyaAc(const std::wstring& fileName);
    void WMDropFiles(const std::vector<std::wstring>& fileNames);
    void TimerCheckerTimer();
    void TimerStatusMouseTimer();
    void PlayIcinHazirla();  // prepare for play: enables the playback controls
    void PlayEngelle();      // block play: disables them

    // --- playback ---------------------------------------------------------------------------
    void PlayDugmeBasildi();  // the play/stop toggle
    void ButtonPlayClick();
    void MinimizeandPlay1Click();
    void TimerPlayTimer();
    void TimerWaitTimer();
    void TimerCloseTimer();
    void EnUsteGetir();       // restores the application and brings the window to the front
    void RecordEngelle();     // disables the recording controls
    void RecordNormaleDon();  // enables them again
    // Moves the cursor and clicks the buttons a click row marks.
    void Fare(std::int32_t x, std::int32_t y, std::wstring_view left, std::wstring_view right,
              std::wstring_view middle);
    bool Playing() const { return ButtonPlay.Caption() == L"Stop"; }
    bool Recording() const { return ButtonRecord.Caption() == L"Stop"; }

    // --- recording --------------------------------------------------------------------------
    void RecordDugmeBasildi();  // the record/stop toggle
    void ButtonRecordClick();
    void MinimizeandRecord1Click();
    void TimerRecordTimer();
    void TimerMouseHookTimer();
    void RenewMouseHook();
    void MouseHookProc(int code, std::uint32_t message, Point point);
    // Appends a captured row; `neYapalim` ("what to do") is 0 none, 1 left, 2 right, 3 middle.
    void ListeyeEkle(std::int64_t x, std::int64_t y, std::int64_t neYapalim);
    bool EventCaptureOn = false;
    std::uintptr_t MouseHookHandle = 0;

    // --- hotkeys ----------------------------------------------------------------------------
    void KayitliHotKeyOku();  // reads the saved hotkey letters
    void CreateWindowHandle();   // registers the hotkeys once the native window exists
    void DestroyWindowHandle();  // unregisters them before it goes away
    void WMHotKey(std::uint32_t id);
    void TimerHotKeyLockTimer();
    // The pencil buttons beside the hotkey labels: each click opens another hotkey dialog.
    void Button3Click();
    void Button7Click();
    // Set by the view: shows a new hotkey dialog without blocking the main window.
    std::function<void(std::unique_ptr<TFormHotkey>)> ShowHotkeyDialog;
    std::uint32_t hotkeyR1 = 0;
    std::uint32_t hotkeyP1 = 0;
    bool HotkeyLocked = false;

    std::int64_t PlayStepIndex = 0;  // the next row to perform
    Point SavedCursorPos;            // where the cursor goes back to
    bool MinimizedRun = false;       // the run minimized the window and brings it back
    int CloseCountdown = 0;          // seconds before the automatic close

    // --- online services (update check, notice, feedback) -----------------------------------
    void UpdateNotifications1Click();
    void SendFeedback1Click();
    // Set by the view: shows the notice's window (created hidden; it shows itself).
    std::function<void(TNewVer&)> ShowNewVer;
    // Set by the view: shows the feedback dialog modally and returns when it has closed.
    std::function<void(TFeedbackForm&)> ShowFeedback;
    const CheckerResults& Checker() const { return *m_checkerResults; }
    UpdateStore& UpdateStoreRef() { return *m_updateStore; }
    TNewVer* NewVer() { return m_newVer.get(); }

    // --- process-wide values fixed at start ------------------------------------------------
    const AppIdentity& Identity() const { return m_identity; }
    const std::wstring& DataFolder() const { return m_dataFolder; }
    wchar_t FieldSeparator() const { return m_fieldSeparator; }
    SettingsIni& Settings() { return m_settings; }
    const std::wstring& RecordHotkeyLetter() const { return m_recordHotkeyLetter; }
    const std::wstring& PlayHotkeyLetter() const { return m_playHotkeyLetter; }
    bool DragModeAutomatic() const { return m_dragModeAutomatic; }

private:
    void ApplyStoredSettings();
    void ReadIdentity();
    void DecideDataFolder();
    void OpenSettings();
    // Stores the written values: rewrites settings.ini and reports a failure in the error box.
    void SaveSettings();
    void WriteSwitch(const wchar_t* key, bool on);
    void SetCaptionFromFile(const std::wstring& fileName);
    void PerformRow(std::size_t row);
    std::int64_t PlanAheadUs() const;  // how far the schedule runs behind the waking timer
    std::int64_t HandOverUs() const;   // how long before its deadline a row is handed over
    void FollowSentRow();              // the list holds the row the input thread took last
    void TimerPlayFrameTimer();
    void RestartPlaySchedule(std::uint32_t stepMs);  // the next row one step after now, with the lead
    void HoldPlayingRow(std::size_t row);
    // Playback on fixed deadlines; the list view follows the playing row at the display's pace.
    void PlaySlot();                // one row, or the end of a pass
    void ShowPlayingRow();          // the view catches up with the row the model holds
    PlaySchedule m_playSchedule;
    // The deadline of the last row handed to the input thread, and whether a pause or a replay
    // delay has begun since: the next row then keeps its distance from that one, however late
    // that one goes out.
    std::optional<std::int64_t> m_lastQueuedDueUs;
    bool m_waitedSinceQueued = false;
    void RegisterHotkeys();
    void TimerHotkeyRetryTimer();
    void OpenHotkeyDialog(const wchar_t* which);
    TTimer m_hotkeyRetry;        // retries a registration a closing instance still holds
    int m_hotkeyRetriesLeft = 0;
    std::set<std::uint32_t> m_registered;
    void EndOfPass();
    void CancelClosing();
    void TimerStepDelayTimer();
    // A Step Delay typed during a run reaches TimerPlay only once the field has been still this
    // long: every keystroke is a change, and typing 250 must not play rows at 2 and 25 ms.
    static constexpr std::uint32_t kStepDelaySettleMs = 500;
    TTimer m_stepDelaySettle;
    TTimer m_playFrame;  // during a run, once a frame: the list follows the input thread
    void ToggleSwitch(TMenuItem& item, const wchar_t* key);

    Platform& m_platform;
    WindowRef m_window = 0;
    AppIdentity m_identity;
    std::wstring m_dataFolder;
    // Exists from construction, on no file until FormCreate opens settings.ini, so that no
    // handler ever meets a missing store; a write before then fails and is reported.
    SettingsIni m_settings;
    wchar_t m_fieldSeparator = L',';
    std::wstring m_recordHotkeyLetter = L"R";
    std::wstring m_playHotkeyLetter = L"P";
    bool m_dragModeAutomatic = false;
    bool m_creating = false;                // inside FormCreate
    bool m_startupWriteErrorShown = false;  // one report of a failing write during start-up
    bool m_timersStarted = false;
    int m_checkerStarted = 0;
    // Between a minimize and the restore the status bar cannot be seen: the cursor timer keeps
    // ticking but reads nothing (each reading is a round trip to the window system).
    bool m_minimized = false;
    // The check's results and store outlive this form if the thread is still running at exit.
    std::shared_ptr<CheckerResults> m_checkerResults = std::make_shared<CheckerResults>();
    std::shared_ptr<UpdateStore> m_updateStore;
    // The check thread reaches the platform only through this; the destructor cuts it, as the
    // platform goes right after the form.
    std::shared_ptr<CheckerLink> m_checkerLink;
    std::unique_ptr<TNewVer> m_newVer;  // created at most once per run, then only hidden
};

}  // namespace orv
