// The property table as the control core reads it: names found as bags and automation
// find them, the read and write defaults agreeing, and the properties that are not
// persisted never reaching the bag. (Its orders and bag types are held by the persistence
// tests, its names, DISPIDs and types against the type library by a Wine test.)
#include <gtest/gtest.h>

#include "control/property_table.h"
#include "control_fakes.h"
#include "utf8.h"

namespace cadencer::control::testing {
namespace {

// A bag that logs the keys asked for.
class LoggingBag : public MemoryPropertyBag {
public:
    std::vector<std::u16string> gets;
    Expected<std::optional<Variant>> Get(std::u16string_view key, VariantType wanted) override {
        gets.emplace_back(key);
        return MemoryPropertyBag::Get(key, wanted);
    }
};

class ControlPropertyTable : public ::testing::Test {
protected:
    void SetUp() override { SharedSchedule::Instance().ResetForTests(); }
    void TearDown() override { SharedSchedule::Instance().ResetForTests(); }
    const ObjectRef defaultIcon = std::make_shared<FakePicture>(77);
};

TEST_F(ControlPropertyTable, NamesAreFoundWithoutRegardToCase) {
    const PropertyRow* row = FindProperty(u"occursOPTION");
    ASSERT_NE(row, nullptr);
    EXPECT_EQ(row->name, u"OccursOption");
    EXPECT_EQ(row->dispid, 0x6803000F);
    EXPECT_EQ(FindProperty(u"SELECTIONSMONTHLY")->dispid, 0x68030000);
    EXPECT_EQ(FindProperty(u"Enabled")->dispid, 0x6803001E);
    EXPECT_EQ(FindProperty(u"Colour"), nullptr);
    EXPECT_EQ(FindProperty(u"OccursOptio"), nullptr);
    EXPECT_EQ(FindProperty(u""), nullptr);
}

TEST_F(ControlPropertyTable, AControlLoadedFromAnEmptyBagSavesTheIconAndTheDates) {
    // Reading and writing take their defaults from the same rows: nothing read as a fixed
    // default is written back; the icon and the dates (defaults of the day) always are.
    TestControl c(At(2026, 1, 31, 12, 0), defaultIcon);
    MemoryPropertyBag empty;
    ASSERT_TRUE(c.core->Load(empty).ok);
    MemoryPropertyBag saved;
    ASSERT_TRUE(c.core->Save(saved).ok);
    ASSERT_EQ(saved.Entries().size(), 3u);
    EXPECT_EQ(saved.Entries()[0].first, u"Icon");
    EXPECT_EQ(saved.Entries()[0].second.AsObject(), defaultIcon);
    EXPECT_EQ(saved.Entries()[1], (std::pair<std::u16string, Variant>{u"StartDate", Variant::Date(At(2026, 1, 31))}));
    EXPECT_EQ(saved.Entries()[2], (std::pair<std::u16string, Variant>{u"EndDate", Variant::Date(At(2026, 2, 28))}));
}

TEST_F(ControlPropertyTable, PropertiesThatAreNotPersistedNeverReachTheBag) {
    TestControl c(At(2026, 5, 1, 8, 0, 30), defaultIcon);
    c.core->InitNew();
    c.core->SetEnabled(true);
    c.core->SetOccursOption(1);
    c.core->SetLastScheduledTime(At(2026, 4, 30, 7, 0));
    LoggingBag bag;
    ASSERT_TRUE(c.core->Save(bag).ok);
    EXPECT_FALSE(bag.Contains(u"LastScheduledTime"));
    EXPECT_FALSE(bag.Contains(u"NextScheduledTime"));

    // Stored by someone else, they are not even asked for.
    bag.Put(u"LastScheduledTime", Variant::Date(At(2026, 4, 30, 7, 0)));
    bag.Put(u"NextScheduledTime", Variant::Date(At(2026, 4, 30, 8, 0)));
    TestControl d(At(2026, 5, 1, 8, 0, 30), defaultIcon);
    ASSERT_TRUE(d.core->Load(bag).ok);
    EXPECT_EQ(bag.gets.size(), kPersistedCount);
    for (const auto& key : bag.gets) {
        const PropertyRow* row = FindProperty(key);
        ASSERT_NE(row, nullptr);
        EXPECT_TRUE(IsPersisted(*row)) << ToUtf8(key);
    }
    EXPECT_EQ(d.core->LastScheduledTime(), At(1976, 5, 1, 8, 0, 30));
    EXPECT_EQ(d.core->NextScheduledTime(), At(2026, 5, 2, 0, 0));
}

}  // namespace
}  // namespace cadencer::control::testing
