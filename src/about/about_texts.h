// The about box's own texts: the library's title, its description, the maker's addresses,
// the link tooltips, the button captions and the two failure messages. The addresses are
// reserved example domains until the maker's real ones are chosen; they live only here.
#pragma once

#include <string>

namespace cadencer::about {

inline constexpr wchar_t kLibraryTitle[] = L"Cadencer";
inline constexpr wchar_t kDescription[] =
    L"This OCX, when placed on a form, provides the ability to your program's users of "
    L"selecting a schedule for execution of a function you define.";
inline constexpr wchar_t kDisclaimer[] = L"Please send any comments or suggestions to:";
inline constexpr wchar_t kWebSiteLabel[] = L"Web site:";
inline constexpr wchar_t kEmailAddress[] = L"cadencer@example.com";
inline constexpr wchar_t kWebAddress[] = L"https://www.example.com/";
inline constexpr wchar_t kEmailTip[] = L"Send the makers of Cadencer an e-mail";
inline constexpr wchar_t kWebTip[] = L"Visit the Cadencer web site";
inline constexpr wchar_t kOkCaption[] = L"OK";
inline constexpr wchar_t kSysInfoCaption[] = L"&System Info...";
inline constexpr wchar_t kMailFailure[] = L"A problem has occurred while trying to send an e-mail.";
inline constexpr wchar_t kSysInfoUnavailable[] = L"System Information Is Unavailable At This Time";

// " About Cadencer": the leading blank keeps the caption clear of the window icon.
inline std::wstring AboutCaption() {
    return std::wstring(L" About ") + kLibraryTitle;
}

// "Version 1.0": major and minor of the library's version, the minor without padding.
inline std::wstring VersionText(unsigned major, unsigned minor) {
    return L"Version " + std::to_wstring(major) + L"." + std::to_wstring(minor);
}

}  // namespace cadencer::about
