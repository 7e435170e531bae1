// What the registry entries of the control and of its companion objects spell alike: a
// GUID as registry text, and the type library's platform key of this build.
#pragma once

#include <windows.h>

#include <objbase.h>

#include <string>

namespace cadencer::com {

// "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}", upper case, as the registry holds class keys.
inline std::wstring GuidText(REFGUID guid) {
    wchar_t text[40] = {};
    StringFromGUID2(guid, text, 40);
    return text;
}

// The key under a type library's locale entry that names this bitness's file.
#ifdef _WIN64
inline constexpr wchar_t kPlatformKey[] = L"win64";
#else
inline constexpr wchar_t kPlatformKey[] = L"win32";
#endif

}  // namespace cadencer::com
