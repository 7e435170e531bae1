// The about box's own texts: the library's title and the maker's addresses, which no
// language changes, and the box's captions, labels, tooltips and messages from the catalog.
// The addresses are reserved example domains until the maker's real ones are chosen; they
// live only here.
#pragma once

#include <string>

#include "text/catalog.h"

namespace cadencer::about {

inline constexpr wchar_t kLibraryTitle[] = L"Cadencer";
inline constexpr wchar_t kEmailAddress[] = L"cadencer@example.com";
inline constexpr wchar_t kWebAddress[] = L"https://www.example.com/";

// A catalog text in the box's language, with {1}.. replaced by args.
inline std::wstring AboutText(text::Language language, text::Id id,
                              std::initializer_list<std::u16string_view> args = {}) {
    const std::u16string said = text::Say(language, id, args);
    return {said.begin(), said.end()};
}

// " About Cadencer": the leading blank keeps the caption clear of the window icon.
inline std::wstring AboutCaption(text::Language language) {
    const std::wstring title(kLibraryTitle);
    return L" " + AboutText(language, text::Id::AboutCaption, {std::u16string(title.begin(), title.end())});
}

// "Version 1.0": major and minor of the library's version, the minor without padding.
inline std::wstring VersionText(text::Language language, unsigned major, unsigned minor) {
    const std::wstring number = std::to_wstring(major) + L"." + std::to_wstring(minor);
    return AboutText(language, text::Id::AboutVersion, {std::u16string(number.begin(), number.end())});
}

}  // namespace cadencer::about
