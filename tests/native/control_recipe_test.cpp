// README.md's "How to add a property", followed once: the control core built with one more
// row and its field (control_recipe_property.h) and nothing else changed. The new property
// takes its default, gets and puts (with its row's correction and change notice), is saved
// after every other key and loads back.
#include "control_recipe_property.h"

#include <gtest/gtest.h>

#include "control_fakes.h"

namespace cadencer::control::testing {
namespace {

TEST(PropertyRecipe, ADummyRowLoadsSavesGetsAndPuts) {
    SharedSchedule::Instance().ResetForTests();
    static_assert(kProperties.size() == 32 && kPersistedCount == 30);
    {
        TestControl saved(At(2026, 12, 7, 9, 0));
        auto& core = *saved.core;
        core.InitNew();
        EXPECT_EQ(core.Greeting(), u"Hello");  // the row's default

        // Get and put, by the generated accessors and through the row found by name.
        core.SetGreeting(u"Good morning");
        EXPECT_EQ(core.Get<std::u16string>(*FindProperty(u"greeting")), u"Good morning");
        EXPECT_EQ(saved.site.notices.back(), u"Greeting");
        core.Let(*FindProperty(u"Greeting"), std::u16string());
        EXPECT_EQ(core.Greeting(), u"Hello");  // the row's correction: empty is the default
        MemoryPropertyBag atDefault;
        ASSERT_TRUE(core.Save(atDefault).ok);
        EXPECT_FALSE(atDefault.Contains(u"Greeting"));  // a default is left out

        core.SetGreeting(u"Hi");
        MemoryPropertyBag bag;
        ASSERT_TRUE(core.Save(bag).ok);
        ASSERT_FALSE(bag.Entries().empty());
        EXPECT_EQ(bag.Entries().back().first, u"Greeting");  // written last (place 29)
        EXPECT_EQ(bag.Entries().back().second, Variant::String(u"Hi"));

        TestControl loaded(At(2026, 12, 8, 9, 0));
        ASSERT_TRUE(loaded.core->Load(bag).ok);
        EXPECT_EQ(loaded.core->Greeting(), u"Hi");
        EXPECT_TRUE(loaded.core->Enabled());  // Enabled is still read last, after the new key

        MemoryPropertyBag refused;
        ASSERT_TRUE(refused.Put(u"Greeting", Variant::Object(nullptr)).ok());
        const PersistStatus status = loaded.core->Load(refused);
        EXPECT_FALSE(status.ok);
        EXPECT_EQ(status.key, u"Greeting");  // a failure names the new key
    }
    SharedSchedule::Instance().ResetForTests();
}

}  // namespace
}  // namespace cadencer::control::testing
