// Argument parsing and the firing simulation of cadencer-next.
#include "cadencer_next_lib.h"

#include <cstdio>
#include <optional>
#include <type_traits>
#include <variant>

#include "control/property_access.h"
#include "control/property_table.h"
#include "engine/invariant_text.h"
#include "engine/next_run.h"
#include "engine/schedule_forms.h"
#include "engine/schedule_settings.h"
#include "engine/schedule_words.h"
#include "engine/variant.h"
#include "posix_locale_names.h"
#include "utf8.h"

namespace cadencer::next_tool {
namespace {

struct Options {
    std::optional<OleDate> now;
    std::int16_t offset = 0;
    int count = 1;
    bool describe = false;
    std::optional<std::string> lang;                          // --lang TAG, with --describe
    std::string to;                                           // ical, rrule, cron or task-xml
    std::optional<std::pair<std::string, std::string>> from;  // rrule or cron, and the text
    std::optional<std::string> command, arguments;
    std::vector<std::pair<std::string, std::string>> keys;
};

std::optional<long long> ParseInteger(const std::string& text) {
    if (text.empty() || text.size() > 18) return std::nullopt;
    std::size_t i = (text[0] == '-' || text[0] == '+') ? 1 : 0;
    if (i == text.size()) return std::nullopt;
    long long v = 0;
    for (; i < text.size(); ++i) {
        if (text[i] < '0' || text[i] > '9') return std::nullopt;
        v = v * 10 + (text[i] - '0');
    }
    return text[0] == '-' ? -v : v;
}

// The tool's dates: the invariant date text, with "T" allowed between date and time.
std::optional<OleDate> ParseDate(const std::string& text) {
    return ParseIsoDate(FromUtf8(text), true);
}

bool ParseOptions(const std::vector<std::string>& args, Options& o, std::string& error) {
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        auto value = [&](const char* name) -> std::optional<std::string> {
            if (i + 1 >= args.size()) {
                error = std::string(name) + ": missing value";
                return std::nullopt;
            }
            return args[++i];
        };
        if (a == "--now") {
            const auto v = value("--now");
            if (!v) return false;
            o.now = ParseDate(*v);
            if (!o.now)
                return error = "--now: expected YYYY-MM-DD or YYYY-MM-DDTHH:MM:SS in years 100-9999, got '" + *v + "'",
                       false;
        } else if (a == "--offset") {
            const auto v = value("--offset");
            if (!v) return false;
            const auto n = ParseInteger(*v);
            if (!n || *n < -32768 || *n > 32767)
                return error = "--offset: expected an integer from -32768 to 32767, got '" + *v + "'", false;
            o.offset = static_cast<std::int16_t>(*n);
        } else if (a == "--count") {
            const auto v = value("--count");
            if (!v) return false;
            const auto n = ParseInteger(*v);
            if (!n || *n < 1 || *n > 100000)
                return error = "--count: expected an integer from 1 to 100000, got '" + *v + "'", false;
            o.count = static_cast<int>(*n);
        } else if (a == "--describe") {
            o.describe = true;
        } else if (a == "--lang") {
            const auto v = value("--lang");
            if (!v) return false;
            if (v->empty() ||
                v->find_first_not_of("abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789-_") !=
                    std::string::npos)
                return error = "--lang: expected a language tag such as de-DE, pt-BR or ja, got '" + *v + "'", false;
            o.lang = *v;
        } else if (a == "--to") {
            const auto v = value("--to");
            if (!v) return false;
            if (*v != "ical" && *v != "rrule" && *v != "cron" && *v != "task-xml")
                return error = "--to: expected ical, rrule, cron or task-xml, got '" + *v + "'", false;
            o.to = *v;
        } else if (a == "--from") {
            const auto kind = value("--from");
            if (!kind) return false;
            if (*kind != "rrule" && *kind != "cron")
                return error = "--from: expected rrule or cron, got '" + *kind + "'", false;
            const auto text = value("--from");
            if (!text) return false;
            o.from.emplace(*kind, *text);
        } else if (a == "--command" || a == "--arguments") {
            const auto v = value(a.c_str());
            if (!v) return false;
            (a == "--command" ? o.command : o.arguments) = *v;
        } else if (a.rfind("--", 0) == 0) {
            return error = a + ": unknown option", false;
        } else {
            const auto eq = a.find('=');
            if (eq == std::string::npos || eq == 0) return error = a + ": expected Key=Value", false;
            o.keys.emplace_back(a.substr(0, eq), a.substr(eq + 1));
        }
    }
    return true;
}

// The keys are the schedule's inputs in the property table (the properties whose lets
// recompute the next time), spelt exactly as the table spells them. A key's text is
// converted to its field's type as a property bag load converts it (the invariant rules of
// Variant), so "UseEndDate=TRUE" and "StartHour=9.0" read as a bag would read them; dates
// also take the tool's "T" form.
bool ApplyKey(ScheduleSettings& s, const std::string& key, const std::string& text, std::string& error) {
    const Variant value = Variant::String(FromUtf8(text));
    auto bad = [&](const std::string& expected) {
        error = key + ": expected " + expected + ", got '" + text + "'";
        return false;
    };
    const control::PropertyRow* row = control::FindProperty(FromUtf8(key));
    if (!row || row->name != FromUtf8(key) || !control::IsScheduleInput(*row)) {
        error = key + ": unknown key";
        return false;
    }
    const auto parse = [&](auto field) {
        using Field = decltype(field);
        if constexpr (std::is_same_v<Field, std::int16_t ScheduleSettings::*>) {
            const auto v = value.ToI16();
            if (!v) return bad("a number from -32768 to 32767");
            s.*field = *v;
        } else if constexpr (std::is_same_v<Field, std::int32_t ScheduleSettings::*>) {
            const auto v = value.ToI32();
            if (!v) return bad("a number from -2147483648 to 2147483647");
            s.*field = *v;
        } else if constexpr (std::is_same_v<Field, OleDate ScheduleSettings::*>) {
            const auto d = ParseDate(text);
            if (!d) return bad("YYYY-MM-DD or YYYY-MM-DDTHH:MM:SS in years 100-9999");
            s.*field = *d;
        } else if constexpr (std::is_same_v<Field, bool ScheduleSettings::*>) {
            const auto b = value.ToBool();
            if (!b) return bad("True, False, #TRUE#, #FALSE# or a number");
            s.*field = *b;
        } else if constexpr (std::is_same_v<Field, std::u16string ScheduleSettings::*>) {
            // The selections, fitted to their width as a bag load does it.
            s.*field = FitSelection(value.AsString(), row->width);
        } else {
            // Schedule inputs live in ScheduleSettings (the table checks it).
            error = key + ": unknown key";
            return false;
        }
        return true;
    };
    return std::visit(parse, row->field);
}

}  // namespace

std::string FormatDueTime(OleDate value) {
    const auto f = Decompose(value);
    if (!f) return "invalid";
    char buf[32];
    std::snprintf(buf, sizeof buf, "%04d-%02d-%02dT%02d:%02d:%02d", f->year, f->month, f->day, f->hour, f->minute,
                  f->second);
    return buf;
}

CaseResult RunCase(const std::vector<std::string>& args, OleDate presentLocal, std::optional<OleDate> presentUtc) {
    Options o;
    std::string error;
    if (!ParseOptions(args, o, error)) return {false, error};
    OleDate now = o.now.value_or(presentLocal);
    if (o.from) {
        if (!o.keys.empty() || !o.to.empty() || o.describe)
            return {false, "--from: takes no keys and no --to or --describe (it prints the keys)"};
        const KeysResult read =
            o.from->first == "rrule" ? FromRRule(o.from->second, now) : FromCron(o.from->second, now);
        return {read.ok, read.ok ? KeysText(read.keys) : read.reason};
    }
    if ((o.command || o.arguments) && o.to != "task-xml")
        return {false, "--command and --arguments: only with --to task-xml"};
    ScheduleSettings s;
    control::ApplyNewControlDefaults(s, *CalendarDate(now), now);
    for (const auto& [key, text] : o.keys)
        if (!ApplyKey(s, key, text, error)) return {false, error};

    if (o.lang && !o.describe) return {false, "--lang: only with --describe"};
    if (o.describe && o.lang) {
        // The day names in the sentence's language, the dates in the tag's formats.
        const text::Language language = text::LanguageFromTag(*o.lang);
        const auto names = text::CombineNames(PosixLocaleNames(ToUtf8(std::u16string(text::LanguageTag(language)))),
                                              PosixLocaleNames(*o.lang));
        return {true, ToUtf8(DescribeSchedule(s, language, *names))};
    }
    if (o.describe) return {true, ToUtf8(DescribeSchedule(s))};
    if (!o.to.empty()) {
        FormResult form;
        if (o.to == "rrule") form = ToRRule(s, now);
        if (o.to == "cron") form = ToCron(s, now);
        if (o.to == "task-xml") form = ToTaskXml(s, now, o.command.value_or(""), o.arguments.value_or(""));
        if (o.to == "ical") form = ToICalendar(s, now, {presentUtc.value_or(now), "", ""});
        // The caller ends the text with "\n": a VCALENDAR keeps its CR, so its last line ends
        // with CRLF as its other lines do; the task XML drops its own line end.
        if (form.ok && !form.text.empty() && form.text.back() == '\n') form.text.pop_back();
        return {form.ok, form.text};
    }

    std::string line;
    OleDate next = ComputeNextRun(s, now, o.offset);
    for (int i = 0; i < o.count; ++i) {
        if (i) line += ' ';
        line += FormatDueTime(next);
        // The control fires only for a time that is not the never marker (nor the zero date).
        if (IsNeverMarker(next, now)) break;
        now = next;
        s.LastScheduledTime = TruncateToMinute(now);
        next = ComputeNextRun(s, now, 1);
    }
    return {true, line};
}

bool SplitLine(const std::string& line, std::vector<std::string>& out) {
    out.clear();
    std::string current;
    bool inToken = false, quoted = false;
    for (std::size_t i = 0; i < line.size(); ++i) {
        const char c = line[i];
        if (quoted) {
            if (c == '\\' && i + 1 < line.size() && (line[i + 1] == '"' || line[i + 1] == '\\'))
                current += line[++i];
            else if (c == '"')
                quoted = false;
            else
                current += c;
        } else if (c == '"') {
            quoted = inToken = true;
        } else if (c == ' ' || c == '\t' || c == '\r') {
            if (inToken) out.push_back(current);
            current.clear();
            inToken = false;
        } else {
            current += c;
            inToken = true;
        }
    }
    if (quoted) return false;
    if (inToken) out.push_back(current);
    return true;
}

}  // namespace cadencer::next_tool
