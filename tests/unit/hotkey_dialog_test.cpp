// The hotkey dialog: key names, display text and its parsing, which texts choose a letter, what
// gets stored and asked, and the key a stored letter registers.
#include <gtest/gtest.h>

#include <algorithm>

#include "app/main_form.h"
#include "platform/fake/fake_platform.h"
#include "shell/hotkey_form.h"
#include "shell/hotkey_text.h"

namespace orv {
namespace {

const std::wstring kIni = L"C:\\Program Files\\Orvalin\\settings.ini";
constexpr std::uint16_t kCtrlAlt = kShortcutCtrl | kShortcutAlt;

TEST(HotkeyTextTest, KeysAreNamedByTheTableAndOtherwiseByTheLayout) {
    FakePlatform os;
    os.keyNames[0x20] = L"Layout Space";  // the table wins where it names a key
    const std::pair<std::uint8_t, const wchar_t*> cases[] = {
        {0x00, L""},      {0x08, L"BkSp"}, {0x09, L"Tab"},   {0x0D, L"Enter"}, {0x1B, L"Esc"},
        {0x20, L"Space"}, {0x21, L"PgUp"}, {0x22, L"PgDn"},  {0x23, L"End"},   {0x24, L"Home"},
        {0x25, L"Left"},  {0x26, L"Up"},   {0x27, L"Right"}, {0x28, L"Down"},  {0x2D, L"Ins"},
        {0x2E, L"Del"},   {0x30, L"0"},    {0x39, L"9"},     {0x41, L"A"},     {0x5A, L"Z"},
        {0x70, L"F1"},    {0x74, L"F5"},   {0x87, L"F24"},   {0x65, L"Num 5"}, {0xBA, L";"},
        {0xDE, L"'"},     {0x07, L""},     {0xFF, L""},
    };
    for (auto [key, name] : cases) {
        EXPECT_EQ(HotkeyKeyName(os, key), name) << "key 0x" << std::hex << int(key);
    }
}

TEST(HotkeyTextTest, DisplayTextPutsTheModifiersInAFixedOrderAndIsEmptyWithoutAName) {
    FakePlatform os;
    const std::pair<std::uint16_t, const wchar_t*> cases[] = {
        {kCtrlAlt | 0x52, L"Ctrl+Alt+R"},
        {kShortcutShift | kShortcutAlt | kShortcutCtrl | 0x51, L"Ctrl+Alt+Shift+Q"},
        {kShortcutShift | 0x74, L"Shift+F5"},
        {0x35, L"5"},
        {kCtrlAlt | 0xBA, L"Ctrl+Alt+;"},
        {kCtrlAlt | 0x65, L"Ctrl+Alt+Num 5"},
        {kCtrlAlt, L""},
        {kCtrlAlt | 0x07, L""},
        {0, L""},
    };
    for (auto [shortcut, text] : cases) EXPECT_EQ(ShortcutToText(os, shortcut), text) << text;
}

TEST(HotkeyTextTest, ParsingTakesPrefixesInAnyOrderAndKeyNamesInAnyCase) {
    FakePlatform os;
    os.keyNames[0xBA] = L"\u00DC";  // a German layout names this key "Ü"
    const std::pair<const wchar_t*, std::uint16_t> cases[] = {
        {L"Ctrl+Alt+R", kCtrlAlt | 0x52},
        {L"Alt+Ctrl+r", kCtrlAlt | 0x52},
        {L"Shift+Ctrl+Alt+q", kShortcutShift | kCtrlAlt | 0x51},
        {L"Ctrl+Alt+f5", kCtrlAlt | 0x74},
        {L"Ctrl+Alt+num 5", kCtrlAlt | 0x65},
        {L"Ctrl+Alt+\u00FC", kCtrlAlt | 0xBA},
        {L"Ctrl+Alt+Space", kCtrlAlt | 0x20},
        {L"Ctrl+Alt+5", kCtrlAlt | 0x35},
        {L"Ctrl+Alt+", 0},
        {L"Ctrl+Alt+Nothing", 0},
        {L"", 0},
    };
    for (auto [text, shortcut] : cases) EXPECT_EQ(TextToShortcut(os, text), shortcut) << text;

    // Every named key reads back as itself.
    for (unsigned key = 0x08; key <= 0xFF; ++key) {
        const auto shortcut = static_cast<std::uint16_t>(kCtrlAlt | key);
        const std::wstring text = ShortcutToText(os, shortcut);
        if (!text.empty()) {
            EXPECT_EQ(TextToShortcut(os, text), shortcut) << text;
        }
    }
}

TEST(HotkeyTextTest, OnlyCtrlAltAndOneCharacterChooseALetter) {
    const std::pair<const wchar_t*, wchar_t> cases[] = {
        {L"Ctrl+Alt+Q", L'Q'},
        {L"Ctrl+Alt+5", L'5'},
        {L"Ctrl+Alt+;", L';'},
        {L"Ctrl+Alt++", L'+'},
        {L"Ctrl+Alt+ctrl+alt+Q", L'Q'},  // every occurrence goes, in any case
        {L"Ctrl+Alt+ Q\t", L'Q'},
        {L"Ctrl+Alt+F5", 0},
        {L"Ctrl+Alt+Num 5", 0},
        {L"Ctrl+Alt+Space", 0},
        {L"Ctrl+Alt+Shift+Q", 0},
        {L"ctrl+alt+Q", 0},  // the leading one in exactly this case
        {L"Ctrl+Q", 0},
        {L"Ctrl+Alt+", 0},
        {L"", 0},
    };
    for (auto [text, letter] : cases) {
        const std::optional<wchar_t> chosen = HotkeyLetterOfText(text);
        if (letter) {
            EXPECT_EQ(chosen, std::optional<wchar_t>(letter)) << text;
        } else {
            EXPECT_EQ(chosen, std::nullopt) << text;
        }
    }
}

TEST(HotkeyTextTest, AStoredLetterRegistersTheKeyThatTypesItOnTheLayout) {
    FakePlatform os;
    os.layoutKeys[L'\u00DC'] = 0xBA;  // German: "Ü" is on the key a US layout has ";" on
    const std::pair<wchar_t, std::optional<std::uint32_t>> cases[] = {
        {L'R', 0x52},      {L'5', 0x35},
        {L'q', 0x71},                                  // a hand-written lower-case letter keeps its code (F2)
        {L';', 0xBA},                                  // not 0x3B, which is no key
        {L'\'', 0xDE},                                 // not 0x27, the Right arrow
        {L'.', 0xBE},                                  // not 0x2E, Delete
        {L'\u00DC', 0xBA}, {L'\u20AC', std::nullopt},  // no key of this layout types it
    };
    for (auto [letter, key] : cases) EXPECT_EQ(HotkeyVirtualKey(os, letter), key) << int(letter);
}

class HotkeyDialogTest : public ::testing::Test {
protected:
    HotkeyDialogTest() {
        os.InstallOwnVersionResource();
        form = std::make_unique<TAppForm>(os);
        form->ShowHotkeyDialog = [this](std::unique_ptr<TFormHotkey> dialog) {
            dialog->SetWindowRef(0x5000 + shown.size());
            dialog->OnClose = [this, d = dialog.get()] { closed.push_back(d); };
            dialog->FocusHotKey = [this] { ++focused; };
            dialog->FormShow();
            shown.push_back(std::move(dialog));
        };
    }
    TAppForm& Start(const std::string& settings = "") {
        if (!settings.empty()) os.ReplaceFileContent(kIni, "[Settings]\r\n" + settings);
        form->FormCreate();
        form->CreateWindowHandle();
        form->StartTimers();
        return *form;
    }
    std::string Ini() const { return os.FileBytes(kIni); }
    bool Stored(const std::string& line) const { return Ini().find(line + "\r\n") != std::string::npos; }
    long Logged(const std::wstring& entry) const { return std::count(os.log.begin(), os.log.end(), entry); }

    FakePlatform os;
    std::unique_ptr<TAppForm> form;
    std::vector<std::unique_ptr<TFormHotkey>> shown;
    std::vector<TFormHotkey*> closed;
    int focused = 0;
};

TEST_F(HotkeyDialogTest, EachClickOpensAnotherDialogShowingTheLetterInForce) {
    TAppForm& f = Start("HotkeyCharPlay=5\r\n");
    f.Button3.Click();
    f.Button7.Click();
    f.Button3.Click();
    ASSERT_EQ(shown.size(), 3u);
    EXPECT_EQ(shown[0]->HangiHotkey, L"record");
    EXPECT_EQ(shown[1]->HangiHotkey, L"play");
    const TFormHotkey& d = *shown[1];
    EXPECT_EQ(d.Caption(), L"Change Hotkey");
    EXPECT_EQ(d.Label1.Caption(), L"Hotkey:");
    EXPECT_EQ(d.Button1.Caption(), L"OK");
    EXPECT_EQ(d.Button2.Caption(), L"Cancel");
    EXPECT_EQ(shown[0]->HotKey1.Value(), kCtrlAlt | 'R');
    EXPECT_EQ(shown[1]->HotKey1.Value(), kCtrlAlt | '5');

    // A letter stored during this run is not the one in force.
    shown[0]->HotKey1.SetValue(kCtrlAlt | 'Q');
    shown[0]->Button1.Click();
    f.Button3.Click();
    EXPECT_EQ(shown.back()->HotKey1.Value(), kCtrlAlt | 'R');
}

TEST_F(HotkeyDialogTest, AValidChoiceIsStoredAtOnceAndTheRestartIsOffered) {
    TAppForm& f = Start();
    f.Button3.Click();
    TFormHotkey& d = *shown[0];
    d.Button1.Click();  // unchanged: R is stored again, and the question still comes
    EXPECT_TRUE(Stored("HotkeyCharRecord=R"));
    ASSERT_EQ(os.dialogs.size(), 1u);
    EXPECT_EQ(os.dialogs[0].message, L"Restart Application?");
    EXPECT_EQ(os.dialogs[0].caption, L"Confirmation");
    EXPECT_EQ(os.dialogs[0].kind, DialogKind::Confirmation);
    EXPECT_EQ(os.dialogs[0].buttons, kBtnYes | kBtnNo);
    EXPECT_EQ(os.dialogs[0].buttonCaptions, (std::vector<std::wstring>{L"Yes", L"No"}));
    EXPECT_EQ(os.dialogs[0].owner, d.Window());
    // "No": the dialog stays open, and the label and the registration keep the old letter.
    EXPECT_TRUE(closed.empty());
    EXPECT_EQ(Logged(L"Terminate"), 0);

    f.Button7.Click();
    TFormHotkey& play = *shown[1];
    const std::pair<std::uint16_t, const char*> choices[] = {
        {kCtrlAlt | '5', "HotkeyCharPlay=5"},
        {kCtrlAlt | 0xBA, "HotkeyCharPlay=;"},  // a punctuation key is stored as its name
        {kShortcutShift | kCtrlAlt | 'Q', nullptr},
    };
    for (auto [value, line] : choices) {
        play.HotKey1.SetValue(value);
        play.Button1.Click();
        if (line) {
            EXPECT_TRUE(Stored(line)) << line;
        }
    }
    EXPECT_TRUE(Stored("HotkeyCharRecord=R"));
    EXPECT_EQ(f.Label5.Caption(), L"Hotkey: Ctrl + Alt + P");
    EXPECT_EQ(os.hotkeys[f.hotkeyP1], L"3,80");

    os.log.clear();
    os.dialogAnswers = {kResultYes};
    play.HotKey1.SetValue(kCtrlAlt | 'Q');
    play.Button1.Click();
    EXPECT_TRUE(Stored("HotkeyCharPlay=Q"));
    EXPECT_EQ(os.log,
              (std::vector<std::wstring>{
                  L"ShellExecute verb= file=C:\\Program Files\\Orvalin\\orvalin.exe params= dir= show=1",
                  L"Terminate"}));
}

TEST_F(HotkeyDialogTest, AnInvalidChoiceWarnsAndStoresNothing) {
    TAppForm& f = Start();
    f.Button3.Click();
    TFormHotkey& d = *shown[0];
    const std::string before = Ini();
    const std::pair<std::uint16_t, const wchar_t*> cases[] = {
        {kCtrlAlt | 0x74, L"Invalid Hotkey: Ctrl+Alt+F5"},
        {0, L"Invalid Hotkey: None"},
        {kCtrlAlt | 0x65, L"Invalid Hotkey: Ctrl+Alt+Num 5"},  // the keypad 5, unlike the main row's
        {kCtrlAlt | 0x20, L"Invalid Hotkey: Ctrl+Alt+Space"},
        {kCtrlAlt | 0x07, L"Invalid Hotkey: None"},  // a key without a name
    };
    int n = 0;
    for (auto [value, message] : cases) {
        d.HotKey1.SetValue(value);
        d.Button1.Click();
        ++n;
        ASSERT_EQ(os.dialogs.size(), static_cast<std::size_t>(n));
        const MessageDialogRequest& warning = os.dialogs.back();
        EXPECT_EQ(warning.message, message);
        EXPECT_EQ(warning.caption, L"WARNING");
        EXPECT_EQ(warning.kind, DialogKind::Warning);
        EXPECT_EQ(warning.buttons, kBtnOk);
        EXPECT_EQ(warning.owner, d.Window());
        EXPECT_EQ(focused, n);
    }
    EXPECT_EQ(Ini(), before);
    EXPECT_TRUE(closed.empty());
}

TEST_F(HotkeyDialogTest, CancelClosesWithoutStoring) {
    TAppForm& f = Start();
    f.Button7.Click();
    const std::string before = Ini();
    shown[0]->HotKey1.SetValue(kCtrlAlt | 'Z');
    shown[0]->Button2.Click();
    EXPECT_EQ(closed, (std::vector<TFormHotkey*>{shown[0].get()}));
    EXPECT_EQ(Ini(), before);
    EXPECT_TRUE(os.dialogs.empty());
}

TEST_F(HotkeyDialogTest, AStoredPunctuationLetterRegistersItsKeyNotItsCharacterCode) {
    os.layoutKeys[L'\u00F6'] = 0xC0;  // "ö" of a German layout
    TAppForm& f = Start("HotkeyCharRecord=;\r\nHotkeyCharPlay=\xC3\xB6\r\n");
    EXPECT_EQ(f.Label1.Caption(), L"Hotkey: Ctrl + Alt + ;");
    EXPECT_EQ(os.hotkeys[f.hotkeyR1], L"3,186");  // VK_OEM_1, not 59
    EXPECT_EQ(os.hotkeys[f.hotkeyP1], L"3,192");
    EXPECT_TRUE(Stored("HotkeyCharRecord=;"));  // the file keeps the character

    // A letter no key of the layout types: nothing is registered, and nothing is retried.
    os = FakePlatform();
    os.InstallOwnVersionResource();
    form = std::make_unique<TAppForm>(os);
    TAppForm& g = Start("HotkeyCharRecord=\xE2\x82\xAC\r\n");
    os.Advance(10000);
    EXPECT_EQ(os.hotkeys.count(g.hotkeyR1), 0u);
    EXPECT_EQ(os.hotkeys[g.hotkeyP1], L"3,80");
    EXPECT_EQ(Logged(L"RegisterHotKey 3,8364"), 0);
    EXPECT_EQ(g.Label1.Caption(), L"Hotkey: Ctrl + Alt + \u20AC");
}

}  // namespace
}  // namespace orv
