// Finding the operating system's System Information tool through the two registry values
// that its installation leaves. Read access only: asking for more fails for every user who
// is not an administrator and would report the tool missing where it exists.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

namespace cadencer::about {

inline constexpr wchar_t kSysInfoPathKey[] = L"SOFTWARE\\Microsoft\\Shared Tools\\MSINFO";
inline constexpr wchar_t kSysInfoPathValue[] = L"PATH";
inline constexpr wchar_t kSysInfoFolderKey[] = L"SOFTWARE\\Microsoft\\Shared Tools Location";
inline constexpr wchar_t kSysInfoFolderValue[] = L"MSINFO";
inline constexpr wchar_t kSysInfoProgram[] = L"MSINFO32.EXE";

// Reads the string value (REG_SZ) valueName of root\keyName into value and returns true;
// on any failure, or a value of another type, value is empty and the result false. The
// text ends at its first NUL, whether or not the stored data carries one.
bool GetKeyValue(HKEY root, const wchar_t* keyName, const wchar_t* valueName, std::wstring& value);

// The program to start for System Information under root (the local machine in the
// product): the "PATH" value as it stands (not checked for existence), else the "MSINFO"
// folder's MSINFO32.EXE when that file exists, else nothing.
std::optional<std::wstring> FindSysInfoProgram(HKEY root);

}  // namespace cadencer::about
