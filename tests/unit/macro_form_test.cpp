// The main window's step list commands: save, load, drop, command line, clear, delete,
// Insert Wait and the step editor, driven through the handlers.
#include <gtest/gtest.h>

#include <functional>

#include "core/errors.h"
#include "app/main_form.h"
#include "platform/fake/fake_platform.h"

namespace orv {
namespace {

const std::wstring kFolder = L"C:\\Program Files\\Orvalin\\";
const std::wstring kIni = kFolder + L"settings.ini";
const std::wstring kMacro = L"C:\\Users\\user\\AppData\\Roaming\\clicks.csv";

class MacroFormTest : public ::testing::Test {
protected:
    MacroFormTest() {
        os.InstallOwnVersionResource();
        form = std::make_unique<TAppForm>(os);
        form->ShowStepEditor = [this](std::unique_ptr<TFormEditStep> editor) { editors.push_back(std::move(editor)); };
    }
    TAppForm& Start() {
        form->FormCreate();
        form->StartTimers();
        return *form;
    }
    std::string Setting(const std::string& key) const {
        const std::string bytes = os.FileBytes(kIni);
        const auto at = bytes.find("\n" + key + "=");
        if (at == std::string::npos) return "<absent>";
        const auto start = at + key.size() + 2;
        return bytes.substr(start, bytes.find('\r', start) - start);
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

    FakePlatform os;
    std::unique_ptr<TAppForm> form;
    std::vector<std::unique_ptr<TFormEditStep>> editors;
};

TEST_F(MacroFormTest, SaveWritesTheRowsAndNamesTheFile) {
    TAppForm& f = Start();
    f.ListView1.Append(StepRow::Click(L"512", L"300", L"X"));
    f.ListView1.Append(StepRow{{L"-", L"-", L"-", L"-", L"-", L"2"}});
    os.saveAnswers = {kMacro};
    f.Button5.Click();
    EXPECT_EQ(os.FileBytes(kMacro), "512,300,X,,,\r\n-,-,-,-,-,2\r\n");
    EXPECT_EQ(f.Caption(), L"clicks.csv - QUENZAL - Orvalin");
    EXPECT_EQ(Setting("LastUsedFile"), "C:\\Users\\user\\AppData\\Roaming\\clicks.csv");
    EXPECT_NE(std::find(os.log.begin(), os.log.end(), L"SaveDialog CSV File (*.csv)|*.csv csv"), os.log.end());
}

// A save dialog during which something else runs, as recording's timer or mouse hook does
// while the dialog's own message loop turns.
class SaveDialogPlatform : public FakePlatform {
public:
    std::function<void()> whileOpen;
    std::optional<std::wstring> SaveFileDialog(WindowRef owner, const std::wstring& filter,
                                               const std::wstring& defaultExt) override {
        if (whileOpen) whileOpen();
        return FakePlatform::SaveFileDialog(owner, filter, defaultExt);
    }
};

TEST(MacroFormSave, RowsAddedWhileTheSaveDialogIsOpenAreNotSaved) {
    SaveDialogPlatform os;
    os.InstallOwnVersionResource();
    TAppForm f(os);
    f.FormCreate();
    f.StartTimers();
    f.ListView1.Append(StepRow::Click(L"512", L"300", L"X"));
    os.whileOpen = [&] { f.ListView1.Append(StepRow::Click(L"7", L"8")); };
    os.saveAnswers = {kMacro};
    f.Button5.Click();
    EXPECT_EQ(os.FileBytes(kMacro), "512,300,X,,,\r\n");
    EXPECT_EQ(f.ListView1.Count(), 2u);
}

TEST_F(MacroFormTest, AFailedSaveReportsAndLeavesCaptionAndLastFileAlone) {
    TAppForm& f = Start();
    f.ListView1.Append(StepRow::Click(L"1", L"2"));
    os.saveAnswers = {L"C:\\Missing\\x.csv"};
    try {
        f.Button5.Click();
        FAIL() << "no error";
    } catch (const EFCreateError& e) {
        EXPECT_EQ(e.Message(), L"Cannot create file \"C:\\Missing\\x.csv\". The system cannot find the path specified.");
    }
    EXPECT_EQ(f.Caption(), L"QUENZAL - Orvalin");
    EXPECT_EQ(Setting("LastUsedFile"), "<absent>");
}

TEST_F(MacroFormTest, LoadingAppendsEnablesPlaybackAndRemembersTheFile) {
    os.files[L"c:\\users\\user\\appdata\\roaming\\clicks.csv"] = "100,200\r\n1,2,X,,,,9\r\n";
    TAppForm& f = Start();
    os.openAnswers = {kMacro, kMacro};
    f.Button4.Click();
    f.Load1.Click();
    EXPECT_EQ(Rows(), (std::vector<std::wstring>{L"100,200,,,,", L"1,2,X,,,", L"100,200,,,,", L"1,2,X,,,"}));
    EXPECT_EQ(f.Caption(), L"clicks.csv - QUENZAL - Orvalin");
    EXPECT_EQ(Setting("LastUsedFile"), "C:\\Users\\user\\AppData\\Roaming\\clicks.csv");
    EXPECT_TRUE(f.ButtonPlay.Enabled());
    EXPECT_TRUE(f.Label5.Enabled());
}

TEST_F(MacroFormTest, AnEmptyFileStillEnablesPlayback) {
    os.files[L"c:\\users\\user\\appdata\\roaming\\clicks.csv"] = "";
    TAppForm& f = Start();
    f.DosyaAc(kMacro);
    EXPECT_TRUE(f.ListView1.Empty());
    EXPECT_TRUE(f.ButtonPlay.Enabled());
}

TEST_F(MacroFormTest, AFileThatCannotBeOpenedChangesNothing) {
    TAppForm& f = Start();
    try {
        f.DosyaAc(L"C:\\nope.csv");
        FAIL() << "no error";
    } catch (const EFOpenError& e) {
        EXPECT_EQ(e.Message(), L"Cannot open file \"C:\\nope.csv\". The system cannot find the file specified.");
    }
    EXPECT_EQ(f.Caption(), L"QUENZAL - Orvalin");
    EXPECT_EQ(Setting("LastUsedFile"), "<absent>");
    EXPECT_FALSE(f.ButtonPlay.Enabled());
}

TEST_F(MacroFormTest, AnUnwritableSettingsFileStillLoadsTheRowsAndReportsOnce) {
    os.files[L"c:\\a.csv"] = "1,1\r\n2,2\r\n";
    TAppForm& f = Start();
    os.readOnlyFolders.insert(L"c:\\program files\\orvalin");
    os.openAnswers = {L"C:\\a.csv"};
    f.Load1.Click();
    EXPECT_EQ(Rows(), (std::vector<std::wstring>{L"1,1,,,,", L"2,2,,,,"}));
    EXPECT_EQ(f.Caption(), L"a.csv - QUENZAL - Orvalin");
    EXPECT_TRUE(f.ButtonPlay.Enabled());
    EXPECT_EQ(os.errorBoxes,
              (std::vector<std::wstring>{L"Cannot create file \"" + kIni + L"\". Access is denied."}));
    // The file name reaches the disk with the next write that succeeds.
    os.readOnlyFolders.clear();
    f.LockMouse1.Click();
    EXPECT_EQ(Setting("LastUsedFile"), "C:\\a.csv");
}

TEST_F(MacroFormTest, DroppedFilesLoadInOrderUntilOneFails) {
    os.files[L"c:\\a.csv"] = "1,1\r\n";
    os.files[L"c:\\c.csv"] = "3,3\r\n";
    TAppForm& f = Start();
    EXPECT_THROW(f.WMDropFiles({L"C:\\a.csv", L"C:\\b.csv", L"C:\\c.csv"}), EFOpenError);
    EXPECT_EQ(Rows(), (std::vector<std::wstring>{L"1,1,,,,"}));
    EXPECT_EQ(f.Caption(), L"a.csv - QUENZAL - Orvalin");
}

TEST_F(MacroFormTest, CommandLineFilesLoadAndMissingOnesBeep) {
    os.files[L"c:\\a.csv"] = "1,1\r\n";
    os.params = {L"C:\\missing.csv", L"C:\\a.csv"};
    TAppForm& f = Start();
    f.AutomaticallyLoad1.Click();  // skipped: parameters win
    os.Advance(500);
    EXPECT_EQ(Rows(), (std::vector<std::wstring>{L"1,1,,,,"}));
    EXPECT_EQ(std::count(os.log.begin(), os.log.end(), L"Beep 0"), 1);
    EXPECT_FALSE(f.TimerParam.Enabled());
}

TEST_F(MacroFormTest, TheLastUsedFileLoadsAtStartOnlyWhenAutomaticLoadIsOn) {
    for (const bool on : {false, true}) {
        SCOPED_TRACE(on);
        os = FakePlatform();
        os.InstallOwnVersionResource();
        os.files[L"c:\\a.csv"] = "1,1\r\n";
        os.ReplaceFileContent(kIni, std::string("[Settings]\r\nLastUsedFile=C:\\a.csv\r\nAutomaticallyLoad=") +
                                        (on ? "ON" : "OFF") + "\r\n");
        form = std::make_unique<TAppForm>(os);
        Start();
        os.Advance(600);
        EXPECT_EQ(form->ListView1.Count(), on ? 1u : 0u);
        EXPECT_EQ(form->ButtonPlay.Enabled(), on);
    }
}

TEST_F(MacroFormTest, ClearingEmptiesTheListAndForgetsTheFile) {
    os.files[L"c:\\a.csv"] = "1,1\r\n";
    TAppForm& f = Start();
    f.DosyaAc(L"C:\\a.csv");
    f.Clear1.Click();
    EXPECT_TRUE(f.ListView1.Empty());
    EXPECT_FALSE(f.ButtonPlay.Enabled());
    EXPECT_FALSE(f.Label5.Enabled());
    EXPECT_EQ(f.Caption(), L"QUENZAL - Orvalin");
    EXPECT_EQ(Setting("LastUsedFile"), "");
}

TEST_F(MacroFormTest, DeletingSomeRowsKeepsTheFileDeletingAllClears) {
    os.files[L"c:\\a.csv"] = "1,1\r\n2,2\r\n3,3\r\n";
    TAppForm& f = Start();
    f.DosyaAc(L"C:\\a.csv");
    f.ListView1.SetSelected(1, true);
    f.ListView1KeyDown(46);  // Delete
    EXPECT_EQ(Rows(), (std::vector<std::wstring>{L"1,1,,,,", L"3,3,,,,"}));
    EXPECT_EQ(Setting("LastUsedFile"), "C:\\a.csv");
    EXPECT_TRUE(f.ButtonPlay.Enabled());
    f.ListView1.SetSelectedRange(0, 1, true);
    f.Delete1.Click();
    EXPECT_TRUE(f.ListView1.Empty());
    EXPECT_EQ(Setting("LastUsedFile"), "");
    EXPECT_FALSE(f.ButtonPlay.Enabled());
}

TEST_F(MacroFormTest, InsertWaitAppendsAPauseRowForNumbersOnly) {
    struct Case {
        std::optional<std::wstring> answer;
        const wchar_t* stored;  // nullptr: refused with "Invalid number!"; L"": nothing happens
    };
    const Case cases[] = {
        {L"1,5", L"1.5"}, {L"2", L"2"},          {L"-3", L"-3"},        {L"1e1", L"1e1"},
        {L"0", nullptr},  {L"0.0", nullptr},     {L"", nullptr},        {L"abc", nullptr},
        {L"1.000,5", nullptr}, {std::nullopt, L""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.answer ? std::string(c.answer->begin(), c.answer->end()) : "cancel");
        os = FakePlatform();
        os.InstallOwnVersionResource();
        form = std::make_unique<TAppForm>(os);
        TAppForm& f = Start();
        os.inputAnswers = {c.answer};
        f.Button6.Click();
        EXPECT_EQ(os.inputPrompts, (std::vector<std::wstring>{L"Insert Wait|Enter wait duration (in seconds):"}));
        if (c.stored == nullptr) {
            ASSERT_EQ(os.dialogs.size(), 1u);
            EXPECT_EQ(os.dialogs[0].message, L"Invalid number!");
            EXPECT_EQ(os.dialogs[0].caption, L"ERROR");
            EXPECT_TRUE(f.ListView1.Empty());
        } else if (*c.stored == 0) {
            EXPECT_TRUE(f.ListView1.Empty());
            EXPECT_TRUE(os.dialogs.empty());
        } else {
            EXPECT_EQ(Rows(), (std::vector<std::wstring>{L"-,-,-,-,-," + std::wstring(c.stored)}));
            EXPECT_TRUE(f.ListView1.Selected(0));
            EXPECT_EQ(f.ListView1.Focused(), 0u);
            EXPECT_FALSE(f.ButtonPlay.Enabled());
        }
    }
}

TEST_F(MacroFormTest, InsertWaitLiftsStayOnTopWhileItAsks) {
    TAppForm& f = Start();
    f.StayonTop1.Click();
    os.log.clear();
    os.inputAnswers = {L"2"};
    f.Button6.Click();
    EXPECT_EQ(os.log, (std::vector<std::wstring>{L"SetTopmost off", L"ProcessMessages", L"SetTopmost on",
                                                 L"ProcessMessages"}));
    EXPECT_EQ(Setting("StayOnTop"), "ON");
}

TEST_F(MacroFormTest, TheEditorShowsARowAndWritesItBackIntoTheSelectedRow) {
    TAppForm& f = Start();
    f.Edit1.Click();  // nothing selected: no editor
    EXPECT_TRUE(editors.empty());

    f.ListView1.Append(StepRow::Click(L"512", L"300", L"XX", L"", L"X"));
    f.ListView1.Append(StepRow{{L"-", L"-", L"-", L"-", L"-", L"2"}});
    f.ListView1.SetSelected(0, true);
    f.ListView1DblClick();
    ASSERT_EQ(editors.size(), 1u);
    TFormEditStep& e = *editors[0];
    EXPECT_EQ(e.SpinEdit1.Value(), 512);
    EXPECT_EQ(e.SpinEdit2.Value(), 300);
    EXPECT_TRUE(e.CheckBox1.Checked() && e.CheckBox4.Checked() && e.CheckBox4.Enabled());
    EXPECT_TRUE(!e.CheckBox2.Checked() && !e.CheckBox5.Checked() && !e.CheckBox5.Enabled());
    EXPECT_TRUE(e.CheckBox3.Checked() && !e.CheckBox6.Checked() && e.CheckBox6.Enabled());
    EXPECT_EQ(e.SpinEdit3.Value(), 0);

    int closed = 0;
    e.OnClose = [&] { ++closed; };
    // OK writes into the row selected now, not the one it was opened on.
    f.ListView1.ClearSelection();
    e.Button1.Click();
    EXPECT_EQ(closed, 0);
    f.ListView1.SetSelected(1, true);
    e.CheckBox3.Click();  // clearing a button box clears its double click
    e.Button1.Click();
    EXPECT_EQ(closed, 1);
    EXPECT_EQ(Rows(), (std::vector<std::wstring>{L"512,300,XX,,X,", L"512,300,XX,,,"}));

    f.Edit1.Click();  // the pause row opens as zeros with its wait
    TFormEditStep& pause = *editors[1];
    EXPECT_EQ(pause.SpinEdit1.Value(), 512);
    f.ListView1.SetRow(1, StepRow{{L"-", L"-", L"-", L"-", L"-", L"2"}});
    f.Edit1.Click();
    TFormEditStep& second = *editors[2];
    EXPECT_EQ(second.SpinEdit1.Value(), 0);
    EXPECT_EQ(second.SpinEdit3.Value(), 2);
    second.Button1.Click();
    EXPECT_EQ(Rows()[1], L"0,0,,,,2");
}

TEST(StepEditor, ReadsCoordinatesAndWaitAsDecimalIntegersOnly) {
    struct Case {
        const wchar_t* cell;
        std::int64_t xy;    // as X and Y show it
        std::int64_t wait;  // as Wait shows it (held to 0 ... 999999999)
    };
    const Case cases[] = {
        {L"512", 512, 512},
        {L"-1280", -1280, 0},
        {L"+7", 7, 7},
        {L"010", 10, 10},  // leading zeros are still decimal
        {L"$10", 0, 0},
        {L"0x10", 0, 0},
        {L"0X1f", 0, 0},
        {L"1.5", 0, 0},
        {L" 5", 0, 0},
        {L"-", 0, 0},
        {L"", 0, 0},
        {L"2147483647", 2147483647, 999999999},
        {L"-2147483648", -2147483648LL, 0},
        {L"2147483648", 0, 0},  // beyond 32 bits
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << std::wstring(c.cell).size() << " chars, expecting " << c.xy);
        StepList list;
        list.Append(StepRow{{c.cell, c.cell, L"", L"", L"", c.cell}});
        list.SetSelected(0, true);
        TFormEditStep editor(list);
        editor.FormCreate();
        EXPECT_EQ(editor.SpinEdit1.Value(), c.xy);
        EXPECT_EQ(editor.SpinEdit2.Value(), c.xy);
        EXPECT_EQ(editor.SpinEdit3.Value(), c.wait);
    }
}

}  // namespace
}  // namespace orv
