// cadencer.ocx's registration with Wine's own regsvr32: machine-wide and per user, every
// entry it writes (the control's component categories and its property page classes
// included), unregistration that removes them all and succeeds twice, and a ProgID that
// another class took over is left alone.
#include <gtest/gtest.h>

#include <comcat.h>
#include <objsafe.h>

#include "component_support.h"

namespace cadencer_test {
namespace {

using cadencer::win::UniqueHkey;

const std::wstring kClsid = L"{243AC4C2-0386-444A-9D31-F34D971A1CAB}";
const std::wstring kLibId = L"{3057AF13-3A41-4CD1-933B-9BA41F03F97D}";
const std::wstring kIid = L"{6BDDB70A-8B3F-4181-91EE-6D01D995DA31}";
const std::wstring kDiid = L"{E962FE90-66FC-4A82-B06D-C69C043DEE76}";
const std::wstring kPages[] = {L"{705727FA-4CAC-4BAA-8D3C-2F153B34BA01}", L"{C3F81C41-D039-4820-AD35-A1F44289F3AB}"};
// Control, safe for scripting, safe for initialising.
const std::wstring kCategories[] = {L"{40FC6ED4-2438-11CF-A3DB-080036F12502}",
                                    L"{7DD95801-9882-11CF-9FA9-00AA006C42C4}",
                                    L"{7DD95802-9882-11CF-9FA9-00AA006C42C4}"};

DWORD RunRegsvr32(const std::wstring& switches) {
    std::wstring command = L"regsvr32.exe /s " + switches + L" \"" + OcxPath() + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
        return static_cast<DWORD>(-1);
    WaitForSingleObject(process.hProcess, 30000);
    DWORD code = static_cast<DWORD>(-1);
    GetExitCodeProcess(process.hProcess, &code);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return code;
}

// The default (or named) string value of a key under root\Software\Classes, or "<none>".
std::wstring Value(HKEY root, const std::wstring& key, const wchar_t* name = nullptr) {
    wchar_t data[1024] = {};
    DWORD bytes = sizeof(data) - sizeof(wchar_t);
    const std::wstring path = L"Software\\Classes\\" + key;
    if (RegGetValueW(root, path.c_str(), name, RRF_RT_REG_SZ, nullptr, data, &bytes) != ERROR_SUCCESS) return L"<none>";
    return data;
}

bool Exists(HKEY root, const std::wstring& key) {
    UniqueHkey handle;
    const std::wstring path = L"Software\\Classes\\" + key;
    return RegOpenKeyExW(root, path.c_str(), 0, KEY_READ, handle.receive()) == ERROR_SUCCESS;
}

std::wstring Lower(std::wstring text) {
    for (auto& c : text) c = towlower(c);
    return text;
}

void ExpectRegistered(HKEY root) {
    const std::wstring clsid = L"CLSID\\" + kClsid;
    EXPECT_EQ(Lower(Value(root, clsid + L"\\InprocServer32")), Lower(OcxPath()));
    EXPECT_EQ(Value(root, clsid + L"\\InprocServer32", L"ThreadingModel"), L"Apartment");
    EXPECT_EQ(Value(root, clsid + L"\\ProgID"), L"CadencerLib.Cadencer.1");
    EXPECT_EQ(Value(root, clsid + L"\\VersionIndependentProgID"), L"CadencerLib.Cadencer");
    EXPECT_TRUE(Exists(root, clsid + L"\\Control"));
    EXPECT_TRUE(Exists(root, clsid + L"\\Programmable"));
    EXPECT_EQ(Value(root, clsid + L"\\MiscStatus\\1"), std::to_wstring(0x24591));
    EXPECT_EQ(Lower(Value(root, clsid + L"\\ToolboxBitmap32")), Lower(OcxPath() + L", 30000"));
    EXPECT_EQ(Value(root, clsid + L"\\TypeLib"), kLibId);
    EXPECT_EQ(Value(root, clsid + L"\\Version"), L"1.0");
    EXPECT_EQ(Value(root, L"CadencerLib.Cadencer\\CLSID"), kClsid);
    EXPECT_EQ(Value(root, L"CadencerLib.Cadencer\\CurVer"), L"CadencerLib.Cadencer.1");
    EXPECT_EQ(Value(root, L"CadencerLib.Cadencer.1\\CLSID"), kClsid);
    const std::wstring platform = sizeof(void*) == 8 ? L"win64" : L"win32";
    EXPECT_EQ(Lower(Value(root, L"TypeLib\\" + kLibId + L"\\1.0\\409\\" + platform)), Lower(OcxPath()));
    EXPECT_EQ(Value(root, L"Interface\\" + kIid + L"\\TypeLib"), kLibId);
    EXPECT_EQ(Value(root, L"Interface\\" + kDiid + L"\\TypeLib"), kLibId);
    for (const auto& category : kCategories)
        EXPECT_TRUE(Exists(root, clsid + L"\\Implemented Categories\\" + category))
            << std::string(category.begin(), category.end());
    for (const auto& page : kPages) {
        EXPECT_EQ(Lower(Value(root, L"CLSID\\" + page + L"\\InprocServer32")), Lower(OcxPath()));
        EXPECT_EQ(Value(root, L"CLSID\\" + page + L"\\InprocServer32", L"ThreadingModel"), L"Apartment");
    }
    EXPECT_EQ(Value(root, L"CLSID\\" + kPages[0]), L"Cadencer Schedule Property Page");
    EXPECT_EQ(Value(root, L"CLSID\\" + kPages[1]), L"Cadencer Dialog Property Page");
}

void ExpectNothingRegistered(HKEY root) {
    for (const std::wstring& key :
         {L"CLSID\\" + kClsid, std::wstring(L"CadencerLib.Cadencer"), std::wstring(L"CadencerLib.Cadencer.1"),
          L"TypeLib\\" + kLibId, L"Interface\\" + kIid, L"Interface\\" + kDiid, L"CLSID\\" + kPages[0],
          L"CLSID\\" + kPages[1]})
        EXPECT_FALSE(Exists(root, key)) << std::string(key.begin(), key.end());
}

// The other bitness's registry view: its classes are apart, its ProgIDs shared with ours.
constexpr REGSAM kOtherView = sizeof(void*) == 8 ? KEY_WOW64_32KEY : KEY_WOW64_64KEY;

// Enters a stand-in for the other bitness's class (an InprocServer32 key) in its view, or
// removes the other bitness's class and its type library entry, as its tests may have
// left them in the same prefix.
void SetOtherBitnessRegistered(bool registered) {
    UniqueHkey classes;
    ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, L"Software\\Classes\\CLSID", 0, nullptr, 0,
                              KEY_ALL_ACCESS | kOtherView, nullptr, classes.receive(), nullptr),
              ERROR_SUCCESS);
    if (registered) {
        UniqueHkey key;
        EXPECT_EQ(RegCreateKeyExW(classes.get(), (kClsid + L"\\InprocServer32").c_str(), 0, nullptr, 0,
                                  KEY_WRITE | kOtherView, nullptr, key.receive(), nullptr),
                  ERROR_SUCCESS);
    } else {
        RegDeleteTreeW(classes.get(), kClsid.c_str());
        const std::wstring library = L"Software\\Classes\\TypeLib\\" + kLibId + L"\\1.0\\409";
        const wchar_t* otherPlatform = sizeof(void*) == 8 ? L"win32" : L"win64";
        RegDeleteKeyExW(HKEY_LOCAL_MACHINE, (library + L"\\" + otherPlatform).c_str(), kOtherView, 0);
        RegDeleteKeyExW(HKEY_LOCAL_MACHINE, library.c_str(), kOtherView, 0);
    }
}

TEST(ComponentRegistration, MachineWideRegistersEverythingAndUnregistersTwice) {
    // The other bitness's tests may have left its class registered in the same prefix.
    SetOtherBitnessRegistered(false);
    ASSERT_EQ(RunRegsvr32(L""), 0u);
    ExpectRegistered(HKEY_LOCAL_MACHINE);
    CLSID clsid{};
    EXPECT_EQ(CLSIDFromProgID(L"CadencerLib.Cadencer", &clsid), S_OK);
    EXPECT_EQ(clsid, CLSID_Cadencer);
    ComPtr<ITypeLib> lib;
    EXPECT_EQ(LoadRegTypeLib(LIBID_CadencerLib, 1, 0, 0x409, &lib), S_OK);
    lib.Reset();
    // What script hosts and Office ask: the class implements the three categories.
    ComPtr<ICatInformation> categories;
    ASSERT_EQ(
        CoCreateInstance(CLSID_StdComponentCategoriesMgr, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&categories)),
        S_OK);
    CATID wanted[] = {CATID_Control, CATID_SafeForScripting, CATID_SafeForInitializing};
    EXPECT_EQ(categories->IsClassOfCategories(CLSID_Cadencer, 3, wanted, 0, nullptr), S_OK);

    EXPECT_EQ(RunRegsvr32(L"/u"), 0u);
    ExpectNothingRegistered(HKEY_LOCAL_MACHINE);
    EXPECT_EQ(RunRegsvr32(L"/u"), 0u);
    ExpectNothingRegistered(HKEY_LOCAL_MACHINE);

    // Registration again, for the other tests of this program.
    ASSERT_EQ(RunRegsvr32(L""), 0u);
    ExpectRegistered(HKEY_LOCAL_MACHINE);
}

TEST(ComponentRegistration, ProgIdsStayWhileTheOtherBitnessIsRegistered) {
    ASSERT_EQ(RunRegsvr32(L""), 0u);
    SetOtherBitnessRegistered(true);
    EXPECT_EQ(RunRegsvr32(L"/u"), 0u);
    EXPECT_FALSE(Exists(HKEY_LOCAL_MACHINE, L"CLSID\\" + kClsid));
    EXPECT_EQ(Value(HKEY_LOCAL_MACHINE, L"CadencerLib.Cadencer\\CLSID"), kClsid);
    EXPECT_EQ(Value(HKEY_LOCAL_MACHINE, L"CadencerLib.Cadencer.1\\CLSID"), kClsid);

    // Once the other bitness is gone too, unregistering takes the ProgIDs with it.
    SetOtherBitnessRegistered(false);
    EXPECT_EQ(RunRegsvr32(L"/u"), 0u);
    ExpectNothingRegistered(HKEY_LOCAL_MACHINE);

    ASSERT_EQ(RunRegsvr32(L""), 0u);
    ExpectRegistered(HKEY_LOCAL_MACHINE);
}

TEST(ComponentRegistration, PerUserRegistrationStaysInTheUsersClasses) {
    ASSERT_EQ(RunRegsvr32(L"/n /i:user"), 0u);
    ExpectRegistered(HKEY_CURRENT_USER);
    // The library's entries are the ones the platform writes machine-wide.
    for (const wchar_t* key : {L"", L"\\FLAGS", L"\\HELPDIR"}) {
        const std::wstring version = L"TypeLib\\" + kLibId + L"\\1.0" + key;
        EXPECT_EQ(Value(HKEY_CURRENT_USER, version), Value(HKEY_LOCAL_MACHINE, version))
            << std::string(version.begin(), version.end());
    }
    EXPECT_EQ(RunRegsvr32(L"/u /n /i:user"), 0u);
    ExpectNothingRegistered(HKEY_CURRENT_USER);
    EXPECT_EQ(RunRegsvr32(L"/u /n /i:user"), 0u);
    // The machine-wide registration was not touched.
    ExpectRegistered(HKEY_LOCAL_MACHINE);

    auto install = reinterpret_cast<HRESULT(WINAPI*)(BOOL, LPCWSTR)>(
        reinterpret_cast<void*>(GetProcAddress(OcxModule(), "DllInstall")));
    ASSERT_NE(install, nullptr);
    EXPECT_EQ(install(TRUE, L"everyone"), E_INVALIDARG);
    ExpectNothingRegistered(HKEY_CURRENT_USER);
}

TEST(ComponentRegistration, AProgIdTakenOverByAnotherClassIsLeftAlone) {
    ASSERT_EQ(RunRegsvr32(L"/n /i:user"), 0u);
    const std::wstring other = L"{11111111-2222-3333-4444-555555555555}";
    {
        UniqueHkey key;
        ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\Classes\\CadencerLib.Cadencer.1\\CLSID", 0, nullptr, 0,
                                  KEY_WRITE, nullptr, key.receive(), nullptr),
                  ERROR_SUCCESS);
        RegSetValueExW(key.get(), nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(other.c_str()),
                       static_cast<DWORD>((other.size() + 1) * sizeof(wchar_t)));
    }
    EXPECT_EQ(RunRegsvr32(L"/u /n /i:user"), 0u);
    EXPECT_EQ(Value(HKEY_CURRENT_USER, L"CadencerLib.Cadencer.1\\CLSID"), other);
    EXPECT_FALSE(Exists(HKEY_CURRENT_USER, L"CLSID\\" + kClsid));
    RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Classes\\CadencerLib.Cadencer.1");
}

}  // namespace
}  // namespace cadencer_test
