// The about box port: a fresh frmAbout for every DisplayAboutBox, run modal by a loop of
// its own, and the port of each user-interface thread that the component installs.
#include "about/about_box.h"
#include "about/about_form.h"
#include "control/shared_schedule.h"
#include "win/locale_names.h"
#include "win/thread_state.h"

namespace cadencer::about {

namespace {

// The window the box is modal to: the top-level window of whatever is active on this
// thread (the host's form), if any.
HWND ModalOwner() {
    HWND active = GetActiveWindow();
    return active ? GetAncestor(active, GA_ROOT) : nullptr;
}

// The thread's about box: a part of the thread's state, made when the thread's first
// control is created and ended with the state (no box is shown then: a shown box is a use).
struct AboutThreadPart {
    AboutBoxPort port;
};

}  // namespace

AboutBoxPort::AboutBoxPort(AboutBoxOptions options) : options_(std::move(options)) {}

AboutBoxPort::~AboutBoxPort() {
    Unload();
}

HWND AboutBoxPort::Window() const {
    return form_ ? form_->Window() : nullptr;
}

void AboutBoxPort::ShowModal() {
    if (form_) {
        if (HWND shown = form_->Window()) SetForegroundWindow(shown);
        return;
    }
    // The box and its loop are a use of the thread's state: the host may release every
    // control meanwhile, and the library must stay loaded until the loop has ended.
    const win::ThreadStateUse use;
    HWND owner = ModalOwner();
    AboutForm form(options_, win::TextLanguage(ambient_ ? static_cast<LCID>(*ambient_) : 0));
    form_ = &form;
    if (form.Create(owner)) {
        const bool disableOwner = owner && IsWindowEnabled(owner);
        if (disableOwner) EnableWindow(owner, FALSE);
        ShowWindow(form.Window(), SW_SHOW);
        SetForegroundWindow(form.Window());
        MSG message;
        while (form.IsOpen()) {
            const BOOL got = GetMessageW(&message, nullptr, 0, 0);
            if (got == 0) {
                PostQuitMessage(static_cast<int>(message.wParam));
                break;
            }
            if (got == -1) break;
            if (!IsDialogMessageW(form.Window(), &message)) {
                TranslateMessage(&message);
                DispatchMessageW(&message);
            }
        }
        // The owner is enabled again before the box goes, so activation returns to it.
        if (disableOwner) EnableWindow(owner, TRUE);
        form.Close();
    }
    form_ = nullptr;
}

void AboutBoxPort::Unload() {
    if (form_) form_->Close();
}

AboutBoxPort* InstallAboutBox(HMODULE module) {
    win::ThreadState* state = win::ThreadState::Current();
    auto* part = state ? state->Part<AboutThreadPart>() : nullptr;
    if (!part) return nullptr;
    part->port.SetOptions(AboutBoxOptions{module, HKEY_LOCAL_MACHINE, std::nullopt, nullptr});
    control::SharedSchedule::Instance().SetAboutPort(&part->port);
    return &part->port;
}

}  // namespace cadencer::about
