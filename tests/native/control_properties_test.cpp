// Property lets: corrections, recomputation under the run-time gate, change notices by
// name, the icon, and what two controls of one process share.
#include <gtest/gtest.h>

#include "control_fakes.h"

namespace cadencer::control::testing {
namespace {

class ControlProperties : public ::testing::Test {
protected:
    void SetUp() override {
        SharedSchedule::Instance().ResetForTests();
        c.core->InitNew();
        c.core->SetEnabled(true);
        c.site.notices.clear();
    }
    void TearDown() override { SharedSchedule::Instance().ResetForTests(); }

    TestControl c{At(2026, 3, 10, 9, 0), std::make_shared<FakePicture>(77)};
};

TEST_F(ControlProperties, NumericCorrections) {
    auto& core = *c.core;
    const std::pair<std::int16_t, std::int16_t> hours[] = {{25, 24}, {-1, 24}, {24, 24}, {0, 0}, {13, 13}};
    for (auto [in, stored] : hours) {
        core.SetStartHour(in);
        EXPECT_EQ(core.StartHour(), stored) << in;
    }
    const std::pair<std::int16_t, std::int16_t> minutes[] = {{60, 0}, {-5, 0}, {59, 59}, {0, 0}};
    for (auto [in, stored] : minutes) {
        core.SetStartMinute(in);
        EXPECT_EQ(core.StartMinute(), stored) << in;
    }
    // The four limits are capped at 999 with no lower bound; increments are taken as given.
    core.SetEveryMinuteMax(1000);
    core.SetEveryMinuteMin(32767);
    core.SetEveryHourMax(999);
    core.SetEveryHourMin(0);
    EXPECT_EQ(core.EveryMinuteMax(), 999);
    EXPECT_EQ(core.EveryMinuteMin(), 999);
    EXPECT_EQ(core.EveryHourMax(), 999);
    EXPECT_EQ(core.EveryHourMin(), 0);
    core.SetEveryMinuteMax(-3);
    EXPECT_EQ(core.EveryMinuteMax(), -3);
    core.SetEveryHourIncrement(5000);
    core.SetEveryMinuteIncrement(-7);
    EXPECT_EQ(core.EveryHourIncrement(), 5000);
    EXPECT_EQ(core.EveryMinuteIncrement(), -7);
    // Enumerations and per-instance numbers take any value.
    core.SetOccursOption(17);
    core.SetEveryFrequency(-2);
    core.SetStartUpPosition(9);
    core.SetStartUpLeft(-100000);
    EXPECT_EQ(core.OccursOption(), 17);
    EXPECT_EQ(core.EveryFrequency(), -2);
    EXPECT_EQ(core.StartUpPosition(), 9);
    EXPECT_EQ(core.StartUpLeft(), -100000);
}

TEST_F(ControlProperties, TextsAreReplacedOnlyWhenEmpty) {
    auto& core = *c.core;
    core.SetTitle(u"");
    core.SetCaptionOKButtonBefore(u"");
    core.SetCaptionOKButtonAfter(u"");
    core.SetCaptionCloseButtonBefore(u"");
    core.SetCaptionCloseButtonAfter(u"");
    core.SetCaptionHelpButton(u"");
    EXPECT_EQ(core.Title(), u"Schedule");
    EXPECT_EQ(core.CaptionOKButtonBefore(), u"&OK");
    EXPECT_EQ(core.CaptionOKButtonAfter(), u"&OK");
    EXPECT_EQ(core.CaptionCloseButtonBefore(), u"Close");
    EXPECT_EQ(core.CaptionCloseButtonAfter(), u"Cancel");
    EXPECT_EQ(core.CaptionHelpButton(), u"&Help");
    core.SetCaptionCloseButtonAfter(u" ");
    core.SetTitle(u"Backup plan");
    EXPECT_EQ(core.CaptionCloseButtonAfter(), u" ");
    EXPECT_EQ(core.Title(), u"Backup plan");
}

TEST_F(ControlProperties, SelectionsAreNormalisedInTwoPasses) {
    auto& core = *c.core;
    const std::pair<std::u16string, std::u16string> weekly[] = {{u"1111111111", u"1111111"}, {u"2", u"0000000"},
                                                                {u"11", u"1100000"},         {u"1x1", u"1010000"},
                                                                {u"", u"0000000"},           {u"0111110", u"0111110"}};
    for (const auto& [in, stored] : weekly) {
        core.SetSelectionsWeekly(in);
        EXPECT_EQ(core.SelectionsWeekly(), stored);
    }
    core.SetSelectionsMonthly(u"1");
    EXPECT_EQ(core.SelectionsMonthly(), u"1" + std::u16string(30, u'0'));
    core.SetSelectionsMonthly(std::u16string(40, u'1'));
    EXPECT_EQ(core.SelectionsMonthly(), std::u16string(31, u'1'));
}

TEST_F(ControlProperties, EveryLetReportsItsOwnNameAndOnlySchedulePropertiesRecompute) {
    auto& core = *c.core;
    core.SetOccursOption(1);  // Daily, midnight
    EXPECT_EQ(core.NextScheduledTime(), At(2026, 3, 11));
    // Each schedule let recomputes with offset 0: a start time in the present minute is due now.
    core.SetStartHour(9);
    EXPECT_EQ(core.NextScheduledTime(), At(2026, 3, 10, 9, 0));
    core.SetStartMinute(30);
    EXPECT_EQ(core.NextScheduledTime(), At(2026, 3, 10, 9, 30));
    core.SetStartDate(At(2026, 3, 20));
    EXPECT_EQ(core.NextScheduledTime(), At(2026, 3, 20, 9, 30));
    core.SetEndDate(At(2026, 3, 15));
    EXPECT_EQ(core.NextScheduledTime(), At(2026, 3, 20, 9, 30));
    core.SetUseEndDate(true);
    EXPECT_EQ(core.NextScheduledTime(), TruncateToMinute(At(1976, 3, 10, 9, 0)));
    core.SetUseEndDate(false);
    core.SetStartDate(At(2026, 3, 10));
    core.SetOccursOption(2);               // Weekly, nothing selected
    core.SetSelectionsWeekly(u"0010000");  // Tuesdays (10 March 2026 is one)
    EXPECT_EQ(core.NextScheduledTime(), At(2026, 3, 10, 9, 30));
    core.SetOccursOption(3);
    core.SetSelectionsMonthly(std::u16string(30, u'0') + u"1");
    EXPECT_EQ(core.NextScheduledTime(), At(2026, 3, 31, 9, 30));
    core.SetOccursOption(4);
    core.SetEveryFrequency(1);
    core.SetEveryInterval(20);
    EXPECT_EQ(core.NextScheduledTime(), At(2026, 3, 10, 9, 20));

    // Non-schedule lets leave the next time alone even when the schedule changed under it.
    const OleDate next = core.StoredNextScheduledTime();
    SharedSchedule::Instance().Settings().EveryInterval = 90;
    core.SetTitle(u"T");
    core.SetCaptionOKButtonBefore(u"a");
    core.SetCaptionOKButtonAfter(u"b");
    core.SetCaptionCloseButtonBefore(u"c");
    core.SetCaptionCloseButtonAfter(u"d");
    core.SetCaptionHelpButton(u"e");
    core.SetModal(true);
    core.SetShowHelpButton(true);
    core.SetStartUpPosition(0);
    core.SetStartUpLeft(1);
    core.SetStartUpTop(2);
    core.SetEveryHourMin(1);
    core.SetEveryHourMax(2);
    core.SetEveryHourIncrement(3);
    core.SetEveryMinuteMin(4);
    core.SetEveryMinuteMax(5);
    core.SetEveryMinuteIncrement(6);
    core.SetIcon(nullptr);
    EXPECT_EQ(core.StoredNextScheduledTime(), next);

    const std::vector<std::u16string> expected = {u"OccursOption",
                                                  u"StartHour",
                                                  u"StartMinute",
                                                  u"StartDate",
                                                  u"EndDate",
                                                  u"UseEndDate",
                                                  u"UseEndDate",
                                                  u"StartDate",
                                                  u"OccursOption",
                                                  u"SelectionsWeekly",
                                                  u"OccursOption",
                                                  u"SelectionsMonthly",
                                                  u"OccursOption",
                                                  u"EveryFrequency",
                                                  u"EveryInterval",
                                                  u"Title",
                                                  u"CaptionOKButtonBefore",
                                                  u"CaptionOKButtonAfter",
                                                  u"CaptionCloseButtonBefore",
                                                  u"CaptionCloseButtonAfter",
                                                  u"CaptionHelpButton",
                                                  u"Modal",
                                                  u"ShowHelpButton",
                                                  u"StartUpPosition",
                                                  u"StartUpLeft",
                                                  u"StartUpTop",
                                                  u"EveryHourMin",
                                                  u"EveryHourMax",
                                                  u"EveryHourIncrement",
                                                  u"EveryMinuteMin",
                                                  u"EveryMinuteMax",
                                                  u"EveryMinuteIncrement",
                                                  u"Icon"};
    EXPECT_EQ(c.site.notices, expected);
}

TEST_F(ControlProperties, LetsOutsideTheGateStoreAndReportButDoNotRecompute) {
    auto& core = *c.core;
    const OleDate next = core.StoredNextScheduledTime();
    c.site.userMode = false;
    core.SetOccursOption(1);
    EXPECT_EQ(core.OccursOption(), 1);
    EXPECT_EQ(core.StoredNextScheduledTime(), next);
    EXPECT_EQ(c.site.notices.back(), u"OccursOption");
    c.site.userMode = true;
    core.SetEnabled(false);
    core.SetStartHour(7);
    EXPECT_EQ(core.StoredNextScheduledTime(), next);
    EXPECT_EQ(c.site.notices.back(), u"StartHour");
}

TEST_F(ControlProperties, AnEmptyIconRestoresTheDefault) {
    auto& core = *c.core;
    const ObjectRef defaultIcon = core.Icon();
    ASSERT_TRUE(defaultIcon);
    EXPECT_EQ(defaultIcon->Handle(), 77u);
    const auto custom = std::make_shared<FakePicture>(5);
    core.SetIcon(custom);
    EXPECT_EQ(core.Icon(), custom);
    core.SetIcon(std::make_shared<FakePicture>(0));
    EXPECT_EQ(core.Icon(), defaultIcon);
    core.SetIcon(custom);
    core.SetIcon(nullptr);
    EXPECT_EQ(core.Icon(), defaultIcon);
}

TEST_F(ControlProperties, TwoControlsShareTheScheduleButNotTheirOwnFields) {
    TestControl second(At(2026, 3, 10, 9, 0));
    second.core->InitNew();  // the last created sets the shared schedule
    second.core->SetEnabled(true);
    auto& a = *c.core;
    auto& b = *second.core;
    a.SetOccursOption(2);
    a.SetSelectionsWeekly(u"1");
    a.SetStartHour(6);
    a.SetTitle(u"Shared title");
    EXPECT_EQ(b.OccursOption(), 2);
    EXPECT_EQ(b.SelectionsWeekly(), u"1000000");
    EXPECT_EQ(b.StartHour(), 6);
    EXPECT_EQ(b.Title(), u"Shared title");
    a.SetCaptionHelpButton(u"Mine");
    a.SetModal(true);
    a.SetShowHelpButton(true);
    a.SetStartUpPosition(0);
    a.SetStartUpTop(99);
    a.SetStartUpLeft(98);
    a.SetIcon(std::make_shared<FakePicture>(3));
    EXPECT_EQ(b.CaptionHelpButton(), u"&Help");
    EXPECT_FALSE(b.Modal());
    EXPECT_FALSE(b.ShowHelpButton());
    EXPECT_EQ(b.StartUpPosition(), 1);
    EXPECT_EQ(b.StartUpTop(), 0);
    EXPECT_EQ(b.StartUpLeft(), 0);
    EXPECT_EQ(b.Icon(), nullptr);  // this one was created without a default icon
    a.SetEnabled(false);
    EXPECT_TRUE(b.Enabled());
    // The next time is each control's own: only a's lets recomputed a's; b still holds
    // what it computed for Never when it was enabled.
    EXPECT_EQ(a.StoredNextScheduledTime(), At(2026, 3, 15, 6, 0));
    EXPECT_EQ(b.NextScheduledTime(), TruncateToMinute(At(1976, 3, 10, 9, 0)));
    // The firing of one is seen by the other as the shared last execution time.
    c.clock.Set(At(2026, 3, 10, 12, 34, 56));
    second.clock.Set(At(2026, 3, 10, 12, 34, 56));
    b.Execute();
    a.SetEnabled(true);
    EXPECT_EQ(a.LastScheduledTime(), At(2026, 3, 10, 12, 34));
}

}  // namespace
}  // namespace cadencer::control::testing
