// PageWindow: the window of one of the control's property pages, a child dialog that a
// property frame places in its page area. It is laid out from a twips design at the
// frame's DPI, fills its fields from the values read from the first selected control,
// and reports the values the user changed since (after the page's own checks). The COM
// page object (src/component/property_page.cpp) owns it and does the reading and setting.
//
// Frames: the page follows its frame's property-sheet notifications as well as the COM
// calls. A frame that is a property sheet sends its pages PSN_APPLY on OK and Apply; the
// page's parent is watched for it (and told PSM_CHANGED on the first edit), so the page
// applies in a frame that never calls IPropertyPage::Apply itself. In a frame that does,
// the second request finds nothing left to apply.
#pragma once

#include <windows.h>

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "dialog/schedule_design.h"
#include "dialog/schedule_fit.h"
#include "proppage/page_values.h"
#include "text/catalog.h"

namespace cadencer::proppage {

// What the page tells its owner.
class PageEvents {
public:
    virtual ~PageEvents() = default;
    // The user changed a field (not sent while the page fills itself).
    virtual void PageEdited() = 0;
    // The frame's OK or Apply; false keeps the frame open (a check failed).
    virtual bool ApplyRequested() = 0;
};

struct TwipSize {
    int width = 0;
    int height = 0;
};

class PageWindow {
public:
    static std::unique_ptr<PageWindow> Make(PageKind kind);
    virtual ~PageWindow();
    PageWindow(const PageWindow&) = delete;
    PageWindow& operator=(const PageWindow&) = delete;

    virtual PageKind Kind() const = 0;
    // The page's title in its language (the frame's tab).
    virtual std::u16string Title() const = 0;
    virtual TwipSize DesignSize() const = 0;
    // The page's size in pixels at a DPI: the design's, wider where its texts need more room.
    SIZE SizeAt(int dpi) const;

    // The language of the page's texts: the frame's (its site's LocaleID), else the user's
    // UI language. Set before Create; a created page keeps its texts.
    void SetLanguage(text::Language language) { language_ = language; }
    text::Language Language() const { return language_; }

    // Creates the window as a child of the frame's page area, hidden.
    bool Create(HWND parent, const RECT& rect, PageEvents* events);
    void Destroy();
    HWND Handle() const { return hwnd_; }
    int Dpi() const { return dpi_; }
    void Show(int command);
    void Move(const RECT& rect);
    // The dialog keys (Tab, arrows, mnemonics) of a message for a window of the page.
    bool TranslateKey(MSG& msg);

    // Fills the fields from a control's values; the page is unedited afterwards.
    void Load(const PropertyValues& values);
    // The values changed since Load, once the page's checks pass; otherwise empty, after a
    // message saying why with the focus on the field concerned.
    std::optional<PropertyValues> Changes();
    // Puts the focus on the field of a property; false when the page has none.
    virtual bool FocusProperty(std::u16string_view name) = 0;

protected:
    PageWindow() = default;

    // A text the page shows and where: the design's rectangle, the English text the design
    // holds there, and the pixels at 96 DPI that its control needs beside the text (a check
    // box's box, a frame's margins).
    struct TextPlace {
        dialog::TwipRect rect;
        std::u16string text;
        std::u16string_view english;
        int besidePixels = 0;
    };
    virtual std::vector<TextPlace> TextPlaces() const { return {}; }
    virtual void CreateControls() = 0;
    virtual void Fill(const PropertyValues& values) = 0;
    // The page's values as its fields show them now.
    virtual PropertyValues Read() = 0;
    // What Changes() compares with: the fields as filled. A page whose fields cannot show a
    // loaded value (and would apply what they show instead) says so here.
    virtual PropertyValues Baseline() { return Read(); }
    virtual bool Validate() = 0;
    // The window procedure's handlers, named as the dialog's are: `Part_Event` for the
    // event a message is (`Page` for the page itself, its controls by their design names or
    // by role and kind), `Route<Message>` for a message that stands for several parts' events.
    virtual void RouteCommand(int /*id*/, int /*code*/) {}
    virtual void RouteNotify(const NMHDR& /*header*/) {}
    // A brush for a static control's background, or null for the default.
    virtual HBRUSH Page_CtlColorStatic(HDC /*dc*/, HWND /*control*/) { return nullptr; }
    // What the page draws itself, under its controls.
    virtual void DrawDesign(HDC /*dc*/) {}

    HWND AddControl(const wchar_t* windowClass, std::u16string_view text, DWORD style, const dialog::TwipRect& rect,
                    int id, int extraHeightTwips = 0);
    HWND Item(int id) const { return GetDlgItem(hwnd_, id); }
    int Px(int twips) const;
    // A design x coordinate (twips) in pixels, moved right by the room the texts before it need.
    int PxX(int twips) const { return Px(fit_.Map(twips)); }
    RECT PixelRect(const dialog::TwipRect& rect) const;
    bool Loading() const { return loading_; }
    // A field changed by the user.
    void Edited();
    // Beep, focus, message box owned by the frame. `focus` may be null.
    void ShowMessage(std::u16string_view text, std::u16string_view title, HWND focus);
    void FocusControl(HWND control);
    HFONT Font() const { return font_; }
    // A catalog text in the page's language.
    std::u16string T(text::Id id) const { return std::u16string(text::Text(language_, id)); }

    HWND hwnd_ = nullptr;

private:
    static INT_PTR CALLBACK DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    INT_PTR HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    void Page_Initialize();
    void Page_Paint();
    // The frame's OK or Apply (PSN_APPLY); false keeps the frame open.
    bool Sheet_Apply();
    static LRESULT CALLBACK FrameSubclassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                              DWORD_PTR refData);
    void HookFrame(HWND parent);
    void UnhookFrame();
    HWND SheetOfFrame() const;

    // The design's x coordinates fitted to the texts in font at dpi: a text wider than its
    // control widens it, and what stands right of it moves right as much.
    dialog::WidthMap FitTexts(HFONT font, int dpi) const;

    PageEvents* events_ = nullptr;
    dialog::WidthMap fit_;
    text::Language language_ = text::Language::English;
    int dpi_ = 96;
    HFONT font_ = nullptr;
    bool loading_ = false;
    bool toldSheet_ = false;
    PropertyValues baseline_;
    HWND hookedParent_ = nullptr;
    // The page area's procedure once the watch was set: another one later means a
    // procedure set by hand sits above the watch.
    WNDPROC procAfterHook_ = nullptr;
};

}  // namespace cadencer::proppage
