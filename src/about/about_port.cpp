// The about box port: a fresh frmAbout for every DisplayAboutBox, run modal by a loop of
// its own, and the one port of the process that the component installs.
#include "about/about_box.h"
#include "about/about_form.h"
#include "control/shared_schedule.h"

namespace cadencer::about {

namespace {

// The window the box is modal to: the top-level window of whatever is active on this
// thread (the host's form), if any.
HWND ModalOwner() {
    HWND active = GetActiveWindow();
    return active ? GetAncestor(active, GA_ROOT) : nullptr;
}

// The library's one about box, constructed at the library's start-up (before DllMain).
AboutBoxPort g_installedPort;

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
    HWND owner = ModalOwner();
    AboutForm form(options_);
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

void InstallAboutBox(HMODULE module) {
    g_installedPort.SetOptions(AboutBoxOptions{module, HKEY_LOCAL_MACHINE, std::nullopt, nullptr});
    control::SharedSchedule::Instance().SetAboutPort(&g_installedPort);
}

}  // namespace cadencer::about
