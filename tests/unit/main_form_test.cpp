// Start-up of the main window, the settings it applies and writes, reset and exit, driven
// through the form's handlers over the in-memory platform.
#include "app/main_form.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <stdexcept>

#include "platform/fake/fake_platform.h"

namespace orv {
namespace {

const std::wstring kExeFolder = L"C:\\Program Files\\Orvalin\\";
const std::wstring kPortableIni = kExeFolder + L"settings.ini";
const std::wstring kUserFolder = L"C:\\Users\\user\\AppData\\Roaming\\QUENZAL\\Orvalin\\";
const std::string kBom = "\xEF\xBB\xBF";

class MainFormTest : public ::testing::Test {
protected:
    MainFormTest() { os.InstallOwnVersionResource(); }

    TAppForm& Start() {
        form = std::make_unique<TAppForm>(os);
        form->FormCreate();
        form->StartTimers();
        return *form;
    }
    void StoreSettings(const std::string& body, const std::wstring& path = kPortableIni) {
        os.ReplaceFileContent(path, kBom + body);
    }
    bool Logged(const std::wstring& entry) const {
        return std::find(os.log.begin(), os.log.end(), entry) != os.log.end();
    }

    FakePlatform os;
    std::unique_ptr<TAppForm> form;
};

TEST_F(MainFormTest, FirstStartInAWritableFolderWritesOnlyTheReplayDelay) {
    TAppForm& f = Start();
    EXPECT_EQ(f.Caption(), L"QUENZAL - Orvalin");
    EXPECT_EQ(f.Identity().AppVersion, L"3.2");
    EXPECT_EQ(f.DataFolder(), kExeFolder);
    EXPECT_TRUE(Logged(L"Probe " + kExeFolder + L"chk.tmp"));
    EXPECT_EQ(os.FileBytes(kPortableIni), kBom + "[Settings]\r\nReplayDelay=1000\r\n\r\n");
    EXPECT_TRUE(os.errorBoxes.empty());

    EXPECT_EQ(f.Label1.Caption(), L"Hotkey: Ctrl + Alt + R");
    EXPECT_EQ(f.Label5.Caption(), L"Hotkey: Ctrl + Alt + P");
    EXPECT_FALSE(f.Label5.Enabled());
    EXPECT_FALSE(f.ButtonPlay.Enabled());
    EXPECT_TRUE(f.ButtonRecord.Enabled());
    EXPECT_TRUE(f.RadioButton1.Checked());
    EXPECT_TRUE(f.HotkeyBeep1.Checked());
    EXPECT_TRUE(f.LockMouse1.Checked());
    EXPECT_TRUE(f.RestoreMousePositionNone1.Checked());
    EXPECT_EQ(f.SpinEdit1.Value(), 1);
    EXPECT_EQ(f.SpinEdit2.Value(), 100);
    EXPECT_EQ(f.SpinEdit3.Value(), 1000);
    EXPECT_EQ(f.TimerPlay.Interval(), 100u);
    EXPECT_TRUE(f.DragModeAutomatic());
    EXPECT_EQ(f.FieldSeparator(), L',');
}

TEST_F(MainFormTest, UsesThePerUserFolderWhenTheProgramFolderIsNotWritable) {
    struct Case {
        const char* name;
        void (*block)(FakePlatform&);
    };
    const Case cases[] = {
        {"read-only folder", [](FakePlatform& os) { os.readOnlyFolders.insert(L"c:\\program files\\orvalin"); }},
        {"a chk.tmp already there", [](FakePlatform& os) { os.files[L"c:\\program files\\orvalin\\chk.tmp"] = ""; }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        os = FakePlatform();
        os.InstallOwnVersionResource();
        c.block(os);
        TAppForm& f = Start();
        EXPECT_EQ(f.DataFolder(), kUserFolder);
        EXPECT_TRUE(Logged(L"CreateFolder C:\\Users\\user\\AppData\\Roaming\\QUENZAL"));
        EXPECT_TRUE(Logged(L"CreateFolder C:\\Users\\user\\AppData\\Roaming\\QUENZAL\\Orvalin"));
        EXPECT_EQ(os.FileBytes(kUserFolder + L"settings.ini"), kBom + "[Settings]\r\nReplayDelay=1000\r\n\r\n");
        EXPECT_FALSE(os.HasFile(kPortableIni));
    }
}

// A rewrite cut short by a kill: earlier builds moved the old settings.ini aside to
// settings.ini.orvbak before moving the new one in, and a kill between the two left only that
// copy; a kill mid-write can leave settings.ini.orvtmp. The start puts the settings back and
// leaves neither name behind.
TEST_F(MainFormTest, StartRecoversWhatAnInterruptedSettingsWriteLeft) {
    const std::wstring kBackup = kPortableIni + L".orvbak";
    const std::wstring kTemp = kPortableIni + L".orvtmp";
    const std::string kOld = kBom + "[Settings]\r\nReplayDelay=1000\r\nHotkeyBeep=OFF\r\n\r\n";
    const std::string kNew = kBom + "[Settings]\r\nReplayDelay=1000\r\nLockMouse=OFF\r\n\r\n";
    struct Case {
        const char* name;
        const char* settings;  // nullptr: no settings.ini
        const char* backup;
        const char* temp;
        std::string expected;  // settings.ini after the start
        bool beep;
        bool lock;
    };
    const Case cases[] = {
        {"only the backup is left", nullptr, kOld.c_str(), nullptr, kOld, false, true},
        {"backup and half-written temp, no file", nullptr, kOld.c_str(), "[Sett", kOld, false, true},
        {"the file and a stale backup", kNew.c_str(), kOld.c_str(), nullptr, kNew, true, false},
        {"the file and a half-written temp", kNew.c_str(), nullptr, "[Settings]\r\nHotk", kNew, true, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        os = FakePlatform();
        os.InstallOwnVersionResource();
        if (c.settings) os.ReplaceFileContent(kPortableIni, c.settings);
        if (c.backup) os.ReplaceFileContent(kBackup, c.backup);
        if (c.temp) os.ReplaceFileContent(kTemp, c.temp);
        TAppForm& f = Start();
        EXPECT_EQ(os.FileBytes(kPortableIni), c.expected);
        EXPECT_EQ(f.HotkeyBeep1.Checked(), c.beep);
        EXPECT_EQ(f.LockMouse1.Checked(), c.lock);
        EXPECT_FALSE(os.HasFile(kBackup));
        EXPECT_FALSE(os.HasFile(kTemp));
        EXPECT_TRUE(os.errorBoxes.empty());
    }
}

TEST_F(MainFormTest, AppliesEveryStoredSettingThroughItsControl) {
    StoreSettings(
        "; kept by hand\r\n"
        "[Settings]\r\n"
        "Record=EventBased\r\nLoop=7\r\nStepDelay=0x20\r\nReplayDelay=250\r\nInfinite=ON\r\n"
        "MinimizeToSystemTray=ON\r\nRestoreMousePosition=AfterEachLoop\r\nHotkeyBeep=OFF\r\nLockMouse=OFF\r\n"
        "StayOnTop=ON\r\nAutomaticallyLoad=ON\r\nAutomaticallyPlay=ON\r\nAutomaticallyClose=ON\r\nFoo=1\r\n");
    TAppForm& f = Start();
    EXPECT_TRUE(f.RadioButton2.Checked());
    EXPECT_FALSE(f.RadioButton1.Checked());
    EXPECT_EQ(f.SpinEdit1.Value(), 7);
    EXPECT_EQ(f.SpinEdit2.Value(), 32);
    EXPECT_EQ(f.TimerPlay.Interval(), 32u);
    EXPECT_EQ(f.SpinEdit3.Value(), 250);
    EXPECT_TRUE(f.CheckBoxInfinite.Checked());
    EXPECT_TRUE(f.MinimizetoSystemTray1.Checked());
    EXPECT_TRUE(f.RestoreMousePositionAfterEachLoop1.Checked());
    EXPECT_FALSE(f.RestoreMousePositionNone1.Checked());
    EXPECT_FALSE(f.HotkeyBeep1.Checked());
    EXPECT_FALSE(f.LockMouse1.Checked());
    EXPECT_TRUE(f.StayonTop1.Checked());
    EXPECT_TRUE(Logged(L"SetTopmost on"));
    EXPECT_TRUE(f.AutomaticallyLoad1.Checked());
    EXPECT_TRUE(f.AutomaticallyPlay1.Checked());
    EXPECT_TRUE(f.AutomaticallyPlay1.Enabled());
    EXPECT_TRUE(f.AutomaticallyClose1.Checked());
    // Rewritten by the controls that changed: the comment is gone, the hex value is decimal
    // now, the unknown key survives.
    EXPECT_EQ(os.FileBytes(kPortableIni),
              kBom +
                  "[Settings]\r\nRecord=EventBased\r\nLoop=7\r\nStepDelay=32\r\nReplayDelay=250\r\nInfinite=ON\r\n"
                  "MinimizeToSystemTray=ON\r\nRestoreMousePosition=AfterEachLoop\r\nHotkeyBeep=OFF\r\n"
                  "LockMouse=OFF\r\nStayOnTop=ON\r\nAutomaticallyLoad=ON\r\nAutomaticallyPlay=ON\r\n"
                  "AutomaticallyClose=ON\r\nFoo=1\r\n\r\n");
}

TEST_F(MainFormTest, StoredValuesAreReadByTheirExactRules) {
    struct Case {
        const char* stored;
        void (*check)(TAppForm&);
    };
    const Case cases[] = {
        {"Loop=0", [](TAppForm& f) { EXPECT_EQ(f.SpinEdit1.Value(), 1); }},
        {"StepDelay=abc", [](TAppForm& f) { EXPECT_EQ(f.SpinEdit2.Value(), 100); }},
        {"StepDelay=2000000000", [](TAppForm& f) { EXPECT_EQ(f.SpinEdit2.Value(), 999999999); }},
        {"ReplayDelay=-5", [](TAppForm& f) { EXPECT_EQ(f.SpinEdit3.Value(), 0); }},
        {"HotkeyBeep=on", [](TAppForm& f) { EXPECT_FALSE(f.HotkeyBeep1.Checked()); }},
        {"Infinite=on", [](TAppForm& f) { EXPECT_FALSE(f.CheckBoxInfinite.Checked()); }},
        {"Record=eventbased", [](TAppForm& f) { EXPECT_TRUE(f.RadioButton1.Checked()); }},
        {"RestoreMousePosition=afterEachLoop", [](TAppForm& f) { EXPECT_TRUE(f.RestoreMousePositionNone1.Checked()); }},
        {"AutomaticallyPlay=ON",
         [](TAppForm& f) {
             EXPECT_TRUE(f.AutomaticallyPlay1.Checked());
             EXPECT_FALSE(f.AutomaticallyPlay1.Enabled());
         }},
        {"Infinite=ON",
         [](TAppForm& f) {
             // Checking Infinite disables the Loop field (all playback fields start disabled
             // anyway; enabling them later keeps Loop disabled).
             f.PlayIcinHazirla();
             EXPECT_FALSE(f.SpinEdit1.Enabled());
             EXPECT_TRUE(f.SpinEdit2.Enabled());
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.stored);
        os = FakePlatform();
        os.InstallOwnVersionResource();
        StoreSettings(std::string("[Settings]\r\n") + c.stored + "\r\n");
        c.check(Start());
    }
}

TEST_F(MainFormTest, RaisedLoopIsWrittenBackAndUnparsableValuesAreLeftAlone) {
    StoreSettings("[Settings]\r\nLoop=0\r\nStepDelay=abc\r\n");
    Start();
    EXPECT_EQ(os.FileBytes(kPortableIni), kBom + "[Settings]\r\nLoop=1\r\nStepDelay=abc\r\nReplayDelay=1000\r\n\r\n");
}

TEST_F(MainFormTest, AnUndecodableSettingsFileIsReplacedByDefaultsWithoutAMessage) {
    os.files[L"c:\\program files\\orvalin\\settings.ini"] = "[Settings]\r\nLoop=\xff\xfe" "5\r\n";
    TAppForm& f = Start();
    EXPECT_TRUE(Logged(L"DeleteFile " + kPortableIni));
    EXPECT_EQ(f.SpinEdit1.Value(), 1);
    EXPECT_EQ(os.FileBytes(kPortableIni), kBom + "[Settings]\r\nReplayDelay=1000\r\n\r\n");
    EXPECT_TRUE(os.errorBoxes.empty());
}

TEST_F(MainFormTest, ASettingsFileThatStaysUnreadableGivesDefaultsAndOneReport) {
    os.files[L"c:\\program files\\orvalin\\settings.ini"] = "[Settings]\r\nLoop=9\r\n";
    os.unreadableFiles.insert(L"c:\\program files\\orvalin\\settings.ini");
    os.undeletableFiles.insert(L"c:\\program files\\orvalin\\settings.ini");
    TAppForm& f = Start();
    ASSERT_EQ(os.errorBoxes.size(), 1u);
    EXPECT_EQ(os.errorBoxes[0].rfind(L"Cannot open file \"" + kPortableIni + L"\". ", 0), 0u);
    EXPECT_EQ(f.SpinEdit1.Value(), 1);
    EXPECT_EQ(f.SpinEdit3.Value(), 1000);
    EXPECT_EQ(f.Label1.Caption(), L"Hotkey: Ctrl + Alt + R");  // start-up went on to the end
}

TEST_F(MainFormTest, AnUnreadableVersionRecordFallsBackToTheProgramsOwnNames) {
    // With the program folder read-only the per-user folder is used: empty names would make it
    // the application-data folder itself.
    struct Case {
        const char* name;
        void (*breakRecord)(FakePlatform::VersionResource&);
        const wchar_t* report;  // start of the one error report, or nullptr for none
    };
    const Case cases[] = {
        {"no version information", nullptr, L"System Error.  Code: 1813."},
        {"cannot be loaded", [](FakePlatform::VersionResource& r) { r.loadFails = true; },
         L"System Error.  Code: 5."},
        {"no translation table", [](FakePlatform::VersionResource& r) { r.translations.clear(); },
         L"System Error.  Code: 1813."},
        {"names missing", [](FakePlatform::VersionResource& r) { r.strings.clear(); }, nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        os = FakePlatform();
        os.InstallOwnVersionResource();
        if (c.breakRecord) {
            c.breakRecord(os.versionResources[os.exePath]);
        } else {
            os.versionResources.clear();
        }
        os.readOnlyFolders.insert(L"c:\\program files\\orvalin");
        os.listSeparator = L";";
        TAppForm& f = Start();
        if (c.report) {
            ASSERT_EQ(os.errorBoxes.size(), 1u);
            EXPECT_EQ(os.errorBoxes[0].rfind(c.report, 0), 0u);
        } else {
            EXPECT_TRUE(os.errorBoxes.empty());
        }
        EXPECT_EQ(f.Caption(), L"QUENZAL - Orvalin");
        EXPECT_EQ(f.DataFolder(), kUserFolder);
        EXPECT_EQ(os.FileBytes(kUserFolder + L"settings.ini"),
                  kBom + "[Settings]\r\nReplayDelay=1000\r\n\r\n");
        EXPECT_FALSE(os.HasFile(L"C:\\Users\\user\\AppData\\Roaming\\settings.ini"));
        EXPECT_EQ(f.FieldSeparator(), L';');  // start-up went on to the end
    }
}

TEST_F(MainFormTest, TicksWaitUntilStartUpHasFinished) {
    // Start-up runs message loops (an error box, the window update of Stay on Top) while the
    // user takes 0.6 s over a box; TimerParam must still find the store, the automatic load
    // switch and the list separator in place.
    struct Case {
        const char* name;
        const char* stored;
        std::vector<std::wstring> params;
        bool versionRecord;
    };
    const Case cases[] = {
        {"automatic load", "StayOnTop=ON\r\nAutomaticallyLoad=ON\r\nLastUsedFile=C:\\a.csv\r\n", {}, true},
        {"command line", "StayOnTop=ON\r\n", {L"C:\\a.csv"}, true},
        {"command line, unreadable version record", "", {L"C:\\a.csv"}, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        os = FakePlatform();
        if (c.versionRecord) os.InstallOwnVersionResource();
        os.listSeparator = L";";
        os.files[L"c:\\a.csv"] = "1;2;X\r\n";
        StoreSettings(std::string("[Settings]\r\n") + c.stored);
        os.params = c.params;
        os.duringMessageLoop = [this] { os.Advance(600); };
        form = std::make_unique<TAppForm>(os);
        form->FormCreate();
        EXPECT_TRUE(form->ListView1.Empty());
        EXPECT_FALSE(form->TimerParam.Enabled());

        form->StartTimers();
        os.Advance(499);
        EXPECT_TRUE(form->ListView1.Empty());
        os.Advance(1);  // half a second after the message loop started
        ASSERT_EQ(form->ListView1.Count(), 1u);
        EXPECT_EQ(form->ListView1.Cell(0, kCellX), L"1");
        EXPECT_EQ(form->ListView1.Cell(0, kCellY), L"2");
        EXPECT_EQ(form->ListView1.Cell(0, kCellLeft), L"X");
    }
}

TEST_F(MainFormTest, HandlersFindASettingsStoreEvenBeforeStartUpOpenedOne) {
    // Whatever ends start-up before settings.ini is open, later handlers must not crash: their
    // writes stay in memory and the failure to store them is reported.
    os.files[L"c:\\a.csv"] = "1,2\r\n";
    form = std::make_unique<TAppForm>(os);
    TAppForm& f = *form;
    const bool lockMouse = f.LockMouse1.Checked();
    f.LockMouse1.Click();
    EXPECT_NE(f.LockMouse1.Checked(), lockMouse);
    EXPECT_EQ(os.errorBoxes.size(), 1u);
    f.DosyaAc(L"C:\\a.csv");
    EXPECT_EQ(f.ListView1.Count(), 1u);
    f.Clear1.Click();
    EXPECT_TRUE(f.ListView1.Empty());
}

TEST_F(MainFormTest, AFailingWriteIsReportedAndTheChangeStaysOnScreen) {
    TAppForm& f = Start();
    os.readOnlyFolders.insert(L"c:\\program files\\orvalin");
    f.LockMouse1.Click();
    EXPECT_FALSE(f.LockMouse1.Checked());
    ASSERT_EQ(os.errorBoxes.size(), 1u);
    EXPECT_EQ(os.errorBoxes[0], L"Cannot create file \"" + kPortableIni + L"\". Access is denied.");
    // The next write that succeeds takes the earlier change along.
    os.readOnlyFolders.clear();
    f.AutomaticallyClose1.Click();
    EXPECT_NE(os.FileBytes(kPortableIni).find("LockMouse=OFF\r\nAutomaticallyClose=ON"), std::string::npos);
}

TEST_F(MainFormTest, SwitchingAutomaticLoadOffAlsoSwitchesAutomaticPlayOff) {
    TAppForm& f = Start();
    f.AutomaticallyLoad1.Click();
    EXPECT_TRUE(f.AutomaticallyPlay1.Enabled());
    f.AutomaticallyPlay1.Click();
    EXPECT_TRUE(f.AutomaticallyPlay1.Checked());
    f.AutomaticallyLoad1.Click();
    EXPECT_FALSE(f.AutomaticallyPlay1.Checked());
    EXPECT_FALSE(f.AutomaticallyPlay1.Enabled());
    EXPECT_NE(os.FileBytes(kPortableIni).find("AutomaticallyLoad=OFF\r\nAutomaticallyPlay=OFF\r\n"), std::string::npos);
    f.AutomaticallyLoad1.Click();
    EXPECT_TRUE(f.AutomaticallyPlay1.Enabled());
    EXPECT_FALSE(f.AutomaticallyPlay1.Checked());
}

TEST_F(MainFormTest, SettingControlsWriteThroughAtOnce) {
    TAppForm& f = Start();
    const auto value = [&](const std::string& key) {
        const std::string bytes = os.FileBytes(kPortableIni);
        const auto at = bytes.find("\n" + key + "=");
        if (at == std::string::npos) return std::string("<absent>");
        const auto start = at + key.size() + 2;
        return bytes.substr(start, bytes.find('\r', start) - start);
    };
    f.RadioButton2.Click();
    EXPECT_EQ(value("Record"), "EventBased");
    f.RadioButton1.Click();
    EXPECT_EQ(value("Record"), "TimeBased");
    f.SpinEdit2.SetValue(250);
    EXPECT_EQ(value("StepDelay"), "250");
    EXPECT_EQ(f.TimerPlay.Interval(), 250u);
    f.CheckBoxInfinite.Click();
    EXPECT_EQ(value("Infinite"), "ON");
    f.RestoreMousePositionAfterCompletion1.Click();
    EXPECT_EQ(value("RestoreMousePosition"), "AfterCompletion");
    f.HotkeyBeep1.Click();
    EXPECT_EQ(value("HotkeyBeep"), "OFF");
    f.StayonTop1.Click();
    EXPECT_EQ(value("StayOnTop"), "ON");
    f.StayonTop1.Click();
    EXPECT_EQ(value("StayOnTop"), "OFF");
    EXPECT_TRUE(Logged(L"SetTopmost off"));
}

TEST_F(MainFormTest, ResetToDefaultsAsksAndOnYesDeletesTheSettingsAndRestarts) {
    TAppForm& f = Start();
    os.dialogAnswers = {kResultNo};
    f.ResettoDefaults1.Click();
    ASSERT_EQ(os.dialogs.size(), 1u);
    EXPECT_EQ(os.dialogs[0].message, L"Restart Application?");
    EXPECT_EQ(os.dialogs[0].caption, L"Confirmation");
    EXPECT_EQ(os.dialogs[0].kind, DialogKind::Confirmation);
    EXPECT_EQ(os.dialogs[0].buttonCaptions, (std::vector<std::wstring>{L"Yes", L"No"}));
    EXPECT_TRUE(os.HasFile(kPortableIni));
    EXPECT_FALSE(Logged(L"Terminate"));

    os.log.clear();
    os.dialogAnswers = {kResultYes};
    f.ResettoDefaults1.Click();
    EXPECT_FALSE(os.HasFile(kPortableIni));
    EXPECT_EQ(os.log, (std::vector<std::wstring>{
                          L"DeleteFile " + kPortableIni, L"ProcessMessages",
                          L"ShellExecute verb= file=" + kExeFolder + L"orvalin.exe params= dir= show=1",
                          L"Terminate"}));
}

TEST_F(MainFormTest, TimersStartAsTheWindowNeedsThem) {
    TAppForm& f = Start();
    os.cursor = {-120, 45};
    EXPECT_TRUE(f.TimerParam.Enabled());
    os.Advance(1000);
    EXPECT_FALSE(f.TimerParam.Enabled());  // once only
    EXPECT_EQ(f.StatusBar1.PanelText(0), L"X: -120");
    EXPECT_EQ(f.StatusBar1.PanelText(1), L"Y: 45");
    os.RunThreads();  // the update check, started by the first checker tick
    os.Advance(1000);
    EXPECT_FALSE(f.TimerChecker.Enabled());
    EXPECT_TRUE(f.UpdateNotifications1.Enabled());
    for (TTimer* idle : {&f.TimerRecord, &f.TimerMouseHook, &f.TimerPlay, &f.TimerWait, &f.TimerClose,
                         &f.TimerHotKeyLock}) {
        EXPECT_FALSE(idle->Enabled());
    }
}

// --- the window shell: Settings menu, Stay on Top, the tray, help, the checker timer ------------

// The value a key has in settings.ini on disk, or "<absent>".
std::string StoredValue(FakePlatform& os, const std::string& key) {
    const std::string bytes = os.FileBytes(kPortableIni);
    const auto at = bytes.find("\n" + key + "=");
    if (at == std::string::npos) return "<absent>";
    const auto start = at + key.size() + 2;
    return bytes.substr(start, bytes.find('\r', start) - start);
}

TEST_F(MainFormTest, EachOnOffOptionFlipsItsCheckMarkAndItsStoredValue) {
    struct Case {
        TMenuItem TAppForm::*item;
        const char* key;
        bool checkedAtStart;  // with no settings file
    };
    const Case cases[] = {
        {&TAppForm::AutomaticallyLoad1, "AutomaticallyLoad", false},
        {&TAppForm::AutomaticallyClose1, "AutomaticallyClose", false},
        {&TAppForm::HotkeyBeep1, "HotkeyBeep", true},
        {&TAppForm::LockMouse1, "LockMouse", true},
        {&TAppForm::MinimizetoSystemTray1, "MinimizeToSystemTray", false},
        {&TAppForm::StayonTop1, "StayOnTop", false},
    };
    TAppForm& f = Start();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.key);
        TMenuItem& item = f.*c.item;
        EXPECT_EQ(item.Checked(), c.checkedAtStart);
        EXPECT_EQ(StoredValue(os, c.key), "<absent>");
        item.Click();
        EXPECT_EQ(item.Checked(), !c.checkedAtStart);
        EXPECT_EQ(StoredValue(os, c.key), c.checkedAtStart ? "OFF" : "ON");
        item.Click();
        EXPECT_EQ(item.Checked(), c.checkedAtStart);
        EXPECT_EQ(StoredValue(os, c.key), c.checkedAtStart ? "ON" : "OFF");
    }
}

TEST_F(MainFormTest, AutomaticPlayIsUsableOnlyWhileAutomaticLoadIsOn) {
    // Clicks in order, and after each: load checked, play checked, play enabled, stored load
    // and play values.
    struct Step {
        const char* click;  // "load" or "play"
        bool load, play, playEnabled;
        const char* storedLoad;
        const char* storedPlay;
    };
    const Step steps[] = {
        {"play", false, false, false, "<absent>", "<absent>"},  // disabled: nothing happens
        {"load", true, false, true, "ON", "<absent>"},
        {"play", true, true, true, "ON", "ON"},
        {"load", false, false, false, "OFF", "OFF"},  // switching load off switches play off
        {"load", true, false, true, "ON", "OFF"},     // on again: play usable, still unchecked
        {"play", true, true, true, "ON", "ON"},
        {"play", true, false, true, "ON", "OFF"},
    };
    TAppForm& f = Start();
    int n = 0;
    for (const Step& s : steps) {
        SCOPED_TRACE(testing::Message() << "after click " << ++n << " (" << s.click << ")");
        (std::string(s.click) == "load" ? f.AutomaticallyLoad1 : f.AutomaticallyPlay1).Click();
        EXPECT_EQ(f.AutomaticallyLoad1.Checked(), s.load);
        EXPECT_EQ(f.AutomaticallyPlay1.Checked(), s.play);
        EXPECT_EQ(f.AutomaticallyPlay1.Enabled(), s.playEnabled);
        EXPECT_EQ(StoredValue(os, "AutomaticallyLoad"), s.storedLoad);
        EXPECT_EQ(StoredValue(os, "AutomaticallyPlay"), s.storedPlay);
    }
}

TEST_F(MainFormTest, RestoreMousePositionItemsAreOneRadioGroupWithTheirStoredValues) {
    TAppForm& f = Start();
    const std::pair<TMenuItem TAppForm::*, const char*> items[] = {
        {&TAppForm::RestoreMousePositionAfterEachStep1, "AfterEachStep"},
        {&TAppForm::RestoreMousePositionAfterEachLoop1, "AfterEachLoop"},
        {&TAppForm::RestoreMousePositionAfterCompletion1, "AfterCompletion"},
        {&TAppForm::RestoreMousePositionNone1, "None"},
        {&TAppForm::RestoreMousePositionNone1, "None"},  // the checked one again: stored again
    };
    for (const auto& [item, value] : items) {
        SCOPED_TRACE(value);
        (f.*item).Click();
        EXPECT_EQ(StoredValue(os, "RestoreMousePosition"), value);
        for (const auto& [other, ignored] : items) EXPECT_EQ((f.*other).Checked(), other == item);
    }
}

TEST_F(MainFormTest, AModalWindowIsShownWithStayOnTopLiftedAndItComesBackAfterwards) {
    struct Case {
        const char* name;
        bool stayOnTop;
        bool windowThrows;
        const char* storedWhileOpen;
        std::vector<std::wstring> log;  // platform calls around the window
    };
    const Case cases[] = {
        {"stay on top off", false, false, "<absent>", {L"shown"}},
        {"stay on top on",
         true,
         false,
         "OFF",
         {L"SetTopmost off", L"ProcessMessages", L"shown", L"SetTopmost on", L"ProcessMessages"}},
        // A window that fails must not leave the setting switched off for good.
        {"stay on top on, the window fails",
         true,
         true,
         "OFF",
         {L"SetTopmost off", L"ProcessMessages", L"shown", L"SetTopmost on", L"ProcessMessages"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        os = FakePlatform();
        os.InstallOwnVersionResource();
        if (c.stayOnTop) StoreSettings("[Settings]\r\nStayOnTop=ON\r\n");
        TAppForm& f = Start();
        os.log.clear();
        std::string storedWhileOpen;
        bool checkedWhileOpen = true;
        const auto show = [&] {
            os.log.push_back(L"shown");
            storedWhileOpen = StoredValue(os, "StayOnTop");
            checkedWhileOpen = f.StayonTop1.Checked();
            if (c.windowThrows) throw std::runtime_error("the window failed");
        };
        if (c.windowThrows) {
            EXPECT_THROW(f.ShowModalWindow(show), std::runtime_error);
        } else {
            f.ShowModalWindow(show);
        }
        EXPECT_EQ(storedWhileOpen, c.storedWhileOpen);
        EXPECT_FALSE(checkedWhileOpen);
        EXPECT_EQ(os.log, c.log);
        EXPECT_EQ(f.StayonTop1.Checked(), c.stayOnTop);
        EXPECT_EQ(StoredValue(os, "StayOnTop"), c.stayOnTop ? "ON" : "<absent>");
    }
}

TEST_F(MainFormTest, MinimizingGoesToTheTrayOnlyWithTheOptionAndAClickBringsTheWindowBack) {
    struct Case {
        const char* name;
        bool option;
        std::vector<std::wstring> logOnMinimize;
        bool iconShown;
    };
    const Case cases[] = {
        {"option off: the taskbar", false, {}, false},
        {"option on: the tray", true, {L"Hide"}, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        os = FakePlatform();
        os.InstallOwnVersionResource();
        TAppForm& f = Start();
        if (c.option) f.MinimizetoSystemTray1.Click();
        EXPECT_FALSE(f.TrayIcon1.Visible());  // hidden until the first minimize
        os.log.clear();
        f.ApplicationEvents1Minimize();
        EXPECT_EQ(os.log, c.logOnMinimize);
        EXPECT_EQ(f.TrayIcon1.Visible(), c.iconShown);
        if (!c.iconShown) continue;
        EXPECT_EQ(f.TrayIcon1.Hint(), L"QUENZAL - Orvalin");
        os.log.clear();
        f.TrayIcon1.Click();
        EXPECT_FALSE(f.TrayIcon1.Visible());
        EXPECT_EQ(os.log, (std::vector<std::wstring>{L"ShowNormal", L"SetForeground"}));
        // The tray menu's one command ends the program.
        f.Exit2.Click();
        EXPECT_TRUE(Logged(L"Terminate"));
    }
}

TEST_F(MainFormTest, ARunThatHidItselfInTheTrayLeavesNoIconBehindWhenItBringsTheWindowBack) {
    os.files[L"c:\\a.csv"] = "10,20,X\r\n";
    TAppForm& f = Start();
    f.MinimizetoSystemTray1.Click();
    f.SpinEdit3.SetValue(0);
    f.DosyaAc(L"C:\\a.csv");
    f.MinimizeandPlay1.Click();
    f.ApplicationEvents1Minimize();  // what the system reports for the minimize the run asked for
    EXPECT_TRUE(f.TrayIcon1.Visible());
    os.Advance(1000);  // one pass of one row, then the run ends and brings the window back
    EXPECT_FALSE(f.Playing());
    EXPECT_TRUE(Logged(L"Restore"));
    EXPECT_FALSE(f.TrayIcon1.Visible());
}

TEST_F(MainFormTest, OnlineHelpOpensTheProductsHelpPageAndIgnoresFailures) {
    struct Case {
        const wchar_t* product;
        std::wstring page;
    };
    const Case cases[] = {
        {L"Orvalin", L"http://" ORVALIN_WEBSITE_HOST L"/help/orvalin/"},
        {L"Orvalin Pro X", L"http://" ORVALIN_WEBSITE_HOST L"/help/orvalin-pro-x/"},
    };
    for (const Case& c : cases) {
        os = FakePlatform();
        os.InstallOwnVersionResource();
        os.versionResources[os.exePath].strings[L"\\StringFileInfo\\040904e4\\ProductName"] = c.product;
        TAppForm& f = Start();
        os.log.clear();
        f.Help2.Click();
        EXPECT_EQ(os.log, (std::vector<std::wstring>{L"ShellExecute verb=open file=" + c.page +
                                                     L" params= dir= show=0"}));
    }
}

TEST_F(MainFormTest, AStillCursorTouchesNoStatusPanel) {
    // The cursor timer asks 100 times a second; the view redraws a panel only on a change.
    TAppForm& f = Start();
    int updates = 0;
    f.StatusBar1.OnViewUpdate = [&] { ++updates; };
    os.cursor = {-5, -7};  // on a monitor left of and above the primary one
    os.Advance(10);
    EXPECT_EQ(f.StatusBar1.PanelText(0), L"X: -5");
    EXPECT_EQ(f.StatusBar1.PanelText(1), L"Y: -7");
    EXPECT_EQ(updates, 2);
    os.Advance(1000);
    EXPECT_EQ(updates, 2);
    os.cursor.x = 3;  // only panel 1 changes
    os.Advance(10);
    EXPECT_EQ(updates, 3);
    EXPECT_EQ(f.StatusBar1.PanelText(0), L"X: 3");
}

TEST_F(MainFormTest, WhileMinimizedTheCursorPanelsWaitAndCatchUpOnTheRestore) {
    struct Case {
        const char* name;
        bool tray;
    };
    for (const Case& c : {Case{"taskbar", false}, Case{"tray", true}}) {
        SCOPED_TRACE(c.name);
        os = FakePlatform();
        os.InstallOwnVersionResource();
        TAppForm& f = Start();
        if (c.tray) f.MinimizetoSystemTray1.Click();
        os.cursor = {10, 20};
        os.Advance(10);
        f.ApplicationEvents1Minimize();
        os.cursor = {-30, 40};
        os.Advance(1000);
        EXPECT_FALSE(f.TimerStatusMouse.Enabled());  // it rests while nobody sees the panels
        EXPECT_EQ(f.StatusBar1.PanelText(0), L"X: 10");
        if (c.tray) f.TrayIcon1.Click();
        f.ApplicationEvents1Restore();  // what the system reports when the window is back
        EXPECT_EQ(f.StatusBar1.PanelText(0), L"X: -30");
        EXPECT_EQ(f.StatusBar1.PanelText(1), L"Y: 40");
        EXPECT_TRUE(f.TimerStatusMouse.Enabled());
        os.cursor = {1, 2};
        os.Advance(10);
        EXPECT_EQ(f.StatusBar1.PanelText(0), L"X: 1");
    }
}

TEST_F(MainFormTest, ExitRequestsTermination) {
    TAppForm& f = Start();
    f.Exit1.Click();
    f.Exit2.Click();
    EXPECT_EQ(std::count(os.log.begin(), os.log.end(), L"Terminate"), 2);
}

}  // namespace
}  // namespace orv
