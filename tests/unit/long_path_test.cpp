// Long paths reach the file functions in the extended form, which the system takes literally:
// a wrong prefix names another file or none.
#include "core/long_path.h"

#include <gtest/gtest.h>

namespace orv {
namespace {

TEST(ExtendedLengthPath, PrefixesDriveAndUncPathsAndLeavesOthersAlone) {
    const std::pair<std::wstring, std::wstring> cases[] = {
        {L"C:\\a\\b.csv", L"\\\\?\\C:\\a\\b.csv"},
        {L"z:/tmp/x/settings.ini", L"\\\\?\\z:\\tmp\\x\\settings.ini"},
        {L"\\\\server\\share\\m.csv", L"\\\\?\\UNC\\server\\share\\m.csv"},
        {L"//server/share/m.csv", L"\\\\?\\UNC\\server\\share\\m.csv"},
        {L"\\\\?\\C:\\a\\b.csv", L"\\\\?\\C:\\a\\b.csv"},
        {L"\\\\?\\UNC\\server\\share\\m.csv", L"\\\\?\\UNC\\server\\share\\m.csv"},
        {L"\\\\.\\pipe\\x", L"\\\\.\\pipe\\x"},
        {L"relative\\m.csv", L"relative\\m.csv"},
        {L"C:m.csv", L"C:m.csv"},
        {L"\\rooted\\m.csv", L"\\rooted\\m.csv"},
        {L"", L""},
    };
    for (const auto& [path, expected] : cases) {
        SCOPED_TRACE(testing::PrintToString(path));
        EXPECT_EQ(ExtendedLengthPath(path), expected);
    }
}

// Renaming a file by its handle takes the native name: a drive or share path must become the
// object folder's name for it, or the rename goes nowhere.
TEST(NativePathName, NamesDriveAndUncPathsInTheObjectFolderAndRefusesRelativeOnes) {
    const std::pair<std::wstring, std::wstring> cases[] = {
        {L"C:\\a\\b.csv", L"\\??\\C:\\a\\b.csv"},
        {L"z:/tmp/settings.ini", L"\\??\\z:\\tmp\\settings.ini"},
        {L"\\\\server\\share\\m.csv", L"\\??\\UNC\\server\\share\\m.csv"},
        {L"\\\\?\\C:\\a\\b.csv", L"\\??\\C:\\a\\b.csv"},
        {L"\\\\?\\UNC\\server\\share\\m.csv", L"\\??\\UNC\\server\\share\\m.csv"},
        {L"\\\\.\\C:\\a\\b.csv", L"\\??\\C:\\a\\b.csv"},
        {L"relative\\m.csv", L""},
        {L"C:m.csv", L""},
        {L"\\rooted\\m.csv", L""},
        {L"\\\\?\\", L""},
        {L"", L""},
    };
    for (const auto& [path, expected] : cases) {
        SCOPED_TRACE(testing::PrintToString(path));
        EXPECT_EQ(NativePathName(path), expected);
    }
}

}  // namespace
}  // namespace orv
