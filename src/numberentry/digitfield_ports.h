// The two interfaces through which the portable Digitfield model meets the world: the
// events it raises to its container (DigitfieldEvents) and the platform that hosts it
// (DigitfieldPlatform: the text box txtNumber, the spinner UpDown1, the auto-repeat timer
// Timer1, and the beep, clipboard and message-pump services). The Win32 window class
// implements the platform; tests implement both with fakes.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "engine/variant.h"
#include "numberentry/digitfield_layout.h"

namespace cadencer::numberentry {

enum class DigitfieldPart { TextBox, Spinner };
enum class TextAlignment { Left, Right };

// Modifier mask of the Shift arguments.
inline constexpr std::int16_t kShiftMask = 1, kCtrlMask = 2, kAltMask = 4;
// Button mask of the mouse events.
inline constexpr std::int16_t kLeftButton = 1, kRightButton = 2, kMiddleButton = 4;
inline constexpr std::int16_t kKeyUp = 38, kKeyDown = 40;

// The control's events, raised synchronously. Integer and single arguments are by
// reference: a handler may change them and the control continues with the changed value
// (KeyPress setting KeyAscii to 0 swallows the character; KeyDown setting KeyCode to 0
// keeps the key from the text box). X and Y are in twips relative to the part.
class DigitfieldEvents {
public:
    virtual ~DigitfieldEvents() = default;
    virtual void Change() {}
    virtual void Click() {}
    virtual void DblClick() {}
    virtual void KeyDown(std::int16_t& /*KeyCode*/, std::int16_t& /*Shift*/) {}
    virtual void KeyPress(std::int16_t& /*KeyAscii*/) {}
    virtual void KeyUp(std::int16_t& /*KeyCode*/, std::int16_t& /*Shift*/) {}
    virtual void MouseMove(std::int16_t& /*Button*/, std::int16_t& /*Shift*/, float& /*X*/, float& /*Y*/) {}
    virtual void MouseUp(std::int16_t& /*Button*/, std::int16_t& /*Shift*/, float& /*X*/, float& /*Y*/) {}
    virtual void MouseDown(std::int16_t& /*Button*/, std::int16_t& /*Shift*/, float& /*X*/, float& /*Y*/) {}
    // The container's "property changed" notification, by the property's name.
    virtual void PropertyChanged(std::u16string_view /*name*/) {}
};

class DigitfieldPlatform {
public:
    virtual ~DigitfieldPlatform() = default;

    // txtNumber. SetText only replaces the text: the model runs its change detection itself
    // after every text it sets, so the platform must not report its own sets as typing.
    virtual void GetText(std::u16string& out) const = 0;
    virtual int TextLength() const = 0;
    virtual void SetText(std::u16string_view text) = 0;
    virtual int SelStart() const = 0;
    virtual int SelLength() const = 0;
    virtual void Select(int start, int length) = 0;
    virtual void SetAlignment(TextAlignment) {}
    virtual void SetCaretVisible(bool) {}
    virtual void ApplyEnabled(bool) {}
    virtual void ApplyLocked(bool) {}
    virtual void ApplyColors(std::uint32_t /*backColor*/, std::uint32_t /*foreColor*/) {}
    virtual void ApplyFont(const ObjectRef&) {}
    virtual void Repaint() {}
    // The layout in twips; a pixel-based platform may recompute it at its own scale.
    virtual void ApplyLayout(const DigitfieldLayout&) {}
    virtual void SetPartToolTip(DigitfieldPart, std::u16string_view) {}

    // Timer1: StartTimer enables it with the interval (restarting the count), StopTimer
    // disables it. Each tick calls DigitfieldModel::Timer1_Timer.
    virtual void StartTimer(int intervalMs) = 0;
    virtual void StopTimer() = 0;

    // Services.
    virtual void Beep() = 0;
    virtual void SetClipboardText(std::u16string_view text) = 0;
    // Empty when the clipboard holds no text or cannot be opened.
    virtual std::optional<std::u16string> ClipboardText() = 0;
    virtual void ProcessPendingMessages() {}
};

}  // namespace cadencer::numberentry
