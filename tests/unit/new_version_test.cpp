// The update notice: the link rule, the countdown, dragging and the link colour.
#include "online/new_version.h"

#include <gtest/gtest.h>

#include "platform/fake/fake_platform.h"

namespace orv {
namespace {

const std::wstring kHome = L"http://www.example.test/";

TEST(DownloadAddressToOpen, OnlyAbsoluteWebAddressesAreOpened) {
    struct Case {
        std::wstring url;
        bool kept;
    };
    const Case cases[] = {
        {L"https://www.example.test/download/orvalin-3.3.exe", true},
        {L"http://mirror.example.test/d", true},
        {L"HTTPS://www.example.test/", true},
        {L"", false},
        {L"file:///C:/Windows/System32/calc.exe", false},
        {L"\\\\attacker\\share\\setup.exe", false},
        {L"C:\\Windows\\System32\\cmd.exe", false},
        {L"calc.exe", false},
        {L"javascript:alert(1)", false},
        {L"www.example.test/download", false},
        {L"http://", false},
        {L"http:///C:/x.exe", false},
        {L"http:\\\\attacker\\share", false},
        {L"https://www.example.test/a b", false},
        {L"https://www.example.test/\" --x", false},
        {L" https://www.example.test/", false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(DownloadAddressToOpen(c.url, kHome), c.kept ? c.url : kHome) << c.url;
    }
}

class NewVerTest : public ::testing::Test {
protected:
    void Open(const std::wstring& url) {
        form = std::make_unique<TNewVer>(os, L"Orvalin", L"3.3", url, kHome);
        form->AnimateIn = [this] { events.push_back(L"in"); };
        form->AnimateOut = [this] { events.push_back(L"out"); };
        form->HideWindow = [this] { events.push_back(L"hide"); };
        form->FocusMainWindow = [this] { events.push_back(L"focus main"); };
        form->PointerInLink = [this] { return pointerInLink; };
        form->FormCreate(1920);
    }
    FakePlatform os;
    std::unique_ptr<TNewVer> form;
    std::vector<std::wstring> events;
    bool pointerInLink = false;
};

TEST_F(NewVerTest, OpensAtTheTopRightAndNamesTheVersion) {
    Open(L"https://www.example.test/d");
    EXPECT_EQ(form->Position, (Point{1920 - 320 - 5, 5}));
    EXPECT_EQ(form->Label1.Caption(), L"UPDATE AVAILABLE");
    EXPECT_EQ(form->Label2.Caption(), L"Click to download Orvalin 3.3");
    os.Advance(1);
    EXPECT_EQ(events, (std::vector<std::wstring>{L"in", L"focus main"}));
    EXPECT_FALSE(form->TimerStart.Enabled());
}

TEST_F(NewVerTest, TheLinkOpensTheCheckedAddressAndCloses) {
    struct Case {
        std::wstring url, opened;
    };
    const Case cases[] = {{L"https://www.example.test/d", L"https://www.example.test/d"},
                          {L"", kHome},
                          {L"file:///C:/Windows/System32/calc.exe", kHome}};
    for (const Case& c : cases) {
        os.log.clear();
        events.clear();
        Open(c.url);
        os.Advance(1);
        form->Label2Click();
        EXPECT_EQ(os.log, (std::vector<std::wstring>{L"ShellExecute verb=open file=" + c.opened +
                                                     L" params= dir= show=0"}));
        EXPECT_EQ(events.back(), L"hide");
    }
}

TEST_F(NewVerTest, TheCountdownClosesAfterElevenSecondsEvenUnderThePointer) {
    Open(L"https://www.example.test/d");
    pointerInLink = true;
    os.Advance(10999);
    EXPECT_TRUE(form->LinkHot);
    EXPECT_EQ(events, (std::vector<std::wstring>{L"in", L"focus main"}));
    os.Advance(1);
    EXPECT_EQ(events, (std::vector<std::wstring>{L"in", L"focus main", L"out", L"hide"}));
    EXPECT_FALSE(form->TimerClose.Enabled());
}

TEST_F(NewVerTest, ClosedByTheButtonItIsNotAnimatedOutLater) {
    Open(L"https://www.example.test/d");
    os.Advance(2000);
    form->Button1Click();
    os.Advance(20000);
    EXPECT_EQ(events, (std::vector<std::wstring>{L"in", L"focus main", L"hide"}));
}

TEST_F(NewVerTest, DragsWithAnyButtonButTheRight) {
    Open(L"https://www.example.test/d");
    std::vector<Point> moves;
    form->MoveTo = [&](Point p) { moves.push_back(p); };
    form->FormMouseDown(1, {1700, 20});
    form->FormMouseMove({1650, 40});
    EXPECT_TRUE(moves.empty());
    form->FormMouseDown(0, {1700, 20});
    form->FormMouseMove({1650, 40});
    form->FormMouseMove({1640, 45});
    form->FormMouseUp();
    form->FormMouseMove({1000, 500});
    EXPECT_EQ(moves, (std::vector<Point>{{1595 - 50, 25}, {1545 - 10, 30}}));
}

}  // namespace
}  // namespace orv
