#include "component/registered_copies.h"

#include "win/scoped.h"

namespace cadencer::com {
namespace {

using win::UniqueHkey;

// Per bitness, under the scope's Software key (which WOW64 keeps apart machine-wide but
// not per user): value names are the copies' paths (the packages write theirs too).
#ifdef _WIN64
constexpr wchar_t kCopiesKey[] = L"Software\\Cadencer\\Copies\\win64";
#else
constexpr wchar_t kCopiesKey[] = L"Software\\Cadencer\\Copies\\win32";
#endif
constexpr const wchar_t* kCopiesParents[] = {L"Software\\Cadencer\\Copies", L"Software\\Cadencer"};

void DeleteIfEmpty(HKEY root, const wchar_t* path) {
    UniqueHkey key;
    if (RegOpenKeyExW(root, path, 0, KEY_READ, key.receive()) != ERROR_SUCCESS) return;
    DWORD subkeys = 0, values = 0;
    if (RegQueryInfoKeyW(key.get(), nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr, &values, nullptr, nullptr,
                         nullptr, nullptr) == ERROR_SUCCESS &&
        subkeys == 0 && values == 0) {
        key.reset();
        RegDeleteKeyW(root, path);
    }
}

void Forget(HKEY root, const std::wstring& path) {
    RegDeleteKeyValueW(root, kCopiesKey, path.c_str());
    DeleteIfEmpty(root, kCopiesKey);
    for (const wchar_t* parent : kCopiesParents) DeleteIfEmpty(root, parent);
}

}  // namespace

void NoteRegisteredCopy(HKEY root, const std::wstring& path) {
    const DWORD registered = 1;
    RegSetKeyValueW(root, kCopiesKey, path.c_str(), REG_DWORD, &registered, sizeof(registered));
}

std::vector<std::wstring> ForgetRegisteredCopy(HKEY root, const std::wstring& path) {
    Forget(root, path);
    std::vector<std::wstring> others;
    UniqueHkey key;
    if (RegOpenKeyExW(root, kCopiesKey, 0, KEY_READ, key.receive()) != ERROR_SUCCESS) return others;
    wchar_t name[MAX_PATH + 1];
    for (DWORD i = 0;; ++i) {
        DWORD length = MAX_PATH + 1;
        if (RegEnumValueW(key.get(), i, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
        if (_wcsicmp(name, path.c_str()) != 0) others.emplace_back(name, length);
    }
    return others;
}

bool HandRegistrationTo(HKEY root, const std::vector<std::wstring>& copies) {
    for (const auto& copy : copies) {
        // A copy deleted without being unregistered is forgotten.
        const HMODULE module = LoadLibraryExW(copy.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
        if (!module) {
            if (GetFileAttributesW(copy.c_str()) == INVALID_FILE_ATTRIBUTES) Forget(root, copy);
            continue;
        }
        HRESULT hr = E_FAIL;
        if (root == HKEY_CURRENT_USER) {
            using Install = HRESULT(WINAPI*)(BOOL, LPCWSTR);
            if (auto install = reinterpret_cast<Install>(reinterpret_cast<void*>(GetProcAddress(module, "DllInstall"))))
                hr = install(TRUE, L"user");
        } else {
            using Register = HRESULT(WINAPI*)();
            if (auto reg =
                    reinterpret_cast<Register>(reinterpret_cast<void*>(GetProcAddress(module, "DllRegisterServer"))))
                hr = reg();
        }
        FreeLibrary(module);
        if (SUCCEEDED(hr)) return true;
    }
    return false;
}

bool KeyServedBy(HKEY classes, const std::wstring& key, const std::wstring& path) {
    wchar_t value[MAX_PATH + 8] = {};
    DWORD bytes = sizeof(value) - sizeof(wchar_t);
    const LONG rc = RegGetValueW(classes, key.c_str(), nullptr, RRF_RT_REG_SZ, nullptr, value, &bytes);
    if (rc == ERROR_FILE_NOT_FOUND || (rc == ERROR_SUCCESS && value[0] == L'\0')) return true;
    return rc == ERROR_SUCCESS && _wcsicmp(value, path.c_str()) == 0;
}

}  // namespace cadencer::com
