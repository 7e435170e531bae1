// In-memory dialog templates without items, for the library's dialogs that create their
// controls themselves at their twip positions once the window's DPI is known, while the
// dialog manager still supplies Tab, Enter, Esc, WM_NEXTDLGCTL and focus memory.
#pragma once

#include <windows.h>

#include <string_view>
#include <vector>

namespace cadencer::win {

// A DLGTEMPLATE with no items, position and size 0 (set by the dialog later), no menu and
// the dialog class; DWORD aligned, as CreateDialogIndirectParam requires.
class DialogTemplate {
public:
    // An empty caption writes none; the font is written only when the style has DS_SETFONT,
    // as the template format has it.
    DialogTemplate(DWORD style, DWORD exStyle, std::wstring_view caption = {}, WORD fontPoints = 8,
                   std::wstring_view fontFace = L"MS Shell Dlg");
    const DLGTEMPLATE* Get() const { return reinterpret_cast<const DLGTEMPLATE*>(storage_.data()); }

private:
    std::vector<DWORD> storage_;
};

}  // namespace cadencer::win
