// The main window's start-up loads the interface language: its two translated boxes (the
// Reset to Defaults question and the Insert Wait error) follow the display language, its own
// captions stay English, and a language file that cannot be used is reported once start-up
// has finished.
#include <gtest/gtest.h>

#include "app/main_form.h"
#include "localisation/translate.h"
#include "platform/fake/fake_platform.h"

namespace orv {
namespace {

const std::wstring kLanguages = L"C:\\Program Files\\Orvalin\\Languages\\";

class MainFormLanguageTest : public ::testing::Test {
protected:
    MainFormLanguageTest() {
        os.InstallOwnVersionResource();
        os.uiLanguage = 3079;  // German (Austria)
        os.PutFile(kLanguages + L"LanguageCodes.csv", "1031,German.lang.txt\r\n3079,German.lang.txt\r\n");
    }
    ~MainFormLanguageTest() override {
        FakePlatform none;
        LoadLanguage(none, L"");
    }
    TAppForm& Start() {
        form = std::make_unique<TAppForm>(os);
        form->FormCreate();
        form->StartTimers();
        return *form;
    }

    FakePlatform os;
    std::unique_ptr<TAppForm> form;
};

TEST_F(MainFormLanguageTest, TheTranslatedBoxesOfTheMainWindowFollowTheDisplayLanguage) {
    os.PutFile(
        kLanguages + L"German.lang.txt",
        "{Restart Application?}Anwendung neu starten?\r\n{Confirmation}Best\xC3\xA4tigung\r\n{Yes}Ja\r\n"
        "{No}Nein\r\n{Invalid number!}Ung\xC3\xBCltige Zahl!\r\n{ERROR}FEHLER\r\n{Record}Aufnehmen\r\n");
    TAppForm& f = Start();
    EXPECT_TRUE(os.errorBoxes.empty());

    os.dialogAnswers = {kResultNo};
    f.ResettoDefaults1.Click();
    os.inputAnswers = {L"abc"};
    f.Button6.Click();
    ASSERT_EQ(os.dialogs.size(), 2u);
    EXPECT_EQ(os.dialogs[0].message, L"Anwendung neu starten?");
    EXPECT_EQ(os.dialogs[0].caption, L"Best\u00e4tigung");
    EXPECT_EQ(os.dialogs[0].buttonCaptions, (std::vector<std::wstring>{L"Ja", L"Nein"}));
    EXPECT_EQ(os.dialogs[1].message, L"Ung\u00fcltige Zahl!");
    EXPECT_EQ(os.dialogs[1].caption, L"FEHLER");
    // The main window's own captions are never translated, and the input box neither.
    EXPECT_EQ(f.ButtonRecord.Caption(), L"Record");
    EXPECT_EQ(os.inputPrompts, (std::vector<std::wstring>{L"Insert Wait|Enter wait duration (in seconds):"}));
}

TEST_F(MainFormLanguageTest, AnUnusableLanguageFileIsReportedAfterStartUpAndEverythingStaysEnglish) {
    os.PutFile(kLanguages + L"German.lang.txt", "{ERROR}FEHLER\r\n{Invalid number!}Ung\xFCltige Zahl!\r\n");
    // What the box's message loop finds: a form whose start-up has run to its end.
    std::vector<std::wstring> seenWhileReported;
    os.duringMessageLoop = [&] {
        if (!form || os.errorBoxes.empty()) return;
        seenWhileReported.push_back(form->Label1.Caption() + L"|" + form->Label5.Caption() + L"|" +
                                    std::wstring(1, form->FieldSeparator()));
    };
    os.listSeparator = L";";
    os.PutFile(L"C:\\Program Files\\Orvalin\\settings.ini",
               "\xEF\xBB\xBF[Settings]\r\nHotkeyCharRecord=Q\r\n");
    TAppForm& f = Start();
    ASSERT_EQ(os.errorBoxes.size(), 1u);
    EXPECT_NE(os.errorBoxes[0].find(kLanguages + L"German.lang.txt"), std::wstring::npos) << os.errorBoxes[0];
    EXPECT_NE(os.errorBoxes[0].find(L"not valid UTF-8"), std::wstring::npos) << os.errorBoxes[0];
    ASSERT_FALSE(seenWhileReported.empty());
    EXPECT_EQ(seenWhileReported[0], L"Hotkey: Ctrl + Alt + Q|Hotkey: Ctrl + Alt + P|;");

    os.inputAnswers = {L"0"};
    f.Button6.Click();
    ASSERT_EQ(os.dialogs.size(), 1u);
    EXPECT_EQ(os.dialogs[0].message, L"Invalid number!");
    EXPECT_EQ(os.dialogs[0].caption, L"ERROR");
}

}  // namespace
}  // namespace orv
