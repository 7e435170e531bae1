// Accessible names for the library's inputs. The platform's standard proxy for a window
// (oleacc's CreateStdAccessibleObject) names a control by its own window text, or an edit
// by the label window before it; a picker would be named by the date it shows and a
// caption-less check box not at all. An input that needs better answers serves its client
// object itself: WM_GETOBJECT (OBJID_CLIENT) returns an AccessibleProxy that wraps the
// platform's proxy, answers the name (and the value, where the control has one) and
// delegates everything else, so that roles, states, focus and navigation stay the
// platform's. Where the platform's proxy knows nothing of the control (it says only
// ROLE_SYSTEM_CLIENT), the control's own role and states stand in. A control that draws
// parts of its own (a spinner's arrows) describes them as simple children.
//
//   win::AccessibleFacts facts;
//   facts.name = [] { return std::wstring(L"Start:"); };
//   facts.value = [picker] { return std::optional(WindowTextOf(picker)); };
//   win::ServeAccessibleFacts(picker, std::move(facts));
//
// oleacc.dll is loaded when a client first asks. The functions of the facts run on the
// window's thread whenever a client asks; they must not outlive what they read, so they
// should reach it through the window handle (the proxy stops asking once the window is gone).
#pragma once

#include <windows.h>
// after windows.h, which it needs
#include <oleacc.h>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace cadencer::win {

// A part that a control draws itself, without a window of its own: a simple child
// (child id 1, 2, ...) of the control's accessible object.
struct AccessiblePart {
    std::wstring name;
    LONG role = ROLE_SYSTEM_PUSHBUTTON;
    std::wstring defaultAction;        // what doing its default action means ("Press")
    std::function<RECT()> screenRect;  // where it is now, in screen coordinates
    std::function<LONG()> state;       // its states; none when empty
    std::function<void()> doDefaultAction;
};

// What a window's client object says beyond the platform's proxy.
struct AccessibleFacts {
    std::function<std::wstring()> name;                  // an empty answer leaves the proxy's
    std::function<std::optional<std::wstring>()> value;  // empty, or no answer: the proxy's
    LONG role = 0;                                       // when the proxy says ROLE_SYSTEM_CLIENT
    std::function<LONG()> state;                         // added when the proxy says ROLE_SYSTEM_CLIENT
    std::vector<AccessiblePart> parts;
};

// From now on WM_GETOBJECT for the client object of `window` is answered with the facts,
// until the window is destroyed. Calling it again replaces them. Call it on the thread that
// owns the window. False when the window cannot be subclassed.
bool ServeAccessibleFacts(HWND window, AccessibleFacts facts);

// For a window procedure that answers WM_GETOBJECT itself: the answer for these facts,
// or 0 (let the default answer) when another object than the client object is asked for.
LRESULT AnswerGetObject(HWND window, WPARAM wParam, LPARAM lParam, std::shared_ptr<const AccessibleFacts> facts);

// The client object of `window` with the facts, as WM_GETOBJECT hands it out (for tests
// and for callers that need the object itself). Null when oleacc cannot be loaded.
HRESULT CreateAccessibleProxy(HWND window, std::shared_ptr<const AccessibleFacts> facts, IAccessible** object);

// Tell accessibility clients that the name or the value of a window's client object changed
// (only while the window can be seen).
void NotifyAccessibleNameChange(HWND window);
void NotifyAccessibleValueChange(HWND window);

// The text of a window, for facts that read what a control shows.
std::wstring WindowTextOf(HWND window);

}  // namespace cadencer::win
