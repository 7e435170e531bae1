// The schedule in words: each kind with and without an end date, lists of several days,
// ordinals, and the readings the next-run computation makes (hour 24, masks with blanks,
// schedules that can never fall due).
#include <gtest/gtest.h>

#include "control/property_access.h"
#include "engine/schedule_words.h"
#include "engine/variant.h"
#include "utf8.h"

namespace cadencer {
namespace {

OleDate D(int y, int mo, int d) {
    return Compose({y, mo, d, 0, 0, 0}).value();
}

ScheduleSettings Schedule(int kind, int hour = 11, int minute = 34) {
    ScheduleSettings s;
    control::ApplyNewControlDefaults(s, D(2026, 12, 7), D(2026, 12, 7));
    s.OccursOption = kind;
    s.StartHour = static_cast<std::int16_t>(hour);
    s.StartMinute = static_cast<std::int16_t>(minute);
    return s;
}

std::string Words(const ScheduleSettings& s) {
    return ToUtf8(DescribeSchedule(s));
}

TEST(ScheduleWords, EachKindWithoutAndWithAnEndDate) {
    auto s = Schedule(1);
    EXPECT_EQ(Words(s), "Daily at 11:34, from 2026-12-07, no end date");
    s.UseEndDate = true;
    EXPECT_EQ(Words(s), "Daily at 11:34, from 2026-12-07 until 2027-01-07");

    s = Schedule(2);
    s.SelectionsWeekly = u"0100000";
    EXPECT_EQ(Words(s), "Weekly on Monday at 11:34, from 2026-12-07, no end date");
    s.UseEndDate = true;
    s.EndDate = D(2027, 3, 31);
    EXPECT_EQ(Words(s), "Weekly on Monday at 11:34, from 2026-12-07 until 2027-03-31");

    s = Schedule(3, 9, 5);
    s.SelectionsMonthly = NormaliseSelection(u"1", kMonthlyWidth);
    EXPECT_EQ(Words(s), "Monthly on the 1st at 09:05, from 2026-12-07, no end date");
    s.UseEndDate = true;
    EXPECT_EQ(Words(s), "Monthly on the 1st at 09:05, from 2026-12-07 until 2027-01-07");

    EXPECT_EQ(Words(Schedule(0)), "Never");
    // Never stays Never whatever else is set.
    s.OccursOption = 0;
    EXPECT_EQ(Words(s), "Never");
}

TEST(ScheduleWords, SeveralDaysAreListedWithAnd) {
    auto s = Schedule(2, 9, 30);
    s.SelectionsWeekly = u"0101010";
    EXPECT_EQ(Words(s), "Weekly on Monday, Wednesday and Friday at 09:30, from 2026-12-07, no end date");
    // Monday first and Sunday last, as the dialog shows them.
    s.SelectionsWeekly = u"1100000";
    EXPECT_EQ(Words(s), "Weekly on Monday and Sunday at 09:30, from 2026-12-07, no end date");

    s = Schedule(3, 9, 30);
    s.SelectionsMonthly = NormaliseSelection(u"100000000000001", kMonthlyWidth);
    EXPECT_EQ(Words(s), "Monthly on the 1st and 15th at 09:30, from 2026-12-07, no end date");
    s.SelectionsMonthly = NormaliseSelection(u"0110000000100000000011100000001", kMonthlyWidth);
    EXPECT_EQ(Words(s),
              "Monthly on the 2nd, 3rd, 11th, 21st, 22nd, 23rd and 31st at 09:30, from 2026-12-07, no end date");
}

TEST(ScheduleWords, OrdinalsAndLists) {
    const std::pair<int, const char*> cases[] = {{1, "1st"},   {2, "2nd"},   {3, "3rd"},   {4, "4th"},
                                                 {11, "11th"}, {12, "12th"}, {13, "13th"}, {21, "21st"},
                                                 {22, "22nd"}, {23, "23rd"}, {30, "30th"}, {31, "31st"}};
    for (const auto& [n, text] : cases) EXPECT_EQ(ToUtf8(Ordinal(n)), text);
    EXPECT_EQ(ToUtf8(JoinWithAnd({})), "");
    EXPECT_EQ(ToUtf8(JoinWithAnd({u"a"})), "a");
    EXPECT_EQ(ToUtf8(JoinWithAnd({u"a", u"b"})), "a and b");
    EXPECT_EQ(ToUtf8(JoinWithAnd({u"a", u"b", u"c", u"d"})), "a, b, c and d");
}

TEST(ScheduleWords, EveryCountsItsUnit) {
    auto s = Schedule(4);
    s.EveryInterval = 1;
    EXPECT_EQ(Words(s), "Every hour");
    s.EveryInterval = 6;
    EXPECT_EQ(Words(s), "Every 6 hours");
    s.EveryFrequency = 1;
    s.EveryInterval = 1;
    EXPECT_EQ(Words(s), "Every minute");
    s.EveryInterval = 45;
    s.UseEndDate = true;  // the dates play no part for Every
    EXPECT_EQ(Words(s), "Every 45 minutes");
}

TEST(ScheduleWords, SaysWhatTheComputationReads) {
    // Hour 24 is midnight; hours and minutes out of range count as 0.
    auto s = Schedule(1, 24, 0);
    EXPECT_EQ(Words(s), "Daily at 00:00, from 2026-12-07, no end date");
    s.StartHour = 30;
    s.StartMinute = 75;
    EXPECT_EQ(Words(s), "Daily at 00:00, from 2026-12-07, no end date");

    // Only "1" selects: a loaded mask with blanks, grayed "2"s or nothing at all.
    s = Schedule(2, 8, 0);
    s.SelectionsWeekly = FitSelection(u"2 1", kWeeklyWidth);
    EXPECT_EQ(Words(s), "Weekly on Tuesday at 08:00, from 2026-12-07, no end date");
    s.SelectionsWeekly = u"0000000";
    EXPECT_EQ(Words(s), "Weekly, but no weekday is selected");
    s = Schedule(3);
    s.SelectionsMonthly = FitSelection(u"", kMonthlyWidth);
    EXPECT_EQ(Words(s), "Monthly, but no day of the month is selected");

    s = Schedule(4);
    s.EveryInterval = 0;
    EXPECT_EQ(Words(s), "Every 0 hours, so never");
    s.EveryInterval = 5;
    s.EveryFrequency = 7;
    EXPECT_EQ(Words(s), "Every 5 of an unknown unit, so never");
    s.OccursOption = 9;
    EXPECT_EQ(Words(s), "Unknown kind 9, so never");
}

// The platform's part, faked: Monday's and Friday's names as the locale lists them, dates
// as dd.mm.yyyy and times as hh:mm whatever the language, so that each row shows the
// catalog's sentence.
class FakeNames final : public text::LocaleNames {
public:
    FakeNames(const char* monday, const char* friday) : monday_(FromUtf8(monday)), friday_(FromUtf8(friday)) {}
    std::u16string WeekdayName(int day) const override { return day == 1 ? monday_ : day == 5 ? friday_ : u"?"; }
    std::u16string ShortDate(int y, int m, int d) const override {
        char text[16];
        std::snprintf(text, sizeof text, "%02d.%02d.%04d", d, m, y);
        return FromUtf8(text);
    }
    std::u16string ShortTime(int h, int m) const override {
        char text[8];
        std::snprintf(text, sizeof text, "%02d:%02d", h, m);
        return FromUtf8(text);
    }

private:
    std::u16string monday_, friday_;
};

TEST(ScheduleWords, EachLanguageSaysWeeklyAndMonthlyInItsOwnSentence) {
    struct Row {
        text::Language language;
        const char* monday;
        const char* friday;
        const char* weekly;   // Monday and Friday at 09:30, until 2027-06-30
        const char* monthly;  // the 1st and the 15th at 09:30, no end date
    };
    using L = text::Language;
    const Row rows[] = {
        {L::English, "Monday", "Friday", "Weekly on Monday and Friday at 09:30, from 07.12.2026 until 30.06.2027",
         "Monthly on the 1st and 15th at 09:30, from 07.12.2026, no end date"},
        {L::German, "Montag", "Freitag", "Wöchentlich am Montag und Freitag um 09:30, von 07.12.2026 bis 30.06.2027",
         "Monatlich am 1. und 15. um 09:30, ab 07.12.2026, ohne Enddatum"},
        {L::French, "lundi", "vendredi", "Chaque semaine le lundi et le vendredi à 09:30, du 07.12.2026 au 30.06.2027",
         "Chaque mois le 1er et le 15 à 09:30, à partir du 07.12.2026, sans date de fin"},
        {L::Spanish, "lunes", "viernes", "Semanalmente el lunes y el viernes a las 09:30, del 07.12.2026 al 30.06.2027",
         "Mensualmente el 1 y el 15 a las 09:30, desde el 07.12.2026, sin fecha de fin"},
        {L::Italian, "lunedì", "venerdì", "Ogni settimana (lunedì e venerdì) alle 09:30, dal 07.12.2026 al 30.06.2027",
         "Ogni mese il giorno 1 e 15 alle 09:30, dal 07.12.2026, senza data di fine"},
        {L::PortugueseBrazil, "segunda-feira", "sexta-feira",
         "Semanalmente (segunda-feira e sexta-feira) às 09:30, de 07.12.2026 até 30.06.2027",
         "Mensalmente no dia 1 e 15 às 09:30, a partir de 07.12.2026, sem data de término"},
        {L::Dutch, "maandag", "vrijdag",
         "Wekelijks op maandag en vrijdag om 09:30, van 07.12.2026 tot en met 30.06.2027",
         "Maandelijks op de 1e en 15e om 09:30, vanaf 07.12.2026, zonder einddatum"},
        {L::Polish, "poniedziałek", "piątek",
         "Co tydzień (dni: poniedziałek i piątek) o 09:30, od 07.12.2026 do 30.06.2027",
         "Co miesiąc (dni: 1 i 15) o 09:30, od 07.12.2026, bez daty końcowej"},
        {L::Russian, "понедельник", "пятница",
         "Еженедельно (понедельник и пятница) в 09:30, с 07.12.2026 по 30.06.2027",
         "Ежемесячно (1 и 15 числа) в 09:30, с 07.12.2026, без даты окончания"},
        {L::Japanese, "月曜日", "金曜日", "毎週月曜日、金曜日の 09:30、07.12.2026 から 30.06.2027 まで",
         "毎月1、15日の 09:30、07.12.2026 から、終了日なし"},
        {L::ChineseSimplified, "星期一", "星期五", "每周星期一和星期五的 09:30，从 07.12.2026 到 30.06.2027",
         "每月1和15日的 09:30，从 07.12.2026 开始，无结束日期"},
        {L::Korean, "월요일", "금요일", "매주 월요일, 금요일 09:30, 07.12.2026부터 30.06.2027까지",
         "매월 1, 15일 09:30, 07.12.2026부터, 종료 날짜 없음"},
    };
    for (const auto& r : rows) {
        const FakeNames names(r.monday, r.friday);
        auto s = Schedule(2, 9, 30);
        s.SelectionsWeekly = u"0100010";
        s.UseEndDate = true;
        s.EndDate = D(2027, 6, 30);
        EXPECT_EQ(ToUtf8(DescribeSchedule(s, r.language, names)), r.weekly);
        s = Schedule(3, 9, 30);
        s.SelectionsMonthly = NormaliseSelection(u"100000000000001", kMonthlyWidth);
        EXPECT_EQ(ToUtf8(DescribeSchedule(s, r.language, names)), r.monthly);
    }
}

TEST(ScheduleWords, EachLanguageCountsInItsPluralForms) {
    struct Row {
        text::Language language;
        int frequency;  // 0 hours, 1 minutes
        int n;
        const char* words;
    };
    using L = text::Language;
    const Row rows[] = {
        {L::English, 1, 21, "Every 21 minutes"},
        {L::German, 1, 1, "Jede Minute"},
        {L::German, 0, 21, "Alle 21 Stunden"},
        {L::French, 1, 1, "Toutes les minutes"},
        {L::French, 0, 2, "Toutes les 2 heures"},
        {L::French, 0, 0, "Toutes les 0 heure, donc jamais"},
        {L::French, 1, -5, "Toutes les -5 minutes, donc jamais"},
        {L::Spanish, 1, 1, "Cada minuto"},
        {L::Spanish, 1, 22, "Cada 22 minutos"},
        {L::Italian, 0, 1, "Ogni ora"},
        {L::Italian, 0, 5, "Ogni 5 ore"},
        {L::PortugueseBrazil, 0, 1, "A cada hora"},
        {L::PortugueseBrazil, 0, 2, "A cada 2 horas"},
        {L::PortugueseBrazil, 0, 0, "A cada 0 hora, portanto nunca"},
        {L::Dutch, 0, 1, "Elk uur"},
        {L::Dutch, 0, 21, "Elke 21 uur"},
        {L::Dutch, 1, 2, "Elke 2 minuten"},
        {L::Polish, 1, 1, "Co minutę"},
        {L::Polish, 1, 2, "Co 2 minuty"},
        {L::Polish, 1, 5, "Co 5 minut"},
        {L::Polish, 1, 21, "Co 21 minut"},
        {L::Polish, 1, 22, "Co 22 minuty"},
        {L::Polish, 1, 25, "Co 25 minut"},
        {L::Polish, 0, 12, "Co 12 godzin"},
        {L::Polish, 0, 0, "Co 0 godzin, więc nigdy"},
        {L::Russian, 1, 1, "Каждую минуту"},
        {L::Russian, 1, 2, "Каждые 2 минуты"},
        {L::Russian, 1, 5, "Каждые 5 минут"},
        {L::Russian, 1, 21, "Каждую 21 минуту"},
        {L::Russian, 1, 22, "Каждые 22 минуты"},
        {L::Russian, 1, 25, "Каждые 25 минут"},
        {L::Russian, 0, 1, "Каждый час"},
        {L::Russian, 0, 11, "Каждые 11 часов"},
        {L::Russian, 0, 22, "Каждые 22 часа"},
        {L::Japanese, 1, 1, "1 分ごと"},
        {L::Japanese, 0, 21, "21 時間ごと"},
        {L::ChineseSimplified, 0, 1, "每小时"},
        {L::ChineseSimplified, 0, 5, "每隔 5 小时"},
        {L::Korean, 1, 1, "매분"},
        {L::Korean, 1, 25, "25분마다"},
    };
    const FakeNames names("", "");
    for (const auto& r : rows) {
        auto s = Schedule(4);
        s.EveryFrequency = r.frequency;
        s.EveryInterval = static_cast<std::int16_t>(r.n);
        EXPECT_EQ(ToUtf8(DescribeSchedule(s, r.language, names)), r.words);
    }
}

}  // namespace
}  // namespace cadencer
