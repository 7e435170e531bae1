// How much room the dialog's texts need in its font at its DPI: each caption's width with
// what its kind of control draws beside it (the check glyph of an option or a box, a
// button's edges, a frame's indent, a list's arrow, a picker's button), the widest entry
// of the unit list, the pickers' widest date and time, and the status bar's texts. The
// layout is then fitted to them (schedule_fit.h): the design's positions wherever they
// hold the texts.
#include <windows.h>
// after windows.h, which it needs
#include <commctrl.h>

#include <algorithm>
#include <array>
#include <vector>

#include "dialog/win/schedule_form.h"
#include "win/controls.h"
#include "win/dpi.h"

namespace cadencer::dialog {
namespace {

// A caption as the control draws it: a mnemonic's ampersand is not shown.
std::wstring Drawn(std::u16string_view caption) {
    std::wstring text;
    for (std::size_t i = 0; i < caption.size(); ++i) {
        if (caption[i] == u'&' && i + 1 < caption.size()) ++i;
        text.push_back(static_cast<wchar_t>(caption[i]));
    }
    return text;
}

// The latest date and time of a year in every field: the widest a picker shows.
SYSTEMTIME WidestMoment() {
    SYSTEMTIME st{};
    st.wYear = 2028;
    st.wMonth = 12;
    st.wDay = 28;
    st.wDayOfWeek = 4;
    st.wHour = 22;
    st.wMinute = 58;
    return st;
}

}  // namespace

int ScheduleForm::TextTwips(HDC dc, std::wstring_view text) const {
    SIZE size{};
    if (!text.empty()) GetTextExtentPoint32W(dc, text.data(), static_cast<int>(text.size()), &size);
    // One pixel more: each edge of a control is rounded to whole pixels on its own.
    return (static_cast<long long>(size.cx + 1) * 1440 + dpi_ - 1) / dpi_;
}

// The room a control of this kind needs for the widest of its texts in the DC's font: the
// text and what the control draws beside it.
int ScheduleForm::RoomTwips(HDC dc, Kind kind, const std::vector<std::wstring>& texts) const {
    int widest = 0;
    for (const auto& text : texts) widest = std::max(widest, TextTwips(dc, text));
    if (texts.empty() || widest == 0) return 0;
    switch (kind) {
        case Kind::Option:
        case Kind::Check: {
            // The glyph (12 pixels and one at 96 DPI), then half a digit's width of space.
            INT digit = 0;
            GetCharWidth32W(dc, L'0', L'0', &digit);
            const int glyph = 12 * dpi_ / 96 + 1 + digit / 2;
            return widest + (glyph * 1440 + dpi_ - 1) / dpi_;
        }
        case Kind::Button:
            return widest + 10 * 15;
        case Kind::Frame:
            return widest + 20 * 15;
        case Kind::ComboList:
        case Kind::TimePicker:
        case Kind::DatePicker:
            return widest + 25 * 15;  // the arrow or spin button, the edges
        default:
            return widest;
    }
}

// A control's texts in the dialog's language and formats, or as the design shows them.
std::vector<std::wstring> ScheduleForm::TextsOf(const ControlDesign& design, bool asDesigned) const {
    switch (design.kind) {
        case Kind::ComboList: {
            std::vector<std::wstring> units;
            for (int i = 0; i < 2; ++i)
                units.push_back(Drawn(asDesigned ? text::Text(text::Language::English, kEveryUnits[i]) : UnitText(i)));
            return units;
        }
        case Kind::TimePicker:
        case Kind::DatePicker:
            return {PickerSample(design.kind, asDesigned)};
        case Kind::NumberField:
        case Kind::StatusBar:
            return {};
        case Kind::Button:
            // OK and Close change their captions with the first change.
            if (design.id == id::ButtonCancel)
                return asDesigned ? std::vector<std::wstring>{L"Close", L"Cancel"}
                                  : std::vector<std::wstring>{Drawn(closeBefore_), Drawn(closeAfter_)};
            if (design.id == id::ButtonOK && !asDesigned) return {Drawn(okBefore_), Drawn(okAfter_)};
            [[fallthrough]];
        default:
            return {Drawn(asDesigned ? design.caption : std::u16string_view(CaptionOf(design)))};
    }
}

// The design holds its English texts in the font it was made for (Tahoma, 8 points): a text
// needs as much more room than the design gives as it is wider than that English text. Where
// that font is missing nothing is taken for granted: every text is measured as it stands.
int ScheduleForm::NeededTwips(HDC dc, HDC reference, const ControlDesign& design) const {
    const std::vector<std::wstring> texts = TextsOf(design, false);
    if (design.kind == Kind::Label && (design.cyanLabel || design.id == id::DateLabel)) {
        // The calendar's heading wraps within its two lines; it widens only when two lines
        // do not hold it.
        const RECT designed = ClientRectOfTwips(design.rect);
        RECT r{0, 0, designed.right - designed.left, 0};
        DrawTextW(dc, texts[0].c_str(), static_cast<int>(texts[0].size()), &r,
                  DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX);
        if (r.bottom <= designed.bottom - designed.top && r.right <= designed.right - designed.left) return 0;
        return RoomTwips(dc, design.kind, texts);
    }
    const int room = RoomTwips(dc, design.kind, texts);
    if (!reference || room == 0) return room;
    return design.rect.width + room - RoomTwips(reference, design.kind, TextsOf(design, true));
}

std::wstring ScheduleForm::PickerSample(Kind kind, bool asDesigned) const {
    const SYSTEMTIME st = WidestMoment();
    const std::wstring format =
        asDesigned ? (kind == Kind::TimePicker ? L"hh:mm tt" : L"MM/dd/yyy") : PickerFormat(kind);
    const wchar_t* locale = asDesigned ? L"en-US" : locale_.formats.c_str();
    wchar_t text[80] = L"";
    if (kind == Kind::TimePicker)
        GetTimeFormatEx(locale, 0, &st, format.c_str(), text, 80);
    else
        GetDateFormatEx(locale, 0, &st, format.c_str(), text, 80, nullptr);
    return text;
}

// The status bar's panels: the longest hint, and the date and time as the clock panels
// write them, against the same in the design.
void ScheduleForm::MeasurePanels(HDC dc, HDC reference) {
    const SYSTEMTIME st = WidestMoment();
    auto panels = [&st, this](HDC on, bool asDesigned) {
        int hint = 0;
        for (int i = 0; i < kHintCount; ++i)
            hint = std::max(hint, TextTwips(on, Drawn(asDesigned ? text::Text(text::Language::English, kHints[i])
                                                                 : std::u16string_view(HintText(i)))));
        const wchar_t* locale = asDesigned ? L"en-US" : locale_.formats.c_str();
        wchar_t date[80] = L"", time[80] = L"";
        GetDateFormatEx(locale, DATE_SHORTDATE, &st, nullptr, date, 80, nullptr);
        GetTimeFormatEx(locale, TIME_NOSECONDS, &st, nullptr, time, 80);
        return std::array<int, 3>{hint, TextTwips(on, date), TextTwips(on, time)};
    };
    const auto now = panels(dc, false);
    constexpr int kPanelMargin = 12 * 15;
    const auto designed = reference ? panels(reference, true) : std::array<int, 3>{};
    for (std::size_t i = 0; i < 3; ++i)
        panelNeeds_[i] = reference ? kPanelWidthsTwips[i] + now[i] - designed[i] : now[i] + kPanelMargin;
}

void ScheduleForm::FitLayout() {
    HDC dc = GetDC(hwnd_);
    HDC referenceDc = CreateCompatibleDC(dc);
    HFONT designFont =
        CreateFontW(win::FontHeightForPoints(800, dpi_), 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                    OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_SWISS, L"Tahoma");
    const HGDIOBJ oldReference = SelectObject(referenceDc, designFont);
    wchar_t face[LF_FACESIZE] = L"";
    GetTextFaceW(referenceDc, LF_FACESIZE, face);
    const HDC reference = lstrcmpiW(face, L"Tahoma") == 0 ? referenceDc : nullptr;
    const HGDIOBJ old = SelectObject(dc, font_);
    MeasurePanels(dc, reference);
    layout_ = FittedLayout([this, dc, reference](const ControlDesign& design) {
        if (design.kind != Kind::StatusBar) return NeededTwips(dc, reference, design);
        return std::max(kPanelWidthsTwips[0], panelNeeds_[0]) + std::max(kPanelWidthsTwips[1], panelNeeds_[1]) +
               std::max(kPanelWidthsTwips[2], panelNeeds_[2]);
    });
    SelectObject(dc, old);
    ReleaseDC(hwnd_, dc);
    SelectObject(referenceDc, oldReference);
    DeleteObject(designFont);
    DeleteDC(referenceDc);
}

}  // namespace cadencer::dialog
