// A thread's DialogPort over the schedule form: loading (with the library's Common
// Controls 6 activation context when it has one), placement in screen twips, presentation,
// the modal loop, modeless showing, unloading and focus. The port is a part of the
// thread's state, and a loaded form counts as a use of that state.
#include "dialog/win/schedule_host.h"

#include <commctrl.h>

#include <memory>
#include <new>

#include "control/shared_schedule.h"
#include "dialog/schedule_rules.h"
#include "dialog/win/schedule_form.h"
#include "win/controls.h"
#include "win/thread_state.h"

namespace cadencer::dialog {
namespace {

double Milliseconds(const LARGE_INTEGER& from, const LARGE_INTEGER& to) {
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    return static_cast<double>(to.QuadPart - from.QuadPart) * 1000.0 / static_cast<double>(frequency.QuadPart);
}

class ScheduleDialogPort final : public control::DialogPort, public FormHost {
public:
    ScheduleDialogPort(HINSTANCE instance, control::Clock* clock) : instance_(instance), clock_(clock) {}
    ~ScheduleDialogPort() override {
        if (context_ != INVALID_HANDLE_VALUE) ReleaseActCtx(context_);
    }

    bool IsLoaded() override { return form_ && form_->Alive(); }
    void ChooseLocale(std::optional<std::uint32_t> ambientLocaleId) override { ambient_ = ambientLocaleId; }
    void UseFontFace(std::wstring face) { fontFace_ = std::move(face); }

    void Load() override {
        if (IsLoaded()) return;
        form_.reset();
        LARGE_INTEGER start, end;
        QueryPerformanceCounter(&start);
        EnsureCommonControls();
        // Owned by the active top-level window (the host's form): the dialog stays above
        // it and goes with it.
        HWND owner = GetActiveWindow();
        if (owner) owner = GetAncestor(owner, GA_ROOT);
        ULONG_PTR cookie = 0;
        const bool activated = context_ != INVALID_HANDLE_VALUE && ActivateActCtx(context_, &cookie);
        DialogLocale locale = ResolveDialogLocale(ambient_);
        if (!fontFace_.empty()) locale.fontFace = fontFace_;
        auto form = ScheduleForm::Create(instance_, owner, *this, locale);
        if (activated) DeactivateActCtx(0, cookie);
        if (!form) return;
        form_ = form;
        formUse_ = win::ThreadStateUse();
        AttachKeyboard(form);
        form->Form_Load();
        QueryPerformanceCounter(&end);
        lastLoadMs_ = Milliseconds(start, end);
    }

    std::int32_t WidthTwips() override {
        if (!IsLoaded()) return 0;
        RECT r{};
        GetWindowRect(form_->Window(), &r);
        return PixelsToTwips(r.right - r.left, win::ScreenDpi().x);
    }
    std::int32_t ScreenWidthTwips() override {
        return PixelsToTwips(GetSystemMetrics(SM_CXSCREEN), win::ScreenDpi().x);
    }
    std::int32_t ScreenHeightTwips() override {
        return PixelsToTwips(GetSystemMetrics(SM_CYSCREEN), win::ScreenDpi().y);
    }

    void Move(std::int32_t leftTwips, std::int32_t topTwips) override {
        if (!IsLoaded()) return;
        const win::AxisDpi dpi = win::ScreenDpi();
        SetWindowPos(form_->Window(), nullptr, TwipsToPixels(leftTwips, dpi.x), TwipsToPixels(topTwips, dpi.y), 0, 0,
                     SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    }

    void Present(const control::DialogPresentation& presentation) override {
        if (IsLoaded()) form_->ApplyPresentation(presentation);
    }

    void ShowModal() override {
        const auto form = form_;
        if (!form || !form->Alive() || form->Shown()) return;  // already up: left as it is
        form->BeginModal();
        form->Show();
        form->GiveFocus();
        // Our own loop, so that the controls' timers keep ticking; whatever the host's
        // handlers do meanwhile (close the dialog, open it again, release the control),
        // the loop ends once this form has ended.
        MSG msg;
        while (form->Alive()) {
            const BOOL got = GetMessageW(&msg, nullptr, 0, 0);
            if (got == -1) break;
            if (got == 0) {
                // The application is quitting: the dialog ends, and the quit goes on to
                // the loop that owns it.
                form->Unload();
                PostQuitMessage(static_cast<int>(msg.wParam));
                break;
            }
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        form->EndModal();
    }

    void ShowModeless() override {
        const auto form = form_;
        // A dialog shown modal cannot also be shown modeless: the step is skipped.
        if (!form || !form->Alive() || form->Modal()) return;
        form->Show();
        ScheduleForm::ProcessPendingMessages();  // paints it
        QueryPerformanceCounter(&paintedAt_);
        if (form->Alive()) form->GiveFocus();
    }

    void Unload() override {
        if (const auto form = form_) form->Unload();
    }

    void Focus() override {
        if (IsLoaded()) form_->GiveFocus();
    }

    // ---- FormHost
    OleDate Now() override {
        if (clock_) return clock_->Now();
        SYSTEMTIME st;
        GetLocalTime(&st);
        return win::FromSystemTime(st).value_or(kZeroDate);
    }
    void FormUnloaded(ScheduleForm* form) override {
        if (form_.get() != form) return;
        form_.reset();
        // The last statement: the state may end with this use.
        formUse_.Release();
    }

    void SetClock(control::Clock* clock) { clock_ = clock; }
    HWND Window() const { return form_ && form_->Alive() ? form_->Window() : nullptr; }
    double LastLoadMs() const { return lastLoadMs_; }
    std::int64_t PaintedAt() const { return paintedAt_.QuadPart; }

private:
    void EnsureCommonControls() {
        if (commonControlsReady_) return;
        commonControlsReady_ = true;
        INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_DATE_CLASSES | ICC_BAR_CLASSES | ICC_STANDARD_CLASSES |
                                                  ICC_UPDOWN_CLASS | ICC_WIN95_CLASSES};
        InitCommonControlsEx(&icc);
        // The library's own manifest (resource 2) gives its windows the Common Controls 6
        // classes whatever the host's manifest says. A program without one uses its own.
        if (FindResourceW(instance_, MAKEINTRESOURCEW(2), MAKEINTRESOURCEW(24))) {
            wchar_t path[MAX_PATH] = L"";
            GetModuleFileNameW(instance_, path, MAX_PATH);
            ACTCTXW context{};
            context.cbSize = sizeof(context);
            context.dwFlags = ACTCTX_FLAG_HMODULE_VALID | ACTCTX_FLAG_RESOURCE_NAME_VALID;
            context.hModule = instance_;
            context.lpSource = path;
            context.lpResourceName = MAKEINTRESOURCEW(2);
            context_ = CreateActCtxW(&context);
        }
    }

    HINSTANCE instance_;
    control::Clock* clock_;
    std::optional<std::uint32_t> ambient_;
    std::wstring fontFace_;
    std::shared_ptr<ScheduleForm> form_;
    win::ThreadStateUse formUse_{nullptr};
    HANDLE context_ = INVALID_HANDLE_VALUE;
    bool commonControlsReady_ = false;
    double lastLoadMs_ = 0;
    LARGE_INTEGER paintedAt_{};
};

// The thread's port, made on first use and ended with the thread's state.
struct DialogThreadPart {
    std::unique_ptr<ScheduleDialogPort> port;
    ~DialogThreadPart() {
        if (port) port->Unload();
    }
};

ScheduleDialogPort* ThreadPort() {
    win::ThreadState* state = win::ThreadState::Existing();
    auto* part = state ? state->FindPart<DialogThreadPart>() : nullptr;
    return part ? part->port.get() : nullptr;
}

}  // namespace

control::DialogPort* InstallScheduleDialog(HINSTANCE instance, control::Clock* clock) {
    win::ThreadState* state = win::ThreadState::Current();
    auto* part = state ? state->Part<DialogThreadPart>() : nullptr;
    if (!part) return nullptr;
    if (!part->port) {
        part->port.reset(new (std::nothrow) ScheduleDialogPort(instance, clock));
        if (!part->port) return nullptr;
    } else {
        part->port->SetClock(clock);
    }
    control::SharedSchedule::Instance().SetDialogPort(part->port.get());
    return part->port.get();
}

void UninstallScheduleDialog() {
    win::ThreadState* state = win::ThreadState::Existing();
    auto* part = state ? state->FindPart<DialogThreadPart>() : nullptr;
    if (!part || !part->port) return;
    part->port->Unload();
    auto& shared = control::SharedSchedule::Instance();
    if (shared.Dialog() == part->port.get()) shared.SetDialogPort(nullptr);
    part->port.reset();
}

HWND ScheduleDialogWindow() {
    const auto* port = ThreadPort();
    return port ? port->Window() : nullptr;
}

void UseScheduleDialogFont(std::wstring face) {
    if (auto* port = ThreadPort()) port->UseFontFace(std::move(face));
}

double LastScheduleLoadMilliseconds() {
    const auto* port = ThreadPort();
    return port ? port->LastLoadMs() : 0;
}

std::int64_t LastSchedulePaintedCounter() {
    const auto* port = ThreadPort();
    return port ? port->PaintedAt() : 0;
}

}  // namespace cadencer::dialog
