// The main window's side of the online services: the checker timer, "Update Notifications" and
// "Send Feedback..." under the modal-window rule.
#include <gtest/gtest.h>

#include "app/main_form.h"
#include "platform/fake/fake_platform.h"

namespace orv {
namespace {

const std::wstring kKey = L"Software\\QUENZAL\\Orvalin\\Settings";
const std::wstring kIni = L"C:\\Program Files\\Orvalin\\settings.ini";

class MainFormOnlineTest : public ::testing::Test {
protected:
    MainFormOnlineTest() { os.InstallOwnVersionResource(); }
    TAppForm& Start() {
        form = std::make_unique<TAppForm>(os);
        form->ShowNewVer = [this](TNewVer& notice) { notice.AnimateIn = [this] { ++noticesShown; }; };
        form->FormCreate();
        form->StartTimers();
        return *form;
    }
    void Reply(const std::string& version) {
        os.httpScript.push_back(
            {HttpAnswer{"<version>" + version +
                            "</version>\n<url>https://www.example.test/d</url>\n<price></price>\n"
                            "<result>1</result>\n",
                        ""}});
    }

    FakePlatform os;
    std::unique_ptr<TAppForm> form;
    int noticesShown = 0;
};

TEST_F(MainFormOnlineTest, TheCheckerStartsOneCheckAndCollectsItsVerdictOnceDone) {
    TAppForm& f = Start();
    Reply("3.3");
    os.Advance(1000);
    EXPECT_EQ(os.pendingThreads.size(), 1u);
    os.Advance(3000);  // the check still runs: nothing happens, no second check
    EXPECT_EQ(os.pendingThreads.size(), 1u);
    EXPECT_TRUE(f.TimerChecker.Enabled());
    EXPECT_FALSE(f.UpdateNotifications1.Enabled());
    EXPECT_EQ(f.NewVer(), nullptr);

    os.RunThreads();
    EXPECT_EQ(os.httpPosts.size(), 1u);
    os.Advance(1000);
    EXPECT_FALSE(f.TimerChecker.Enabled());
    EXPECT_TRUE(f.UpdateNotifications1.Enabled());
    EXPECT_TRUE(f.UpdateNotifications1.Checked());
    ASSERT_NE(f.NewVer(), nullptr);
    EXPECT_EQ(f.NewVer()->Label2.Caption(), L"Click to download Orvalin 3.3");
    os.Advance(1);
    EXPECT_EQ(noticesShown, 1);
    os.Advance(60000);
    EXPECT_TRUE(os.pendingThreads.empty());
    EXPECT_EQ(noticesShown, 1);
}

TEST_F(MainFormOnlineTest, TheSameVersionOpensNothing) {
    TAppForm& f = Start();
    Reply("3.2");
    os.Advance(1000);
    os.RunThreads();
    os.Advance(1000);
    EXPECT_TRUE(f.UpdateNotifications1.Enabled());
    EXPECT_EQ(f.NewVer(), nullptr);
}

// The check thread is never waited for: at exit it may not have run yet, or it may wait for the
// server's answer. Either way the form goes, and the platform right after it, so from then on the
// thread must not touch the platform: no registry step, no second post.
TEST_F(MainFormOnlineTest, ACheckStillUnderWayAtExitNoLongerTouchesThePlatform) {
    struct Case {
        const char* name;
        bool exitWhilePosting;  // else before the thread runs at all
        std::size_t posts;
    };
    for (const Case& c :
         {Case{"exit before the thread runs", false, 0}, Case{"exit while the https post waits", true, 1}}) {
        SCOPED_TRACE(c.name);
        os.httpPosts.clear();
        os.registry.clear();
        os.registryKeys.clear();
        Start();
        os.Advance(1000);
        ASSERT_EQ(os.pendingThreads.size(), 1u);
        std::map<std::wstring, std::wstring> registryAtExit;
        std::set<std::wstring> keysAtExit;
        const auto exit = [&] {
            form.reset();
            registryAtExit = os.registry;
            keysAtExit = os.registryKeys;
        };
        if (c.exitWhilePosting) {
            os.whilePosting = [&] {
                if (form) exit();
            };
        } else {
            exit();
        }
        os.RunThreads();  // https refused: the check would go on with plain http
        os.whilePosting = nullptr;
        EXPECT_EQ(os.httpPosts.size(), c.posts);
        EXPECT_EQ(os.registry, registryAtExit);
        EXPECT_EQ(os.registryKeys, keysAtExit);
    }
}

TEST_F(MainFormOnlineTest, UpdateNotificationsShowsAndWritesTheStoredSwitch) {
    os.registryKeys.insert(kKey);
    os.registry[kKey + L"|ShowUpdate"] = L"0";
    TAppForm& f = Start();
    os.Advance(1000);
    os.RunThreads();
    os.Advance(1000);
    EXPECT_TRUE(os.httpPosts.empty());
    EXPECT_TRUE(f.UpdateNotifications1.Enabled());
    EXPECT_FALSE(f.UpdateNotifications1.Checked());
    f.UpdateNotifications1.Click();
    EXPECT_TRUE(f.UpdateNotifications1.Checked());
    EXPECT_EQ(os.registry[kKey + L"|ShowUpdate"], L"1");
    f.UpdateNotifications1.Click();
    EXPECT_FALSE(f.UpdateNotifications1.Checked());
    EXPECT_EQ(os.registry[kKey + L"|ShowUpdate"], L"0");
}

TEST_F(MainFormOnlineTest, SendFeedbackLiftsStayOnTopWhileTheDialogIsOpen) {
    os.ReplaceFileContent(kIni, "\xEF\xBB\xBF[Settings]\r\nStayOnTop=ON\r\n");
    TAppForm& f = Start();
    std::string iniWhileOpen;
    std::wstring caption;
    f.ShowFeedback = [&](TFeedbackForm& dialog) {
        iniWhileOpen = os.FileBytes(kIni);
        caption = dialog.Caption();
    };
    f.SendFeedback1.Click();
    EXPECT_EQ(caption, L"Orvalin feedback");
    EXPECT_NE(iniWhileOpen.find("StayOnTop=OFF"), std::string::npos);
    EXPECT_NE(os.FileBytes(kIni).find("StayOnTop=ON"), std::string::npos);
    EXPECT_TRUE(f.StayonTop1.Checked());
}

}  // namespace
}  // namespace orv
