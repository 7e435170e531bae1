// Titles and captions from a property bag are held to the length every stored form can
// carry: a longer text stops the reading at its key as an overflow, the texts before it
// kept, so a control never holds a value it could not save.
#include <gtest/gtest.h>

#include "control_fakes.h"
#include "utf8.h"

namespace cadencer::control::testing {
namespace {

class ControlTextLimit : public ::testing::Test {
protected:
    void SetUp() override {
        SharedSchedule::Instance().ResetForTests();
        SharedSchedule::Instance().SetDialogPort(&dialog);
    }
    void TearDown() override { SharedSchedule::Instance().ResetForTests(); }

    const ObjectRef defaultIcon = std::make_shared<FakePicture>(77);
    FakeDialog dialog;
};

TEST_F(ControlTextLimit, EachTextKeyTakesTheLimitAndRefusesOneMore) {
    for (const char16_t* key : {u"Title", u"CaptionOKButtonBefore", u"CaptionOKButtonAfter",
                                u"CaptionCloseButtonBefore", u"CaptionCloseButtonAfter", u"CaptionHelpButton"}) {
        for (const std::size_t length : {kMaxTextLength, kMaxTextLength + 1}) {
            TestControl c(At(2026, 3, 4, 5, 6, 7), defaultIcon);
            c.core->InitNew();
            MemoryPropertyBag bag;
            bag.Put(u"Modal", Variant::Bool(true));
            bag.Put(key, Variant::String(std::u16string(length, u'x')));
            const PersistStatus status = c.core->Load(bag);
            if (length == kMaxTextLength) {
                EXPECT_TRUE(status.ok) << ToUtf8(key);
                MemoryPropertyBag saved;
                EXPECT_TRUE(c.core->Save(saved).ok);
                const auto stored = saved.Get(key, VariantType::Empty);
                ASSERT_TRUE(stored && stored.value());
                EXPECT_EQ(stored.value()->AsString().size(), kMaxTextLength);
            } else {
                EXPECT_FALSE(status.ok) << ToUtf8(key);
                EXPECT_EQ(status.key, key);
                EXPECT_EQ(status.error, ValueError::Overflow);
            }
        }
    }
}

TEST_F(ControlTextLimit, SelectionsOfAnyLengthAreStillCutToTheirWidth) {
    TestControl c(At(2026, 3, 4, 5, 6, 7), defaultIcon);
    c.core->InitNew();
    MemoryPropertyBag bag;
    bag.Put(u"SelectionsWeekly", Variant::String(std::u16string(kMaxTextLength * 2, u'1')));
    ASSERT_TRUE(c.core->Load(bag).ok);
    EXPECT_EQ(c.core->SelectionsWeekly(), u"1111111");
}

}  // namespace
}  // namespace cadencer::control::testing
