// The control's design-time face: the 32 x 32 face picture (bitmap resource) stretched
// over the fixed 360 x 360 twip client area, drawn into any device context (screen,
// memory or metafile) and shown in the control's in-place window. The in-place window
// is shown only at design time; at run time the control has no face.
#pragma once

#include <windows.h>

#include "win/resource.h"

namespace cadencer::win {

inline constexpr LONG kFaceTwips = 360;
// 360 twips are a quarter inch: 635 HIMETRIC units (0.01 mm).
inline constexpr LONG kFaceHimetric = 635;

// The face's side in pixels at a DPI (1440 twips to the inch).
int FacePixels(int dpi);

// Stretches the face picture over bounds. Uses the resource's bits directly, so it
// creates no GDI objects and also records into metafiles. False when the resource is
// missing or the drawing fails.
bool DrawFace(HINSTANCE instance, HDC dc, const RECT& bounds);

inline constexpr wchar_t kFaceWindowClass[] = L"CadencerFaceWindow";

// The in-place window: a child of the container's window that paints the face.
class FaceWindow {
public:
    explicit FaceWindow(HINSTANCE instance) : instance_(instance) {}
    ~FaceWindow() { Destroy(); }
    FaceWindow(const FaceWindow&) = delete;
    FaceWindow& operator=(const FaceWindow&) = delete;

    // Creates the window (hidden) inside parent at rect; nothing when it exists.
    bool Create(HWND parent, const RECT& rect);
    void Destroy();
    void Move(const RECT& rect);
    void Show(bool visible);
    HWND Window() const { return window_; }

private:
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    void Form_Paint();

    HINSTANCE instance_;
    HWND window_ = nullptr;
};

void UnregisterFaceWindowClass(HINSTANCE instance);

}  // namespace cadencer::win
