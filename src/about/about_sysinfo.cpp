// Registry look-up of the System Information tool (Unicode functions, read access only).
#include "about/about_sysinfo.h"

#include <vector>

#include "win/scoped.h"

namespace cadencer::about {

namespace {

bool QueryString(HKEY key, const wchar_t* valueName, std::wstring& value) {
    // The size may change between the two calls (another program writing): retry then.
    for (int attempt = 0; attempt < 3; ++attempt) {
        DWORD type = 0;
        DWORD bytes = 0;
        LONG status = RegQueryValueExW(key, valueName, nullptr, &type, nullptr, &bytes);
        if (status != ERROR_SUCCESS || type != REG_SZ) return false;
        std::vector<wchar_t> buffer(bytes / sizeof(wchar_t) + 1, L'\0');
        bytes = static_cast<DWORD>(buffer.size() * sizeof(wchar_t));
        status = RegQueryValueExW(key, valueName, nullptr, &type, reinterpret_cast<BYTE*>(buffer.data()), &bytes);
        if (status == ERROR_MORE_DATA) continue;
        if (status != ERROR_SUCCESS || type != REG_SZ) return false;
        // Stored strings need not end with a NUL; the extra element guarantees one.
        buffer[bytes / sizeof(wchar_t)] = L'\0';
        value.assign(buffer.data());
        return true;
    }
    return false;
}

bool FileExists(const std::wstring& path) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

}  // namespace

bool GetKeyValue(HKEY root, const wchar_t* keyName, const wchar_t* valueName, std::wstring& value) {
    value.clear();
    win::UniqueHkey key;
    if (RegOpenKeyExW(root, keyName, 0, KEY_QUERY_VALUE, key.receive()) != ERROR_SUCCESS) return false;
    if (QueryString(key.get(), valueName, value)) return true;
    value.clear();
    return false;
}

std::optional<std::wstring> FindSysInfoProgram(HKEY root) {
    std::wstring value;
    if (GetKeyValue(root, kSysInfoPathKey, kSysInfoPathValue, value) && !value.empty()) return value;
    if (!GetKeyValue(root, kSysInfoFolderKey, kSysInfoFolderValue, value)) return std::nullopt;
    while (!value.empty() && (value.back() == L'\\' || value.back() == L'/')) value.pop_back();
    if (value.empty()) return std::nullopt;
    std::wstring program = value + L"\\" + kSysInfoProgram;
    if (!FileExists(program)) return std::nullopt;
    return program;
}

}  // namespace cadencer::about
