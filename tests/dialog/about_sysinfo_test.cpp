// The System Information look-up: which of the two registry values wins, what counts as a
// value, and that a key a normal user may only read still yields the program.
#include <windows.h>
#include <aclapi.h>

#include <gtest/gtest.h>

#include <string>

#include "about/about_sysinfo.h"
#include "about_registry.h"

using namespace cadencer::about;
using about_test::ScratchKey;

namespace {

// A folder of its own under the temporary directory, removed afterwards.
class ScratchFolder {
public:
    ScratchFolder() {
        wchar_t temp[MAX_PATH];
        GetTempPathW(MAX_PATH, temp);
        path_ = std::wstring(temp) + L"cadencer-about-" + std::to_wstring(GetCurrentProcessId());
        CreateDirectoryW(path_.c_str(), nullptr);
    }
    ~ScratchFolder() {
        DeleteFileW(Program().c_str());
        RemoveDirectoryW(Program().c_str());
        RemoveDirectoryW(path_.c_str());
    }
    const std::wstring& Path() const { return path_; }
    std::wstring Program() const { return path_ + L"\\MSINFO32.EXE"; }
    void CreateProgram() const {
        HANDLE file = CreateFileW(Program().c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        ASSERT_NE(INVALID_HANDLE_VALUE, file);
        CloseHandle(file);
    }

private:
    std::wstring path_;
};

class SysInfoLookup : public ::testing::Test {
protected:
    ScratchKey key_{L"SysInfo"};
    ScratchFolder folder_;
};

TEST_F(SysInfoLookup, NeitherValuePresentFindsNothing) {
    EXPECT_FALSE(FindSysInfoProgram(key_.Root()).has_value());
    std::wstring value = L"left over";
    EXPECT_FALSE(GetKeyValue(key_.Root(), kSysInfoPathKey, kSysInfoPathValue, value));
    EXPECT_EQ(L"", value);
}

TEST_F(SysInfoLookup, PathValueIsTakenAsItStandsAndWinsOverTheFolder) {
    folder_.CreateProgram();
    key_.SetString(kSysInfoPathKey, kSysInfoPathValue, L"C:\\Nowhere At All\\msinfo32.exe");
    key_.SetString(kSysInfoFolderKey, kSysInfoFolderValue, folder_.Path());
    EXPECT_EQ(L"C:\\Nowhere At All\\msinfo32.exe", FindSysInfoProgram(key_.Root()).value_or(L"(none)"));
}

TEST_F(SysInfoLookup, FolderValueNeedsTheProgramToExist) {
    key_.SetString(kSysInfoFolderKey, kSysInfoFolderValue, folder_.Path());
    EXPECT_FALSE(FindSysInfoProgram(key_.Root()).has_value());

    // A directory of that name is not a program.
    CreateDirectoryW(folder_.Program().c_str(), nullptr);
    EXPECT_FALSE(FindSysInfoProgram(key_.Root()).has_value());
    RemoveDirectoryW(folder_.Program().c_str());

    folder_.CreateProgram();
    EXPECT_EQ(folder_.Program(), FindSysInfoProgram(key_.Root()).value_or(L"(none)"));
    // A folder written with a closing separator gives the same path.
    key_.SetString(kSysInfoFolderKey, kSysInfoFolderValue, folder_.Path() + L"\\");
    EXPECT_EQ(folder_.Program(), FindSysInfoProgram(key_.Root()).value_or(L"(none)"));
}

TEST_F(SysInfoLookup, OnlyStringValuesCount) {
    folder_.CreateProgram();
    key_.SetString(kSysInfoFolderKey, kSysInfoFolderValue, folder_.Path());
    const DWORD number = 42;
    key_.SetRaw(kSysInfoPathKey, kSysInfoPathValue, REG_DWORD, &number, sizeof(number));
    std::wstring value;
    EXPECT_FALSE(GetKeyValue(key_.Root(), kSysInfoPathKey, kSysInfoPathValue, value));
    EXPECT_EQ(folder_.Program(), FindSysInfoProgram(key_.Root()).value_or(L"(none)"));

    const wchar_t expandable[] = L"%SystemRoot%\\msinfo32.exe";
    key_.SetRaw(kSysInfoPathKey, kSysInfoPathValue, REG_EXPAND_SZ, expandable, sizeof(expandable));
    EXPECT_EQ(folder_.Program(), FindSysInfoProgram(key_.Root()).value_or(L"(none)"));

    // An empty PATH names no program either.
    key_.SetString(kSysInfoPathKey, kSysInfoPathValue, L"");
    EXPECT_EQ(folder_.Program(), FindSysInfoProgram(key_.Root()).value_or(L"(none)"));

    key_.SetRaw(kSysInfoFolderKey, kSysInfoFolderValue, REG_DWORD, &number, sizeof(number));
    EXPECT_FALSE(FindSysInfoProgram(key_.Root()).has_value());
}

TEST_F(SysInfoLookup, StoredTextIsReadWholeUpToItsFirstNul) {
    std::wstring value;
    // Without a terminating NUL (RegSetValueExW stores exactly the bytes given).
    key_.SetRaw(kSysInfoPathKey, kSysInfoPathValue, REG_SZ, L"C:\\a.exe", 8 * sizeof(wchar_t));
    ASSERT_TRUE(GetKeyValue(key_.Root(), kSysInfoPathKey, kSysInfoPathValue, value));
    EXPECT_EQ(L"C:\\a.exe", value);
    // Followed by stray data after a NUL.
    const wchar_t stray[] = L"C:\\b.exe\0junk";
    key_.SetRaw(kSysInfoPathKey, kSysInfoPathValue, REG_SZ, stray, sizeof(stray));
    ASSERT_TRUE(GetKeyValue(key_.Root(), kSysInfoPathKey, kSysInfoPathValue, value));
    EXPECT_EQ(L"C:\\b.exe", value);
    // Longer than any fixed buffer would hold.
    const std::wstring longPath = L"C:\\" + std::wstring(3000, L'x') + L"\\msinfo32.exe";
    key_.SetString(kSysInfoPathKey, kSysInfoPathValue, longPath);
    EXPECT_EQ(longPath, FindSysInfoProgram(key_.Root()).value_or(L"(none)"));
}

// Where the tool's keys may be read but not written (every user who is not an
// administrator), the look-up must still find it.
TEST_F(SysInfoLookup, ReadOnlyKeyStillYieldsTheProgram) {
    key_.SetString(kSysInfoPathKey, kSysInfoPathValue, L"C:\\Tools\\msinfo32.exe");
    cadencer::win::UniqueHkey key;
    ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExW(key_.Root(), kSysInfoPathKey, 0, WRITE_DAC, key.receive()));
    EXPLICIT_ACCESSW readOnly{};
    readOnly.grfAccessPermissions = KEY_READ | DELETE;
    readOnly.grfAccessMode = SET_ACCESS;
    readOnly.grfInheritance = NO_INHERITANCE;
    readOnly.Trustee.TrusteeForm = TRUSTEE_IS_NAME;
    readOnly.Trustee.TrusteeType = TRUSTEE_IS_WELL_KNOWN_GROUP;
    readOnly.Trustee.ptstrName = const_cast<wchar_t*>(L"EVERYONE");
    PACL acl = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, SetEntriesInAclW(1, &readOnly, nullptr, &acl));
    const DWORD set =
        SetSecurityInfo(key.get(), SE_REGISTRY_KEY, DACL_SECURITY_INFORMATION | PROTECTED_DACL_SECURITY_INFORMATION,
                        nullptr, nullptr, acl, nullptr);
    LocalFree(acl);
    key.reset();
    ASSERT_EQ(ERROR_SUCCESS, set);

    // The key really refuses full access, or this test would prove nothing.
    cadencer::win::UniqueHkey full;
    const LONG fullAccess = RegOpenKeyExW(key_.Root(), kSysInfoPathKey, 0, KEY_ALL_ACCESS, full.receive());
    full.reset();
    ASSERT_EQ(ERROR_ACCESS_DENIED, fullAccess);

    EXPECT_EQ(L"C:\\Tools\\msinfo32.exe", FindSysInfoProgram(key_.Root()).value_or(L"(none)"));
}

}  // namespace
