// The schedule dialog across a DPI change while it is open: WM_DPICHANGED at 144 DPI puts
// the window where the system suggests and lays every control out again from the twips
// design at the new DPI, as the layout computes it; what is shown or created later follows
// the new DPI too.
#include "dialog_harness.h"

#include "numberentry/win/digitfield_window.h"

namespace cadencer::dialog::testing {
namespace {

constexpr int kNewDpi = 144;

class DialogDpi : public DialogTest {
protected:
    void ChangeDpi() {
        RECT before;
        GetWindowRect(Dlg(), &before);
        suggested_ = {before.left + 13, before.top + 9, before.left + 13 + (before.right - before.left) * 3 / 2,
                      before.top + 9 + (before.bottom - before.top) * 3 / 2};
        SendMessageW(Dlg(), WM_DPICHANGED, MAKEWPARAM(kNewDpi, kNewDpi), reinterpret_cast<LPARAM>(&suggested_));
        Pump();
    }

    // The design's rectangle of a control in the client area, in twips: its frame's left
    // and present top (the weekly and monthly frames move to their place when first shown)
    // plus its own.
    static TwipRect DesignRect(const ControlDesign& design) {
        auto frameTop = [](Frame frame) {
            return frame == Frame::Weekly || frame == Frame::Monthly ? kLowerFrameTop : FrameRect(frame).top;
        };
        if (design.kind == Kind::Frame) {
            const auto frame = static_cast<Frame>(design.id - id::FrameOccurs + static_cast<int>(Frame::Occurs));
            TwipRect r = FrameRect(frame);
            r.top = frameTop(frame);
            return r;
        }
        if (design.frame == Frame::None) return design.rect;
        const TwipRect frame = FrameRect(design.frame);
        return {frame.left + design.rect.left, frameTop(design.frame) + design.rect.top, design.rect.width,
                design.rect.height};
    }

    // Every control that exists sits where the layout puts it at the new DPI.
    void ExpectLaidOutAtNewDpi(int outerHeight) {
        RECT client;
        GetClientRect(Dlg(), &client);
        EXPECT_EQ(client.right, TwipsToPixels(kClientWidthTwips, kNewDpi));
        EXPECT_EQ(client.bottom, TwipsToPixels(ClientHeightForOuter(outerHeight), kNewDpi));
        int checked = 0;
        for (const auto& design : Design()) {
            const HWND control = Item(design.id);
            if (!control) continue;
            SCOPED_TRACE(design.id);
            ++checked;
            const RECT actual = ClientRectOf(control);
            if (design.kind == Kind::StatusBar) {
                EXPECT_EQ(actual.left, 0);
                EXPECT_EQ(actual.right, client.right);
                EXPECT_EQ(actual.bottom, client.bottom);
                EXPECT_EQ(actual.bottom - actual.top, TwipsToPixels(kStatusBarHeightTwips, kNewDpi));
                continue;
            }
            const PixelRect expected = ToPixels(DesignRect(design), kNewDpi);
            EXPECT_EQ(actual.left, expected.left);
            EXPECT_EQ(actual.top, expected.top);
            EXPECT_EQ(actual.right, expected.right);
            // A closed drop-down list is as high as its font makes it.
            if (design.kind != Kind::ComboList) {
                EXPECT_EQ(actual.bottom, expected.bottom);
            }
        }
        EXPECT_GT(checked, 15);  // the smallest layout has 18
        // The fonts are made for the new DPI: the dialog's 8 points.
        LOGFONTW font{};
        GetObjectW(reinterpret_cast<HFONT>(SendMessageW(Item(id::ButtonCancel), WM_GETFONT, 0, 0)), sizeof(font),
                   &font);
        EXPECT_EQ(font.lfHeight, -MulDiv(8, kNewDpi, 72));
    }

    RECT suggested_{};
};

TEST_F(DialogDpi, ADpiChangeTakesTheSuggestedPlaceAndLaysEveryControlOutAgain) {
    a->core->SetOccursOption(3);
    a->core->SetShowHelpButton(true);
    Open();
    ChangeDpi();
    RECT window;
    GetWindowRect(Dlg(), &window);
    EXPECT_EQ(window.left, suggested_.left);
    EXPECT_EQ(window.top, suggested_.top);
    ExpectLaidOutAtNewDpi(kOuterHeightMonthly);

    // The number field's spinner is 240 twips wide at the new DPI.
    const HWND spinner =
        FindWindowExW(Item(id::EveryNumber), nullptr, numberentry::kDigitfieldSpinnerClassName, nullptr);
    RECT r;
    GetWindowRect(spinner, &r);
    EXPECT_EQ(r.right - r.left, TwipsToPixels(240, kNewDpi));
}

// After the change, another kind's height, a frame created for the first time and the
// hints all work at the new DPI.
TEST_F(DialogDpi, WhatComesAfterTheChangeFollowsTheNewDpi) {
    a->core->SetOccursOption(1);
    Open();
    ChangeDpi();
    ExpectLaidOutAtNewDpi(kOuterHeightDaily);
    Click(id::OccursOption + 2);  // the weekly frame's first showing creates its boxes
    ExpectLaidOutAtNewDpi(kOuterHeightWeekly);
    Click(id::OccursOption + 0);
    ExpectLaidOutAtNewDpi(kOuterHeightNever);
    const RECT occurs = ClientRectOf(Item(id::FrameOccurs));
    SendMessageW(Dlg(), WM_MOUSEMOVE, 0, MAKELPARAM(occurs.left + 2, (occurs.top + occurs.bottom) / 2));
    EXPECT_EQ(StatusText(0), L"Select the schedule frequency");
}

}  // namespace
}  // namespace cadencer::dialog::testing
