// Hosting of the schedule dialog through the dialog port: opening, placing and
// presenting it, the callbacks reaching the current owner, SetFocus, closing paths, and
// hosts that disable or destroy controls while the dialog is up.
#include <gtest/gtest.h>

#include "control_fakes.h"

namespace cadencer::control::testing {
namespace {

class ControlDialog : public ::testing::Test {
protected:
    void SetUp() override {
        SharedSchedule::Instance().ResetForTests();
        SharedSchedule::Instance().SetDialogPort(&dialog);
        SharedSchedule::Instance().SetAboutPort(&about);
        about.journal = &dialog.calls;
        a = Make();
    }
    void TearDown() override {
        a.reset();
        b.reset();
        SharedSchedule::Instance().ResetForTests();
    }
    std::unique_ptr<TestControl> Make() {
        auto c = std::make_unique<TestControl>(At(2026, 3, 10, 9, 0), defaultIcon);
        c->LoadEmpty();
        return c;
    }

    const ObjectRef defaultIcon = std::make_shared<FakePicture>(77);
    FakeDialog dialog;
    FakeAbout about;
    std::unique_ptr<TestControl> a, b;
};

TEST_F(ControlDialog, OpeningLoadsPlacesPresentsAndShows) {
    a->core->SetTitle(u"Backups");
    a->core->SetCaptionCloseButtonBefore(u"Done");
    a->core->SetCaptionHelpButton(u"Hints");
    a->core->SetShowHelpButton(true);
    a->core->DisplayScheduler();
    EXPECT_EQ(SharedSchedule::Instance().OwnerControl(), a->core);
    EXPECT_EQ(dialog.calls, (std::vector<std::string>{"Load", "Move", "Present", "ShowModeless"}));
    EXPECT_EQ(dialog.position, (std::pair<std::int32_t, std::int32_t>{4680, 2370}));
    ASSERT_TRUE(dialog.presented);
    const auto& p = *dialog.presented;
    EXPECT_EQ(p.caption, u"Backups");
    EXPECT_EQ(p.icon, defaultIcon);
    EXPECT_FALSE(p.okEnabled);
    EXPECT_TRUE(p.closeIsDefault);
    EXPECT_EQ(p.closeCaption, u"Done");
    EXPECT_TRUE(p.showHelpButton);
    EXPECT_EQ(p.helpCaption, u"Hints");
    EXPECT_TRUE(dialog.shown);
    EXPECT_FALSE(dialog.modal);
}

TEST_F(ControlDialog, PlacementAndPresentationFollowTheProperties) {
    a->core->SetStartUpPosition(0);
    a->core->SetStartUpLeft(1440);
    a->core->SetStartUpTop(720);
    const auto custom = std::make_shared<FakePicture>(5);
    a->core->SetIcon(custom);
    SharedSchedule::Instance().Settings().Title.clear();  // as a loaded empty title
    a->core->DisplayScheduler();
    EXPECT_EQ(dialog.position, (std::pair<std::int32_t, std::int32_t>{1440, 720}));
    EXPECT_EQ(dialog.presented->caption, u"");  // the designed caption stays
    EXPECT_EQ(dialog.presented->icon, custom);
    EXPECT_FALSE(dialog.presented->showHelpButton);
    EXPECT_EQ(dialog.presented->helpCaption, u"&Help");
    a->core->CloseScheduler();

    dialog.position.reset();
    a->core->SetStartUpPosition(7);  // unknown: the position is left alone
    a->core->DisplayScheduler();
    EXPECT_FALSE(dialog.position);
}

TEST_F(ControlDialog, AModalDialogReportsSavingAndClosingBeforeReturning) {
    a->core->SetModal(true);
    a->core->SetOccursOption(1);
    dialog.modalLoop = [&] {
        EXPECT_TRUE(SharedSchedule::Instance().Settings().SchedulerFocusFlag);
        a->core->SetFocus();
        SharedSchedule::Instance().FlagHelpButton();
        SharedSchedule::Instance().Settings().StartHour = 15;  // the user's edit, saved with OK
        dialog.SaveWithOK();
    };
    a->core->DisplayScheduler();
    EXPECT_FALSE(dialog.loaded);
    EXPECT_EQ(dialog.focuses, 1);
    ASSERT_EQ(a->site.events.size(), 3u);
    EXPECT_EQ(a->site.events[0].kind, Event::HelpButtonClicked);
    EXPECT_EQ(a->site.events[1].kind, Event::ScheduleChanged);
    EXPECT_EQ(a->site.events[2].kind, Event::SchedulerClosed);
    EXPECT_EQ(a->core->NextScheduledTime(), At(2026, 3, 10, 15, 0));
    // Closed: SetFocus is without effect again.
    EXPECT_FALSE(SharedSchedule::Instance().Settings().SchedulerFocusFlag);
    a->core->SetFocus();
    EXPECT_EQ(dialog.focuses, 1);
}

TEST_F(ControlDialog, CloseSchedulerUnloadsAndTheHostHearsOfIt) {
    a->core->CloseScheduler();  // not loaded: nothing
    EXPECT_TRUE(a->site.events.empty());
    a->core->DisplayScheduler();
    a->core->SetFocus();
    EXPECT_EQ(dialog.focuses, 1);
    a->core->CloseScheduler();
    EXPECT_FALSE(dialog.loaded);
    EXPECT_EQ(a->site.Count(Event::SchedulerClosed), 1);
    a->core->DisplayScheduler();  // loads afresh
    EXPECT_EQ(dialog.loads, 2);
}

TEST_F(ControlDialog, SetFocusNeedsTheGate) {
    a->core->DisplayScheduler();
    a->site.userMode = false;
    a->core->SetFocus();
    EXPECT_EQ(dialog.focuses, 0);
}

TEST_F(ControlDialog, DisablingTheOpenerClosesTheDialogWithoutAnEvent) {
    a->core->DisplayScheduler();
    a->core->SetEnabled(false);
    EXPECT_FALSE(dialog.loaded);
    EXPECT_EQ(a->site.Count(Event::SchedulerClosed), 0);
    EXPECT_EQ(a->core->NextScheduledTime(), 0.0);
}

TEST_F(ControlDialog, TheLastOpenerReceivesTheCallbacks) {
    b = Make();
    a->core->DisplayScheduler();
    b->core->DisplayScheduler();  // the same dialog, now reporting to b
    EXPECT_EQ(dialog.loads, 1);
    dialog.SaveWithOK();
    EXPECT_TRUE(a->site.events.empty());
    EXPECT_EQ(b->site.Count(Event::ScheduleChanged), 1);
    EXPECT_EQ(b->site.Count(Event::SchedulerClosed), 1);
    // Disabling a closes the dialog b opened: b hears of it.
    b->core->DisplayScheduler();
    a->core->SetEnabled(false);
    EXPECT_EQ(b->site.Count(Event::SchedulerClosed), 2);
    EXPECT_FALSE(a->timer.running);
}

TEST_F(ControlDialog, TheSharedRecordDoesNotKeepADestroyedOwner) {
    a->core->DisplayScheduler();
    std::weak_ptr<CadencerCore> watch = a->core;
    // The container drops the control without anything else: its destruction terminates it.
    a->core.reset();
    EXPECT_TRUE(watch.expired());
    EXPECT_EQ(SharedSchedule::Instance().OwnerControl(), nullptr);
    EXPECT_FALSE(dialog.loaded);
    EXPECT_TRUE(a->site.events.empty());  // the closing report reached no one
    SharedSchedule::Instance().FlagHelpButton();
    SharedSchedule::Instance().FlagScheduleChanged();
    EXPECT_TRUE(a->site.events.empty());
}

TEST_F(ControlDialog, DestructionUnloadsTheAboutBoxThenTheDialog) {
    b = Make();
    b->core->DisplayScheduler();
    dialog.calls.clear();
    const auto notices = a->site.notices.size();
    const int starts = a->timer.starts;
    a->core->Terminate();
    EXPECT_EQ(dialog.calls, (std::vector<std::string>{"AboutUnload", "Unload"}));
    EXPECT_FALSE(a->timer.running);
    // b opened it and is alive: it hears that its dialog closed.
    EXPECT_EQ(b->site.Count(Event::SchedulerClosed), 1);
    EXPECT_EQ(SharedSchedule::Instance().OwnerControl(), b->core);
    // A terminated control does nothing any more.
    a->core->DisplayScheduler();
    a->core->SetEnabled(true);
    a->core->Tick();
    EXPECT_FALSE(dialog.loaded);
    EXPECT_EQ(a->site.notices.size(), notices);
    EXPECT_EQ(a->timer.starts, starts);
}

TEST_F(ControlDialog, DisplayAboutBoxShowsIt) {
    a->site.userMode = false;  // no gate
    a->core->DisplayAboutBox();
    EXPECT_EQ(about.shows, 1);
}

TEST_F(ControlDialog, TheFocusGateSurvivesTheCreationOfAnotherControl) {
    a->core->DisplayScheduler();
    b = Make();
    a->core->SetFocus();
    EXPECT_EQ(dialog.focuses, 1);
    a->core->CloseScheduler();
    SharedSchedule::Instance().Settings().SchedulerFocusFlag = true;  // stale
    auto c = Make();
    EXPECT_FALSE(SharedSchedule::Instance().Settings().SchedulerFocusFlag);
}

// Host handlers run while a modal dialog is up; whatever they do to the control, the
// control must come out of DisplayScheduler without touching freed state.
TEST_F(ControlDialog, HostHandlersDuringAModalDialog) {
    a->core->SetModal(true);
    {
        a->site.onEvent = [&](const Event& e) {
            if (e.kind == Event::HelpButtonClicked) a->core->SetEnabled(false);
        };
        dialog.modalLoop = [&] { SharedSchedule::Instance().FlagHelpButton(); };
        a->core->DisplayScheduler();
        EXPECT_FALSE(dialog.loaded);
        EXPECT_EQ(dialog.unloads, 1);
        EXPECT_EQ(a->site.Count(Event::SchedulerClosed), 0);
        a->core->SetEnabled(true);
    }
    {
        // The handler asks for the dialog again and closes it: no nested show, one close report.
        a->site.events.clear();
        a->site.onEvent = [&](const Event& e) {
            if (e.kind != Event::HelpButtonClicked) return;
            a->core->DisplayScheduler();
            a->core->CloseScheduler();
        };
        int loops = 0;
        dialog.modalLoop = [&] {
            if (++loops == 1) SharedSchedule::Instance().FlagHelpButton();
        };
        a->core->DisplayScheduler();
        EXPECT_EQ(a->site.Count(Event::SchedulerClosed), 1);
        EXPECT_FALSE(dialog.loaded);
    }
    {
        // The handler destroys the control: the modal loop ends, nobody is reported to.
        a->site.events.clear();
        std::weak_ptr<CadencerCore> watch = a->core;
        a->site.onEvent = [&](const Event& e) {
            if (e.kind != Event::HelpButtonClicked) return;
            a->core->Terminate();
            a->core.reset();
        };
        dialog.modalLoop = [&] { SharedSchedule::Instance().FlagHelpButton(); };
        CadencerCore* raw = a->core.get();
        raw->DisplayScheduler();
        EXPECT_TRUE(watch.expired());
        EXPECT_FALSE(dialog.loaded);
        EXPECT_EQ(a->site.Count(Event::SchedulerClosed), 0);
        EXPECT_EQ(SharedSchedule::Instance().OwnerControl(), nullptr);
    }
}

}  // namespace
}  // namespace cadencer::control::testing
