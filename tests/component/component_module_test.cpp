// cadencer.ocx as a file: a GUI-subsystem DLL of this build's bitness, its entry points
// exported under their plain names (no stdcall decorations in 32-bit builds), and the
// project's version in its version resource.
#include <gtest/gtest.h>

#include <string>

#include "component_support.h"

namespace cadencer_test {
namespace {

const IMAGE_NT_HEADERS* NtHeaders(HMODULE module) {
    const auto* base = reinterpret_cast<const BYTE*>(module);
    const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
    return reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
}

TEST(ComponentModule, IsAGuiDllOfThisBitness) {
    const IMAGE_NT_HEADERS* headers = NtHeaders(OcxModule());
    ASSERT_EQ(headers->Signature, IMAGE_NT_SIGNATURE);
    EXPECT_TRUE(headers->FileHeader.Characteristics & IMAGE_FILE_DLL);
    EXPECT_EQ(headers->OptionalHeader.Subsystem, IMAGE_SUBSYSTEM_WINDOWS_GUI);
    EXPECT_EQ(headers->FileHeader.Machine, sizeof(void*) == 8 ? IMAGE_FILE_MACHINE_AMD64 : IMAGE_FILE_MACHINE_I386);
}

TEST(ComponentModule, ExportsTheEntryPointsUnderTheirPlainNames) {
    for (const char* name :
         {"DllCanUnloadNow", "DllGetClassObject", "DllRegisterServer", "DllUnregisterServer", "DllInstall"})
        EXPECT_NE(GetProcAddress(OcxModule(), name), nullptr) << name;
    // The stdcall-decorated names a 32-bit build would export without its .def file.
    for (const char* name : {"DllCanUnloadNow@0", "_DllCanUnloadNow@0", "DllGetClassObject@12"})
        EXPECT_EQ(GetProcAddress(OcxModule(), name), nullptr) << name;
}

// The file version is the project's version and the build number (0 in development builds),
// the fourth field Windows Installer compares; the product version is the same.
TEST(ComponentModule, CarriesTheProjectsVersionAndTheBuildNumber) {
    const DWORD size = GetFileVersionInfoSizeW(OcxPath().c_str(), nullptr);
    ASSERT_GT(size, 0u);
    std::string data(size, '\0');
    ASSERT_TRUE(GetFileVersionInfoW(OcxPath().c_str(), 0, size, data.data()));
    VS_FIXEDFILEINFO* info = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueW(data.data(), L"\\", reinterpret_cast<void**>(&info), &length));
    const std::string fileVersion = std::to_string(HIWORD(info->dwFileVersionMS)) + "." +
                                    std::to_string(LOWORD(info->dwFileVersionMS)) + "." +
                                    std::to_string(HIWORD(info->dwFileVersionLS));
    EXPECT_EQ(fileVersion, CADENCER_PROJECT_VERSION);
    EXPECT_EQ(LOWORD(info->dwFileVersionLS), CADENCER_BUILD_NUMBER);
    EXPECT_EQ(info->dwProductVersionMS, info->dwFileVersionMS);
    EXPECT_EQ(info->dwProductVersionLS, info->dwFileVersionLS);
    wchar_t* text = nullptr;
    ASSERT_TRUE(VerQueryValueW(data.data(), L"\\StringFileInfo\\040904B0\\ProductVersion",
                               reinterpret_cast<void**>(&text), &length));
    const std::string version = CADENCER_PROJECT_VERSION;
    EXPECT_EQ(std::wstring(text), std::wstring(version.begin(), version.end()));
    ASSERT_TRUE(VerQueryValueW(data.data(), L"\\StringFileInfo\\040904B0\\FileVersion", reinterpret_cast<void**>(&text),
                               &length));
    const std::string full = version + "." + std::to_string(CADENCER_BUILD_NUMBER);
    EXPECT_EQ(std::wstring(text), std::wstring(full.begin(), full.end()));
}

}  // namespace
}  // namespace cadencer_test
