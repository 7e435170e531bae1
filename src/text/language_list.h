// The languages Cadencer speaks, one row each: the enumerator, the BCP-47 tag of the
// translation, the Windows primary language identifier (PRIMARYLANGID of a LANGID), the
// table (defined in the language's own file, lang_<tag>.cpp) and its plural rules.
// Adding a language is one new file and one row here (README: "How to add a language").
#pragma once

// clang-format off
#define CADENCER_LANGUAGES(X)                                                        \
    X(English,           u"en",      0x09, kEnglishTexts,    OneIsOne,   English)    \
    X(German,            u"de",      0x07, kGermanTexts,     OneIsOne,   None)       \
    X(French,            u"fr",      0x0C, kFrenchTexts,     ZeroAndOne, French)     \
    X(Spanish,           u"es",      0x0A, kSpanishTexts,    OneIsOne,   None)       \
    X(Italian,           u"it",      0x10, kItalianTexts,    OneIsOne,   None)       \
    X(PortugueseBrazil,  u"pt-BR",   0x16, kPortugueseTexts, ZeroAndOne, None)       \
    X(Dutch,             u"nl",      0x13, kDutchTexts,      OneIsOne,   None)       \
    X(Polish,            u"pl",      0x15, kPolishTexts,     Polish,     None)       \
    X(Russian,           u"ru",      0x19, kRussianTexts,    Russian,    None)       \
    X(Japanese,          u"ja",      0x11, kJapaneseTexts,   None,       None)       \
    X(ChineseSimplified, u"zh-Hans", 0x04, kChineseTexts,    None,       None)       \
    X(Korean,            u"ko",      0x12, kKoreanTexts,     None,       None)
// clang-format on
