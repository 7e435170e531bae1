// Every text of the schedule dialog fits its control, in each of the five layouts, at 96
// and 144 DPI, with the design's font and with a wider one, and nothing overlaps. With the
// design's font every control keeps the design's place.
#include <algorithm>

#include "dialog_harness.h"
#include "text/catalog.h"

namespace cadencer::dialog::testing {
namespace {

struct FitCase {
    int dpi;
    const wchar_t* face;  // empty: the platform's dialog font, for which the design was made
    std::uint32_t localeId;
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

class DialogLanguages : public DialogTest {};

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
        if (design.id == id::ButtonCancel) {  // it reads Close, then Cancel
            return {{W(text::Text(language_, text::Id::ButtonClose)), W(text::Text(language_, text::Id::ButtonCancel))},
                    {L"Close", L"Cancel"}};
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
    void ExpectTextsFit(int dpi, text::Language language) {
        language_ = language;
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
            EXPECT_GE(ClientRectOf(after).left - labelLeft - Width(font, W(text::Text(language, *design->text))),
                      designGap - Width(designFont_, W(design->caption)) - 1)
                << label;
        }
        DeleteObject(designFont_);
        designFont_ = nullptr;
    }

    HFONT designFont_ = nullptr;
    text::Language language_ = text::Language::English;
};

// Every language, each kind's layout in turn: the texts fit, and a caption whose language
// has its own word does not show the English one.
TEST_P(DialogFit, EveryTextFitsItsControlInEveryLayout) {
    const FitCase c = GetParam();
    UseScheduleDialogFont(c.face);
    a->site.localeId = c.localeId;
    const text::Language language = text::LanguageFromLangId(c.localeId);
    a->core->SetOccursOption(0);
    Open();
    if (c.dpi != 96) {
        RECT w;
        GetWindowRect(Dlg(), &w);
        SendMessageW(Dlg(), WM_DPICHANGED, MAKEWPARAM(c.dpi, c.dpi), reinterpret_cast<LPARAM>(&w));
        Pump();
    }
    for (int kind : {1, 2, 3, 4, 0}) {
        SCOPED_TRACE(::testing::Message() << "kind " << kind);
        Click(id::OccursOption + kind);
        ExpectTextsFit(c.dpi, language);
        for (const auto& design : Design()) {
            if (!design.text || !Item(design.id) || design.kind == Kind::Button) continue;
            const auto english = text::Text(text::Language::English, *design.text);
            if (text::Text(language, *design.text) != english) EXPECT_NE(Text(design.id), W(english)) << design.id;
        }
    }
    RECT client;
    GetClientRect(Dlg(), &client);
    // English in the design's font keeps the design's width; a wider font widens the window.
    if (language == text::Language::English && !*c.face)
        EXPECT_EQ(client.right, TwipsToPixels(kClientWidthTwips, c.dpi));
    else if (*c.face)
        EXPECT_GT(client.right, TwipsToPixels(kClientWidthTwips, c.dpi));
}

constexpr std::uint32_t kLocales[] = {0x409, 0x407, 0x40C, 0xC0A, 0x410, 0x416,
                                      0x413, 0x415, 0x419, 0x411, 0x804, 0x412};

std::vector<FitCase> Cases() {
    std::vector<FitCase> cases = {{144, L"", 0x409}, {96, L"DejaVu Sans", 0x409}};
    for (std::uint32_t locale : kLocales) {
        cases.push_back({96, L"", locale});
        cases.push_back({144, L"DejaVu Sans", locale});
    }
    return cases;
}

INSTANTIATE_TEST_SUITE_P(LanguageDpiAndFont, DialogFit, ::testing::ValuesIn(Cases()));

// The container's LocaleID chooses the language and the formats: German writes its dates
// day first with dots and its times on 24 hours, Japanese year first.
TEST_F(DialogLanguages, TheContainersLocaleIdChoosesLanguageAndFormats) {
    struct Row {
        std::uint32_t localeId;
        text::Language language;
        const wchar_t* locale;
        const wchar_t* dateStart;  // how 2026-03-10 begins: the day first, or the year
    };
    for (const Row& row : {Row{0x407, text::Language::German, L"de-DE", L"10."},
                           Row{0x411, text::Language::Japanese, L"ja-JP", L"2026/"}}) {
        SCOPED_TRACE(row.localeId);
        a->site.localeId = row.localeId;
        a->core->SetOccursOption(1);
        a->core->SetStartDate(At(2026, 3, 10));
        a->core->SetStartHour(21);
        a->core->SetStartMinute(5);
        Open();
        EXPECT_EQ(Text(id::OccursOption + 1), W(text::Text(row.language, text::Id::OccursDaily)));
        EXPECT_EQ(Text(id::FrameDaily), W(text::Text(row.language, text::Id::FrameExecution)));
        // The locale's own short date (its order and separators), and the time on 24 hours.
        const SYSTEMTIME st{2026, 3, 2, 10, 21, 5, 0, 0};
        wchar_t date[80] = L"";
        GetDateFormatEx(row.locale, DATE_SHORTDATE, &st, nullptr, date, 80, nullptr);
        EXPECT_EQ(Text(id::DateStart), date);
        EXPECT_EQ(Text(id::DateStart).rfind(row.dateStart, 0), 0u);
        EXPECT_EQ(Text(id::TimeStart), L"21:05");
        a->core->CloseScheduler();
        Pump();
    }
}

}  // namespace
}  // namespace cadencer::dialog::testing
