// Reading the identity from a version resource.
#include "core/version_info.h"

#include <gtest/gtest.h>

#include "core/errors.h"
#include "platform/fake/fake_platform.h"

namespace orv {
namespace {

const std::wstring kExe = L"C:\\Program Files\\Orvalin\\orvalin.exe";

TEST(VersionInfo, ReadsTheProgramsOwnIdentity) {
    FakePlatform os;
    os.InstallOwnVersionResource();
    const TEXEVersionData data = ReadVersionData(os, kExe);
    EXPECT_EQ(data.CompanyName, L"QUENZAL");
    EXPECT_EQ(data.ProductName, L"Orvalin");
    EXPECT_EQ(data.FileVersion, L"3.2.0.0");
    // Stored as OriginalFilename, asked for as OriginalFileName.
    EXPECT_EQ(data.OriginalFileName, L"orvalin.exe");
    EXPECT_EQ(data.Comments, L"QUENZAL");
    EXPECT_EQ(data.PrivateBuild, L"");
    EXPECT_EQ(data.SpecialBuild, L"");
    EXPECT_EQ(ReadFileVersionText(os, kExe), L"3.2");
}

TEST(VersionInfo, UsesOnlyTheFirstTranslation) {
    FakePlatform os;
    FakePlatform::VersionResource res;
    res.translations = {{0x0407, 0x04B0}, {0x0409, 0x04E4}};
    res.strings = {{L"\\StringFileInfo\\040704b0\\CompanyName", L"Firma"},
                   {L"\\StringFileInfo\\040904e4\\ProductName", L"Only in the second"}};
    res.fileVersionMS = (10u << 16) | 15u;
    os.versionResources[kExe] = res;

    const TEXEVersionData data = ReadVersionData(os, kExe);
    EXPECT_EQ(data.CompanyName, L"Firma");
    EXPECT_EQ(data.ProductName, L"");
    EXPECT_EQ(ReadFileVersionText(os, kExe), L"10.15");
}

TEST(VersionInfo, FailuresRaiseTheSystemErrorWithoutAPartialRecord) {
    struct Case {
        const char* name;
        void (*setUp)(FakePlatform&);
    };
    const Case cases[] = {
        {"no version resource", [](FakePlatform&) {}},
        {"resource cannot be loaded",
         [](FakePlatform& os) {
             os.InstallOwnVersionResource();
             os.versionResources[kExe].loadFails = true;
         }},
        {"no translation table",
         [](FakePlatform& os) {
             os.InstallOwnVersionResource();
             os.versionResources[kExe].translations.clear();
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        FakePlatform os;
        c.setUp(os);
        try {
            ReadVersionData(os, kExe);
            ADD_FAILURE() << "no error raised";
        } catch (const EOSError& e) {
            const std::wstring expected = L"System Error.  Code: " + std::to_wstring(e.Code()) + L".\r\n" +
                                          os.SystemErrorText(e.Code());
            EXPECT_EQ(e.Message(), expected);
            EXPECT_NE(e.Code(), 0u);
        }
    }
}

}  // namespace
}  // namespace orv
