// Which of Cadencer's languages a Windows LANGID or a BCP-47 tag asks for: the exact
// language, else its neutral language, else English (see catalog.h for the choices).
#include <cctype>

#include "text/catalog.h"

namespace cadencer::text {
namespace {

struct Row {
    Language language;
    std::u16string_view tag;
    std::uint32_t primary;
};
constexpr Row kRows[] = {
#define CADENCER_LANGUAGE_ROW(name, tag, primary, table, cardinal, ordinal) {Language::name, tag, primary},
    CADENCER_LANGUAGES(CADENCER_LANGUAGE_ROW)
#undef CADENCER_LANGUAGE_ROW
};

constexpr std::uint32_t kPrimaryChinese = 0x04;

// The Traditional Chinese LANGIDs: zh-TW, zh-HK, zh-MO and the zh-Hant neutral.
bool IsTraditionalChinese(std::uint32_t langId) {
    return langId == 0x0404 || langId == 0x0C04 || langId == 0x1404 || langId == 0x7C04;
}

std::string Lower(std::string_view text) {
    std::string out;
    for (char c : text) out.push_back(c == '_' ? '-' : static_cast<char>(std::tolower(static_cast<unsigned char>(c))));
    return out;
}

std::string Narrow(std::u16string_view text) {
    std::string out;
    for (char16_t c : text) out.push_back(c < 0x80 ? static_cast<char>(c) : '?');
    return out;
}

// Zh with a script or region: Simplified unless it is written in Traditional characters.
Language Chinese(std::string_view rest) {
    if (rest.find("-hant") != std::string_view::npos) return Language::English;
    if (rest.find("-hans") != std::string_view::npos) return Language::ChineseSimplified;
    for (std::string_view region : {"-tw", "-hk", "-mo"}) {
        const auto at = rest.find(region);
        if (at != std::string_view::npos && (at + region.size() == rest.size() || rest[at + region.size()] == '-'))
            return Language::English;
    }
    return Language::ChineseSimplified;
}

}  // namespace

Language LanguageFromLangId(std::uint32_t lcid) {
    const std::uint32_t langId = lcid & 0xFFFF;
    const std::uint32_t primary = langId & 0x3FF;
    if (primary == kPrimaryChinese && IsTraditionalChinese(langId)) return Language::English;
    for (const Row& row : kRows)
        if (row.primary == primary) return row.language;
    return Language::English;
}

Language LanguageFromTag(std::string_view tag) {
    // A POSIX locale name's codeset and modifier ("de_DE.UTF-8@euro") are not part of it.
    std::string lower = Lower(tag.substr(0, std::min(tag.find_first_of(".@"), tag.size())));
    const std::string_view text = lower;
    const std::string_view primary = text.substr(0, std::min(text.find('-'), text.size()));
    if (primary.empty()) return Language::English;
    if (primary == "zh") return Chinese(text.substr(primary.size()));
    for (const Row& row : kRows) {
        const std::string rowTag = Lower(Narrow(row.tag));
        if (std::string_view(rowTag).substr(0, rowTag.find('-')) == primary) return row.language;
    }
    return Language::English;
}

Language LanguageFromTag(std::u16string_view tag) {
    return LanguageFromTag(Narrow(tag));
}

}  // namespace cadencer::text
