// Weekday names and short dates and times from the C library's locales.
#include "posix_locale_names.h"

#include <langinfo.h>
#include <locale.h>

#include <cctype>
#include <ctime>
#include <map>

#include "utf8.h"

namespace cadencer::next_tool {
namespace {

// The country a language's locale is named after when a tag gives none.
const std::map<std::string, std::string> kHomeRegion = {{"en", "US"}, {"de", "DE"}, {"fr", "FR"}, {"es", "ES"},
                                                        {"it", "IT"}, {"pt", "BR"}, {"nl", "NL"}, {"pl", "PL"},
                                                        {"ru", "RU"}, {"ja", "JP"}, {"zh", "CN"}, {"ko", "KR"}};

class PosixNames final : public text::LocaleNames {
public:
    explicit PosixNames(locale_t locale) : locale_(locale) {}
    ~PosixNames() override { freelocale(locale_); }
    PosixNames(const PosixNames&) = delete;
    PosixNames& operator=(const PosixNames&) = delete;

    std::u16string WeekdayName(int dayOfWeek) const override {
        if (dayOfWeek < 0 || dayOfWeek > 6) return {};
        return FromUtf8(nl_langinfo_l(static_cast<nl_item>(DAY_1 + dayOfWeek), locale_));
    }
    std::u16string ShortDate(int year, int month, int day) const override {
        std::tm t{};
        t.tm_year = year - 1900;
        t.tm_mon = month - 1;
        t.tm_mday = day;
        return Formatted(nl_langinfo_l(D_FMT, locale_), t);
    }
    std::u16string ShortTime(int hour, int minute) const override {
        std::tm t{};
        t.tm_year = 100;
        t.tm_mday = 1;
        t.tm_hour = hour;
        t.tm_min = minute;
        return Formatted(WithoutSeconds(nl_langinfo_l(T_FMT, locale_)), t);
    }

private:
    std::u16string Formatted(const std::string& format, const std::tm& t) const {
        char text[128];
        const std::size_t n = strftime_l(text, sizeof text, format.c_str(), &t, locale_);
        return FromUtf8(std::string(text, n));
    }
    locale_t locale_;
};

}  // namespace

std::string PosixLocaleName(const std::string& tag) {
    std::string language, region, script;
    std::size_t start = 0;
    for (int part = 0; start <= tag.size(); ++part) {
        const std::size_t end = std::min(tag.find_first_of("-_", start), tag.size());
        std::string piece = tag.substr(start, end - start);
        for (char& c : piece) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        if (part == 0)
            language = piece;
        else if (piece.size() == 4)
            script = piece;
        else if (piece.size() == 2 && region.empty())
            region = piece;
        start = end + 1;
    }
    for (char& c : region) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    if (language == "zh" && region.empty()) region = script == "hant" ? "TW" : "CN";
    if (region.empty()) {
        const auto home = kHomeRegion.find(language);
        if (home == kHomeRegion.end()) return {};
        region = home->second;
    }
    return language + "_" + region + ".UTF-8";
}

std::string WithoutSeconds(std::string format) {
    for (std::size_t at; (at = format.find("%T")) != std::string::npos;) format.replace(at, 2, "%H:%M");
    const std::size_t at = format.find("%S");
    if (at == std::string::npos) return format;
    std::size_t begin = at, end = at + 2;
    if (begin > 0 && (format[begin - 1] == ':' || format[begin - 1] == '.')) {
        --begin;  // "%M:%S": the separator goes with the seconds
    } else {
        // "%M分%S秒": the unit after the seconds goes with them, and the blank before.
        while (end < format.size() && format[end] != ' ' && format[end] != '%') ++end;
        while (begin > 0 && format[begin - 1] == ' ') --begin;
    }
    return format.erase(begin, end - begin);
}

std::unique_ptr<text::LocaleNames> PosixLocaleNames(const std::string& tag) {
    const std::string name = PosixLocaleName(tag);
    if (name.empty() || name == "en_US.UTF-8") return text::MakeInvariantNames();
    locale_t locale = newlocale(LC_ALL_MASK, name.c_str(), static_cast<locale_t>(0));
    if (!locale) return text::MakeInvariantNames();
    return std::make_unique<PosixNames>(locale);
}

}  // namespace cadencer::next_tool
