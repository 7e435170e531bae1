// Re-entrancy: an event sink whose handlers call back into the control that raised the
// event: Enabled = False (and True), Execute again (nested up to three deep), Reset, a
// schedule change, the schedule dialog shown modeless and closed again (or modal, closed
// by the closer), SetFocus, and releasing the last outside reference from inside the
// handler. Events come from Execute, the dialog callbacks and the clock's own tick.
#include <algorithm>
#include <vector>

#include "fuzz_phases.h"
#include "fuzz_values.h"

namespace cadencer_fuzz {
namespace {

enum class Action { Disable, Enable, ExecuteAgain, Reset, ChangeSchedule, ModelessDialog, ModalDialog, Focus, Release };

class ReentrantSink final : public cadencer_test::FakeUnknown<IDispatch> {
public:
    ReentrantSink(Random& random, Counts& counts) : FakeUnknown({DIID___Cadencer}), random_(random), counts_(counts) {}
    STDMETHODIMP GetTypeInfoCount(UINT* count) override {
        if (count) *count = 0;
        return S_OK;
    }
    STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
    STDMETHODIMP Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override {
        ++counts_.events;
        // A handler that reacts to the events its own actions raise would recurse without
        // end (close the dialog from SchedulerClosed, and so on): that is the host's loop,
        // so reactions stop three handlers deep.
        if (depth_ >= 3) return S_OK;
        ++depth_;
        for (Action action : plan_) {
            if (!control_) break;
            Perform(action, id);
        }
        --depth_;
        return S_OK;
    }

    ComPtr<_Cadencer> control_;  // the only outside reference while a scenario runs
    std::vector<Action> plan_;

private:
    void Perform(Action action, DISPID event) {
        _Cadencer* c = control_.Get();
        switch (action) {
            case Action::Disable:
                c->put_Enabled(VARIANT_FALSE);
                break;
            case Action::Enable:
                c->put_Enabled(VARIANT_TRUE);
                break;
            case Action::ExecuteAgain:
                c->Execute();
                break;
            case Action::Reset:
                c->Reset();
                break;
            case Action::ChangeSchedule: {
                Occurs every = random_.Percent(50) ? Every : Daily;
                c->put_OccursOption(&every);
                c->put_EveryInterval(static_cast<SHORT>(random_.Below(5)));
                break;
            }
            case Action::ModelessDialog:
                if (++windowsShown_ > 3) break;  // each costs a window's life: a few per scenario
                c->put_Modal(VARIANT_FALSE);
                c->DisplayScheduler();
                if (event != 3) c->CloseScheduler();  // SchedulerClosed: the dialog is closing already
                break;
            case Action::ModalDialog:
                if (depth_ == 1 && ++windowsShown_ <= 3) {
                    c->put_Modal(VARIANT_TRUE);
                    ExtendWatchdog(20000);
                    c->DisplayScheduler();
                }
                break;
            case Action::Focus:
                c->SetFocus();
                break;
            case Action::Release:
                control_.Reset();
                break;
        }
    }

    Random& random_;
    Counts& counts_;
    int depth_ = 0;
    int windowsShown_ = 0;
};

}  // namespace

void RunReentrancyPhase(Random& random, std::uint64_t scenarios, Counts& counts) {
    const int windowsBefore = ThreadWindowCount();
    for (std::uint64_t n = 0; n < scenarios; ++n) {
        ++counts.reentrantScenarios;
        ReentrantSink sink(random, counts);
        const std::size_t steps = 1 + random.Below(4);
        std::string plan;
        for (std::size_t s = 0; s < steps; ++s) {
            const auto action = static_cast<Action>(random.Below(9));
            sink.plan_.push_back(action);
            plan += std::to_string(static_cast<int>(action)) + " ";
        }
        // The clock's tick (trigger 5) waits for a second: it comes one time in ten.
        const int trigger = random.Percent(10) ? 5 : static_cast<int>(random.Below(5));
        Doing("re-entrant scenario %llu: trigger %d, plan %s", static_cast<unsigned long long>(n), trigger,
              plan.c_str());
        {
            ComPtr<IUnknown> unknown = NewControl(0);
            if (!unknown || FAILED(unknown.As(&sink.control_))) continue;
            DWORD cookie = 0;
            {
                // The connection point holds the control too: it is let go at once.
                ComPtr<IConnectionPointContainer> container;
                ComPtr<IConnectionPoint> point;
                unknown.As(&container);
                container->FindConnectionPoint(DIID___Cadencer, &point);
                point->Advise(&sink, &cookie);
            }
            _Cadencer* c = sink.control_.Get();
            unknown.Reset();
            // With Release in the plan, the sink holds the only outside reference.
            ComPtr<_Cadencer> held = sink.control_;
            if (std::find(sink.plan_.begin(), sink.plan_.end(), Action::Release) != sink.plan_.end()) held.Reset();
            switch (trigger) {
                case 0:
                case 1:
                    c->Execute();
                    break;
                case 2:
                    c->FlagScheduleChanged();
                    break;
                case 3:
                    c->FlagSchedulerClosed();
                    break;
                case 4:
                    c->FlagHelpButton();
                    break;
                case 5: {
                    // The clock's own tick: an Every schedule overdue fires within a second.
                    Occurs every = Every;
                    c->put_EveryFrequency(Minutes);
                    c->put_EveryInterval(1);
                    c->put_OccursOption(&every);
                    SYSTEMTIME t;
                    GetLocalTime(&t);
                    DATE now = 0;
                    SystemTimeToVariantTime(&t, &now);
                    c->put_LastScheduledTime(now - 5.0 / 1440);
                    ExtendWatchdog(5000);
                    const std::uint64_t before = counts.events;
                    const ULONGLONG end = GetTickCount64() + 1500;
                    while (counts.events == before && GetTickCount64() < end) PumpMessages(50);
                    break;
                }
            }
            PumpMessages(0);
            if (sink.control_) {
                ComPtr<IDispatch> dispatch;
                sink.control_.As(&dispatch);
                ReadAllProperties(dispatch.Get(), "after a re-entrant scenario");
                ComPtr<IConnectionPointContainer> container;
                ComPtr<IConnectionPoint> point;
                sink.control_.As(&container);
                if (SUCCEEDED(container->FindConnectionPoint(DIID___Cadencer, &point))) point->Unadvise(cookie);
            }
            held.Reset();
            sink.control_.Reset();
        }
        PumpMessages(0);
        if (sink.Refs() != 1) Fault("references", "a released control kept its event sink");
    }
    PumpMessages(100);
    const int windowsAfter = ThreadWindowCount();
    if (windowsAfter > windowsBefore)
        Fault("windows", "re-entrant scenarios left " + std::to_string(windowsAfter - windowsBefore) + " windows");
}

}  // namespace cadencer_fuzz
