// The per-window state of a Digitfield window: its child windows, the model, and the
// DigitfieldPlatform implementation over them (text box, spinner, timer, clipboard, beep).
// Bound at WM_NCCREATE of the control's window, freed at its WM_NCDESTROY, or later when a
// handler further up the stack still keeps it alive (an event handler may destroy the control).
#pragma once

#include "engine/twips.h"
#include "numberentry/win/digitfield_window.h"
#include "win/keep_alive.h"
#include "win/window_state.h"

namespace cadencer::numberentry {

class DigitfieldHost final : public DigitfieldPlatform {
public:
    explicit DigitfieldHost(HWND self);
    ~DigitfieldHost() override;

    // The control's window holds one reference and a running handler another
    // (win::KeepAlive); after a nested destroy, Alive() is false and the handler must leave
    // the windows alone. The host goes with the last reference.
    void AddRef() { ++references_; }
    void Release();
    bool Alive() const { return !destroyed_; }
    // WM_NCDESTROY of the control: drops the window's reference.
    void UserControl_Terminate();

    static DigitfieldHost* FromControl(HWND control);

    // ---- Creation and layout (pixels) ----
    bool CreateParts();
    void UserControl_Resize();
    void UpdateDpi();
    void ApplyDpi(int dpi);
    int Dpi() const { return dpiY_; }
    int MinimumHeight() const;

    // ---- Accessibility (digitfield_parts.cpp) ----
    void ServeAccessibility();
    void SetAccessibleName(std::u16string_view name);
    const std::u16string& AccessibleName() const { return accessibleName_; }
    std::wstring AccessibleValue();
    // One press and release of an arrow, as a click on it would do.
    void PressSpinnerArrow(bool up);
    int ToPixelsX(int twips) const { return TwipsToPixels(twips, dpiX_); }
    int ToPixelsY(int twips) const { return TwipsToPixels(twips, dpiY_); }
    float ToTwipsX(int pixels) const { return pixels * 1440.0f / static_cast<float>(dpiX_); }
    float ToTwipsY(int pixels) const { return pixels * 1440.0f / static_cast<float>(dpiY_); }
    ObjectRef AmbientFont();

    // ---- Colours: WM_CTLCOLOREDIT / WM_CTLCOLORSTATIC of the text box ----
    HBRUSH txtNumber_CtlColor(HDC dc);
    // EN_CHANGE: the user changed the text (our own sets are not typing).
    void txtNumber_Change();

    // ---- DigitfieldPlatform ----
    void GetText(std::u16string& out) const override;
    int TextLength() const override;
    void SetText(std::u16string_view text) override;
    int SelStart() const override;
    int SelLength() const override;
    void Select(int start, int length) override;
    void SetAlignment(TextAlignment alignment) override;
    void SetCaretVisible(bool visible) override;
    void ApplyEnabled(bool enabled) override;
    void ApplyLocked(bool locked) override;
    void ApplyColors(std::uint32_t backColor, std::uint32_t foreColor) override;
    // WM_SYSCOLORCHANGE: the colours taken again from the system.
    void SysColorChanged();
    void ApplyFont(const ObjectRef& font) override;
    void Repaint() override;
    void ApplyLayout(const DigitfieldLayout& layout) override;
    void SetPartToolTip(DigitfieldPart part, std::u16string_view text) override;
    void StartTimer(int intervalMs) override;
    void StopTimer() override;
    void Beep() override;
    void SetClipboardText(std::u16string_view text) override;
    std::optional<std::u16string> ClipboardText() override;
    void ProcessPendingMessages() override;

    // ---- Parts (digitfield_parts.cpp) ----
    static LRESULT CALLBACK EditSubclassProc(HWND edit, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                             DWORD_PTR refData);
    static LRESULT CALLBACK SpinnerProc(HWND spinner, UINT message, WPARAM wParam, LPARAM lParam);
    static std::int16_t CurrentShift();

    HWND self_;
    HWND edit_ = nullptr;
    HWND spinner_ = nullptr;
    HWND toolTip_ = nullptr;  // created with the first tooltip text
    DigitfieldModel model_{*this};
    std::function<void()> beep_;
    ObjectRef ambientFont_;

    // Spinner press state (the window's view of it; the model keeps SpinnerHeld).
    bool spinnerPressed_ = false;
    bool spinnerPressedUpper_ = false;
    // Text box click tracking: Click follows a left press and release on the box.
    bool editLeftPressed_ = false;
    bool editDoubleClicked_ = false;

private:
    LRESULT EditMessage(UINT message, WPARAM wParam, LPARAM lParam, bool& handled);
    LRESULT SpinnerMessage(UINT message, WPARAM wParam, LPARAM lParam, bool& handled);
    void PaintSpinner(HDC dc);
    // The text box's messages by kind, each handler named for its part and event as the
    // model's are (RouteFocus and RouteMouse take messages that stand for several events):
    // the model hears of each before or after the box handles it, and a handler that
    // destroyed the control leaves the windows alone.
    LRESULT txtNumber_KeyDown(HWND edit, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT txtNumber_KeyPress(HWND edit, WPARAM wParam, LPARAM lParam);
    LRESULT txtNumber_KeyUp(HWND edit, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT RouteFocus(HWND edit, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT RouteMouse(HWND edit, UINT message, WPARAM wParam, LPARAM lParam);
    void UpDown1_Press(HWND spinner, LPARAM lParam);
    // A mouse event of a part, raised with the button(s), the shift keys held now and the
    // message's point in twips.
    using MouseEvent = void (DigitfieldModel::*)(std::int16_t& Button, std::int16_t& Shift, float& X, float& Y);
    void RaiseMouseEvent(MouseEvent event, std::int16_t button, LPARAM lParam);
    void UpdateAlignment();
    void PlacePart(HWND part, const PartRect& rect);
    // True when the part's enabled state changed.
    bool EnableIfDifferent(HWND part, bool enabled);
    // Before the text box paints: the margins that waited while it could not be seen.
    void txtNumber_Paint() {
        if (alignmentPending_) UpdateAlignment();
    }
    void UpdateToolTip(HWND part, std::u16string& current, std::u16string_view text);
    bool EnsureToolTip();

    bool settingText_ = false;
    TextAlignment alignment_ = TextAlignment::Right;
    bool alignmentPending_ = false;  // the margins wait for the text box's first paint
    HFONT appliedFont_ = nullptr;
    int baseLeftMargin_ = 0, baseRightMargin_ = 0;
    int dpiX_ = 96, dpiY_ = 96;
    COLORREF back_ = 0, fore_ = 0;
    std::uint32_t backColor_ = 0x80000005, foreColor_ = 0x80000008;  // as given (OLE colours)
    HBRUSH backBrush_ = nullptr;
    std::u16string editTip_, spinnerTip_;
    std::u16string accessibleName_;
    int references_ = 1;  // the window's
    bool destroyed_ = false;
};

}  // namespace cadencer::numberentry
