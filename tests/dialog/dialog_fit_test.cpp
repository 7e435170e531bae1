// Every text of the schedule dialog fits its control, in each of the five layouts, at 96
// and 144 DPI, with the design's font and with a wider one, and nothing overlaps. With the
// design's font every control keeps the design's place. The about box and both property
// pages are further rows of the same table.
#include <algorithm>

#include "about/about_form.h"
#include "dialog_harness.h"
#include "proppage/win/page_window.h"
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

// The about box and the property pages in each row's language and font: every text is
// drawn whole inside its control (one-line texts in their width beside the control's glyph,
// wrapping ones in their height), no two controls overlap, all stays inside the window, and
// no text is the English one where the language has its own.
class OtherWindowsFit : public ::testing::TestWithParam<FitCase> {
protected:
    static constexpr int kGlyph = 13;  // a check box's or option's glyph, at 96 DPI

    // widths: false where the window keeps the design's places (English pages: the design is
    // a pixel tight for a few texts, and their places are what the existing pages promise).
    void ExpectTextsFit(HWND window, text::Language language, int dpi, bool widths = true) {
        RECT client;
        GetClientRect(window, &client);
        std::vector<std::pair<HWND, RECT>> shown;
        for (HWND child = GetWindow(window, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
            // The windows are not shown: a control of theirs is shown with them when it has WS_VISIBLE.
            if (!(GetWindowLongW(child, GWL_STYLE) & WS_VISIBLE)) continue;
            RECT r;
            GetWindowRect(child, &r);
            MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&r), 2);
            EXPECT_LE(r.right, client.right);
            const int id = GetDlgCtrlID(child);
            wchar_t className[32] = L"";
            GetClassNameW(child, className, 32);
            const LONG style = GetWindowLongW(child, GWL_STYLE);
            const bool button = lstrcmpiW(className, L"Button") == 0;
            const bool group = button && (style & BS_TYPEMASK) == BS_GROUPBOX;
            if (!group) shown.emplace_back(child, r);
            const std::wstring text = WindowText(child);
            const bool dayBox = id > id::DateCheck && id <= id::DateCheck + 31;  // numbers clipped on purpose
            if (text.empty() || dayBox || (!button && lstrcmpiW(className, L"Static") != 0)) continue;
            ExpectNotEnglish(text, language);
            if (!widths) continue;
            const HFONT font = reinterpret_cast<HFONT>(SendMessageW(child, WM_GETFONT, 0, 0));
            const int width = r.right - r.left;
            if (!button && (style & SS_TYPEMASK) == SS_LEFT) {  // wraps: every line inside
                HDC dc = GetDC(child);
                const HGDIOBJ old = SelectObject(dc, font);
                RECT need{0, 0, width, 0};
                DrawTextW(dc, text.c_str(), -1, &need,
                          DT_CALCRECT | DT_WORDBREAK | ((style & SS_NOPREFIX) ? DT_NOPREFIX : 0));
                SelectObject(dc, old);
                ReleaseDC(child, dc);
                EXPECT_LE(need.bottom, r.bottom - r.top) << W16(text);
                EXPECT_LE(need.right, width) << W16(text);
                continue;
            }
            const int beside =
                group || (button && (style & BS_TYPEMASK) != BS_PUSHBUTTON && (style & BS_TYPEMASK) != BS_DEFPUSHBUTTON)
                    ? MulDiv(kGlyph, dpi, 96)
                    : 0;
            EXPECT_LE(Width(font, text) + beside, width) << W16(text);
        }
        for (const auto& [a, ra] : shown)
            for (const auto& [b, rb] : shown) {
                RECT both;
                if (a < b)
                    EXPECT_FALSE(IntersectRect(&both, &ra, &rb)) << GetDlgCtrlID(a) << " and " << GetDlgCtrlID(b);
            }
    }

    // A text that is a catalog text of the about box or the pages in English, where the
    // language says it otherwise.
    static void ExpectNotEnglish(const std::wstring& shown, text::Language language) {
        for (auto id = static_cast<int>(text::Id::AboutCaption); id <= static_cast<int>(text::Id::PageTopNotWhole);
             ++id) {
            const auto english = text::Text(text::Language::English, static_cast<text::Id>(id));
            if (shown == W(english) && text::Text(language, static_cast<text::Id>(id)) != english)
                ADD_FAILURE() << "English: " << W16(shown);
        }
    }

    static std::wstring WindowText(HWND window) {
        wchar_t text[512] = L"";
        GetWindowTextW(window, text, 512);
        return text;
    }
    static std::string W16(const std::wstring& text) {
        std::string narrow;
        for (wchar_t c : text) narrow.push_back(c < 128 ? static_cast<char>(c) : '?');
        return narrow;
    }
};

TEST_P(OtherWindowsFit, AboutBoxAndPagesShowEveryTextWhole) {
    const FitCase c = GetParam();
    const text::Language language = text::LanguageFromLangId(c.localeId);
    {
        SCOPED_TRACE("about box");
        about::AboutBoxOptions options;
        options.module = GetModuleHandleW(nullptr);
        options.fontFace = c.face;
        about::AboutForm form(options, language);
        ASSERT_TRUE(form.Create(nullptr));
        if (c.dpi != 96) {
            RECT w;
            GetWindowRect(form.Window(), &w);
            SendMessageW(form.Window(), WM_DPICHANGED, MAKEWPARAM(c.dpi, c.dpi), reinterpret_cast<LPARAM>(&w));
        }
        ExpectTextsFit(form.Window(), language, c.dpi);
        ExpectNotEnglish(WindowText(form.Window()).substr(1), language);
        // English in the design's font keeps the design's width.
        RECT client;
        GetClientRect(form.Window(), &client);
        if (language == text::Language::English && !*c.face) {
            EXPECT_EQ(client.right, TwipsToPixels(6045, c.dpi));
        }
        form.Close();
    }
    // The pages take the font of their frame at the screen's DPI: once per language.
    if (*c.face) return;
    HWND frame = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 900, 600, nullptr, nullptr, nullptr, nullptr);
    for (auto kind : {proppage::PageKind::Schedule, proppage::PageKind::Dialog}) {
        SCOPED_TRACE(kind == proppage::PageKind::Schedule ? "Schedule page" : "Dialog page");
        auto page = proppage::PageWindow::Make(kind);
        page->SetLanguage(language);
        ExpectNotEnglish(W(page->Title()), language);
        const SIZE size = page->SizeAt(96);
        ASSERT_TRUE(page->Create(frame, RECT{0, 0, size.cx, size.cy}, nullptr));
        ExpectTextsFit(page->Handle(), language, 96, language != text::Language::English);
        page->Destroy();
    }
    DestroyWindow(frame);
}

INSTANTIATE_TEST_SUITE_P(LanguageDpiAndFont, OtherWindowsFit, ::testing::ValuesIn(Cases()));

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
