// The message catalog: every text a user reads, in every language Cadencer speaks.
// Portable (no platform headers): the dialog, the about box, the property pages, the
// schedule in words and the command-line tool all read their texts here.
//
//   Text(language, Id::OccursDaily)                 -> u"Täglich"
//   Say(language, Id::NameDay, {u"5"})              -> u"Tag 5"     ({1} replaced)
//   SayCount(language, Id::WordsEveryMinutes, 22)   -> u"Co 22 minuty"  (Polish "few")
//   SayRank(language, Id::DayRank, 2)               -> u"2nd"       (English ordinal)
//   LanguageFromLangId(0x0407), LanguageFromTag("de-AT") -> Language::German
//
// Ids are listed in text_ids.h, languages in language_list.h. Each language's table lists
// every id in that order; a missing, extra or misplaced text fails the build. English holds
// the texts Cadencer has always shown, byte for byte; it is the default and the fallback.
//
// Patterns: {1} to {9} are replaced by the arguments, in whatever order the translation
// puts them; any other text, braces included, is kept. A Count or Rank text holds one
// pattern per plural category of its language, "one=Every hour|other=Every {1} hours":
// "category=pattern" items separated by "|", categories zero, one, two, few, many, other.
// An item keyed by an exact number wins over its category: Russian's "one" holds 1 and 21,
// and "1=Каждый час|one=Каждый {1} час|..." says "every hour" without the number.
// Cardinal categories (integers, as CLDR defines them): one/other where 1 alone is "one"
// (en, de, es, it, nl), one/other where 0 and 1 are "one" (fr, pt-BR), one/few/many/other
// (pl, ru; "other" is CLDR's form for fractions, listed for completeness), other alone
// (ja, zh, ko). Ordinal categories: English one/two/few/other ("1st", "2nd", "3rd", "4th"),
// French one/other ("1er", "2"), the others other alone. Counts of a million and more, for
// which CLDR gives fr/es/it/pt a "many" form, use "other".
//
// Resolving a language: exact language first, then its neutral language, then English.
// Any region of de, fr, es, it, nl, pl, ru, ja, ko, en takes that language. Portuguese of
// every region (pt-PT too) takes the Brazilian texts: the words of this dialog are the same
// in both and Portuguese readers read Brazilian text without effort (CLDR's own fallback of
// pt-PT is pt, which is Brazilian). Chinese takes the Simplified texts for zh, zh-Hans,
// zh-CN, zh-SG (and their LANGIDs); Traditional Chinese (zh-Hant, zh-TW, zh-HK, zh-MO) takes
// English: Simplified characters are not what those readers write, and CLDR does not fall
// back from one script to the other either.
#pragma once

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "text/language_list.h"
#include "text/text_ids.h"

namespace cadencer::text {

enum class Form : std::uint8_t { Plain, Count, Rank };

enum class Id : std::uint16_t {
#define CADENCER_TEXT_ID(name, form) name,
    CADENCER_TEXTS(CADENCER_TEXT_ID)
#undef CADENCER_TEXT_ID
};
inline constexpr std::size_t kTextCount = 0
#define CADENCER_TEXT_ONE(name, form) +1
    CADENCER_TEXTS(CADENCER_TEXT_ONE)
#undef CADENCER_TEXT_ONE
    ;
Form FormOf(Id id);
// The identifier's name ("OccursDaily"), for test messages.
std::string_view IdName(Id id);

enum class Language : std::uint8_t {
#define CADENCER_LANGUAGE_ENUM(name, tag, primary, table, cardinal, ordinal) name,
    CADENCER_LANGUAGES(CADENCER_LANGUAGE_ENUM)
#undef CADENCER_LANGUAGE_ENUM
};
inline constexpr std::size_t kLanguageCount = 0
#define CADENCER_LANGUAGE_ONE(name, tag, primary, table, cardinal, ordinal) +1
    CADENCER_LANGUAGES(CADENCER_LANGUAGE_ONE)
#undef CADENCER_LANGUAGE_ONE
    ;
// Every language, English first.
std::span<const Language> Languages();
// The translation's BCP-47 tag: u"en", u"de", u"pt-BR", u"zh-Hans".
std::u16string_view LanguageTag(Language language);

// A Windows LCID or LANGID (the sort bits above 0xFFFF are ignored). The placeholders
// LOCALE_USER_DEFAULT, LOCALE_SYSTEM_DEFAULT and LOCALE_NEUTRAL are English here: the
// Windows side resolves them to the user's language first.
Language LanguageFromLangId(std::uint32_t lcid);
// A BCP-47 tag ("de-DE", "pt-BR", "zh-Hans", "ja"), case and "_" for "-" accepted, so that
// POSIX locale names ("de_DE.UTF-8@euro") work too. Empty or unknown: English.
Language LanguageFromTag(std::string_view tag);
Language LanguageFromTag(std::u16string_view tag);

// The text as the table holds it (for Count and Rank: the whole "category=pattern" list).
std::u16string_view Text(Language language, Id id);
// {1}..{9} of the pattern replaced by args[0]..args[8]; a placeholder without an argument
// is kept as written.
std::u16string Format(std::u16string_view pattern, std::initializer_list<std::u16string_view> args);
std::u16string Format(std::u16string_view pattern, std::span<const std::u16string_view> args);
// Format(Text(language, id), args).
std::u16string Say(Language language, Id id, std::initializer_list<std::u16string_view> args = {});

enum class Plural : std::uint8_t { Zero, One, Two, Few, Many, Other };
std::u16string_view PluralName(Plural category);  // u"one"
Plural CardinalCategory(Language language, long long n);
Plural OrdinalCategory(Language language, long long n);
// The categories the language's Count (cardinal) and Rank (ordinal) texts must give.
std::span<const Plural> CardinalCategories(Language language);
std::span<const Plural> OrdinalCategories(Language language);
// The pattern of one category in a "category=pattern|..." text; empty when it has none.
std::optional<std::u16string_view> PatternFor(std::u16string_view categories, Plural category);
// A Count text's pattern for n, with {1} the number in digits and {2}.. the further
// arguments. A category the table lacks falls back to "other".
std::u16string SayCount(Language language, Id id, long long n, std::initializer_list<std::u16string_view> more = {});
// A Rank text's pattern for n ("21st"), {1} the number.
std::u16string SayRank(Language language, Id id, long long n);

}  // namespace cadencer::text
