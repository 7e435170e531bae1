// Every text of the schedule dialog fits its control, in each of the five layouts, at 96
// and 144 DPI, with the design's font and with a wider one, and nothing overlaps. With the
// design's font every control keeps the design's place.
#include <algorithm>

#include "dialog_harness.h"

namespace cadencer::dialog::testing {
namespace {

struct FitCase {
    int dpi;
    const wchar_t* face;  // empty: the platform's dialog font, for which the design was made
};

std::wstring W(std::u16string_view text) {
    return {text.begin(), text.end()};
}

// A text's width in pixels in a font, without a mnemonic's ampersand.
int Width(HFONT font, const std::wstring& text) {
    HDC dc = GetDC(nullptr);
    const HGDIOBJ old = SelectObject(dc, font);
    std::wstring shown;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == L'&' && i + 1 < text.size()) ++i;
        shown.push_back(text[i]);
    }
    SIZE size{};
    GetTextExtentPoint32W(dc, shown.c_str(), static_cast<int>(shown.size()), &size);
    SelectObject(dc, old);
    ReleaseDC(nullptr, dc);
    return size.cx;
}

class DialogFit : public DialogTest, public ::testing::WithParamInterface<FitCase> {
protected:
    void TearDown() override {
        UseScheduleDialogFont(L"");
        if (designFont_) DeleteObject(designFont_);
        DialogTest::TearDown();
    }

    // The texts a control shows now, and the same in English as the design shows them.
    std::pair<std::vector<std::wstring>, std::vector<std::wstring>> Texts(const ControlDesign& design) const {
        const HWND control = Item(design.id);
        if (design.kind == Kind::ComboList) {
            std::vector<std::wstring> items;
            for (int i = 0; i < SendMessageW(control, CB_GETCOUNT, 0, 0); ++i) {
                wchar_t item[128] = L"";
                SendMessageW(control, CB_GETLBTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(item));
                items.emplace_back(item);
            }
            return {items, {L"hour(s)", L"minute(s)"}};
        }
        if (design.kind == Kind::TimePicker || design.kind == Kind::DatePicker) {
            const SYSTEMTIME st = Picker(design.id).value_or(SYSTEMTIME{2026, 12, 0, 28, 22, 58, 0, 0});
            wchar_t english[80] = L"";
            if (design.kind == Kind::TimePicker)
                GetTimeFormatEx(L"en-US", 0, &st, L"hh:mm tt", english, 80);
            else
                GetDateFormatEx(L"en-US", 0, &st, L"MM/dd/yyy", english, 80, nullptr);
            return {{Text(design.id)}, {english}};
        }
        return {{Text(design.id)}, {W(design.caption)}};
    }

    static int Widest(HFONT font, const std::vector<std::wstring>& texts) {
        int widest = 0;
        for (const auto& text : texts) widest = std::max(widest, Width(font, text));
        return widest;
    }

    // Each text has at least the room beside it that the design gave its English text in
    // the design's font (a pixel of rounding aside); nothing overlaps; all is inside.
    void ExpectTextsFit(int dpi) {
        designFont_ = CreateFontW(-MulDiv(8, dpi, 72), 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                                  OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH, L"Tahoma");
        RECT client;
        GetClientRect(Dlg(), &client);
        std::vector<std::pair<const ControlDesign*, RECT>> shown;
        for (const auto& design : Design()) {
            const HWND control = Item(design.id);
            if (!control || !IsWindowVisible(control) || design.kind == Kind::StatusBar) continue;
            SCOPED_TRACE(::testing::Message() << "control " << design.id);
            const RECT r = ClientRectOf(control);
            shown.emplace_back(&design, r);
            EXPECT_LE(r.right, client.right);
            if (design.kind == Kind::NumberField || (design.kind == Kind::Check && design.caption.empty())) continue;
            const auto [now, english] = Texts(design);
            const HFONT font = reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0));
            const int designWidth = TwipsToPixels(design.rect.width, dpi);
            EXPECT_GE((r.right - r.left) - Widest(font, now), designWidth - Widest(designFont_, english) - 1)
                << std::string(now[0].begin(), now[0].end());
        }
        // Controls of one frame (or of the client area) do not overlap; each stays in its frame.
        for (const auto& [a, ra] : shown) {
            for (const auto& [b, rb] : shown) {
                if (a >= b || a->frame != b->frame || a->kind == Kind::Frame || b->kind == Kind::Frame) continue;
                RECT both;
                EXPECT_FALSE(IntersectRect(&both, &ra, &rb)) << a->id << " and " << b->id;
            }
            if (a->frame == Frame::None) continue;
            const RECT frame = ClientRectOf(Item(id::FrameOccurs + static_cast<int>(a->frame) - 1));
            EXPECT_LE(ra.right, frame.right) << a->id;
        }
        // The painted labels end before the controls they name begin, as in the design.
        for (auto [label, next] :
             {std::pair{id::Label1, id::TimeStart}, {id::Label3, id::DateStart}, {id::Label4, id::WeeklyDay + 2}}) {
            const ControlDesign* design = FindControl(label);
            const HWND after = Item(next);
            if (!after || !IsWindowVisible(after)) continue;
            const RECT frame = ClientRectOf(Item(id::FrameOccurs + static_cast<int>(design->frame) - 1));
            const int labelLeft = frame.left + TwipsToPixels(design->rect.left, dpi);
            const HFONT font = reinterpret_cast<HFONT>(SendMessageW(after, WM_GETFONT, 0, 0));
            const int designGap = TwipsToPixels(FindControl(next)->rect.left - design->rect.left, dpi);
            EXPECT_GE(ClientRectOf(after).left - labelLeft - Width(font, W(design->caption)),
                      designGap - Width(designFont_, W(design->caption)) - 1)
                << label;
        }
        DeleteObject(designFont_);
        designFont_ = nullptr;
    }

    HFONT designFont_ = nullptr;
};

TEST_P(DialogFit, EveryTextFitsItsControlInEveryLayout) {
    const FitCase c = GetParam();
    UseScheduleDialogFont(c.face);
    for (int kind = 0; kind < 5; ++kind) {
        SCOPED_TRACE(::testing::Message() << "kind " << kind);
        a->core->SetOccursOption(kind);
        Open();
        if (c.dpi != 96) {
            RECT w;
            GetWindowRect(Dlg(), &w);
            SendMessageW(Dlg(), WM_DPICHANGED, MAKEWPARAM(c.dpi, c.dpi), reinterpret_cast<LPARAM>(&w));
            Pump();
        }
        ExpectTextsFit(c.dpi);
        RECT client;
        GetClientRect(Dlg(), &client);
        // The design's font: the design's width; a wider one: as wide as its texts need.
        if (!*c.face)
            EXPECT_EQ(client.right, TwipsToPixels(kClientWidthTwips, c.dpi));
        else
            EXPECT_GT(client.right, TwipsToPixels(kClientWidthTwips, c.dpi));
        a->core->CloseScheduler();
        Pump();
    }
}

INSTANTIATE_TEST_SUITE_P(DpiAndFont, DialogFit,
                         ::testing::Values(FitCase{96, L""}, FitCase{144, L""}, FitCase{96, L"DejaVu Sans"},
                                           FitCase{144, L"DejaVu Sans"}));

}  // namespace
}  // namespace cadencer::dialog::testing
