// Form posts, the tag reader and the machine identifier over the fake platform.
#include "online/http_exchange.h"

#include <gtest/gtest.h>

#include "core/errors.h"
#include "platform/fake/fake_platform.h"

namespace orv {
namespace {

TEST(ReadTagValue, OnlyAnExactLowerCasePairGivesItsText) {
    struct Case {
        std::wstring line, tag, expected;
    };
    const Case cases[] = {
        {L"<version>3.3</version>", L"version", L"3.3"},
        {L"<version>3.3</version>", L"Version", L"3.3"},  // the name is lower-cased first
        {L"<VERSION>3.3</VERSION>", L"version", L""},
        {L" <version>3.3</version>", L"version", L""},
        {L"<version>3.3</version> ", L"version", L""},
        {L"x<version>3.3</version>", L"version", L""},
        {L"<url></url>", L"url", L""},
        {L"<url>http://a/b</url>", L"url", L"http://a/b"},
        {L"", L"url", L""},
        {L"<url>a</url>", L"", L""},
        {L"<url></url", L"url", L""},  // too short to hold both tags
        {L"<result>1</version>", L"result", L""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ReadTagValue(c.line, c.tag), c.expected) << c.line << " / " << c.tag;
}

TEST(PostForm, EncodesFieldsAsUtf8PercentEscapesInOrder) {
    FakePlatform os;
    os.httpScript.push_back({HttpAnswer{"OK", ""}});
    EXPECT_EQ(PostForm(os, L"http://www.example.test/php/feedback.php",
                       {L"cmd=feedback", L"appname=QUENZAL - Orvalin",
                        L"feedback=Gr\u00fc\u00dfe & 100%\r\u20ac=", L"email=a+b@c.de"},
                       kFeedbackTimeoutMs),
              L"OK");
    ASSERT_EQ(os.httpPosts.size(), 1u);
    EXPECT_EQ(os.httpPosts[0].body,
              "cmd=feedback&appname=QUENZAL+-+Orvalin&feedback=Gr%C3%BC%C3%9Fe+%26+100%25%0D%E2%82%AC%3D"
              "&email=a%2Bb%40c.de");
    EXPECT_EQ(os.httpPosts[0].timeoutMs, 3000u);
}

TEST(PostForm, TheSchemeDecidesTheSecurePathInAnyLetterCase) {
    struct Case {
        std::wstring address;
        HttpTarget expected;
    };
    const Case cases[] = {
        {L"HTTPS://www.example.test/php/check2.php", {true, L"www.example.test", 443, L"/php/check2.php"}},
        {L"https://localhost:8443/x", {true, L"localhost", 8443, L"/x"}},
        {L"http://www.example.test/php/check2.php", {false, L"www.example.test", 80, L"/php/check2.php"}},
        {L"Http://127.0.0.1:8080", {false, L"127.0.0.1", 8080, L"/"}},
    };
    for (const Case& c : cases) EXPECT_EQ(ParseHttpAddress(c.address), c.expected) << c.address;
    for (const wchar_t* bad : {L"ftp://host/", L"www.example.test/php", L"http://", L"http://host:0/",
                               L"http://host:99999/", L"https://:443/"}) {
        EXPECT_THROW(ParseHttpAddress(bad), EHttpError) << bad;
    }
}

TEST(PostForm, AnErrorPageIsTheAnswerAndATransportFailureRaises) {
    FakePlatform os;
    // The status code is not examined: whatever body arrives is the answer.
    os.httpScript.push_back({HttpAnswer{"<html>404 Not Found</html>", "iso-8859-1"}});
    EXPECT_EQ(PostForm(os, L"https://h/p", {L"cmd=check"}, kCheckTimeoutMs), L"<html>404 Not Found</html>");
    EXPECT_EQ(os.httpPosts.back().timeoutMs, 10000u);
    os.httpScript.push_back({std::nullopt, L"The operation timed out"});
    try {
        PostForm(os, L"https://h/p", {L"cmd=check"}, kCheckTimeoutMs);
        FAIL() << "no exception";
    } catch (const EHttpError& e) {
        EXPECT_EQ(e.Message(), L"The operation timed out");
    }
}

TEST(PostForm, AnswersAreReadInTheCharsetTheyDeclare) {
    EXPECT_EQ(DecodeAnswer({"Gr\xC3\xBC\xC3\x9F"
                            "e",
                            ""}),
              L"Gr\u00fc\u00dfe");
    EXPECT_EQ(DecodeAnswer({"Gr\xC3\xBC\xC3\x9F"
                            "e",
                            "UTF-8"}),
              L"Gr\u00fc\u00dfe");
    EXPECT_EQ(DecodeAnswer({"Gr\xFC\xDF"
                            "e",
                            "ISO-8859-1"}),
              L"Gr\u00fc\u00dfe");
    EXPECT_EQ(DecodeAnswer({"Gr\xFC\xDF"
                            "e",
                            ""}),
              L"Gr\u00fc\u00dfe");  // not UTF-8: kept byte for byte
}

TEST(ReadMachineGuid, MissingIsEmptyAndAWrongTypeRaises) {
    FakePlatform os;
    EXPECT_EQ(ReadMachineGuid(os), L"0f8fad5b-d9cb-469f-a165-70867728950e");
    os.machineGuid.reset();
    EXPECT_EQ(ReadMachineGuid(os), L"");
    os.machineGuidWrongType = true;
    EXPECT_THROW(ReadMachineGuid(os), ERegistryError);
}

TEST(TextHelpers, LinesSplitAtEveryKindOfBreakAndNumbersStayInRange) {
    EXPECT_EQ(SplitLines(L"a\r\nb\nc\rd\r\n"), (std::vector<std::wstring>{L"a", L"b", L"c", L"d"}));
    EXPECT_EQ(SplitLines(L"a\n\nb"), (std::vector<std::wstring>{L"a", L"", L"b"}));
    EXPECT_TRUE(SplitLines(L"").empty());
    EXPECT_EQ(TextToInt32(L"33"), 33);
    EXPECT_EQ(TextToInt32(L"-7"), -7);
    EXPECT_EQ(TextToInt32(L"2147483647"), 2147483647);
    EXPECT_EQ(TextToInt32(L"-2147483648"), -2147483647 - 1);
    for (const wchar_t* bad : {L"", L"-", L"33 beta", L"2147483648", L"99999999999999999999", L"3.3"}) {
        EXPECT_FALSE(TextToInt32(bad)) << bad;
    }
}

}  // namespace
}  // namespace orv
