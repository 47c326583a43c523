// The feedback dialog: choice panels, composition, the e-mail check and the exchange.
#include "online/feedback_form.h"

#include <gtest/gtest.h>

#include "platform/fake/fake_platform.h"

namespace orv {
namespace {

TEST(IsValidEmailAddress, AcceptsCommonAddressesAndRejectsMalformedOnes) {
    for (const wchar_t* good : {L"a@b.c", L"first.last@example.com", L"first+tag@mail.example.co.uk",
                                L"a_b-c@my-host.example-domain.org", L"x@b.c-d.ef", L"A9@B9.C9"}) {
        EXPECT_TRUE(IsValidEmailAddress(good)) << good;
    }
    for (const wchar_t* bad :
         {L"", L"user@localhost", L"user@example.", L"user@example.com-", L"@example.com",
          L"user@.example.com", L"us er@example.com", L"user@exa mple.com", L"user@example.com ",
          L"user@@example.com", L"user@example.c\u00f6m", L"user@ex_ample.com"}) {
        EXPECT_FALSE(IsValidEmailAddress(bad)) << bad;
    }
}

class FeedbackTest : public ::testing::Test {
public:
    FeedbackTest() {
        AppIdentity identity{L"QUENZAL", L"Orvalin", L"QUENZAL - Orvalin", L"3.2"};
        form = std::make_unique<TFeedbackForm>(os, identity, L"www.example.test/php/feedback.php");
        form->FocusControl = [this](Control& c) {
            focused.push_back(&c);
            return true;
        };
        form->CloseWindow = [this] { closed = true; };
        form->SetBusy = [this](bool busy) { busy_.push_back(busy); };
        form->FormCreate();
    }
    void Reply(const std::string& body) { os.httpScript.push_back({HttpAnswer{body, ""}}); }
    void Refuse() { os.httpScript.push_back({std::nullopt, L"Connection refused"}); }

    FakePlatform os;
    std::unique_ptr<TFeedbackForm> form;
    std::vector<Control*> focused;
    std::vector<bool> busy_;
    bool closed = false;
};

TEST_F(FeedbackTest, PanelsToggleWithTheLeftButtonOnlyAndExcludeEachOther) {
    EXPECT_EQ(form->Caption(), L"Orvalin feedback");
    form->Image1MouseDown(0);
    EXPECT_TRUE(form->Panel1.Selected());
    form->Image2MouseDown(0);
    EXPECT_FALSE(form->Panel1.Selected());
    EXPECT_TRUE(form->Panel2.Selected());
    form->Image2MouseDown(1);  // right button: nothing
    EXPECT_TRUE(form->Panel2.Selected());
    form->Image2MouseDown(0);  // again: unselected, no choice at all
    EXPECT_FALSE(form->Panel1.Selected());
    EXPECT_FALSE(form->Panel2.Selected());
}

TEST_F(FeedbackTest, TheMessageCarriesTheEnglishPhraseAndATranslation) {
    form->Image1MouseDown(0);
    EXPECT_EQ(form->ComposeMessage(L"Fine"), L"I like it!\rFine");
    form->Panel1.SetCaption(L"Gef\u00e4llt mir!");
    EXPECT_EQ(form->ComposeMessage(L"Fine"), L"I like it! (Gef\u00e4llt mir!)\rFine");
    form->Image2MouseDown(0);
    EXPECT_EQ(form->ComposeMessage(L"Bad"), L"I dislike it!\rBad");
    form->Image2MouseDown(0);
    EXPECT_EQ(form->ComposeMessage(L"Plain"), L"Plain");
}

TEST_F(FeedbackTest, ABlankMessageOnlyBeeps) {
    form->Image1MouseDown(0);
    form->Memo1.SetCaption(L" \r\n \t\r\n");
    form->BitBtn1Click();
    EXPECT_TRUE(os.httpPosts.empty());
    EXPECT_TRUE(os.dialogs.empty());
    EXPECT_EQ(os.log, (std::vector<std::wstring>{L"Beep 0"}));
    EXPECT_EQ(focused, (std::vector<Control*>{&form->Memo1}));
}

TEST_F(FeedbackTest, AMalformedAddressIsRefusedBeforeSending) {
    form->Memo1.SetCaption(L"Hello");
    form->Edit1.SetCaption(L"  user@localhost ");
    form->BitBtn1Click();
    EXPECT_TRUE(os.httpPosts.empty());
    ASSERT_EQ(os.dialogs.size(), 1u);
    EXPECT_EQ(os.dialogs[0].caption, L"Failure");
    EXPECT_EQ(os.dialogs[0].message, L"Invalid e-mail address!");
    EXPECT_EQ(os.dialogs[0].kind, DialogKind::Error);
    EXPECT_EQ(focused, (std::vector<Control*>{&form->Edit1}));
    EXPECT_FALSE(closed);
}

TEST_F(FeedbackTest, SentOverHttpWhenHttpsFailsAndClosedOnOk) {
    form->Image2MouseDown(0);
    form->Memo1.SetCaption(L"\r\n  Crashes on start  \r\n");
    form->Edit1.SetCaption(L" me+x@example.com ");
    Refuse();
    Reply("OK\r\n");
    form->BitBtn1Click();
    ASSERT_EQ(os.httpPosts.size(), 2u);
    EXPECT_TRUE(os.httpPosts[0].target.secure);
    EXPECT_FALSE(os.httpPosts[1].target.secure);
    EXPECT_EQ(os.httpPosts[1].target.path, L"/php/feedback.php");
    EXPECT_EQ(os.httpPosts[1].timeoutMs, 3000u);
    EXPECT_EQ(os.httpPosts[1].body,
              "cmd=feedback&appname=QUENZAL+-+Orvalin&version=3.2&feedback=I+dislike+it%21%0DCrashes+on+start"
              "&email=me%2Bx%40example.com");
    ASSERT_EQ(os.dialogs.size(), 1u);
    EXPECT_EQ(os.dialogs[0].caption, L"Success");
    EXPECT_EQ(os.dialogs[0].message, L"Your feedback is received.\r\rThank you!");
    EXPECT_EQ(os.dialogs[0].kind, DialogKind::Information);
    EXPECT_EQ(busy_, (std::vector<bool>{true, false}));
    EXPECT_TRUE(closed);
}

TEST_F(FeedbackTest, AnythingButOkIsOneFailureAndTheTextStays) {
    struct Case {
        const char* name;
        std::function<void(FeedbackTest&)> script;
        std::size_t posts;
    };
    const Case cases[] = {
        {"lower-case ok", [](FeedbackTest& t) { t.Reply("ok"); }, 1},
        {"empty answer", [](FeedbackTest& t) { t.Reply(""); }, 1},
        {"server error text", [](FeedbackTest& t) { t.Reply("ERROR message too long"); }, 1},
        {"both schemes down", [](FeedbackTest& t) { t.Refuse(), t.Refuse(); }, 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        os.httpPosts.clear();
        os.dialogs.clear();
        form->Memo1.SetCaption(L"Kept text");
        form->Edit1.SetCaption(L"");
        c.script(*this);
        form->BitBtn1Click();
        EXPECT_EQ(os.httpPosts.size(), c.posts);
        EXPECT_EQ(os.httpPosts[0].body.find("email="), std::string::npos);
        ASSERT_EQ(os.dialogs.size(), 1u);
        EXPECT_EQ(os.dialogs[0].caption, L"Failure");
        EXPECT_EQ(os.dialogs[0].message,
                  L"Something went wrong. Your feedback could not be delivered.\r\rPlease try again later.");
        EXPECT_FALSE(closed);
        EXPECT_EQ(form->Memo1.Caption(), L"Kept text");
    }
}

TEST_F(FeedbackTest, EscapeClosesFromEveryField) {
    form->Memo1KeyDown(65);
    EXPECT_FALSE(closed);
    form->Memo1KeyDown(27);
    EXPECT_TRUE(closed);
    closed = false;
    form->BitBtn1KeyDown(27);
    EXPECT_TRUE(closed);
    closed = false;
    EXPECT_FALSE(form->Edit1KeyPress(L'a'));
    EXPECT_TRUE(form->Edit1KeyPress(27));
    EXPECT_TRUE(closed);
}

}  // namespace
}  // namespace orv
