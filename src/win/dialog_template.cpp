// The bytes of an item-less in-memory dialog template.
#include "win/dialog_template.h"

#include <algorithm>

namespace cadencer::win {

DialogTemplate::DialogTemplate(DWORD style, DWORD exStyle, std::wstring_view caption, WORD fontPoints,
                               std::wstring_view fontFace) {
    std::vector<WORD> words;
    auto dword = [&words](DWORD v) {
        words.push_back(LOWORD(v));
        words.push_back(HIWORD(v));
    };
    auto string = [&words](std::wstring_view s) {
        for (wchar_t c : s) words.push_back(static_cast<WORD>(c));
        words.push_back(0);
    };
    dword(style);
    dword(exStyle);
    words.insert(words.end(), {0, 0, 0, 0, 0});  // no items; position and size set later
    words.push_back(0);                          // no menu
    words.push_back(0);                          // the dialog class
    string(caption);
    if (style & DS_SETFONT) {
        words.push_back(fontPoints);
        string(fontFace);
    }
    storage_.assign((words.size() + 1) / 2, 0);
    std::copy(words.begin(), words.end(), reinterpret_cast<WORD*>(storage_.data()));
}

}  // namespace cadencer::win
