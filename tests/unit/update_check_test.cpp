// TChecker::CheckNow over the fake platform: the store, the day's limits, the request, the answer
// rules and the https-to-http fall-back.
#include "online/update_check.h"

#include <gtest/gtest.h>

#include "core/errors.h"
#include "platform/fake/fake_platform.h"

namespace orv {
namespace {

const std::wstring kKey = L"Software\\QUENZAL\\Orvalin\\Settings";

HttpAnswer Answer(const std::string& version, const std::string& result = "1",
                  const std::string& url = "https://www.example.test/download/") {
    return {"<version>" + version + "</version>\r\n<url>" + url +
                "</url>\r\n<price>29.95</price>\r\n<result>" + result + "</result>\r\n",
            ""};
}

class UpdateCheckTest : public ::testing::Test {
protected:
    void Store(const std::wstring& name, const std::wstring& value) {
        os.registry[kKey + L"|" + name] = value;
    }
    std::wstring Stored(const std::wstring& name) {
        const auto it = os.registry.find(kKey + L"|" + name);
        return it == os.registry.end() ? L"<none>" : it->second;
    }
    void Reply(HttpAnswer answer) { os.httpScript.push_back({std::move(answer)}); }
    void Refuse(const std::wstring& message = L"Connection refused") {
        os.httpScript.push_back({std::nullopt, message});
    }
    CheckerResults& Run() {
        auto store = std::make_shared<UpdateStore>(os, L"Software\\QUENZAL\\Orvalin");
        TChecker checker(os, results, store, context);
        checker.Execute();
        return *results;
    }

    FakePlatform os;
    std::shared_ptr<CheckerResults> results = std::make_shared<CheckerResults>();
    CheckerContext context{L"QUENZAL - Orvalin", L"3.2", L"www.example.test/php/check2.php",
                           [this] { return os.localeName; }};
};

TEST_F(UpdateCheckTest, FirstRunEverSendsTheFieldsInOrderAndStartsTheRecord) {
    Reply(Answer("3.3"));
    CheckerResults& r = Run();
    ASSERT_EQ(os.httpPosts.size(), 1u);
    EXPECT_EQ(os.httpPosts[0].target, (HttpTarget{true, L"www.example.test", 443, L"/php/check2.php"}));
    EXPECT_EQ(os.httpPosts[0].timeoutMs, 10000u);
    EXPECT_EQ(os.httpPosts[0].body,
              "cmd=check&appname=QUENZAL+-+Orvalin&version=3.2"
              "&os=Windows+10+%28Version+10.0%2C+Build+19045%2C+64-bit+Edition%29&local=en-US"
              "&guid=0f8fad5b-d9cb-469f-a165-70867728950e&howmany=1");
    EXPECT_EQ(Stored(L"HowMany"), L"1");
    EXPECT_EQ(Stored(L"InstalledVersion"), L"3.2");
    EXPECT_EQ(Stored(L"LastUpdateCheck"), L"10.12.2026");
    EXPECT_EQ(Stored(L"LastUpdateCheckCount"), L"1");
    EXPECT_EQ(Stored(L"ShowUpdate"), L"<none>");  // written only by the menu item
    EXPECT_EQ(r.CheckerDone.load(), 1);
    EXPECT_EQ(r.CheckFailed, 0);
    EXPECT_EQ(r.ShowUpdate, 1);
    EXPECT_EQ(r.NewVersion, L"3.3");
    EXPECT_EQ(r.NewVersionURL, L"https://www.example.test/download/");
    EXPECT_EQ(r.UpdateAvailable, 1);
}

TEST_F(UpdateCheckTest, FiveExchangesADayAndANoticeOnlyOnTheFirstThree) {
    struct Case {
        const wchar_t* lastDate;
        const wchar_t* count;
        bool posted;
        const wchar_t* newCount;
        bool notice;
    };
    const Case cases[] = {
        {L"09.12.2026", L"5", true, L"1", true},  // another day starts again
        {L"10.12.2026", L"0", true, L"1", true},
        {L"10.12.2026", L"2", true, L"3", true},   // third exchange today
        {L"10.12.2026", L"3", true, L"4", false},  // fourth: valid answer, no notice
        {L"10.12.2026", L"4", true, L"5", false},
        {L"10.12.2026", L"5", false, L"5", false},  // sixth start: no request
        {L"10.12.2026", L"x", true, L"1", true},    // not a number: 0
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::wstring(c.lastDate) + L" " + c.count);
        os = FakePlatform();
        results = std::make_shared<CheckerResults>();
        Store(L"LastUpdateCheck", c.lastDate);
        Store(L"LastUpdateCheckCount", c.count);
        Store(L"InstalledVersion", L"3.2");
        Store(L"HowMany", L"6");
        Reply(Answer("10.0"));
        CheckerResults& r = Run();
        EXPECT_EQ(os.httpPosts.size(), c.posted ? 1u : 0u);
        EXPECT_EQ(Stored(L"LastUpdateCheckCount"), c.newCount);
        EXPECT_EQ(Stored(L"HowMany"), L"7");  // every run counts
        EXPECT_EQ(r.UpdateAvailable, c.notice ? 1 : 0);
        if (c.posted) {
            EXPECT_EQ(r.NewVersion, L"10.0");
        }
        EXPECT_EQ(r.CheckerDone.load(), 1);
    }
}

TEST_F(UpdateCheckTest, StoredShowUpdateDecidesRequestAndNotice) {
    struct Case {
        const wchar_t* stored;  // nullptr: absent
        bool wrongType;
        bool posted;
        int showUpdate;
        bool notice;
    };
    const Case cases[] = {
        {nullptr, false, true, 1, true}, {L"1", false, true, 1, true},  {L"0", false, false, 0, false},
        {L"2", false, true, 2, false},   {L"on", false, true, 1, true}, {L"0", true, true, 1, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.stored ? c.stored : L"absent");
        os = FakePlatform();
        results = std::make_shared<CheckerResults>();
        if (c.stored) Store(L"ShowUpdate", c.stored);
        if (c.wrongType) os.registryWrongType.insert(kKey + L"|ShowUpdate");
        Store(L"InstalledVersion", L"3.1");
        Store(L"HowMany", L"40");
        Reply(Answer("3.3"));
        CheckerResults& r = Run();
        EXPECT_EQ(os.httpPosts.size(), c.posted ? 1u : 0u);
        EXPECT_EQ(r.ShowUpdate, c.showUpdate);
        EXPECT_EQ(r.UpdateAvailable, c.notice ? 1 : 0);
        // A new version starts the run count again, requests or not.
        EXPECT_EQ(Stored(L"HowMany"), L"1");
        EXPECT_EQ(Stored(L"InstalledVersion"), L"3.2");
    }
}

TEST_F(UpdateCheckTest, RunCountGoesOnForTheSameVersionAndTreatsNegativeAsZero) {
    Store(L"InstalledVersion", L"3.2");
    Store(L"HowMany", L"9");
    Reply(Answer("3.2"));
    Run();
    EXPECT_EQ(Stored(L"HowMany"), L"10");
    EXPECT_NE(os.httpPosts[0].body.find("&howmany=10"), std::string::npos);
    Store(L"HowMany", L"-4");
    Reply(Answer("3.2"));
    Run();
    EXPECT_EQ(Stored(L"HowMany"), L"1");
}

TEST_F(UpdateCheckTest, AnswerRules) {
    struct Case {
        const char* name;
        std::string body;
        bool valid;
        bool notice;
    };
    const Case cases[] = {
        {"newer", Answer("3.3").body, true, true},
        {"older, as any other text", Answer("3.1").body, true, true},
        {"same version", Answer("3.2").body, true, false},
        {"result 0 is valid", Answer("3.3", "0").body, true, true},
        {"result 2", Answer("3.3", "2").body, false, false},
        {"result missing", "<version>3.3</version>\n<url>u</url>\n<price>p</price>\n", false, false},
        {"three lines", "<version>3.3</version>\n<url>u</url>\n<result>1</result>\n", false, false},
        {"ERROR first, fourth line valid",
         "ERROR<version>3.3</version>\n<url>u</url>\n<price>p</price>\n<result>1</result>", false, false},
        {"LF only and more lines",
         "<version>3.3</version>\n<url>u</url>\n<price>p</price>\n<result>1</result>\nmore\n", true, true},
        {"beta", Answer("3.3 beta").body, true, false},
        {"empty version", Answer("").body, true, false},
        {"too large once the dots go", Answer("99999.99999").body, true, false},
        {"empty answer", "", false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        os = FakePlatform();
        results = std::make_shared<CheckerResults>();
        Reply({c.body, ""});
        CheckerResults& r = Run();
        EXPECT_EQ(r.CheckFailed, c.valid ? 0 : 1);
        EXPECT_EQ(r.CheckErrorLog, c.valid ? L"" : L"INVALIDSERVERRESPONSE");
        EXPECT_EQ(r.UpdateAvailable, c.notice ? 1 : 0);
        if (!c.valid) {
            EXPECT_EQ(r.NewVersion, L"");
        }
    }
}

TEST_F(UpdateCheckTest, HttpsFailingFallsBackToHttpAndForgetsEarlierFailures) {
    os.machineGuidWrongType = true;  // recorded first, then forgotten by the plain answer
    Refuse(L"Certificate not trusted");
    Reply(Answer("3.3"));
    CheckerResults& r = Run();
    ASSERT_EQ(os.httpPosts.size(), 2u);
    EXPECT_TRUE(os.httpPosts[0].target.secure);
    EXPECT_FALSE(os.httpPosts[1].target.secure);
    EXPECT_EQ(os.httpPosts[1].target.port, 80);
    EXPECT_EQ(os.httpPosts[0].body, os.httpPosts[1].body);
    EXPECT_NE(os.httpPosts[0].body.find("&guid=&"), std::string::npos);
    EXPECT_EQ(r.CheckFailed, 0);
    EXPECT_EQ(r.CheckErrorLog, L"");
    EXPECT_EQ(r.UpdateAvailable, 1);
}

TEST_F(UpdateCheckTest, EarlierFailuresMakeASecureAnswerUnused) {
    struct Case {
        const char* name;
        std::function<void(FakePlatform&)> setUp;
        std::wstring log;
    };
    const Case cases[] = {
        {"machine id", [](FakePlatform& f) { f.machineGuidWrongType = true; },
         L"Error: GUID generate problem!"},
        {"store", [](FakePlatform& f) { f.registryCreateFails = true; }, L"Error: Registry open problem!"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        os = FakePlatform();
        results = std::make_shared<CheckerResults>();
        c.setUp(os);
        Reply(Answer("3.3"));
        CheckerResults& r = Run();
        EXPECT_EQ(os.httpPosts.size(), 1u);
        EXPECT_EQ(r.CheckFailed, 1);
        EXPECT_EQ(r.CheckErrorLog, c.log);
        EXPECT_EQ(r.NewVersion, L"");
        EXPECT_EQ(r.UpdateAvailable, 0);
        EXPECT_EQ(r.CheckerDone.load(), 1);
    }
}

TEST_F(UpdateCheckTest, ADeadServerLeavesBothRecordsAndCountsTheExchange) {
    Refuse(L"Connection refused");
    Refuse(L"Connection timed out");
    CheckerResults& r = Run();
    EXPECT_EQ(os.httpPosts.size(), 2u);
    EXPECT_EQ(r.CheckFailed, 1);
    EXPECT_EQ(r.CheckErrorLog,
              L"HTTPS Response:\rConnection refused\r\rHTTP Response:\rConnection timed out");
    EXPECT_EQ(r.UpdateAvailable, 0);
    EXPECT_EQ(Stored(L"LastUpdateCheckCount"), L"1");
    EXPECT_EQ(r.CheckerDone.load(), 1);
}

TEST_F(UpdateCheckTest, ALocaleThatCannotBeNamedLeavesItsFieldOut) {
    context.LocaleCode = []() -> std::wstring { throw EOSError(1, L"no locale"); };
    Reply(Answer("3.3"));
    CheckerResults& r = Run();
    EXPECT_EQ(os.httpPosts[0].body.find("local="), std::string::npos);
    EXPECT_NE(os.httpPosts[0].body.find("&os=Windows"), std::string::npos);
    EXPECT_EQ(r.CheckErrorLog, L"Error: LocaleName2 problem!");
    EXPECT_EQ(r.UpdateAvailable, 0);  // a recorded failure: the answer is not used
}

}  // namespace
}  // namespace orv
