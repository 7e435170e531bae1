// Reading the library's version resource and icon straight from the loaded module, so the
// about box shows the version of the file that is actually running.
#include "about/about_resources.h"

#include <cstring>
#include <string>

namespace cadencer::about {

std::optional<ModuleVersion> ReadModuleVersion(HMODULE module) {
    HRSRC resource = FindResourceW(module, MAKEINTRESOURCEW(VS_VERSION_INFO), RT_VERSION);
    if (!resource) return std::nullopt;
    const DWORD size = SizeofResource(module, resource);
    HGLOBAL loaded = LoadResource(module, resource);
    const auto* block = static_cast<const BYTE*>(loaded ? LockResource(loaded) : nullptr);
    if (!block) return std::nullopt;
    // The block opens with its lengths and type (three WORDs) and the key
    // "VS_VERSION_INFO", then the fixed file information at the next 32-bit boundary. It is
    // read in place, so the library needs no version.dll.
    constexpr wchar_t key[] = L"VS_VERSION_INFO";
    constexpr size_t keyOffset = 3 * sizeof(WORD);
    constexpr size_t infoOffset = (keyOffset + sizeof(key) + 3) & ~size_t{3};
    if (size < infoOffset + sizeof(VS_FIXEDFILEINFO)) return std::nullopt;
    WORD valueLength = 0;
    std::memcpy(&valueLength, block + sizeof(WORD), sizeof(valueLength));
    if (valueLength < sizeof(VS_FIXEDFILEINFO) || std::memcmp(block + keyOffset, key, sizeof(key)) != 0)
        return std::nullopt;
    VS_FIXEDFILEINFO info;
    std::memcpy(&info, block + infoOffset, sizeof(info));
    if (info.dwSignature != VS_FFI_SIGNATURE) return std::nullopt;
    return ModuleVersion{HIWORD(info.dwFileVersionMS), LOWORD(info.dwFileVersionMS)};
}

namespace {

BOOL CALLBACK TakeFirstName(HMODULE, LPCWSTR, LPWSTR name, LONG_PTR param) {
    auto* first = reinterpret_cast<std::wstring*>(param);
    // A name is either an integer identifier or a string; keep it in the "#id" form that
    // LoadImage also accepts, so the handle's lifetime does not matter.
    *first = IS_INTRESOURCE(name) ? L"#" + std::to_wstring(reinterpret_cast<ULONG_PTR>(name)) : name;
    return FALSE;
}

}  // namespace

HICON LoadModuleIcon(HMODULE module, int size) {
    std::wstring first;
    EnumResourceNamesW(module, RT_GROUP_ICON, TakeFirstName, reinterpret_cast<LONG_PTR>(&first));
    if (first.empty()) return nullptr;
    return static_cast<HICON>(LoadImageW(module, first.c_str(), IMAGE_ICON, size, size, LR_DEFAULTCOLOR));
}

HICON LoadPictureIcon(HMODULE module, int size) {
    if (FindResourceW(module, MAKEINTRESOURCEW(kPictureIconId), RT_GROUP_ICON)) {
        if (auto picture = static_cast<HICON>(
                LoadImageW(module, MAKEINTRESOURCEW(kPictureIconId), IMAGE_ICON, size, size, LR_DEFAULTCOLOR)))
            return picture;
    }
    return LoadModuleIcon(module, size);
}

}  // namespace cadencer::about
