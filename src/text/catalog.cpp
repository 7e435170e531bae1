// The catalog's look-ups and the pattern formatter.
#include <array>

#include "text/table.h"

namespace cadencer::text {
namespace {

struct LanguageRow {
    std::u16string_view tag;
    const TextTable* table;
};
constexpr LanguageRow kRows[] = {
#define CADENCER_LANGUAGE_ROW(name, tag, primary, table, cardinal, ordinal) {tag, &table},
    CADENCER_LANGUAGES(CADENCER_LANGUAGE_ROW)
#undef CADENCER_LANGUAGE_ROW
};

constexpr Form kForms[] = {
#define CADENCER_TEXT_FORM(name, form) Form::form,
    CADENCER_TEXTS(CADENCER_TEXT_FORM)
#undef CADENCER_TEXT_FORM
};

constexpr std::string_view kNames[] = {
#define CADENCER_TEXT_NAME(name, form) #name,
    CADENCER_TEXTS(CADENCER_TEXT_NAME)
#undef CADENCER_TEXT_NAME
};

constexpr auto kAllLanguages = [] {
    std::array<Language, kLanguageCount> all{};
    for (std::size_t i = 0; i < all.size(); ++i) all[i] = static_cast<Language>(i);
    return all;
}();

std::size_t Index(Language language) {
    const auto i = static_cast<std::size_t>(language);
    return i < kLanguageCount ? i : 0;
}

}  // namespace

Form FormOf(Id id) {
    return kForms[static_cast<std::size_t>(id)];
}

std::string_view IdName(Id id) {
    return kNames[static_cast<std::size_t>(id)];
}

std::span<const Language> Languages() {
    return kAllLanguages;
}

std::u16string_view LanguageTag(Language language) {
    return kRows[Index(language)].tag;
}

std::u16string_view Text(Language language, Id id) {
    const auto i = static_cast<std::size_t>(id);
    return i < kTextCount ? (*kRows[Index(language)].table)[i] : std::u16string_view();
}

std::u16string Format(std::u16string_view pattern, std::initializer_list<std::u16string_view> args) {
    return Format(pattern, std::span<const std::u16string_view>(args.begin(), args.size()));
}

std::u16string Format(std::u16string_view pattern, std::span<const std::u16string_view> args) {
    std::u16string out;
    out.reserve(pattern.size() + 16);
    for (std::size_t i = 0; i < pattern.size(); ++i) {
        if (pattern[i] == u'{' && i + 2 < pattern.size() && pattern[i + 2] == u'}' && pattern[i + 1] >= u'1' &&
            pattern[i + 1] <= u'9') {
            const auto n = static_cast<std::size_t>(pattern[i + 1] - u'1');
            if (n < args.size()) {
                out += args[n];
                i += 2;
                continue;
            }
        }
        out.push_back(pattern[i]);
    }
    return out;
}

std::u16string Say(Language language, Id id, std::initializer_list<std::u16string_view> args) {
    return Format(Text(language, id), args);
}

}  // namespace cadencer::text
