// Reading the library's version resource and icon straight from the loaded module, so the
// about box shows the version of the file that is actually running.
#include "about/about_resources.h"

#include <cstring>
#include <string>
#include <vector>

namespace cadencer::about {

std::optional<ModuleVersion> ReadModuleVersion(HMODULE module) {
    HRSRC resource = FindResourceW(module, MAKEINTRESOURCEW(VS_VERSION_INFO), RT_VERSION);
    if (!resource) return std::nullopt;
    const DWORD size = SizeofResource(module, resource);
    HGLOBAL loaded = LoadResource(module, resource);
    const void* data = loaded ? LockResource(loaded) : nullptr;
    if (!data || size == 0) return std::nullopt;
    // VerQueryValue may write into the block it reads, and a resource is read-only: work
    // on a copy.
    std::vector<BYTE> block(size);
    std::memcpy(block.data(), data, size);
    VS_FIXEDFILEINFO* info = nullptr;
    UINT length = 0;
    if (!VerQueryValueW(block.data(), L"\\", reinterpret_cast<void**>(&info), &length)) return std::nullopt;
    if (!info || length < sizeof(VS_FIXEDFILEINFO) || info->dwSignature != 0xFEEF04BD) return std::nullopt;
    return ModuleVersion{HIWORD(info->dwFileVersionMS), LOWORD(info->dwFileVersionMS)};
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

}  // namespace cadencer::about
