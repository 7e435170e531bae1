// The invariant names and formats: those of the C locale, with ISO dates and 24-hour time.
#include <array>
#include <cstdio>
#include <utility>

#include "text/locale_names.h"

namespace cadencer::text {
namespace {

std::u16string Ascii(const char* text) {
    std::u16string out;
    for (; *text; ++text) out.push_back(static_cast<char16_t>(*text));
    return out;
}

class Invariant final : public LocaleNames {
public:
    std::u16string WeekdayName(int dayOfWeek) const override {
        static constexpr std::array<const char16_t*, 7> kNames = {u"Sunday",   u"Monday", u"Tuesday", u"Wednesday",
                                                                  u"Thursday", u"Friday", u"Saturday"};
        return dayOfWeek >= 0 && dayOfWeek < 7 ? kNames[static_cast<std::size_t>(dayOfWeek)] : u"";
    }
    std::u16string ShortDate(int year, int month, int day) const override {
        char text[40];
        std::snprintf(text, sizeof text, "%04d-%02d-%02d", year, month, day);
        return Ascii(text);
    }
    std::u16string ShortTime(int hour, int minute) const override {
        char text[24];
        std::snprintf(text, sizeof text, "%02d:%02d", hour, minute);
        return Ascii(text);
    }
};

class Combined final : public LocaleNames {
public:
    Combined(std::unique_ptr<LocaleNames> words, std::unique_ptr<LocaleNames> formats)
        : words_(std::move(words)), formats_(std::move(formats)) {}
    std::u16string WeekdayName(int dayOfWeek) const override { return words_->WeekdayName(dayOfWeek); }
    std::u16string ShortDate(int y, int m, int d) const override { return formats_->ShortDate(y, m, d); }
    std::u16string ShortTime(int h, int m) const override { return formats_->ShortTime(h, m); }

private:
    std::unique_ptr<LocaleNames> words_, formats_;
};

}  // namespace

std::unique_ptr<LocaleNames> CombineNames(std::unique_ptr<LocaleNames> words, std::unique_ptr<LocaleNames> formats) {
    return std::make_unique<Combined>(std::move(words), std::move(formats));
}

const LocaleNames& InvariantNames() {
    static const Invariant names;
    return names;
}

std::unique_ptr<LocaleNames> MakeInvariantNames() {
    return std::make_unique<Invariant>();
}

}  // namespace cadencer::text
