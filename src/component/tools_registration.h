// The registry entries of the companion objects (CadencerTools.Schedule and
// CadencerTools.Task) and of their type library, kept apart from the control's so that
// each can change without touching the other. registration.cpp writes and removes them
// with the control's, in the same scope.
#pragma once

#include <string>
#include <vector>

namespace cadencer::com {

struct ToolsRegistryValue {
    std::wstring key;     // under the classes root
    const wchar_t* name;  // null: the key's default value
    std::wstring value;
};

// Everything to write, for the OCX at modulePath.
std::vector<ToolsRegistryValue> ToolsRegistryValues(const std::wstring& modulePath);
// The class keys to remove (whole trees), and the ProgIDs to remove while they still name
// these classes and no other bitness's OCX keeps them.
std::vector<std::wstring> ToolsClassKeys();
std::vector<std::pair<std::wstring, std::wstring>> ToolsProgIds();  // ProgID, its CLSID
// The type library's keys: this bitness's two locale entries and their locale keys (each
// removed only when empty), then the version and the library key, which go only when no
// locale entry of the other bitness is left.
std::vector<std::wstring> ToolsLibraryKeys();

}  // namespace cadencer::com
