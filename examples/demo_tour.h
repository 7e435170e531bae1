// The demo host's scripted tour: a small state machine driven by a window timer and the
// control's events, so that it runs without anyone at the keyboard (CI, a server).
#pragma once

#include <windows.h>

#include <string>

namespace demo {

class Tour {
public:
    void Start(bool controlCreated);
    void OnTimer(UINT_PTR id);
    void OnEvent(const std::wstring& name);
    int ExitCode() const { return exitCode_; }

private:
    enum class Step {
        WaitFirstFiring,
        Execute,
        OpenDialog,
        SwitchKinds,
        PrepareWeekly,
        DialogShot,
        PressOK,
        WaitWeeklyFiring,
        About,
        Reload,
        Screenshot,
        Done
    };
    void Go(Step step, DWORD delayMs);
    void Finish(int exitCode, const std::wstring& why);
    void RunStep();

    Step step_ = Step::Done;
    DWORD stepDue_ = 0;
    DWORD deadline_ = 0;
    DWORD started_ = 0;
    int firings_ = 0;
    int kindShown_ = 0;
    HWND dialog_ = nullptr;
    bool aboutOpen_ = false;
    bool inStep_ = false;
    std::wstring events_;  // the control's events in order, one letter each
    int exitCode_ = 1;
};

}  // namespace demo
