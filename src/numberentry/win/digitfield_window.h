// DigitfieldWindow: the numeric entry control as a Win32 child window, private to the library.
//
// The window class "CadencerDigitfield" is registered in-process only (not a COM class, not
// in any type library). The control holds a text box txtNumber (an EDIT), a spinner UpDown1
// (a pair of arrows 240 twips wide at the right edge, drawn by the control itself so that
// its press, auto-repeat and release follow the control's own rules) and an auto-repeat
// timer Timer1. All behaviour lives in the portable DigitfieldModel; this class adapts it.
//
// Use:
//   numberentry::DigitfieldWindow every;
//   every.CreateTwips(dialog, IDC_EVERY, 2400, 960, 975, 285, &sink);  // or Create() in pixels
//   every.ReadProperties(storedBag);  // the 13 keys, matched without regard to case
//   every.SetValue(Variant::I16(15));
//   double n = every.Value().ToDouble().value();
// A dialog template may also name the class directly (after RegisterWindowClass) and wrap the
// child with DigitfieldWindow(GetDlgItem(dialog, id)).
//
// Events: set a DigitfieldEvents sink (see digitfield_ports.h). Its methods run synchronously
// on the window's thread, in the order the control raises them (Change, Click, DblClick,
// KeyDown, KeyPress, KeyUp, MouseMove, MouseUp, MouseDown); by-reference arguments may be
// changed: KeyPress with KeyAscii set to 0 swallows the character, KeyDown with KeyCode set to
// 0 keeps the key from the text box, another code replaces it. Mouse X and Y are in twips
// relative to the part under the mouse. PropertyChanged reports each property set by name.
// A handler may destroy the control; the control then stops touching its windows.
//
// Sizes: positions and sizes given in twips convert with the window's real DPI (the
// parent's, before creation). The control is never lower than 255 twips.
//
// Accessibility: the text box, the spinner and the control answer accessibility clients
// with the name the host gives (SetAccessibleName) and the number as their value; the
// spinner, which the control draws, is a spin button whose two arrows are its children
// "Up" and "Down", each with the default action "Press".
//
// Handles: DigitfieldWindow only wraps the HWND; copying it is cheap and the state belongs
// to the window (freed when the window is destroyed). Calls on a wrapper without a live
// window do nothing and return defaults.
#pragma once

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "engine/property_bag.h"
#include "numberentry/digitfield_model.h"
#include "numberentry/digitfield_ports.h"

namespace cadencer::numberentry {

inline constexpr wchar_t kDigitfieldClassName[] = L"CadencerDigitfield";
inline constexpr wchar_t kDigitfieldSpinnerClassName[] = L"CadencerDigitfieldSpinner";
inline constexpr UINT_PTR kTimer1Id = 1;

// A font object over an HFONT, for the Font property and the property bag's "Font" key.
// An owned font is deleted with the object.
class GdiFont : public PlatformObject {
public:
    GdiFont(HFONT font, bool owned) : font_(font), owned_(owned) {}
    ~GdiFont() override;
    GdiFont(const GdiFont&) = delete;
    GdiFont& operator=(const GdiFont&) = delete;
    std::uint64_t Handle() const override { return reinterpret_cast<std::uint64_t>(font_); }
    HFONT font() const { return font_; }

private:
    HFONT font_;
    bool owned_;
};

class DigitfieldHost;

class DigitfieldWindow {
public:
    DigitfieldWindow() = default;
    // Wraps an existing Digitfield window (for example one a dialog template created).
    explicit DigitfieldWindow(HWND control) : control_(control) {}

    // Registers the control's private window classes; idempotent. Create calls it.
    // `instance` defaults to the module holding this code, the one Create uses.
    static bool RegisterWindowClass(HINSTANCE instance = nullptr);
    // For the module's unloading, once no Digitfield window is left.
    static void UnregisterWindowClass(HINSTANCE instance = nullptr);

    // Creates the control as a child of `parent`, with the defaults of a new control (the
    // parent's font as the ambient font) and an empty text box. `rect` is in pixels of the
    // parent's client area. Returns false when the window could not be created.
    bool Create(HWND parent, int id, const RECT& rect, DigitfieldEvents* sink = nullptr);
    bool CreateTwips(HWND parent, int id, int left, int top, int width, int height, DigitfieldEvents* sink = nullptr);
    void Destroy();
    // The control's own window (parent of its text box and spinner).
    HWND ControlWindow() const { return control_; }
    bool IsAlive() const;

    void SetEventSink(DigitfieldEvents* sink);

    // Lifecycle: first-time defaults, loading and saving the 13 keys. The ambient font is
    // the parent's font (WM_GETFONT) or the default GUI font.
    void InitProperties();
    void ReadProperties(PropertyBag& bag);
    Expected<bool> WriteProperties(PropertyBag& bag) const;

    // Properties, named as the control's members.
    Variant Value();
    void SetValue(const Variant& iValue);
    Variant StoredValue() const;
    double MaxValue() const;
    void SetMaxValue(const Variant& value);
    double MinValue() const;
    void SetMinValue(const Variant& value);
    bool UseMaxMinValues() const;
    void SetUseMaxMinValues(bool value);
    std::u16string Format() const;
    void SetFormat(std::u16string_view value);
    bool PositiveOnly() const;
    void SetPositiveOnly(bool value);
    bool UpDownFunction() const;
    void SetUpDownFunction(bool value);
    std::int16_t UpDownIncrement() const;
    void SetUpDownIncrement(std::int16_t value);
    bool Enabled() const;
    void SetEnabled(bool value);
    bool Locked() const;
    void SetLocked(bool value);
    std::uint32_t BackColor() const;  // OLE colour: RGB, or a system colour with the high bit
    void SetBackColor(std::uint32_t value);
    std::uint32_t ForeColor() const;
    void SetForeColor(std::uint32_t value);
    ObjectRef Font() const;
    void SetFont(const ObjectRef& font);
    void SetFont(HFONT font, bool owned = false);
    std::u16string ToolTipText() const;
    void SetToolTipText(std::u16string_view text);
    bool GotFocus() const;
    HWND EditWindow() const;  // txtNumber, the text box inside the control
    std::int16_t MaxLength() const;

    // Methods.
    void Refresh();
    void Highlight();

    // The system beep sounds for a refused character; a host (or a test) may replace it.
    void SetBeepHandler(std::function<void()> beep);

    // Size in twips at the window's DPI, and the conversions the control uses.
    void MoveTwips(int left, int top, int width, int height);
    // The control lays its parts out again for a new DPI (its parent's, after a DPI change;
    // the parent moves the control itself and gives it its font for that DPI). The control
    // also follows WM_DPICHANGED_AFTERPARENT by itself where the system sends it.
    void ApplyDpi(int dpi);
    int Dpi() const;

    // The name accessibility clients read for the field, its text box and its spinner (the
    // value they read is the number shown). A host names the field as its label would.
    void SetAccessibleName(std::u16string_view name);
    std::u16string AccessibleName() const;
    int TwipsToPixelsX(int twips) const;
    int TwipsToPixelsY(int twips) const;

    // The model itself, for what the wrapper does not forward (nullptr without a window).
    DigitfieldModel* Model() const;

private:
    DigitfieldHost* host() const;
    HWND control_ = nullptr;
};

}  // namespace cadencer::numberentry
