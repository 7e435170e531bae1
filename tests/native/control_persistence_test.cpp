// Persistence of the control: new-instance defaults, the keys written in order with
// their defaults, reading in its own order without corrections, and stopping at a value
// that cannot be converted.
#include <gtest/gtest.h>

#include <algorithm>

#include "control_fakes.h"
#include "engine/next_run.h"
#include "stored_keys.h"

namespace cadencer::control::testing {
namespace {

// A bag that logs the keys asked for and can fail the store at one key.
class RecordingBag : public MemoryPropertyBag {
public:
    std::vector<std::u16string> gets;
    std::u16string failGetAt, failPutAt;
    std::vector<VariantType> wanted;
    Expected<std::optional<Variant>> Get(std::u16string_view key, VariantType type) override {
        gets.emplace_back(key);
        wanted.push_back(type);
        if (key == failGetAt) return ValueError::Storage;
        return MemoryPropertyBag::Get(key, type);
    }
    Expected<bool> Put(std::u16string_view key, const Variant& value) override {
        if (key == failPutAt) return ValueError::Storage;
        return MemoryPropertyBag::Put(key, value);
    }
    std::vector<std::u16string> Keys() const {
        std::vector<std::u16string> out;
        for (const auto& e : Entries()) out.push_back(e.first);
        return out;
    }
    const Variant& At(std::u16string_view key) const {
        for (const auto& e : Entries())
            if (e.first == key) return e.second;
        throw std::out_of_range("no such key");
    }
};

const std::vector<std::u16string> kWriteOrder(std::begin(cadencer_test::kStoredKeyNames),
                                              std::end(cadencer_test::kStoredKeyNames));

// Reading takes the icon right after the title and Enabled last, the rest in writing order.
const std::vector<std::u16string> kReadOrder = [] {
    std::vector<std::u16string> keys = kWriteOrder;
    keys.erase(keys.begin() + 9);  // the icon
    keys.insert(keys.begin() + 2, u"Icon");
    std::rotate(keys.begin(), keys.begin() + 1, keys.end());  // Enabled to the end
    return keys;
}();

class ControlPersistence : public ::testing::Test {
protected:
    void SetUp() override {
        SharedSchedule::Instance().ResetForTests();
        SharedSchedule::Instance().SetDialogPort(&dialog);
    }
    void TearDown() override { SharedSchedule::Instance().ResetForTests(); }

    const ObjectRef defaultIcon = std::make_shared<FakePicture>(77);
    FakeDialog dialog;
};

TEST_F(ControlPersistence, ANewInstanceGetsItsDefaultsQuietly) {
    const OleDate now = At(2026, 1, 31, 14, 15, 16);
    TestControl c(now, defaultIcon);
    c.core->InitNew();
    auto& core = *c.core;
    const auto& s = SharedSchedule::Instance().Settings();
    EXPECT_EQ(core.OccursOption(), 0);
    EXPECT_EQ(core.EveryInterval(), 1);
    EXPECT_EQ(core.EveryFrequency(), 0);
    EXPECT_EQ(core.EveryHourMin(), 1);
    EXPECT_EQ(core.EveryHourMax(), 12);
    EXPECT_EQ(core.EveryHourIncrement(), 1);
    EXPECT_EQ(core.EveryMinuteMin(), 15);
    EXPECT_EQ(core.EveryMinuteMax(), 600);
    EXPECT_EQ(core.EveryMinuteIncrement(), 5);
    EXPECT_EQ(core.StartHour(), 24);
    EXPECT_EQ(core.StartMinute(), 0);
    EXPECT_EQ(core.StartUpPosition(), 1);
    EXPECT_EQ(core.StartUpLeft(), 0);
    EXPECT_EQ(core.StartUpTop(), 0);
    EXPECT_EQ(core.Title(), u"Schedule");
    EXPECT_EQ(core.CaptionCloseButtonBefore(), u"Close");
    EXPECT_EQ(core.CaptionCloseButtonAfter(), u"Cancel");
    EXPECT_EQ(core.CaptionOKButtonBefore(), u"&OK");
    EXPECT_EQ(core.CaptionHelpButton(), u"&Help");
    EXPECT_EQ(core.StartDate(), At(2026, 1, 31));
    EXPECT_EQ(core.EndDate(), At(2026, 2, 28));  // one calendar month, clamped
    EXPECT_FALSE(core.UseEndDate());
    EXPECT_FALSE(core.Modal());
    EXPECT_FALSE(core.ShowHelpButton());
    EXPECT_EQ(core.SelectionsWeekly(), u"0000000");
    EXPECT_EQ(core.SelectionsMonthly(), std::u16string(31, u'0'));
    EXPECT_EQ(core.Icon(), defaultIcon);
    EXPECT_EQ(s.LastScheduledTime, At(1976, 1, 31, 14, 15, 16));  // seconds kept
    EXPECT_TRUE(core.Enabled());
    EXPECT_EQ(core.StoredNextScheduledTime(), 0.0);
    EXPECT_FALSE(c.timer.running);
    EXPECT_EQ(c.timer.starts, 0);
    EXPECT_TRUE(c.site.notices.empty());
}

// The icon and both dates, whose defaults are not fixed values, are the keys always written.
TEST_F(ControlPersistence, AnUnchangedNewInstanceStoresTheIconAndItsDates) {
    TestControl c(At(2026, 5, 1, 8, 0), defaultIcon);
    c.core->InitNew();
    RecordingBag bag;
    EXPECT_TRUE(c.core->Save(bag).ok);
    EXPECT_EQ(bag.Keys(), (std::vector<std::u16string>{u"Icon", u"StartDate", u"EndDate"}));
    EXPECT_EQ(bag.At(u"Icon").AsObject(), defaultIcon);
}

// A script host calls neither InitNew nor Load: the shared record already holds a new
// control's defaults from the first control's creation, and a later control taking its
// own defaults (InitNewInstance) leaves what another control set.
TEST_F(ControlPersistence, AControlWithoutInitNewJoinsTheSharedRecordAsItStands) {
    TestControl a(At(2026, 1, 31, 14, 15, 16), defaultIcon);
    const auto& s = SharedSchedule::Instance().Settings();
    EXPECT_EQ(s.Title, u"Schedule");
    EXPECT_EQ(s.EveryMinuteMax, 600);
    EXPECT_EQ(s.StartDate, At(2026, 1, 31));
    EXPECT_EQ(s.EndDate, At(2026, 2, 28));
    EXPECT_EQ(s.LastScheduledTime, At(1976, 1, 31, 14, 15, 16));
    a.core->InitNewInstance();
    a.core->SetOccursOption(3);
    a.core->SetTitle(u"Mine");
    a.core->SetCaptionHelpButton(u"Own");

    TestControl b(At(2026, 2, 2, 9, 0), defaultIcon);  // created later: resets nothing
    b.core->InitNewInstance();
    EXPECT_EQ(b.core->OccursOption(), 3);
    EXPECT_EQ(b.core->Title(), u"Mine");
    EXPECT_EQ(b.core->StartDate(), At(2026, 1, 31));
    EXPECT_EQ(b.core->CaptionHelpButton(), u"&Help");
    EXPECT_EQ(b.core->Icon(), defaultIcon);
    EXPECT_TRUE(b.core->Enabled());
    EXPECT_EQ(a.core->OccursOption(), 3);
    EXPECT_EQ(a.core->CaptionHelpButton(), u"Own");

    // InitNew keeps its effect: the shared record gets a new control's defaults.
    TestControl c(At(2026, 2, 3, 9, 0), defaultIcon);
    c.core->InitNew();
    EXPECT_EQ(a.core->OccursOption(), 0);
    EXPECT_EQ(a.core->Title(), u"Schedule");
    EXPECT_EQ(a.core->StartDate(), At(2026, 2, 3));
}

TEST_F(ControlPersistence, EveryKeyIsWrittenInOrderWithItsType) {
    TestControl c(At(2026, 5, 1, 8, 0), defaultIcon);
    auto& core = *c.core;
    core.InitNew();
    core.SetEnabled(false);
    core.SetTitle(u"T");
    core.SetModal(true);
    core.SetShowHelpButton(true);
    core.SetCaptionOKButtonBefore(u"a");
    core.SetCaptionOKButtonAfter(u"b");
    core.SetCaptionCloseButtonBefore(u"c");
    core.SetCaptionCloseButtonAfter(u"d");
    core.SetCaptionHelpButton(u"e");
    core.SetStartUpPosition(0);
    core.SetStartUpLeft(1440);
    core.SetStartUpTop(720);
    core.SetOccursOption(3);
    core.SetEveryInterval(2);
    core.SetEveryFrequency(1);
    core.SetEveryHourMin(2);
    core.SetEveryHourMax(3);
    core.SetEveryHourIncrement(4);
    core.SetEveryMinuteMin(5);
    core.SetEveryMinuteMax(6);
    core.SetEveryMinuteIncrement(7);
    core.SetStartHour(8);
    core.SetStartMinute(9);
    core.SetStartDate(At(2026, 6, 1));
    core.SetEndDate(At(2026, 7, 1));
    core.SetUseEndDate(true);
    core.SetSelectionsWeekly(u"1");
    core.SetSelectionsMonthly(u"01");
    RecordingBag bag;
    ASSERT_TRUE(core.Save(bag).ok);
    EXPECT_EQ(bag.Keys(), kWriteOrder);
    EXPECT_EQ(bag.At(u"Enabled"), Variant::Bool(false));
    EXPECT_EQ(bag.At(u"StartUpPosition"), Variant::I32(0));
    EXPECT_EQ(bag.At(u"StartUpLeft"), Variant::I32(1440));
    EXPECT_EQ(bag.At(u"OccursOption"), Variant::I32(3));
    EXPECT_EQ(bag.At(u"EveryFrequency"), Variant::I32(1));
    EXPECT_EQ(bag.At(u"EveryInterval"), Variant::I16(2));
    EXPECT_EQ(bag.At(u"StartMinute"), Variant::I16(9));
    EXPECT_EQ(bag.At(u"StartDate"), Variant::Date(At(2026, 6, 1)));
    EXPECT_EQ(bag.At(u"UseEndDate"), Variant::Bool(true));
    EXPECT_EQ(bag.At(u"SelectionsWeekly"), Variant::String(u"1000000"));
    EXPECT_EQ(bag.At(u"SelectionsMonthly"), Variant::String(u"01" + std::u16string(29, u'0')));

    // Another control created later and loaded from the bag gets every value back.
    core.Terminate();
    SharedSchedule::Instance().ResetForTests();
    TestControl d(At(2026, 5, 3, 9, 0), defaultIcon);
    ASSERT_TRUE(d.core->Load(bag).ok);
    RecordingBag again;
    ASSERT_TRUE(d.core->Save(again).ok);
    EXPECT_EQ(again.Entries(), bag.Entries());
}

TEST_F(ControlPersistence, ReadingFollowsItsOrderWithoutCorrections) {
    TestControl c(At(2026, 5, 1, 8, 0), defaultIcon);
    RecordingBag bag;
    bag.Put(u"Title", Variant::String(u""));
    bag.Put(u"StartHour", Variant::I16(30));
    bag.Put(u"EveryMinuteMax", Variant::I32(5000));
    bag.Put(u"SelectionsWeekly", Variant::String(u"101"));
    bag.Put(u"SelectionsMonthly", Variant::String(u"1010101010" + std::u16string(30, u'1')));
    bag.Put(u"OccursOption", Variant::String(u"2"));  // converted as the platform does
    ASSERT_TRUE(c.core->Load(bag).ok);
    EXPECT_EQ(bag.gets, kReadOrder);
    // Each key is asked for as its field's type, so that a bag converts what it holds by
    // its platform's rules (text from a web page or a hand-edited form included).
    using T = VariantType;
    const std::vector<VariantType> fieldTypes = {
        T::String, T::Object, T::Bool, T::Bool, T::String, T::String, T::String, T::String, T::String, T::I32,
        T::I32,    T::I32,    T::I32,  T::I16,  T::I32,    T::I16,    T::I16,    T::I16,    T::I16,    T::I16,
        T::I16,    T::I16,    T::I16,  T::Date, T::Date,   T::Bool,   T::String, T::String, T::Bool};
    EXPECT_EQ(bag.wanted, fieldTypes);
    EXPECT_EQ(c.core->Title(), u"");
    EXPECT_EQ(c.core->StartHour(), 30);
    EXPECT_EQ(c.core->EveryMinuteMax(), 5000);
    EXPECT_EQ(c.core->OccursOption(), 2);
    EXPECT_EQ(c.core->SelectionsWeekly(), u"101    ");
    EXPECT_EQ(c.core->SelectionsMonthly().size(), 31u);
    EXPECT_EQ(c.core->SelectionsMonthly().substr(0, 10), u"1010101010");
    // Loading does not mark the host's form as modified.
    EXPECT_TRUE(c.site.notices.empty());
}

TEST_F(ControlPersistence, LoadingResetsTheLastTimeAndAppliesEnabledLast) {
    TestControl c(At(2026, 5, 1, 8, 0, 30), defaultIcon);
    SharedSchedule::Instance().Settings().LastScheduledTime = At(2026, 4, 30, 7, 0);
    RecordingBag bag;
    bag.Put(u"OccursOption", Variant::I32(1));
    bag.Put(u"StartHour", Variant::I16(8));
    ASSERT_TRUE(c.core->Load(bag).ok);
    EXPECT_EQ(SharedSchedule::Instance().Settings().LastScheduledTime, At(1976, 5, 1, 8, 0, 30));
    // Enabled through its setter: offset 1 counts the present minute as past.
    EXPECT_EQ(c.core->NextScheduledTime(), At(2026, 5, 2, 8, 0));
    EXPECT_TRUE(c.timer.running);

    TestControl d(At(2026, 5, 1, 8, 0, 30), defaultIcon);
    RecordingBag disabled;
    disabled.Put(u"Enabled", Variant::Bool(false));
    ASSERT_TRUE(d.core->Load(disabled).ok);
    EXPECT_FALSE(d.core->Enabled());
    EXPECT_EQ(d.core->StoredNextScheduledTime(), 0.0);
    EXPECT_FALSE(d.timer.running);
}

// A control saved on its creation day keeps the dates the user saw when loaded later; a bag
// written without them (an older form) takes them from the loading control's creation day.
TEST_F(ControlPersistence, SavedDatesStayAndMissingOnesFollowTheCreationDay) {
    TestControl c(At(2026, 1, 31, 23, 0), defaultIcon);
    c.core->InitNew();
    RecordingBag bag;
    c.core->Save(bag);
    TestControl later(At(2026, 3, 31, 6, 0), defaultIcon);
    ASSERT_TRUE(later.core->Load(bag).ok);
    EXPECT_EQ(later.core->StartDate(), At(2026, 1, 31));
    EXPECT_EQ(later.core->EndDate(), At(2026, 2, 28));

    RecordingBag older;
    TestControl oldForm(At(2026, 3, 31, 6, 0), defaultIcon);
    ASSERT_TRUE(oldForm.core->Load(older).ok);
    EXPECT_EQ(oldForm.core->StartDate(), At(2026, 3, 31));
    EXPECT_EQ(oldForm.core->EndDate(), At(2026, 4, 30));
}

TEST_F(ControlPersistence, AStoredIconIsUsedAndAnEmptyOneGivesTheDefault) {
    const auto custom = std::make_shared<FakePicture>(9);
    for (const auto& [stored, expected] : {std::pair{Variant::Object(custom), ObjectRef(custom)},
                                           std::pair{Variant::Object(std::make_shared<FakePicture>(0)), defaultIcon},
                                           std::pair{Variant(), defaultIcon}}) {
        TestControl c(At(2026, 5, 1, 8, 0), defaultIcon);
        RecordingBag bag;
        bag.Put(u"Icon", stored);
        ASSERT_TRUE(c.core->Load(bag).ok);
        EXPECT_EQ(c.core->Icon(), expected);
    }
}

TEST_F(ControlPersistence, AnUnconvertibleValueStopsTheReadingAtItsKey) {
    TestControl c(At(2026, 5, 1, 8, 0), defaultIcon);
    c.core->InitNew();
    RecordingBag bag;
    bag.Put(u"OccursOption", Variant::I32(4));
    bag.Put(u"EveryHourMax", Variant::String(u"twelve"));
    bag.Put(u"EveryHourIncrement", Variant::I16(3));
    bag.Put(u"Enabled", Variant::Bool(true));
    // Checked first, the same bag reports the same failure and changes nothing.
    const std::int32_t occursBefore = c.core->OccursOption();
    ASSERT_NE(occursBefore, 4);
    const auto checked = c.core->CheckLoad(bag);
    EXPECT_EQ(checked.key, u"EveryHourMax");
    EXPECT_EQ(checked.error, ValueError::TypeMismatch);
    EXPECT_EQ(c.core->OccursOption(), occursBefore);
    bag.gets.clear();
    const auto status = c.core->Load(bag);
    EXPECT_FALSE(status.ok);
    EXPECT_EQ(status.key, u"EveryHourMax");
    EXPECT_EQ(status.error, ValueError::TypeMismatch);
    EXPECT_EQ(bag.gets.back(), u"EveryHourMax");
    EXPECT_EQ(c.core->OccursOption(), 4);               // read before: kept
    EXPECT_EQ(c.core->EveryHourMax(), 12);              // the failing key: untouched
    EXPECT_EQ(c.core->EveryHourIncrement(), 1);         // later: untouched
    EXPECT_EQ(c.core->StoredNextScheduledTime(), 0.0);  // Enabled not applied
    EXPECT_FALSE(c.timer.running);

    TestControl d(At(2026, 5, 1, 8, 0), defaultIcon);
    RecordingBag overflow;
    overflow.Put(u"EveryInterval", Variant::I32(70000));
    EXPECT_EQ(d.core->Load(overflow).error, ValueError::Overflow);

    TestControl e(At(2026, 5, 1, 8, 0), defaultIcon);
    RecordingBag early;
    early.failGetAt = u"Modal";
    early.Put(u"Title", Variant::String(u"Read"));
    const auto storage = e.core->Load(early);
    EXPECT_EQ(storage.key, u"Modal");
    EXPECT_EQ(storage.error, ValueError::Storage);
    EXPECT_EQ(e.core->Title(), u"Read");
}

TEST_F(ControlPersistence, AFailingStoreEndsTheWritingAtItsKey) {
    TestControl c(At(2026, 5, 1, 8, 0), defaultIcon);
    c.core->InitNew();
    c.core->SetTitle(u"Before");
    c.core->SetStartHour(3);
    RecordingBag bag;
    bag.failPutAt = u"Icon";
    const auto status = c.core->Save(bag);
    EXPECT_FALSE(status.ok);
    EXPECT_EQ(status.key, u"Icon");
    EXPECT_EQ(status.error, ValueError::Storage);
    EXPECT_EQ(bag.Keys(), std::vector<std::u16string>{u"Title"});
}

}  // namespace
}  // namespace cadencer::control::testing
