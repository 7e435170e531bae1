// Plural categories (CLDR's cardinal and ordinal rules for integers) and the choice of a
// pattern in a "category=pattern|..." text.
#include <algorithm>
#include <array>
#include <vector>

#include "text/catalog.h"

namespace cadencer::text {
namespace {

enum class CardinalRules { OneIsOne, ZeroAndOne, Polish, Russian, None };
enum class OrdinalRules { English, French, None };

constexpr CardinalRules kCardinal[] = {
#define CADENCER_CARDINAL(name, tag, primary, table, cardinal, ordinal) CardinalRules::cardinal,
    CADENCER_LANGUAGES(CADENCER_CARDINAL)
#undef CADENCER_CARDINAL
};
constexpr OrdinalRules kOrdinal[] = {
#define CADENCER_ORDINAL(name, tag, primary, table, cardinal, ordinal) OrdinalRules::ordinal,
    CADENCER_LANGUAGES(CADENCER_ORDINAL)
#undef CADENCER_ORDINAL
};

constexpr std::array<std::u16string_view, 6> kCategoryNames = {u"zero", u"one", u"two", u"few", u"many", u"other"};

constexpr Plural kOneOther[] = {Plural::One, Plural::Other};
constexpr Plural kOneFewManyOther[] = {Plural::One, Plural::Few, Plural::Many, Plural::Other};
constexpr Plural kOtherOnly[] = {Plural::Other};
constexpr Plural kOneTwoFewOther[] = {Plural::One, Plural::Two, Plural::Few, Plural::Other};

std::size_t Index(Language language) {
    const auto i = static_cast<std::size_t>(language);
    return i < kLanguageCount ? i : 0;
}

unsigned long long Magnitude(long long n) {
    return n < 0 ? 0ULL - static_cast<unsigned long long>(n) : static_cast<unsigned long long>(n);
}

}  // namespace

std::u16string_view PluralName(Plural category) {
    return kCategoryNames[static_cast<std::size_t>(category)];
}

Plural CardinalCategory(Language language, long long n) {
    const unsigned long long i = Magnitude(n);
    const unsigned long long mod10 = i % 10, mod100 = i % 100;
    const bool teen = mod100 >= 12 && mod100 <= 14;
    switch (kCardinal[Index(language)]) {
        case CardinalRules::OneIsOne:
            return i == 1 ? Plural::One : Plural::Other;
        case CardinalRules::ZeroAndOne:
            return i <= 1 ? Plural::One : Plural::Other;
        case CardinalRules::Polish:
            if (i == 1) return Plural::One;
            return mod10 >= 2 && mod10 <= 4 && !teen ? Plural::Few : Plural::Many;
        case CardinalRules::Russian:
            if (mod10 == 1 && mod100 != 11) return Plural::One;
            return mod10 >= 2 && mod10 <= 4 && !teen ? Plural::Few : Plural::Many;
        case CardinalRules::None:
            break;
    }
    return Plural::Other;
}

Plural OrdinalCategory(Language language, long long n) {
    const unsigned long long i = Magnitude(n);
    const unsigned long long mod10 = i % 10, mod100 = i % 100;
    switch (kOrdinal[Index(language)]) {
        case OrdinalRules::English:
            if (mod10 == 1 && mod100 != 11) return Plural::One;
            if (mod10 == 2 && mod100 != 12) return Plural::Two;
            if (mod10 == 3 && mod100 != 13) return Plural::Few;
            return Plural::Other;
        case OrdinalRules::French:
            return i == 1 ? Plural::One : Plural::Other;
        case OrdinalRules::None:
            break;
    }
    return Plural::Other;
}

std::span<const Plural> CardinalCategories(Language language) {
    switch (kCardinal[Index(language)]) {
        case CardinalRules::OneIsOne:
        case CardinalRules::ZeroAndOne:
            return kOneOther;
        case CardinalRules::Polish:
        case CardinalRules::Russian:
            return kOneFewManyOther;
        case CardinalRules::None:
            break;
    }
    return kOtherOnly;
}

std::span<const Plural> OrdinalCategories(Language language) {
    switch (kOrdinal[Index(language)]) {
        case OrdinalRules::English:
            return kOneTwoFewOther;
        case OrdinalRules::French:
            return kOneOther;
        case OrdinalRules::None:
            break;
    }
    return kOtherOnly;
}

namespace {

std::optional<std::u16string_view> FindItem(std::u16string_view categories, std::u16string_view name) {
    while (!categories.empty()) {
        const std::size_t end = std::min(categories.find(u'|'), categories.size());
        const std::u16string_view item = categories.substr(0, end);
        if (item.size() > name.size() && item.substr(0, name.size()) == name && item[name.size()] == u'=')
            return item.substr(name.size() + 1);
        categories.remove_prefix(end == categories.size() ? end : end + 1);
    }
    return std::nullopt;
}

}  // namespace

std::optional<std::u16string_view> PatternFor(std::u16string_view categories, Plural category) {
    return FindItem(categories, PluralName(category));
}

namespace {

std::u16string Digits(long long n) {
    const std::string s = std::to_string(n);
    return std::u16string(s.begin(), s.end());
}

std::u16string SayPlural(std::u16string_view categories, Plural category, long long n,
                         std::initializer_list<std::u16string_view> more) {
    const std::u16string number = Digits(n);
    auto pattern = FindItem(categories, number);
    if (!pattern) pattern = PatternFor(categories, category);
    if (!pattern) pattern = PatternFor(categories, Plural::Other);
    std::vector<std::u16string_view> args{number};
    args.insert(args.end(), more.begin(), more.end());
    return Format(pattern.value_or(u""), args);
}

}  // namespace

std::u16string SayCount(Language language, Id id, long long n, std::initializer_list<std::u16string_view> more) {
    return SayPlural(Text(language, id), CardinalCategory(language, n), n, more);
}

std::u16string SayRank(Language language, Id id, long long n) {
    return SayPlural(Text(language, id), OrdinalCategory(language, n), n, {});
}

}  // namespace cadencer::text
