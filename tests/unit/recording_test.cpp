// Recording (time-based sampling and the event hook), the exclusion of recording and playback,
// and the global hotkeys with their lock, beep and letters.
#include <gtest/gtest.h>

#include <algorithm>

#include "app/main_form.h"
#include "platform/fake/fake_platform.h"

namespace orv {
namespace {

constexpr std::uint32_t kMove = 0x0200, kLDown = 0x0201, kLUp = 0x0202, kRDown = 0x0204, kMDown = 0x0207,
                        kWheel = 0x020A;

class RecordingTest : public ::testing::Test {
protected:
    RecordingTest() {
        os.InstallOwnVersionResource();
        form = std::make_unique<TAppForm>(os);
    }
    TAppForm& Start() {
        form->FormCreate();
        form->CreateWindowHandle();
        form->StartTimers();
        return *form;
    }
    std::vector<std::wstring> Rows() const {
        std::vector<std::wstring> rows;
        for (std::size_t i = 0; i < form->ListView1.Count(); ++i) {
            std::wstring row;
            for (int c = 0; c < kCellCount; ++c) row += (c ? L"," : L"") + std::wstring(form->ListView1.Cell(i, c));
            rows.push_back(row);
        }
        return rows;
    }
    long Count(const std::wstring& entry) const { return std::count(os.log.begin(), os.log.end(), entry); }

    FakePlatform os;
    std::unique_ptr<TAppForm> form;
};

TEST_F(RecordingTest, TimeBasedRecordingSamplesEveryTenthOfASecond) {
    TAppForm& f = Start();
    os.cursor = {-15, 20};
    f.ButtonRecord.Click();
    EXPECT_EQ(f.ButtonRecord.Caption(), L"Stop");
    EXPECT_EQ(f.StatusBar1.PanelText(2), L"STOP: Ctrl + Alt + R");
    EXPECT_EQ(f.StatusBar1.PanelText(3), L"Recording...");
    EXPECT_FALSE(f.ButtonPlay.Enabled());
    os.Advance(1000);
    EXPECT_EQ(Rows().size(), 10u);  // still mouse: ten identical rows
    os.buttonsDown = {1, 2};
    os.Advance(100);
    EXPECT_EQ(Rows().back(), L"-15,20,X,X,,");
    f.ButtonRecord.Click();
    EXPECT_EQ(f.ButtonRecord.Caption(), L"Record");
    EXPECT_TRUE(f.ButtonPlay.Enabled());
    EXPECT_TRUE(f.Label5.Enabled());
    EXPECT_EQ(f.StatusBar1.PanelText(3), L"");
    os.Advance(1000);
    EXPECT_EQ(Rows().size(), 11u);
}

TEST_F(RecordingTest, EventBasedRecordingTurnsPressesIntoClicksAndOtherEventsIntoPositions) {
    TAppForm& f = Start();
    f.RadioButton2.Click();
    f.ButtonRecord.Click();
    os.MouseEvent(kLDown, {100, 200});
    os.MouseEvent(kLUp, {100, 200});
    os.MouseEvent(kRDown, {-5, 7});
    os.MouseEvent(kMDown, {3, 4});
    os.MouseEvent(kWheel, {9, 9});
    os.MouseEvent(kMove, {10, 10});
    EXPECT_EQ(Rows(), (std::vector<std::wstring>{L"100,200,X,,,", L"-5,7,,X,,", L"3,4,,,X,", L"9,9,,,,",
                                                 L"10,10,,,,"}));
    f.ButtonRecord.Click();
    f.ButtonRecord.Click();  // a second recording appends
    os.MouseEvent(kLDown, {2, 2});
    ASSERT_EQ(Rows().size(), 6u);
    EXPECT_EQ(Rows().back(), L"2,2,X,,,");
}

TEST_F(RecordingTest, TheHookIsInExactlyWhileEventBasedRecordingRuns) {
    TAppForm& f = Start();
    f.RadioButton2.Click();
    os.log.clear();
    f.ButtonRecord.Click();
    os.MouseEvent(kLDown, {1, 1});  // at once, not a second later
    EXPECT_EQ(Rows(), (std::vector<std::wstring>{L"1,1,X,,,"}));
    EXPECT_EQ(os.log, (std::vector<std::wstring>{L"Hook 100"}));

    // Each second a fresh hook goes in before the old one comes out: at no moment is none in.
    os.Advance(2000);
    EXPECT_EQ(os.log, (std::vector<std::wstring>{L"Hook 100", L"Hook 101", L"Unhook 100", L"Hook 102",
                                                 L"Unhook 101"}));
    EXPECT_EQ(os.LiveHookCount(), 1u);
    os.failNextHook = true;  // a renewal that fails keeps the hook there is
    os.Advance(1000);
    EXPECT_EQ(os.InstalledHook(), 102u);
    os.MouseEvent(kLDown, {2, 2});
    EXPECT_EQ(Rows().size(), 2u);

    f.ButtonRecord.Click();
    EXPECT_EQ(os.LiveHookCount(), 0u);  // stopped: the desktop's mouse no longer waits for us
    os.Advance(3000);
    EXPECT_EQ(os.LiveHookCount(), 0u);

    f.RadioButton1.Click();  // time-based recording needs no hook
    f.ButtonRecord.Click();
    os.Advance(1000);
    EXPECT_EQ(os.LiveHookCount(), 0u);
    f.ButtonRecord.Click();

    f.RadioButton2.Click();
    f.ButtonRecord.Click();
    f.FormDestroy();  // closing while recording
    EXPECT_EQ(os.LiveHookCount(), 0u);
}

TEST_F(RecordingTest, AFormDestroyedWhileRecordingTakesItsHookAlong) {
    TAppForm& f = Start();
    f.RadioButton2.Click();
    f.ButtonRecord.Click();
    form.reset();  // without its destroy handler: the hook's procedure would call into nothing
    EXPECT_EQ(os.LiveHookCount(), 0u);
}

TEST_F(RecordingTest, TheModeIsReadWhenRecordingStarts) {
    TAppForm& f = Start();
    f.ButtonRecord.Click();
    f.RadioButton2.Click();  // saved, but the sampling goes on
    os.Advance(300);
    EXPECT_EQ(Rows().size(), 3u);
    EXPECT_FALSE(f.TimerMouseHook.Enabled());
    f.ButtonRecord.Click();
    f.ButtonRecord.Click();
    EXPECT_TRUE(f.TimerMouseHook.Enabled());
    EXPECT_FALSE(f.TimerRecord.Enabled());
}

TEST_F(RecordingTest, RecordingAndPlaybackExcludeEachOther) {
    TAppForm& f = Start();
    f.ListView1.Append(StepRow::Click(L"1", L"1"));
    f.PlayIcinHazirla();
    f.CheckBoxInfinite.SetChecked(true);
    f.ButtonPlay.Click();
    f.RecordDugmeBasildi();
    EXPECT_EQ(f.ButtonRecord.Caption(), L"Record");
    EXPECT_FALSE(f.ButtonRecord.Enabled());
    EXPECT_FALSE(f.RadioButton1.Enabled());
    f.ButtonPlay.Click();
    f.ButtonRecord.Click();
    f.PlayDugmeBasildi();
    EXPECT_EQ(f.ButtonPlay.Caption(), L"Play");
    EXPECT_FALSE(f.ButtonPlay.Enabled());
    EXPECT_TRUE(f.RadioButton1.Enabled());  // the modes stay selectable while recording
}

TEST_F(RecordingTest, MinimizeAndRecordComesBackOnlyWhenStoppedTheSameWay) {
    TAppForm& f = Start();
    f.MinimizeandRecord1.Click();
    EXPECT_EQ(Count(L"Minimize"), 1);
    f.MinimizeandRecord1.Click();
    EXPECT_EQ(Count(L"Restore"), 1);
    f.MinimizeandRecord1.Click();
    os.Advance(300);
    f.WMHotKey(f.hotkeyR1);  // the hotkey stops it and leaves the window minimized
    EXPECT_EQ(f.ButtonRecord.Caption(), L"Record");
    EXPECT_EQ(Count(L"Restore"), 1);
}

TEST_F(RecordingTest, HotkeysRegisterCtrlAltLetterOnTheWindow) {
    TAppForm& f = Start();
    EXPECT_NE(f.hotkeyR1, 0u);
    EXPECT_NE(f.hotkeyP1, 0u);
    EXPECT_EQ(os.hotkeys[f.hotkeyR1], L"3,82");  // Ctrl+Alt+R
    EXPECT_EQ(os.hotkeys[f.hotkeyP1], L"3,80");  // Ctrl+Alt+P
    f.DestroyWindowHandle();
    EXPECT_TRUE(os.hotkeys.empty());
    EXPECT_EQ(f.hotkeyR1, 0u);
}

TEST_F(RecordingTest, StoredLettersAreTrimmedAndUsedOnlyWhenSingle) {
    struct Case {
        const char* stored;
        const wchar_t* record;
        const wchar_t* play;
    };
    const Case cases[] = {
        {"HotkeyCharRecord=  Q \r\nHotkeyCharPlay=5\r\n", L"Q", L"5"},
        {"HotkeyCharRecord=QQ\r\nHotkeyCharPlay=\r\n", L"R", L"P"},
        {"HotkeyCharRecord=q\r\n", L"q", L"P"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.stored);
        os = FakePlatform();
        os.InstallOwnVersionResource();
        os.ReplaceFileContent(L"C:\\Program Files\\Orvalin\\settings.ini", std::string("[Settings]\r\n") + c.stored);
        form = std::make_unique<TAppForm>(os);
        TAppForm& f = Start();
        EXPECT_EQ(f.Label1.Caption(), L"Hotkey: Ctrl + Alt + " + std::wstring(c.record));
        EXPECT_EQ(f.Label5.Caption(), L"Hotkey: Ctrl + Alt + " + std::wstring(c.play));
        EXPECT_EQ(os.hotkeys[f.hotkeyR1], L"3," + std::to_wstring(static_cast<int>(c.record[0])));
    }
}

TEST_F(RecordingTest, LettersAreReadFromAFileInAnotherEncodingToo) {
    TAppForm& f = Start();
    // "É" in Windows-1252 is not valid UTF-8: the letter comes from the ANSI reading.
    os.files[L"c:\\program files\\orvalin\\settings.ini"] = "[Settings]\r\nHotkeyCharRecord=\xC9\r\n";
    f.KayitliHotKeyOku();
    EXPECT_EQ(f.RecordHotkeyLetter(), L"\u00C9");
    EXPECT_EQ(os.FileBytes(L"C:\\Program Files\\Orvalin\\settings.ini"), "[Settings]\r\nHotkeyCharRecord=\xC9\r\n");
}

TEST_F(RecordingTest, LettersAreTheFilesEvenWhenTheStoreHoldsOtherText) {
    TAppForm& f = Start();
    f.Settings().WriteString(kSettingsSection, L"HotkeyCharPlay", L"Q");
    f.Settings().UpdateFile();
    f.KayitliHotKeyOku();
    EXPECT_EQ(f.PlayHotkeyLetter(), L"Q");

    f.Settings().WriteString(kSettingsSection, L"HotkeyCharPlay", L"Z");  // not written yet
    f.KayitliHotKeyOku();
    EXPECT_EQ(f.PlayHotkeyLetter(), L"Q");

    // A lone surrogate is stored as U+FFFD: the letter is what the file says.
    f.Settings().WriteString(kSettingsSection, L"HotkeyCharRecord",
                             std::wstring(1, static_cast<wchar_t>(0xD800)));
    f.Settings().UpdateFile();
    f.KayitliHotKeyOku();
    EXPECT_EQ(f.RecordHotkeyLetter(), L"\uFFFD");
    EXPECT_EQ(f.PlayHotkeyLetter(), L"Z");
}

TEST_F(RecordingTest, HotkeysActWithALockAndABeepAndRespectTheirGates) {
    TAppForm& f = Start();
    os.Advance(2000);
    os.log.clear();
    f.WMHotKey(f.hotkeyP1);  // nothing loaded: the play label is disabled
    EXPECT_EQ(Count(L"Beep 0"), 0);
    EXPECT_EQ(f.ButtonPlay.Caption(), L"Play");

    f.WMHotKey(f.hotkeyR1);
    EXPECT_EQ(f.ButtonRecord.Caption(), L"Stop");
    EXPECT_EQ(Count(L"Beep 0"), 1);
    os.Advance(100);
    f.WMHotKey(f.hotkeyR1);  // within 250 ms: ignored
    EXPECT_EQ(f.ButtonRecord.Caption(), L"Stop");
    os.Advance(200);
    f.WMHotKey(f.hotkeyR1);
    EXPECT_EQ(f.ButtonRecord.Caption(), L"Record");
    EXPECT_EQ(Count(L"Beep 0"), 2);
    os.Advance(240);  // every accepted press locks for its own full 250 ms
    f.WMHotKey(f.hotkeyR1);
    EXPECT_EQ(f.ButtonRecord.Caption(), L"Record");

    // A file loaded during a recording enables the play hotkey, which then stops the recording
    // and starts playback.
    os.Advance(300);
    f.WMHotKey(f.hotkeyR1);
    f.ListView1.Append(StepRow::Click(L"1", L"1"));
    f.PlayIcinHazirla();
    os.Advance(300);
    f.HotkeyBeep1.Click();  // silent from now on
    f.WMHotKey(f.hotkeyP1);
    EXPECT_EQ(f.ButtonRecord.Caption(), L"Record");
    EXPECT_EQ(f.ButtonPlay.Caption(), L"Stop");
    EXPECT_EQ(Count(L"Beep 0"), 3);
    os.Advance(300);
    f.WMHotKey(f.hotkeyR1);  // the record label is off during playback
    EXPECT_EQ(f.ButtonPlay.Caption(), L"Stop");
}

TEST_F(RecordingTest, ARegistrationHeldByAClosingInstanceIsRetried) {
    os.heldHotkeys = {L"3,82"};
    TAppForm& f = Start();
    EXPECT_EQ(os.hotkeys.count(f.hotkeyR1), 0u);
    EXPECT_EQ(os.hotkeys[f.hotkeyP1], L"3,80");
    os.Advance(500);
    os.heldHotkeys.clear();  // the old instance has gone
    os.Advance(250);
    EXPECT_EQ(os.hotkeys[f.hotkeyR1], L"3,82");
    const long attempts = Count(L"RegisterHotKey 3,82");
    os.Advance(5000);
    EXPECT_EQ(Count(L"RegisterHotKey 3,82"), attempts);  // no more tries once it worked

    // Held for good (another program): a few seconds of tries, then quiet.
    os = FakePlatform();
    os.InstallOwnVersionResource();
    os.heldHotkeys = {L"3,80"};
    form = std::make_unique<TAppForm>(os);
    Start();
    os.Advance(60000);
    EXPECT_LE(Count(L"RegisterHotKey 3,80"), 25);
}

}  // namespace
}  // namespace orv
