// The property pages' tables, built from the property table's page column, and the value
// conversions.
#include "proppage/page_values.h"

#include <array>
#include <limits>

#include "control/property_access.h"

namespace cadencer::proppage {
namespace {

using control::kProperties;
using control::PropertyRow;

constexpr bool SetBy(const PropertyRow& row, PageKind page) {
    return page != PageKind::None && row.page.shownOn == page;
}

constexpr bool ReadBy(const PropertyRow& row, PageKind page) {
    return SetBy(row, page) || (page == PageKind::Schedule && row.page.readBySchedulePage);
}

// The names of the rows a page sets (or reads), in the table's order.
template <bool reads>
constexpr std::size_t CountFor(PageKind page) {
    std::size_t n = 0;
    for (const auto& row : kProperties) n += (reads ? ReadBy(row, page) : SetBy(row, page)) ? 1 : 0;
    return n;
}
template <bool reads, PageKind page>
constexpr auto NamesFor() {
    std::array<std::u16string_view, CountFor<reads>(page)> names{};
    std::size_t n = 0;
    for (const auto& row : kProperties)
        if (reads ? ReadBy(row, page) : SetBy(row, page)) names[n++] = row.name;
    return names;
}

constexpr auto kScheduleSet = NamesFor<false, PageKind::Schedule>();
constexpr auto kScheduleRead = NamesFor<true, PageKind::Schedule>();
constexpr auto kDialogSet = NamesFor<false, PageKind::Dialog>();
static_assert(NamesFor<true, PageKind::Dialog>() == kDialogSet, "the dialog page reads what it sets");

// The rows of the schedule page's values live in the shared record (their fields).
constexpr bool ScheduleRowsAreShared() {
    for (const auto& row : kProperties)
        if (ReadBy(row, PageKind::Schedule) && !control::table_detail::IsSharedField(row.field)) return false;
    return true;
}
static_assert(ScheduleRowsAreShared());

}  // namespace

PageKind PageOfProperty(std::u16string_view name) {
    const PropertyRow* row = control::FindProperty(name);
    return row ? row->page.shownOn : PageKind::None;
}

std::span<const std::u16string_view> PropertiesSetBy(PageKind page) {
    switch (page) {
        case PageKind::Schedule:
            return kScheduleSet;
        case PageKind::Dialog:
            return kDialogSet;
        case PageKind::None:
            break;
    }
    return {};
}

std::span<const std::u16string_view> PropertiesReadBy(PageKind page) {
    return page == PageKind::Schedule ? std::span<const std::u16string_view>(kScheduleRead) : PropertiesSetBy(page);
}

const Variant* FindValue(const PropertyValues& values, std::u16string_view name) {
    for (const auto& [key, value] : values)
        if (KeysEqualIgnoringCase(key, name)) return &value;
    return nullptr;
}

PropertyValues ChangedValues(const PropertyValues& before, const PropertyValues& after) {
    PropertyValues changed;
    for (const auto& [name, value] : after) {
        const Variant* old = FindValue(before, name);
        if (!old || !(*old == value)) changed.emplace_back(name, value);
    }
    return changed;
}

ScheduleSettings ScheduleOfValues(const PropertyValues& values) {
    ScheduleSettings s;
    for (const auto& row : kProperties) {
        if (!ReadBy(row, PageKind::Schedule)) continue;
        control::VisitField(row, &s, control::kNoOwnRecord, [&](auto& field) {
            using T = std::remove_reference_t<decltype(field)>;
            if (const Variant* v = FindValue(values, row.name))
                if (auto converted = control::ValueFromVariant<T>(*v)) field = std::move(converted.value());
            // A selection is placed into its width as a load does it.
            if constexpr (std::is_same_v<T, std::u16string>)
                if (row.width != 0) field = FitSelection(field, row.width);
        });
    }
    return s;
}

PropertyValues ValuesOfSchedule(const ScheduleSettings& s) {
    PropertyValues values;
    for (const auto& row : kProperties)
        if (SetBy(row, PageKind::Schedule))
            control::VisitField(row, &s, control::kNoOwnRecord,
                                [&](const auto& field) { values.emplace_back(row.name, control::VariantOf(field)); });
    return values;
}

std::optional<std::int32_t> ParseLong(std::u16string_view text) {
    const auto first = text.find_first_not_of(u' ');
    if (first == std::u16string_view::npos) return std::nullopt;
    text = text.substr(first, text.find_last_not_of(u' ') - first + 1);
    std::size_t i = text[0] == u'-' || text[0] == u'+' ? 1 : 0;
    if (i == text.size() || text.size() - i > 10) return std::nullopt;
    long long value = 0;
    for (; i < text.size(); ++i) {
        if (text[i] < u'0' || text[i] > u'9') return std::nullopt;
        value = value * 10 + (text[i] - u'0');
    }
    if (text[0] == u'-') value = -value;
    if (value < std::numeric_limits<std::int32_t>::min() || value > std::numeric_limits<std::int32_t>::max())
        return std::nullopt;
    return static_cast<std::int32_t>(value);
}

}  // namespace cadencer::proppage
