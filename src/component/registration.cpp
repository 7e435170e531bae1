// Self-registration. DllRegisterServer enters the control machine-wide (HKLM/Software/
// Classes); DllInstall(TRUE, L"user") enters it for the current user only (HKCU/Software/
// Classes), as `regsvr32 /n /i:user cadencer.ocx` does. With the control go its two
// property page classes and the component categories it implements (control, safe for
// scripting, safe for initialising: the keys ICatRegister writes, which script hosts and
// Office read under the class). Unregistration removes what
// registration wrote (a ProgID only while it still names this class) and succeeds when
// nothing is registered. The type library is registered from the OCX's own resource.
//
// What hosts look up beyond the class: the Properties verb (OleRegEnumVerbs reads
// CLSID\{...}\Verb), and the type library from any user locale. LoadRegTypeLib tries the
// exact LCID, then a language-neutral form, then 0; the library is English (0x409) and is
// entered under 0 as well, so that every locale finds it. Both bitnesses share the
// library's version key: each removes only its own platform's entries, and the key with
// its interfaces goes with the last of them.
#include <windows.h>

#include <oleauto.h>

#include <cwctype>
#include <string>
#include <utility>
#include <vector>

#include <wrl/client.h>

#include "component/guids.h"
#include "component/misc_status.h"
#include "component/module.h"
#include "component/registry_text.h"
#include "component/tools_registration.h"
#include "win/resource.h"
#include "win/scoped.h"

namespace cadencer::com {
namespace {

using Microsoft::WRL::ComPtr;
using win::UniqueHkey;

constexpr wchar_t kProgId[] = L"CadencerLib.Cadencer";
constexpr wchar_t kVersionedProgId[] = L"CadencerLib.Cadencer.1";
constexpr wchar_t kUserType[] = L"Cadencer Control";
// The component categories the control implements.
constexpr const wchar_t* kImplementedCategories[] = {
    L"{40FC6ED4-2438-11CF-A3DB-080036F12502}",  // CATID_Control
    L"{7DD95801-9882-11CF-9FA9-00AA006C42C4}",  // CATID_SafeForScripting
    L"{7DD95802-9882-11CF-9FA9-00AA006C42C4}",  // CATID_SafeForInitializing
};
// The property page classes, with their names as registry descriptions.
constexpr std::pair<const CLSID*, const wchar_t*> kPageClasses[] = {
    {&kClsidSchedulePage, L"Cadencer Schedule Property Page"},
    {&kClsidDialogPage, L"Cadencer Dialog Property Page"},
};
// The locale keys of the library's registration: its own (English, United States) and
// the neutral one that look-ups from every other locale end at.
constexpr const wchar_t* kLibraryLocaleKeys[] = {L"409", L"0"};
// Name, menu flags (MF_STRING), verb attributes (OLEVERBATTRIB_ONCONTAINERMENU).
constexpr wchar_t kPropertiesVerb[] = L"&Properties...,0,2";

enum class Scope { Machine, User };

UniqueHkey ClassesRoot(Scope scope, REGSAM access) {
    UniqueHkey key;
    const HKEY root = scope == Scope::Machine ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER;
    if (RegCreateKeyExW(root, L"Software\\Classes", 0, nullptr, 0, access, nullptr, key.receive(), nullptr) !=
        ERROR_SUCCESS)
        return {};
    return key;
}

// One value to write: key path under the classes root, value name (null = default), data.
struct Entry {
    std::wstring key;
    const wchar_t* name;
    std::wstring value;
};

std::vector<Entry> Entries() {
    const std::wstring clsid = L"CLSID\\" + GuidText(CLSID_Cadencer);
    const std::wstring path = ModulePath();
    std::vector<Entry> entries = {
        {clsid, nullptr, kUserType},
        {clsid + L"\\InprocServer32", nullptr, path},
        {clsid + L"\\InprocServer32", L"ThreadingModel", L"Apartment"},
        {clsid + L"\\ProgID", nullptr, kVersionedProgId},
        {clsid + L"\\VersionIndependentProgID", nullptr, kProgId},
        {clsid + L"\\Control", nullptr, L""},
        {clsid + L"\\Programmable", nullptr, L""},
        {clsid + L"\\MiscStatus", nullptr, L"0"},
        {clsid + L"\\MiscStatus\\1", nullptr, std::to_wstring(kMiscStatus)},
        {clsid + L"\\ToolboxBitmap32", nullptr, path + L", " + std::to_wstring(IDB_TOOLBOX)},
        {clsid + L"\\TypeLib", nullptr, GuidText(LIBID_CadencerLib)},
        {clsid + L"\\Version", nullptr, L"1.0"},
        {clsid + L"\\Verb\\1", nullptr, kPropertiesVerb},
        {kProgId, nullptr, kUserType},
        {std::wstring(kProgId) + L"\\CLSID", nullptr, GuidText(CLSID_Cadencer)},
        {std::wstring(kProgId) + L"\\CurVer", nullptr, kVersionedProgId},
        {kVersionedProgId, nullptr, kUserType},
        {std::wstring(kVersionedProgId) + L"\\CLSID", nullptr, GuidText(CLSID_Cadencer)},
    };
    for (const wchar_t* category : kImplementedCategories)
        entries.push_back({clsid + L"\\Implemented Categories\\" + category, nullptr, L""});
    for (const auto& [page, name] : kPageClasses) {
        const std::wstring key = L"CLSID\\" + GuidText(*page);
        entries.push_back({key, nullptr, name});
        entries.push_back({key + L"\\InprocServer32", nullptr, path});
        entries.push_back({key + L"\\InprocServer32", L"ThreadingModel", L"Apartment"});
    }
    // The companion objects and their type library, from their own table.
    for (auto& v : ToolsRegistryValues(path)) entries.push_back({std::move(v.key), v.name, std::move(v.value)});
    return entries;
}

// `view` (KEY_WOW64_32KEY or KEY_WOW64_64KEY) writes into one registry view; 0 into this
// process's own.
HRESULT WriteEntries(Scope scope, const std::vector<Entry>& entries, HRESULT failure, REGSAM view = 0) {
    const UniqueHkey root = ClassesRoot(scope, KEY_WRITE);
    if (!root) return failure;
    for (const auto& e : entries) {
        UniqueHkey key;
        LONG rc = RegCreateKeyExW(root.get(), e.key.c_str(), 0, nullptr, 0, KEY_WRITE | view, nullptr, key.receive(),
                                  nullptr);
        if (rc == ERROR_SUCCESS) {
            const auto bytes = static_cast<DWORD>((e.value.size() + 1) * sizeof(wchar_t));
            rc = RegSetValueExW(key.get(), e.name, 0, REG_SZ, reinterpret_cast<const BYTE*>(e.value.c_str()), bytes);
        }
        if (rc != ERROR_SUCCESS) return failure;
    }
    return S_OK;
}

bool KeyExistsIn(HKEY root, const std::wstring& path) {
    UniqueHkey key;
    return RegOpenKeyExW(root, path.c_str(), 0, KEY_READ, key.receive()) == ERROR_SUCCESS;
}

bool IsOurProgId(HKEY root, const wchar_t* progId) {
    wchar_t value[64] = {};
    DWORD bytes = sizeof(value) - sizeof(wchar_t);
    const std::wstring key = std::wstring(progId) + L"\\CLSID";
    if (RegGetValueW(root, key.c_str(), nullptr, RRF_RT_REG_SZ, nullptr, value, &bytes) != ERROR_SUCCESS) return false;
    return _wcsicmp(value, GuidText(CLSID_Cadencer).c_str()) == 0;
}

// Whether the class is registered in the 64-bit or the 32-bit registry view. On a 64-bit
// system both bitnesses of the OCX can be registered side by side; their classes live in
// separate views, but the ProgIDs are one key shared by both. (Without a 32-bit view the
// two flags name the one view there is.)
bool ClassInAnyView(Scope scope) {
    const HKEY root = scope == Scope::Machine ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER;
    const std::wstring key = L"Software\\Classes\\CLSID\\" + GuidText(CLSID_Cadencer);
    for (const REGSAM view : {KEY_WOW64_64KEY, KEY_WOW64_32KEY}) {
        UniqueHkey handle;
        if (RegOpenKeyExW(root, key.c_str(), 0, KEY_READ | view, handle.receive()) == ERROR_SUCCESS) return true;
    }
    return false;
}

// The companion objects' classes, their ProgIDs (when no other bitness keeps them and they
// still name these classes) and this bitness's entries of their type library.
template <class Remove>
void RemoveToolsEntries(HKEY root, bool progIdsToo, Remove& remove) {
    for (const auto& key : ToolsClassKeys()) remove(key);
    if (progIdsToo)
        for (const auto& [progId, clsid] : ToolsProgIds()) {
            wchar_t value[64] = {};
            DWORD bytes = sizeof(value) - sizeof(wchar_t);
            if (RegGetValueW(root, (progId + L"\\CLSID").c_str(), nullptr, RRF_RT_REG_SZ, nullptr, value, &bytes) ==
                    ERROR_SUCCESS &&
                _wcsicmp(value, clsid.c_str()) == 0)
                remove(progId);
        }
    const auto library = ToolsLibraryKeys();
    for (std::size_t i = 0; i < 4; ++i) RegDeleteKeyW(root, library[i].c_str());
    if (!KeyExistsIn(root, library[1]) && !KeyExistsIn(root, library[3])) {
        RegDeleteTreeW(root, library[4].c_str());
        RegDeleteKeyW(root, library[5].c_str());
    }
}

HRESULT RemoveEntries(Scope scope) {
    const UniqueHkey root = ClassesRoot(scope, KEY_READ | KEY_WRITE | DELETE);
    if (!root) return SELFREG_E_CLASS;
    HRESULT hr = S_OK;
    auto remove = [&](const std::wstring& key) {
        const LONG rc = RegDeleteTreeW(root.get(), key.c_str());
        if (rc != ERROR_SUCCESS && rc != ERROR_FILE_NOT_FOUND) hr = SELFREG_E_CLASS;
    };
    remove(L"CLSID\\" + GuidText(CLSID_Cadencer));
    for (const auto& page : kPageClasses) remove(L"CLSID\\" + GuidText(*page.first));
    // The ProgIDs stay while the other bitness's class still uses them, and another
    // product's class under the same ProgID stays too.
    if (!ClassInAnyView(scope)) {
        if (IsOurProgId(root.get(), kVersionedProgId)) remove(kVersionedProgId);
        if (IsOurProgId(root.get(), kProgId)) remove(kProgId);
    }
    RemoveToolsEntries(root.get(), !ClassInAnyView(scope), remove);
    return hr;
}

// The interfaces are entered in both registry views, as RegisterTypeLib enters them.
constexpr REGSAM kBothViews[] = {KEY_WOW64_64KEY, KEY_WOW64_32KEY};

// The universal marshaler's proxies: one for dual interfaces, one for dispinterfaces.
constexpr wchar_t kProxyDual[] = L"{00020424-0000-0000-C000-000000000046}";
constexpr wchar_t kProxyDispatch[] = L"{00020420-0000-0000-C000-000000000046}";

std::wstring LibraryKey() {
    return L"TypeLib\\" + GuidText(LIBID_CadencerLib);
}

std::wstring VersionKey() {
    return LibraryKey() + L"\\1.0";
}

// The library's flags in the form RegisterTypeLib enters them (widl's library has the
// disk-image flag, 8).
std::wstring LibraryFlags() {
    std::wstring flags = L"0";
    ComPtr<ITypeLib> lib;
    if (FAILED(GetTypeLib(&lib))) return flags;
    TLIBATTR* attr = nullptr;
    if (SUCCEEDED(lib->GetLibAttr(&attr))) {
        flags = std::to_wstring(attr->wLibFlags);
        lib->ReleaseTLibAttr(attr);
    }
    return flags;
}

// This bitness's own entries under the version key: the OCX under each locale key.
std::vector<Entry> PlatformEntries() {
    std::vector<Entry> entries;
    for (const wchar_t* locale : kLibraryLocaleKeys)
        entries.push_back({VersionKey() + L"\\" + locale + L"\\" + kPlatformKey, nullptr, ModulePath()});
    return entries;
}

std::vector<Entry> InterfaceEntries() {
    std::vector<Entry> entries;
    const std::pair<const IID*, std::pair<const wchar_t*, const wchar_t*>> interfaces[] = {
        {&IID__Cadencer, {L"_Cadencer", kProxyDual}}, {&DIID___Cadencer, {L"__Cadencer", kProxyDispatch}}};
    for (const auto& [iid, names] : interfaces) {
        const std::wstring key = L"Interface\\" + GuidText(*iid);
        entries.push_back({key, nullptr, names.first});
        entries.push_back({key + L"\\ProxyStubClsid", nullptr, names.second});
        entries.push_back({key + L"\\ProxyStubClsid32", nullptr, names.second});
        entries.push_back({key + L"\\TypeLib", nullptr, GuidText(LIBID_CadencerLib)});
        entries.push_back({key + L"\\TypeLib", L"Version", L"1.0"});
    }
    return entries;
}

// What RegisterTypeLib writes, for the per-user scope that the platform's own per-user
// registration does not reliably provide (Wine's falls back to machine-wide).
HRESULT RegisterUserLibrary() {
    const std::wstring path = ModulePath();
    const std::wstring directory = path.substr(0, path.find_last_of(L'\\') + 1);
    std::vector<Entry> entries = {
        {VersionKey(), nullptr, L"CadencerLib"},
        {VersionKey() + L"\\FLAGS", nullptr, LibraryFlags()},
        {VersionKey() + L"\\HELPDIR", nullptr, directory},
    };
    for (auto& entry : PlatformEntries()) entries.push_back(std::move(entry));
    HRESULT hr = WriteEntries(Scope::User, entries, SELFREG_E_TYPELIB);
    for (const REGSAM view : kBothViews)
        if (SUCCEEDED(hr)) hr = WriteEntries(Scope::User, InterfaceEntries(), SELFREG_E_TYPELIB, view);
    return hr;
}

HRESULT RegisterLibrary(Scope scope) {
    if (scope == Scope::User) return RegisterUserLibrary();
    ComPtr<ITypeLib> lib;
    HRESULT hr = GetTypeLib(&lib);
    if (FAILED(hr)) return SELFREG_E_TYPELIB;
    std::wstring path = ModulePath();
    std::wstring directory = path.substr(0, path.find_last_of(L'\\') + 1);
    hr = RegisterTypeLib(lib.Get(), path.data(), directory.data());
    if (FAILED(hr)) return SELFREG_E_TYPELIB;
    // The locale-neutral entry beside the library's own.
    return WriteEntries(scope, PlatformEntries(), SELFREG_E_TYPELIB);
}

// The names of a key's subkeys; empty when the key is missing.
std::vector<std::wstring> SubkeyNames(HKEY root, const std::wstring& path) {
    std::vector<std::wstring> names;
    UniqueHkey key;
    if (RegOpenKeyExW(root, path.c_str(), 0, KEY_READ, key.receive()) != ERROR_SUCCESS) return names;
    wchar_t name[256];
    for (DWORD i = 0;; ++i) {
        DWORD length = 256;
        if (RegEnumKeyExW(key.get(), i, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
        names.emplace_back(name, length);
    }
    return names;
}

// Whether the version key holds no platform's entry any more (nothing but FLAGS and
// HELPDIR): then the library is registered by neither bitness.
bool NoPlatformLeft(HKEY root) {
    for (const auto& name : SubkeyNames(root, VersionKey()))
        if (_wcsicmp(name.c_str(), L"FLAGS") != 0 && _wcsicmp(name.c_str(), L"HELPDIR") != 0) return false;
    return true;
}

// The interface entries in both views, each only while it still belongs to this library.
void RemoveInterfaces(Scope scope) {
    const HKEY root = scope == Scope::Machine ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER;
    for (const REGSAM view : kBothViews) {
        UniqueHkey interfaces;
        if (RegOpenKeyExW(root, L"Software\\Classes\\Interface", 0, KEY_READ | KEY_WRITE | DELETE | view,
                          interfaces.receive()) != ERROR_SUCCESS)
            continue;
        for (const IID* iid : {&IID__Cadencer, &DIID___Cadencer}) {
            const std::wstring key = GuidText(*iid);
            wchar_t owner[64] = {};
            DWORD bytes = sizeof(owner) - sizeof(wchar_t);
            if (RegGetValueW(interfaces.get(), (key + L"\\TypeLib").c_str(), nullptr, RRF_RT_REG_SZ, nullptr, owner,
                             &bytes) == ERROR_SUCCESS &&
                _wcsicmp(owner, GuidText(LIBID_CadencerLib).c_str()) == 0)
                RegDeleteTreeW(interfaces.get(), key.c_str());
        }
    }
}

// Removes this bitness's entries of the library; the version key, its interfaces and the
// library key go with the last bitness. (Done by hand in both scopes: the platform's
// UnRegisterTypeLib knows one locale, and takes the interfaces of both bitnesses.)
HRESULT UnregisterLibrary(Scope scope) {
    const UniqueHkey root = ClassesRoot(scope, KEY_READ | KEY_WRITE | DELETE);
    if (!root) return SELFREG_E_TYPELIB;
    HRESULT hr = S_OK;
    auto removeKey = [&](const std::wstring& key) {
        const LONG rc = RegDeleteKeyW(root.get(), key.c_str());
        if (rc != ERROR_SUCCESS && rc != ERROR_FILE_NOT_FOUND) hr = SELFREG_E_TYPELIB;
    };
    for (const wchar_t* locale : kLibraryLocaleKeys) {
        const std::wstring key = VersionKey() + L"\\" + locale;
        removeKey(key + L"\\" + kPlatformKey);
        // The locale key stays while the other bitness's entry is in it.
        if (SubkeyNames(root.get(), key).empty()) removeKey(key);
    }
    if (NoPlatformLeft(root.get())) {
        RemoveInterfaces(scope);
        const LONG rc = RegDeleteTreeW(root.get(), VersionKey().c_str());
        if (rc != ERROR_SUCCESS && rc != ERROR_FILE_NOT_FOUND) hr = SELFREG_E_TYPELIB;
        // The library's own key goes when no other version is left in it.
        if (SubkeyNames(root.get(), LibraryKey()).empty()) removeKey(LibraryKey());
    }
    return hr;
}

HRESULT Register(Scope scope) {
    HRESULT hr = WriteEntries(scope, Entries(), SELFREG_E_CLASS);
    if (SUCCEEDED(hr)) hr = RegisterLibrary(scope);
    if (FAILED(hr)) {
        // No half-registered control is left behind.
        RemoveEntries(scope);
        UnregisterLibrary(scope);
    }
    return hr;
}

HRESULT Unregister(Scope scope) {
    const HRESULT entries = RemoveEntries(scope);
    const HRESULT library = UnregisterLibrary(scope);
    return FAILED(entries) ? entries : library;
}

bool ParseScope(LPCWSTR commandLine, Scope* scope) {
    std::wstring text = commandLine ? commandLine : L"";
    for (auto& c : text) c = static_cast<wchar_t>(std::towlower(c));
    const auto first = text.find_first_not_of(L" \t");
    const auto last = text.find_last_not_of(L" \t");
    text = first == std::wstring::npos ? L"" : text.substr(first, last - first + 1);
    if (text == L"user") {
        *scope = Scope::User;
        return true;
    }
    if (text.empty() || text == L"machine") {
        *scope = Scope::Machine;
        return true;
    }
    return false;
}

}  // namespace
}  // namespace cadencer::com

using namespace cadencer::com;

extern "C" HRESULT WINAPI DllRegisterServer() {
    return Register(Scope::Machine);
}

extern "C" HRESULT WINAPI DllUnregisterServer() {
    return Unregister(Scope::Machine);
}

// regsvr32 /n /i:user registers for the current user, /n /i (or /i:machine) machine-wide;
// with /u the same scopes unregister.
extern "C" HRESULT WINAPI DllInstall(BOOL install, LPCWSTR commandLine) {
    Scope scope;
    if (!ParseScope(commandLine, &scope)) return E_INVALIDARG;
    return install ? Register(scope) : Unregister(scope);
}
