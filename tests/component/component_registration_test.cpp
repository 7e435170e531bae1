// cadencer.ocx's registration with Wine's own regsvr32: machine-wide and per user, every
// entry it writes (the control's component categories, its Properties verb, its property
// page classes and the library under its own and the neutral locale included),
// unregistration that removes them all and succeeds twice, a ProgID that another class
// took over left alone, both bitnesses registered side by side, each unregistering
// alone and leaving the other's entries as they were, and two vendors' copies of one
// bitness in two folders, unregistered in either order, the survivor keeping the control.
#include <gtest/gtest.h>

#include <comcat.h>
#include <objsafe.h>

#include <algorithm>
#include <cstdlib>

#include "bitness_forms.h"
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

// The other bitness's regsvr32 and OCX (from the other preset's build tree).
const wchar_t* const kPeerRegsvr32 =
    sizeof(void*) == 8 ? L"C:\\windows\\syswow64\\regsvr32.exe" : L"C:\\windows\\sysnative\\regsvr32.exe";
const wchar_t* const kPlatform = sizeof(void*) == 8 ? L"win64" : L"win32";

DWORD RunRegsvr32(const std::wstring& switches, const std::wstring& ocx = OcxPath(),
                  const std::wstring& program = L"regsvr32.exe") {
    std::wstring command = program + L" /s " + switches + L" \"" + ocx + L"\"";
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

void ExpectRegistered(HKEY root, const std::wstring& ocx = OcxPath()) {
    const std::wstring clsid = L"CLSID\\" + kClsid;
    EXPECT_EQ(Lower(Value(root, clsid + L"\\InprocServer32")), Lower(ocx));
    EXPECT_EQ(Value(root, clsid + L"\\InprocServer32", L"ThreadingModel"), L"Apartment");
    EXPECT_EQ(Value(root, clsid + L"\\ProgID"), L"CadencerLib.Cadencer.1");
    EXPECT_EQ(Value(root, clsid + L"\\VersionIndependentProgID"), L"CadencerLib.Cadencer");
    EXPECT_TRUE(Exists(root, clsid + L"\\Control"));
    EXPECT_TRUE(Exists(root, clsid + L"\\Programmable"));
    EXPECT_EQ(Value(root, clsid + L"\\MiscStatus\\1"), std::to_wstring(0x24591));
    EXPECT_EQ(Lower(Value(root, clsid + L"\\ToolboxBitmap32")), Lower(ocx + L", 30000"));
    EXPECT_EQ(Value(root, clsid + L"\\TypeLib"), kLibId);
    EXPECT_EQ(Value(root, clsid + L"\\Version"), L"1.0");
    EXPECT_EQ(Value(root, clsid + L"\\Verb\\1"), L"&Properties...,0,2");
    EXPECT_EQ(Value(root, L"CadencerLib.Cadencer\\CLSID"), kClsid);
    EXPECT_EQ(Value(root, L"CadencerLib.Cadencer\\CurVer"), L"CadencerLib.Cadencer.1");
    EXPECT_EQ(Value(root, L"CadencerLib.Cadencer.1\\CLSID"), kClsid);
    for (const wchar_t* locale : {L"409", L"0"})
        EXPECT_EQ(Lower(Value(root, L"TypeLib\\" + kLibId + L"\\1.0\\" + locale + L"\\" + kPlatform)), Lower(ocx))
            << locale;
    EXPECT_EQ(Value(root, L"Interface\\" + kIid + L"\\TypeLib"), kLibId);
    EXPECT_EQ(Value(root, L"Interface\\" + kDiid + L"\\TypeLib"), kLibId);
    for (const auto& category : kCategories)
        EXPECT_TRUE(Exists(root, clsid + L"\\Implemented Categories\\" + category))
            << std::string(category.begin(), category.end());
    for (const auto& page : kPages) {
        EXPECT_EQ(Lower(Value(root, L"CLSID\\" + page + L"\\InprocServer32")), Lower(ocx));
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
        const wchar_t* otherPlatform = sizeof(void*) == 8 ? L"win32" : L"win64";
        for (const wchar_t* locale : {L"409", L"0"}) {
            const std::wstring library = L"Software\\Classes\\TypeLib\\" + kLibId + L"\\1.0\\" + locale;
            RegDeleteKeyExW(HKEY_LOCAL_MACHINE, (library + L"\\" + otherPlatform).c_str(), kOtherView, 0);
            RegDeleteKeyExW(HKEY_LOCAL_MACHINE, library.c_str(), kOtherView, 0);
        }
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

// The keys and values of the control's registration in one scope, in both registry views:
// "view key" and "view key|name=value" lines, sorted. HELPDIR's value is left out: it
// names the directory of whichever bitness registered last.
void Walk(HKEY root, const std::wstring& path, REGSAM view, std::vector<std::wstring>& lines) {
    UniqueHkey key;
    if (RegOpenKeyExW(root, path.c_str(), 0, KEY_READ | view, key.receive()) != ERROR_SUCCESS) return;
    const std::wstring prefix = (view == KEY_WOW64_64KEY ? L"64 " : L"32 ") + path;
    lines.push_back(prefix);
    const bool helpDirectory = path.ends_with(L"\\HELPDIR");
    for (DWORD i = 0;; ++i) {
        wchar_t name[256] = {}, data[1024] = {};
        DWORD nameLength = 256, bytes = sizeof(data) - sizeof(wchar_t);
        if (RegEnumValueW(key.get(), i, name, &nameLength, nullptr, nullptr, reinterpret_cast<BYTE*>(data), &bytes) !=
            ERROR_SUCCESS)
            break;
        if (!helpDirectory) lines.push_back(prefix + L"|" + name + L"=" + data);
    }
    std::vector<std::wstring> subkeys;
    for (DWORD i = 0;; ++i) {
        wchar_t name[256] = {};
        DWORD length = 256;
        if (RegEnumKeyExW(key.get(), i, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
        subkeys.emplace_back(name);
    }
    for (const auto& subkey : subkeys) Walk(root, path + L"\\" + subkey, view, lines);
}

// Per user, only the library and its interfaces: Wine keeps one per-user class key for
// both views (Windows keeps a 32-bit one apart), so there the two bitnesses' classes are one.
std::vector<std::wstring> Registration(HKEY root) {
    std::vector<std::wstring> keys = {L"TypeLib\\" + kLibId, L"Interface\\" + kIid, L"Interface\\" + kDiid};
    if (root == HKEY_LOCAL_MACHINE)
        keys.insert(keys.end(), {L"CLSID\\" + kClsid, L"CLSID\\" + kPages[0], L"CLSID\\" + kPages[1],
                                 L"CadencerLib.Cadencer", L"CadencerLib.Cadencer.1"});
    std::vector<std::wstring> lines;
    for (const REGSAM view : {KEY_WOW64_64KEY, KEY_WOW64_32KEY})
        for (const std::wstring& key : keys) Walk(root, L"Software\\Classes\\" + key, view, lines);
    std::sort(lines.begin(), lines.end());
    return lines;
}

// What one listing has and the other has not: "-line" and "+line", one per line.
std::string Difference(const std::vector<std::wstring>& before, const std::vector<std::wstring>& after) {
    std::string text;
    auto add = [&](char sign, const std::wstring& line) {
        text += sign + std::string(line.begin(), line.end()) + "\n";
    };
    for (const auto& line : before)
        if (!std::binary_search(after.begin(), after.end(), line)) add('-', line);
    for (const auto& line : after)
        if (!std::binary_search(before.begin(), before.end(), line)) add('+', line);
    return text;
}

// Both bitnesses registered side by side in one scope (machine-wide, then per user): each
// unregisters alone and leaves the other's registration exactly as the other made it (per
// user: its library entries), the library's shared version key with the other's locale
// entries and the interfaces included; the last one takes everything.
TEST(ComponentRegistration, EachBitnessUnregistersAloneAndLeavesTheOther) {
    const std::wstring peer = bitness_test::WindowsPath(CADENCER_PEER_OCX);
    if (GetFileAttributesW(peer.c_str()) == INVALID_FILE_ATTRIBUTES) {
        if (std::getenv("CADENCER_REQUIRE_PEER")) FAIL() << "no OCX of the other bitness: " CADENCER_PEER_OCX;
        GTEST_SKIP() << "the other bitness is not built: " CADENCER_PEER_OCX;
    }
    for (const bool perUser : {false, true}) {
        SCOPED_TRACE(perUser ? "per user" : "machine-wide");
        const HKEY root = perUser ? HKEY_CURRENT_USER : HKEY_LOCAL_MACHINE;
        const std::wstring scope = perUser ? L"/n /i:user " : L"";
        auto ours = [&](const wchar_t* action) { return RunRegsvr32(action + scope); };
        auto theirs = [&](const wchar_t* action) { return RunRegsvr32(action + scope, peer, kPeerRegsvr32); };

        // From nothing: the other bitness's tests leave its registration in the same prefix.
        ASSERT_EQ(theirs(L"/u "), 0u);
        ASSERT_EQ(ours(L"/u "), 0u);
        EXPECT_EQ(Difference({}, Registration(root)), "");
        ASSERT_EQ(ours(L""), 0u);
        const auto oursAlone = Registration(root);
        ASSERT_EQ(theirs(L""), 0u);
        for (const wchar_t* locale : {L"409", L"0"})
            for (const wchar_t* platform : {L"win32", L"win64"})
                EXPECT_TRUE(Exists(root, L"TypeLib\\" + kLibId + L"\\1.0\\" + locale + L"\\" + platform))
                    << std::wstring(locale) + L"\\" + platform;
        ASSERT_EQ(theirs(L"/u "), 0u);
        EXPECT_EQ(Difference(oursAlone, Registration(root)), "");
        ASSERT_EQ(ours(L"/u "), 0u);
        EXPECT_EQ(Difference({}, Registration(root)), "");

        ASSERT_EQ(theirs(L""), 0u);
        const auto theirsAlone = Registration(root);
        ASSERT_EQ(ours(L""), 0u);
        ASSERT_EQ(ours(L"/u "), 0u);
        EXPECT_EQ(Difference(theirsAlone, Registration(root)), "");
        ASSERT_EQ(theirs(L"/u "), 0u);
        EXPECT_EQ(Difference({}, Registration(root)), "");
        ExpectNothingRegistered(root);
    }
    // Registration again, for the other tests of this program.
    ASSERT_EQ(RunRegsvr32(L""), 0u);
    ExpectRegistered(HKEY_LOCAL_MACHINE);
}

// Two vendors' copies of this OCX in folders of their own, registered one after the other
// (the classes name the second) and unregistered in either order: whichever is left is
// registered (the control, its pages, its library and the companion objects name it) and
// creates the control; unregistering it too leaves nothing, not even the list of copies.
TEST(ComponentRegistration, TwoCopiesInTwoFoldersLeaveTheSurvivorRegistered) {
    wchar_t temp[MAX_PATH] = {};
    ASSERT_NE(GetTempPathW(MAX_PATH, temp), 0u);
    std::wstring copies[2];
    for (int i = 0; i < 2; ++i) {
        const std::wstring folder = std::wstring(temp) + (i == 0 ? L"cadencer-vendor-a" : L"cadencer-vendor-b");
        CreateDirectoryW(folder.c_str(), nullptr);
        copies[i] = folder + L"\\cadencer.ocx";
        // A copy still loaded from an earlier case is the same file: keep it.
        CopyFileW(OcxPath().c_str(), copies[i].c_str(), FALSE);
        ASSERT_NE(GetFileAttributesW(copies[i].c_str()), INVALID_FILE_ATTRIBUTES);
    }
    const std::wstring schedule = L"CLSID\\{136FC879-29B7-4412-967C-0230945977FF}\\InprocServer32";
    ASSERT_EQ(RunRegsvr32(L"/u"), 0u);
    const struct {
        const char* name;
        int unregisteredFirst;
    } cases[] = {{"the copy the classes name goes first", 1}, {"the other copy goes first", 0}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::wstring& gone = copies[c.unregisteredFirst];
        const std::wstring& survivor = copies[1 - c.unregisteredFirst];
        ASSERT_EQ(RunRegsvr32(L"", copies[0]), 0u);
        ASSERT_EQ(RunRegsvr32(L"", copies[1]), 0u);
        ASSERT_EQ(RunRegsvr32(L"/u", gone), 0u);
        ExpectRegistered(HKEY_LOCAL_MACHINE, survivor);
        EXPECT_EQ(Lower(Value(HKEY_LOCAL_MACHINE, schedule)), Lower(survivor));
        ComPtr<IUnknown> control;
        EXPECT_EQ(CoCreateInstance(CLSID_Cadencer, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&control)), S_OK);
        control.Reset();
        CoFreeUnusedLibrariesEx(0, 0);  // the copy's module leaves this process again
        ASSERT_EQ(RunRegsvr32(L"/u", survivor), 0u);
        ExpectNothingRegistered(HKEY_LOCAL_MACHINE);
        EXPECT_FALSE(Exists(HKEY_LOCAL_MACHINE, schedule));
        UniqueHkey list;
        EXPECT_NE(RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"Software\\Cadencer", 0, KEY_READ, list.receive()), ERROR_SUCCESS);
    }
    // Registration again, for the other tests of this program.
    ASSERT_EQ(RunRegsvr32(L""), 0u);
    ExpectRegistered(HKEY_LOCAL_MACHINE);
}

}  // namespace
}  // namespace cadencer_test
