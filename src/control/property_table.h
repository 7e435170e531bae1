// The one table of the Cadencer control's properties. Each row says everything the code
// needs to know about one property:
//
//   name      the property's name, which is also its property-bag key and the name its
//             change notice carries
//   dispid    its dispatch identifier in the type library
//   type      its automation type, as the type library declares it
//   def       its default: for a new control (InitNew, InitNewInstance, the shared record's
//             new-control defaults), for reading a bag and for writing one (only a fixed
//             Value: a key whose default depends on the day or is the icon is always
//             written), and in the reference
//   owner     where its value lives: I, a field of the control's own InstanceSettings (per
//             instance); S, a field of the shared ScheduleSettings (one per thread, every
//             control of it shares the value); N, nowhere (the computed NextScheduledTime).
//             The field has the property's name.
//   persist   its places in the bag's read order, in the bag's write order and in the
//             binary stream's key indices (kNo: not stored at all)
//   let       what a let does to the next execution time
//   width     the fixed width of a selection string (0 for every other property)
//   fix       what its let does to a value it does not store as given: the core's generic
//             let applies it, the member reference (docs/reference.md) is generated from
//             it, and a Wine test holds every row against the real lets through IDispatch
//   page      the property page that shows it, if any (on the Schedule page, the part that
//             shows it: where the page puts the focus to show it), and whether the schedule
//             page reads it for its rules
//   code      which accessors are generated from the row: Gen, the core's and the COM
//             face's; OwnCore, only the COM face's (the core's are written by hand);
//             OwnCom, only the core's; Own, neither. Hand-written accessors say why.
//
// Readers: reading and writing the property bag and the new-control defaults
// (core_persistence.cpp, property_access.h), the lets (cadencer_core.h), the COM face's
// get_ and put_ (component/cadencer_object.h), the stream format's key indices
// (component/stream_format.h), the name-to-DISPID lookup (component/dispids.cpp), the
// property pages' model (proppage/page_values.cpp), cadencer-next's keys
// (tools/cadencer_next_lib.cpp) and the reference (tools/make_reference.cpp). A Wine test
// holds the table against the type library. How to add a property: README.md.
//
// Portable: nothing here depends on the platform.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <variant>

#include "engine/ole_date.h"
#include "engine/property_bag.h"
#include "engine/schedule_settings.h"
#include "engine/variant.h"

// A test build adds properties of its own here, by the recipe in README.md: it defines
// CADENCER_EXTRA_PROPERTY_ROWS(X) with its rows and CADENCER_EXTRA_INSTANCE_FIELDS with
// their fields before this header (tests/native/control_recipe_property.h).
#ifndef CADENCER_EXTRA_PROPERTY_ROWS
#define CADENCER_EXTRA_PROPERTY_ROWS(X)
#define CADENCER_EXTRA_INSTANCE_FIELDS
#endif

namespace cadencer::control {

enum class FormPosition : std::int32_t { Manual = 0, CenterOfScreen = 1 };

// The fields each control keeps for itself; the schedule and the shared texts live in
// the process's one ScheduleSettings record. A new control takes the rows' defaults
// (ApplyInstanceDefaults in property_access.h), not initialisers of its own.
struct InstanceSettings {
    bool Enabled = false;
    bool Modal = false;
    bool ShowHelpButton = false;
    std::int32_t StartUpPosition = 0;
    std::int32_t StartUpLeft = 0;
    std::int32_t StartUpTop = 0;
    std::u16string CaptionHelpButton;
    // Empty or without an image: the control's default icon is shown and saved instead.
    ObjectRef Icon;
    // A test build's own fields (see CADENCER_EXTRA_PROPERTY_ROWS below).
    CADENCER_EXTRA_INSTANCE_FIELDS
};

// The automation type of a property as the type library declares it. In a property bag
// the enumerations travel as Long (32-bit) values.
enum class PropertyType : std::uint8_t {
    Boolean,       // VARIANT_BOOL
    Integer,       // short
    Long,          // long
    FormPosition,  // the three enumerations
    Occurs,
    EveryType,
    Date,     // DATE
    String,   // BSTR
    Picture,  // IPictureDisp*
};

struct PropertyDefault {
    enum class Kind : std::uint8_t {
        None,                // none: the computed NextScheduledTime
        Value,               // number (Booleans, integers, enumerations) or text
        CreationDay,         // the day the control was created
        MonthAfterCreation,  // the creation day plus one calendar month
        // The control's default icon when reading a bag or creating a new instance; when
        // writing, "no object", so that the icon is always written.
        ControlIcon,
        // The never-run marker (NeverMarker): a new control has never run. Not persisted.
        NeverRun,
    };
    Kind kind = Kind::None;
    std::int32_t number = 0;
    std::u16string_view text;

    static constexpr PropertyDefault Flag(bool value) { return {Kind::Value, value ? 1 : 0, {}}; }
    static constexpr PropertyDefault Number(std::int32_t value) { return {Kind::Value, value, {}}; }
    static constexpr PropertyDefault Text(std::u16string_view value) { return {Kind::Value, 0, value}; }
    static constexpr PropertyDefault Of(Kind kind) { return {kind, 0, {}}; }
};

// Where a property's value lives: a member of InstanceSettings or of ScheduleSettings.
// The alternative must fit the row's type (checked below).
using PropertyField =
    std::variant<std::monostate, bool InstanceSettings::*, std::int32_t InstanceSettings::*,
                 std::u16string InstanceSettings::*, ObjectRef InstanceSettings::*, bool ScheduleSettings::*,
                 std::int16_t ScheduleSettings::*, std::int32_t ScheduleSettings::*, OleDate ScheduleSettings::*,
                 std::u16string ScheduleSettings::*>;

// A persisted property's places: in the order the bag is read, in the order it is written,
// and its key index in the binary stream (frozen: stored forms depend on it).
struct Persistence {
    std::int8_t read = -1;
    std::int8_t write = -1;
    std::int8_t stream = -1;
};
inline constexpr Persistence kNotPersisted{};

// What a let does to the next execution time.
enum class LetEffect : std::uint8_t {
    None,              // nothing: the next time does not depend on the property
    Recompute,         // recomputed (offset 0) under the run-time gate: a schedule input
    RecomputeIfEvery,  // recomputed only for an Every schedule: the last execution time
    // The Enabled let: computes the next time (offset 1) and starts the clock, or closes
    // the dialog and stops it.
    SwitchesClock,
};

// What a let does to a value it does not store as given. The core's lets apply the row's
// correction (Corrected in property_access.h); the reference states it from the row.
struct LetCorrection {
    enum class Kind : std::uint8_t {
        None,         // every value the type can carry is stored as given (or: no let)
        OutOfRange,   // a value below low or above high is stored as replacement
        EmptyText,    // an empty string is stored as the default text; blanks are kept
        Selection,    // cut or filled with "0" to the width; any character but 0 and 1 becomes "0"
        ControlIcon,  // an empty picture (no handle), or none, restores the control's icon
    };
    Kind kind = Kind::None;
    std::int32_t low = 0;
    std::int32_t high = 0;
    std::int32_t replacement = 0;

    static constexpr LetCorrection OutsideBecomes(std::int32_t low, std::int32_t high, std::int32_t replacement) {
        return {Kind::OutOfRange, low, high, replacement};
    }
};

// The property page that shows a property and sets it (PageKind in proppage/page_values.h).
enum class PropertyPage : std::uint8_t { None, Schedule, Dialog };
// The part of the Schedule page that shows a property: where the page puts the focus when a
// frame asks it to show that property (IPropertyPage2::EditProperty).
enum class SchedulePart : std::uint8_t {
    None,
    Kind,
    Number,
    Unit,
    Time,
    StartDate,
    EndDate,
    EndChoice,
    Weekdays,
    Days
};
struct PageUse {
    PropertyPage shownOn = PropertyPage::None;
    // The schedule page reads it too, for its rules (the interval limits) or its messages
    // (the title), without showing or setting it.
    bool readBySchedulePage = false;
    SchedulePart part = SchedulePart::None;
};

struct PropertyRow {
    std::u16string_view name;
    std::int32_t dispid;
    PropertyType type;
    PropertyDefault def;
    PropertyField field;
    Persistence persist;
    LetEffect let;
    std::uint8_t width;
    LetCorrection fix;
    PageUse page;
};

namespace table_detail {
using D = PropertyDefault;
using I = InstanceSettings;
using S = ScheduleSettings;
using T = PropertyType;
using L = LetEffect;
constexpr Persistence P(int read, int write, int stream) {
    return {static_cast<std::int8_t>(read), static_cast<std::int8_t>(write), static_cast<std::int8_t>(stream)};
}
constexpr auto kNo = kNotPersisted;
// Enabled is read after every other key, whatever rows a build adds (see Load).
constexpr int kReadLast = 127;
constexpr auto kNeverRun = D::Of(D::Kind::NeverRun);
constexpr PageUse kNoPage{};
constexpr PageUse SchedulePage(SchedulePart part) {
    return {PropertyPage::Schedule, false, part};
}
using SP = SchedulePart;
constexpr PageUse kDialogPage{PropertyPage::Dialog, false};
constexpr PageUse kScheduleRule{PropertyPage::None, true};
constexpr PageUse kDialogPageScheduleTitle{PropertyPage::Dialog, true};
constexpr auto kNoDefault = D::Of(D::Kind::None);
constexpr auto kControlIcon = D::Of(D::Kind::ControlIcon);
constexpr auto kCreationDay = D::Of(D::Kind::CreationDay);
constexpr auto kMonthAfterCreation = D::Of(D::Kind::MonthAfterCreation);
// Thirty-one days, none selected.
constexpr std::u16string_view kAllDaysOff = u"0000000000000000000000000000000";
constexpr auto kNever = static_cast<std::int32_t>(Occurs::Never);
constexpr auto kHours = static_cast<std::int32_t>(EveryType::Hours);
constexpr auto kCentred = static_cast<std::int32_t>(FormPosition::CenterOfScreen);
using C = LetCorrection;
constexpr LetCorrection kAsGiven{};
constexpr LetCorrection kEmptyText{C::Kind::EmptyText};
constexpr LetCorrection kSelection{C::Kind::Selection};
constexpr LetCorrection kControlIconFix{C::Kind::ControlIcon};
// The spinner limits: capped at 999, no lower bound (a short's least value).
constexpr LetCorrection kLimitCap = C::OutsideBecomes(-32768, 999, 999);
}  // namespace table_detail

// The rows, in the type library's slot order: DISPIDs count down from 0x6803001E. An
// X-macro: each consumer defines X(name, dispid, type, def, owner, persist, let, width, fix,
// page, code) and takes the columns it needs (kProperties below; the core's and the COM
// face's accessors).
// clang-format off
#define CADENCER_PROPERTY_ROWS(X) \
/*name                      dispid      type          default               owner persist             let                  width          fix                           page                      code  */ \
X(Enabled,                  0x6803001E, Boolean,      D::Flag(true),        I,    P(kReadLast, 0, 0), L::SwitchesClock,    0,             kAsGiven,                     kDialogPage,                  OwnCore) \
X(Modal,                    0x6803001D, Boolean,      D::Flag(false),       I,    P(2, 2, 2),         L::None,             0,             kAsGiven,                     kDialogPage,                  Gen)     \
X(ShowHelpButton,           0x6803001C, Boolean,      D::Flag(false),       I,    P(3, 3, 3),         L::None,             0,             kAsGiven,                     kDialogPage,                  Gen)     \
X(NextScheduledTime,        0x6803001B, Date,         kNoDefault,           N,    kNo,                L::None,             0,             kAsGiven,                     kNoPage,                      Own)     \
X(LastScheduledTime,        0x6803001A, Date,         kNeverRun,            S,    kNo,                L::RecomputeIfEvery, 0,             kAsGiven,                     kNoPage,                      OwnCore) \
X(StartUpPosition,          0x68030019, FormPosition, D::Number(kCentred),  I,    P(9, 10, 10),       L::None,             0,             kAsGiven,                     kDialogPage,                  Gen)     \
X(StartUpLeft,              0x68030018, Long,         D::Number(0),         I,    P(10, 11, 11),      L::None,             0,             kAsGiven,                     kDialogPage,                  Gen)     \
X(StartUpTop,               0x68030017, Long,         D::Number(0),         I,    P(11, 12, 12),      L::None,             0,             kAsGiven,                     kDialogPage,                  Gen)     \
X(Title,                    0x68030016, String,       D::Text(u"Schedule"), S,    P(0, 1, 1),         L::None,             0,             kEmptyText,                   kDialogPageScheduleTitle,     Gen)     \
X(CaptionOKButtonBefore,    0x68030015, String,       D::Text(u"&OK"),      S,    P(4, 4, 4),         L::None,             0,             kEmptyText,                   kDialogPage,                  Gen)     \
X(CaptionOKButtonAfter,     0x68030014, String,       D::Text(u"&OK"),      S,    P(5, 5, 5),         L::None,             0,             kEmptyText,                   kDialogPage,                  Gen)     \
X(CaptionCloseButtonBefore, 0x68030013, String,       D::Text(u"Close"),    S,    P(6, 6, 6),         L::None,             0,             kEmptyText,                   kDialogPage,                  Gen)     \
X(CaptionCloseButtonAfter,  0x68030012, String,       D::Text(u"Cancel"),   S,    P(7, 7, 7),         L::None,             0,             kEmptyText,                   kDialogPage,                  Gen)     \
X(CaptionHelpButton,        0x68030011, String,       D::Text(u"&Help"),    I,    P(8, 8, 8),         L::None,             0,             kEmptyText,                   kDialogPage,                  Gen)     \
X(Icon,                     0x68030010, Picture,      kControlIcon,         I,    P(1, 9, 9),         L::None,             0,             kControlIconFix,              kNoPage,                      Own)     \
X(OccursOption,             0x6803000F, Occurs,       D::Number(kNever),    S,    P(12, 13, 13),      L::Recompute,        0,             kAsGiven,                     SchedulePage(SP::Kind),       OwnCom)  \
X(EveryInterval,            0x6803000E, Integer,      D::Number(1),         S,    P(13, 14, 14),      L::Recompute,        0,             kAsGiven,                     SchedulePage(SP::Number),     Gen)     \
X(EveryFrequency,           0x6803000D, EveryType,    D::Number(kHours),    S,    P(14, 15, 15),      L::Recompute,        0,             kAsGiven,                     SchedulePage(SP::Unit),       Gen)     \
X(EveryHourMin,             0x6803000C, Integer,      D::Number(1),         S,    P(15, 16, 16),      L::None,             0,             kLimitCap,                    kScheduleRule,                Gen)     \
X(EveryHourMax,             0x6803000B, Integer,      D::Number(12),        S,    P(16, 17, 17),      L::None,             0,             kLimitCap,                    kScheduleRule,                Gen)     \
X(EveryHourIncrement,       0x6803000A, Integer,      D::Number(1),         S,    P(17, 18, 18),      L::None,             0,             kAsGiven,                     kScheduleRule,                Gen)     \
X(EveryMinuteMin,           0x68030009, Integer,      D::Number(15),        S,    P(18, 19, 19),      L::None,             0,             kLimitCap,                    kScheduleRule,                Gen)     \
X(EveryMinuteMax,           0x68030008, Integer,      D::Number(600),       S,    P(19, 20, 20),      L::None,             0,             kLimitCap,                    kScheduleRule,                Gen)     \
X(EveryMinuteIncrement,     0x68030007, Integer,      D::Number(5),         S,    P(20, 21, 21),      L::None,             0,             kAsGiven,                     kScheduleRule,                Gen)     \
X(StartHour,                0x68030006, Integer,      D::Number(24),        S,    P(21, 22, 22),      L::Recompute,        0,             C::OutsideBecomes(0, 24, 24), SchedulePage(SP::Time),       Gen)     \
X(StartMinute,              0x68030005, Integer,      D::Number(0),         S,    P(22, 23, 23),      L::Recompute,        0,             C::OutsideBecomes(0, 59, 0),  SchedulePage(SP::Time),       Gen)     \
X(StartDate,                0x68030004, Date,         kCreationDay,         S,    P(23, 24, 24),      L::Recompute,        0,             kAsGiven,                     SchedulePage(SP::StartDate),  Gen)     \
X(EndDate,                  0x68030003, Date,         kMonthAfterCreation,  S,    P(24, 25, 25),      L::Recompute,        0,             kAsGiven,                     SchedulePage(SP::EndDate),    Gen)     \
X(UseEndDate,               0x68030002, Boolean,      D::Flag(false),       S,    P(25, 26, 26),      L::Recompute,        0,             kAsGiven,                     SchedulePage(SP::EndChoice),  Gen)     \
X(SelectionsWeekly,         0x68030001, String,       D::Text(u"0000000"),  S,    P(26, 27, 27),      L::Recompute,        kWeeklyWidth,  kSelection,                   SchedulePage(SP::Weekdays),   Gen)     \
X(SelectionsMonthly,        0x68030000, String,       D::Text(kAllDaysOff), S,    P(27, 28, 28),      L::Recompute,        kMonthlyWidth, kSelection,                   SchedulePage(SP::Days),       Gen)     \
CADENCER_EXTRA_PROPERTY_ROWS(X)
// clang-format on

namespace table_detail {
// The field a row's owner column names.
#define CADENCER_PROPERTY_FIELD_I(name) &InstanceSettings::name
#define CADENCER_PROPERTY_FIELD_S(name) &ScheduleSettings::name
#define CADENCER_PROPERTY_FIELD_N(name) \
    std::monostate {}
#define CADENCER_PROPERTY_ROW(name, dispid, type, def, owner, persist, let, width, fix, page, code) \
    PropertyRow{u"" #name, dispid, T::type, def, CADENCER_PROPERTY_FIELD_##owner(name), persist, let, width, fix, page},
#define CADENCER_PROPERTY_COUNT(...) +1
inline constexpr std::size_t kRowCount = 0 CADENCER_PROPERTY_ROWS(CADENCER_PROPERTY_COUNT);
}  // namespace table_detail

inline constexpr std::array<PropertyRow, table_detail::kRowCount> kProperties = [] {
    using namespace table_detail;
    return std::array<PropertyRow, kRowCount>{{CADENCER_PROPERTY_ROWS(CADENCER_PROPERTY_ROW)}};
}();

constexpr bool IsPersisted(const PropertyRow& row) {
    return row.persist.write >= 0;
}

// An input of the next-run computation: a let recomputes the next time from it.
constexpr bool IsScheduleInput(const PropertyRow& row) {
    return row.let == LetEffect::Recompute || row.let == LetEffect::RecomputeIfEvery;
}

namespace table_detail {

constexpr std::size_t CountPersisted() {
    std::size_t n = 0;
    for (const auto& row : kProperties) n += IsPersisted(row) ? 1 : 0;
    return n;
}

template <class Member>
constexpr bool Holds(const PropertyField& field) {
    return std::holds_alternative<Member>(field);
}

// The field's C++ type fits the automation type (and a computed property has no field).
constexpr bool FieldFitsType(const PropertyRow& row) {
    const auto& f = row.field;
    if (std::holds_alternative<std::monostate>(f)) return !IsPersisted(row) && !IsScheduleInput(row);
    switch (row.type) {
        case PropertyType::Boolean:
            return Holds<bool I::*>(f) || Holds<bool S::*>(f);
        case PropertyType::Integer:
            return Holds<std::int16_t S::*>(f);
        case PropertyType::Long:
        case PropertyType::FormPosition:
        case PropertyType::Occurs:
        case PropertyType::EveryType:
            return Holds<std::int32_t I::*>(f) || Holds<std::int32_t S::*>(f);
        case PropertyType::Date:
            return Holds<OleDate S::*>(f);
        case PropertyType::String:
            return Holds<std::u16string I::*>(f) || Holds<std::u16string S::*>(f);
        case PropertyType::Picture:
            return Holds<ObjectRef I::*>(f);
    }
    return false;
}

constexpr bool IsSharedField(const PropertyField& f) {
    return Holds<bool S::*>(f) || Holds<std::int16_t S::*>(f) || Holds<std::int32_t S::*>(f) ||
           Holds<OleDate S::*>(f) || Holds<std::u16string S::*>(f);
}

// Every rule a row must keep; a broken one stops the build at the throw.
constexpr bool CheckRows() {
    for (std::size_t i = 0; i < kProperties.size(); ++i) {
        const auto& row = kProperties[i];
        if (!FieldFitsType(row)) throw "a row's field does not fit its type";
        const bool persisted = IsPersisted(row);
        if ((row.persist.read >= 0) != persisted || (row.persist.stream >= 0) != persisted)
            throw "a persisted row needs all three places, a transient one none";
        using DK = PropertyDefault::Kind;
        if (persisted == (row.def.kind == DK::None || row.def.kind == DK::NeverRun))
            throw "exactly the persisted rows have defaults a bag reads";
        if ((row.def.kind == DK::None) != std::holds_alternative<std::monostate>(row.field))
            throw "exactly the stored properties have defaults";
        if ((row.def.kind == DK::NeverRun || row.def.kind == DK::CreationDay ||
             row.def.kind == DK::MonthAfterCreation) &&
            !Holds<OleDate S::*>(row.field))
            throw "a date default is for a date of the shared record";
        // A page shows only what a let can set.
        if (row.page.shownOn != PropertyPage::None && std::holds_alternative<std::monostate>(row.field))
            throw "a page shows a stored property";
        // The next-run computation reads the shared record only.
        if (IsScheduleInput(row) && !IsSharedField(row.field)) throw "a schedule input must live in ScheduleSettings";
        if ((row.width != 0) && row.type != PropertyType::String) throw "only strings have a fixed width";
        if (row.type == PropertyType::Picture && row.def.kind != PropertyDefault::Kind::ControlIcon)
            throw "a picture defaults to the control's icon";
        // Each correction fits the type it corrects.
        const auto fix = row.fix.kind;
        if ((fix == LetCorrection::Kind::EmptyText) != (row.type == PropertyType::String && row.width == 0))
            throw "exactly the texts are corrected when empty";
        if ((fix == LetCorrection::Kind::Selection) != (row.width != 0)) throw "exactly the selections are normalised";
        if ((fix == LetCorrection::Kind::ControlIcon) != (row.type == PropertyType::Picture))
            throw "exactly the picture falls back to the control's icon";
        if (fix == LetCorrection::Kind::OutOfRange &&
            (row.type != PropertyType::Integer || row.fix.low > row.fix.high || row.fix.replacement < -32768 ||
             row.fix.replacement > 32767))
            throw "a range correction is for an Integer and its replacement fits one";
        for (std::size_t j = 0; j < i; ++j)
            if (kProperties[j].name == row.name || kProperties[j].dispid == row.dispid)
                throw "names and DISPIDs are unique";
    }
    return true;
}
static_assert(CheckRows());

enum class Order { Read, Write, Stream };

constexpr int PlaceIn(const PropertyRow& row, Order order) {
    switch (order) {
        case Order::Read:
            return row.persist.read;
        case Order::Write:
            return row.persist.write;
        case Order::Stream:
            return row.persist.stream;
    }
    return -1;
}

// The rows' indices in kProperties, by their places in one order (ascending). The places
// of the write order and the stream's key indices are 0 to the number of persisted rows
// less one, each taken once; those of the read order need only be distinct (Enabled's,
// kReadLast, comes after every other).
constexpr std::array<std::size_t, CountPersisted()> Sequence(Order order) {
    std::array<std::size_t, CountPersisted()> rows{};
    std::size_t count = 0;
    for (int place = 0; place <= kReadLast; ++place)
        for (std::size_t i = 0; i < kProperties.size(); ++i)
            if (PlaceIn(kProperties[i], order) == place) {
                if (count == rows.size() || (count > 0 && PlaceIn(kProperties[rows[count - 1]], order) == place))
                    throw "places must be distinct";
                rows[count++] = i;
            }
    if (count != rows.size()) throw "a persisted row has a place outside 0 to kReadLast";
    if (order != Order::Read && PlaceIn(kProperties[rows.back()], order) != static_cast<int>(rows.size()) - 1)
        throw "write places and stream indices must be 0 to N-1, once each";
    return rows;
}

}  // namespace table_detail

inline constexpr std::size_t kPersistedCount = table_detail::CountPersisted();

// Rows (indices into kProperties) in the order the bag is read, the order it is written,
// and by stream key index.
inline constexpr auto kReadSequence = table_detail::Sequence(table_detail::Order::Read);
inline constexpr auto kWriteSequence = table_detail::Sequence(table_detail::Order::Write);
inline constexpr auto kStreamSequence = table_detail::Sequence(table_detail::Order::Stream);

// Reading a bag sets the never-run marker (LastScheduledTime is not persisted) after this
// many keys: the texts, the icon and the dialog flags come before it, the position and
// schedule keys after. A failure among the first ones ends the reading before the marker.
inline constexpr std::size_t kReadsBeforeNeverMarker = 9;

// The row of a property by its exact name, for code that names a property in the source:
// a misspelt name does not compile.
consteval const PropertyRow& Property(std::u16string_view name) {
    for (const auto& row : kProperties)
        if (row.name == name) return row;
    throw "no such property";
}

// Reading ends with Enabled, which is applied through its let.
static_assert(kProperties[kReadSequence.back()].name == u"Enabled");
static_assert(kReadsBeforeNeverMarker < kPersistedCount);

// The row of a property by name, matched as bags and automation match names: without
// regard to case. Null when the control has no such property.
inline const PropertyRow* FindProperty(std::u16string_view name) {
    for (const auto& row : kProperties)
        if (KeysEqualIgnoringCase(row.name, name)) return &row;
    return nullptr;
}

}  // namespace cadencer::control
