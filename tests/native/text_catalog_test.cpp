// The message catalog: what the compiler cannot check of a translation (its placeholders,
// its plural forms, its access keys, left-over English), the plural rules, the choice of
// a language from a LANGID or a tag, and the pattern formatter.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include "text/catalog.h"
#include "utf8.h"

namespace cadencer::text {
namespace {

std::string U8(std::u16string_view text) {
    return ToUtf8(std::u16string(text));
}

std::string Where(Language language, Id id) {
    return U8(LanguageTag(language)) + " " + std::string(IdName(id));
}

std::vector<Id> AllIds() {
    std::vector<Id> ids;
    for (std::size_t i = 0; i < kTextCount; ++i) ids.push_back(static_cast<Id>(i));
    return ids;
}

std::set<char16_t> Placeholders(std::u16string_view text) {
    std::set<char16_t> found;
    for (std::size_t i = 0; i + 2 < text.size(); ++i)
        if (text[i] == u'{' && text[i + 2] == u'}' && text[i + 1] >= u'1' && text[i + 1] <= u'9')
            found.insert(text[i + 1]);
    return found;
}

// The "key=pattern" items of a Count or Rank text.
std::vector<std::pair<std::u16string, std::u16string>> Items(std::u16string_view text) {
    std::vector<std::pair<std::u16string, std::u16string>> items;
    while (!text.empty()) {
        const std::size_t end = std::min(text.find(u'|'), text.size());
        const std::u16string_view item = text.substr(0, end);
        const std::size_t eq = item.find(u'=');
        items.emplace_back(item.substr(0, eq), eq == item.npos ? u"" : item.substr(eq + 1));
        text.remove_prefix(end == text.size() ? end : end + 1);
    }
    return items;
}

TEST(Catalog, EveryTranslationKeepsEnglishPlaceholders) {
    for (const Language language : Languages()) {
        for (const Id id : AllIds()) {
            const auto english = Placeholders(Text(Language::English, id));
            const auto text = Text(language, id);
            EXPECT_FALSE(text.empty() && !Text(Language::English, id).empty()) << Where(language, id);
            if (FormOf(id) == Form::Plain) {
                EXPECT_EQ(Placeholders(text), english) << Where(language, id);
                continue;
            }
            // Each form may leave the number out ("Every hour") but says nothing English does not.
            for (const auto& [key, pattern] : Items(text))
                for (char16_t p : Placeholders(pattern)) EXPECT_TRUE(english.count(p)) << Where(language, id);
        }
    }
}

TEST(Catalog, CountsAndRanksGiveEachCategoryOfTheirLanguage) {
    for (const Language language : Languages()) {
        for (const Id id : AllIds()) {
            if (FormOf(id) == Form::Plain) continue;
            const auto wanted = FormOf(id) == Form::Count ? CardinalCategories(language) : OrdinalCategories(language);
            std::set<std::u16string> names;
            for (Plural p : wanted) names.insert(std::u16string(PluralName(p)));
            std::set<std::u16string> given;
            for (const auto& [key, pattern] : Items(Text(language, id))) {
                const bool number = !key.empty() && std::all_of(key.begin(), key.end(),
                                                                [](char16_t c) { return c >= u'0' && c <= u'9'; });
                // A category the language does not have would never be chosen.
                EXPECT_TRUE(number || names.count(key)) << Where(language, id) << ": " << U8(key);
                if (!number) given.insert(key);
            }
            EXPECT_EQ(given, names) << Where(language, id);
        }
    }
}

// Words a language shares with English: OK, Start, Modal, Version, Help (Dutch), Manual
// (Spanish, Portuguese), minute(s) (French).
bool SharedWithEnglish(std::u16string_view text) {
    static const std::set<std::u16string_view> kShared = {
        u"&OK", u"OK", u"Start:", u"&Modal", u"Version", u"Version {1}", u"&Help", u"0 - Manual", u"minute(s)"};
    return kShared.count(text) > 0;
}

TEST(Catalog, NoEnglishLeftWhereALanguageHasItsOwnWord) {
    for (const Language language : Languages()) {
        if (language == Language::English) continue;
        for (const Id id : AllIds()) {
            const auto text = Text(language, id);
            const bool hasLetters = std::any_of(text.begin(), text.end(), [](char16_t c) {
                return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || c > 0x7F;
            });
            if (!hasLetters || SharedWithEnglish(text)) continue;
            EXPECT_NE(text, Text(Language::English, id)) << Where(language, id);
        }
    }
}

char16_t AccessKey(std::u16string_view caption) {
    for (std::size_t i = 0; i + 1 < caption.size(); ++i)
        if (caption[i] == u'&' && caption[i + 1] != u'&') {
            const char16_t c = caption[i + 1];
            return c >= u'a' && c <= u'z' ? static_cast<char16_t>(c - u'a' + u'A') : c;
        }
    return 0;
}

TEST(Catalog, AccessKeysAreUniqueInEachWindow) {
    const std::vector<std::vector<Id>> windows = {
        {Id::OccursNever, Id::OccursDaily, Id::OccursWeekly, Id::OccursMonthly, Id::OccursEvery, Id::LabelTime,
         Id::LabelStart, Id::OptionEnd, Id::OptionNoEndDate, Id::ButtonOK, Id::ButtonClose, Id::ButtonCancel,
         Id::ButtonHelp},
        {Id::PageTitle, Id::PageOKBefore, Id::PageOKAfter, Id::PageCloseBefore, Id::PageCloseAfter, Id::PageHelpButton,
         Id::PageEnabled, Id::PageModal, Id::PageShowHelp, Id::PageStartUpPosition, Id::PageLeft, Id::PageTop},
        {Id::AboutOK, Id::AboutSysInfo}};
    for (const Language language : Languages())
        for (const auto& ids : windows) {
            std::set<char16_t> keys;
            for (const Id id : ids) {
                const char16_t key = AccessKey(Text(language, id));
                // Cancel and Close share a button; so do OK before and after changes.
                if (key && id != Id::ButtonCancel) {
                    EXPECT_TRUE(keys.insert(key).second) << Where(language, id);
                }
            }
        }
}

TEST(Catalog, PluralCategoriesFollowEachLanguagesRules) {
    struct Row {
        Language language;
        long long n;
        Plural cardinal;
    };
    const Row rows[] = {
        {Language::English, 0, Plural::Other},
        {Language::English, 1, Plural::One},
        {Language::English, 21, Plural::Other},
        {Language::German, 1, Plural::One},
        {Language::French, 0, Plural::One},
        {Language::French, 1, Plural::One},
        {Language::French, 2, Plural::Other},
        {Language::PortugueseBrazil, 0, Plural::One},
        {Language::PortugueseBrazil, 2, Plural::Other},
        {Language::Spanish, 0, Plural::Other},
        {Language::Polish, 1, Plural::One},
        {Language::Polish, 2, Plural::Few},
        {Language::Polish, 5, Plural::Many},
        {Language::Polish, 12, Plural::Many},
        {Language::Polish, 21, Plural::Many},
        {Language::Polish, 22, Plural::Few},
        {Language::Polish, 25, Plural::Many},
        {Language::Polish, 122, Plural::Few},
        {Language::Polish, 0, Plural::Many},
        {Language::Polish, -3, Plural::Few},
        {Language::Russian, 1, Plural::One},
        {Language::Russian, 11, Plural::Many},
        {Language::Russian, 21, Plural::One},
        {Language::Russian, 22, Plural::Few},
        {Language::Russian, 25, Plural::Many},
        {Language::Russian, 111, Plural::Many},
        {Language::Russian, 101, Plural::One},
        {Language::Japanese, 1, Plural::Other},
        {Language::ChineseSimplified, 1, Plural::Other},
        {Language::Korean, 2, Plural::Other},
    };
    for (const auto& r : rows)
        EXPECT_EQ(CardinalCategory(r.language, r.n), r.cardinal) << U8(LanguageTag(r.language)) << " " << r.n;

    const std::pair<long long, const char*> ranks[] = {{1, "1st"},   {2, "2nd"},   {3, "3rd"},    {4, "4th"},
                                                       {11, "11th"}, {12, "12th"}, {13, "13th"},  {21, "21st"},
                                                       {22, "22nd"}, {23, "23rd"}, {111, "111th"}};
    for (const auto& [n, text] : ranks) EXPECT_EQ(U8(SayRank(Language::English, Id::DayRank, n)), text);
    EXPECT_EQ(U8(SayRank(Language::French, Id::DayRank, 1)), "1er");
    EXPECT_EQ(U8(SayRank(Language::French, Id::DayRank, 21)), "21");
}

TEST(Catalog, LanguageFromLangIdOrTag) {
    const std::pair<std::uint32_t, Language> ids[] = {
        {0x0409, Language::English},
        {0x0809, Language::English},
        {0x0407, Language::German},
        {0x0C07, Language::German},
        {0x00050407, Language::German},  // German with phone-book sorting
        {0x040C, Language::French},
        {0x0C0C, Language::French},
        {0x0C0A, Language::Spanish},
        {0x0410, Language::Italian},
        {0x0416, Language::PortugueseBrazil},
        {0x0816, Language::PortugueseBrazil},
        {0x0413, Language::Dutch},
        {0x0813, Language::Dutch},
        {0x0415, Language::Polish},
        {0x0419, Language::Russian},
        {0x0411, Language::Japanese},
        {0x0412, Language::Korean},
        {0x0804, Language::ChineseSimplified},
        {0x1004, Language::ChineseSimplified},
        {0x0004, Language::ChineseSimplified},
        {0x0404, Language::English},
        {0x0C04, Language::English},
        {0x7C04, Language::English},
        {0x041F, Language::English},
        {0x0000, Language::English},
    };
    for (const auto& [id, language] : ids) EXPECT_EQ(LanguageFromLangId(id), language) << std::hex << id;

    const std::pair<const char*, Language> tags[] = {
        {"de-DE", Language::German},
        {"de", Language::German},
        {"DE-at", Language::German},
        {"de_DE.UTF-8@euro", Language::German},
        {"fr-CA", Language::French},
        {"es-419", Language::Spanish},
        {"pt-BR", Language::PortugueseBrazil},
        {"pt-PT", Language::PortugueseBrazil},
        {"pt", Language::PortugueseBrazil},
        {"nl-BE", Language::Dutch},
        {"zh-Hans", Language::ChineseSimplified},
        {"zh-CN", Language::ChineseSimplified},
        {"zh", Language::ChineseSimplified},
        {"zh-Hans-HK", Language::ChineseSimplified},
        {"zh-Hant", Language::English},
        {"zh-TW", Language::English},
        {"zh_HK.UTF-8", Language::English},
        {"ja", Language::Japanese},
        {"ko-KR", Language::Korean},
        {"ru-RU", Language::Russian},
        {"pl", Language::Polish},
        {"it-CH", Language::Italian},
        {"en-GB", Language::English},
        {"C", Language::English},
        {"", Language::English},
        {"tr-TR", Language::English},
        {"d", Language::English},
        {"deu", Language::English},
    };
    for (const auto& [tag, language] : tags) EXPECT_EQ(LanguageFromTag(std::string_view(tag)), language) << tag;
    EXPECT_EQ(LanguageFromTag(std::u16string_view(u"ja-JP")), Language::Japanese);
}

TEST(Catalog, FormatFillsNumberedPlaceholdersInAnyOrder) {
    EXPECT_EQ(U8(Format(u"{2} vor {1}", {u"a", u"b"})), "b vor a");
    EXPECT_EQ(U8(Format(u"{1}{1}", {u"x"})), "xx");
    // No argument, or no placeholder: kept as written.
    EXPECT_EQ(U8(Format(u"{3} {x} {} {0}", {u"a"})), "{3} {x} {} {0}");
    EXPECT_EQ(U8(Format(u"trailing {", {u"a"})), "trailing {");
    EXPECT_EQ(U8(Say(Language::German, Id::NameDay, {u"5"})), "Tag 5");
    // An exact number wins over its category; a missing category falls back to "other".
    EXPECT_EQ(U8(SayCount(Language::Russian, Id::WordsEveryHours, 1)), "Каждый час");
    EXPECT_EQ(U8(SayCount(Language::Russian, Id::WordsEveryHours, 21)), "Каждый 21 час");
    EXPECT_EQ(PatternFor(u"one=a|other=b", Plural::Few), std::nullopt);
    EXPECT_EQ(U8(PatternFor(u"one=a|other=b", Plural::Other).value()), "b");
}

}  // namespace
}  // namespace cadencer::text
