// Hosting of the one schedule dialog and the about box: opening, placing and presenting
// the dialog, closing it, the focus gate, and the control's termination.
#include "control/cadencer_core.h"

namespace cadencer::control {

void CadencerCore::DisplayScheduler() {
    if (terminated_) return;
    auto& shared = SharedSchedule::Instance();
    // Kept alive across the modal loop, in which host handlers may destroy the control.
    const auto self = weak_from_this().lock();
    shared.SetOwnerControl(self);
    DialogPort* dialog = shared.Dialog();
    if (!dialog) return;

    // The container's language is asked afresh for every opening.
    if (!dialog->IsLoaded()) dialog->ChooseLocale(site_ ? site_->AmbientLocaleID() : std::nullopt);
    if (terminated_) return;
    dialog->Load();
    if (terminated_) return;

    switch (own_.StartUpPosition) {
        case static_cast<std::int32_t>(FormPosition::Manual):
            dialog->Move(own_.StartUpLeft, own_.StartUpTop);
            break;
        case static_cast<std::int32_t>(FormPosition::CenterOfScreen):
            // Centred vertically in its tallest layout, from which it grows downwards.
            dialog->Move((dialog->ScreenWidthTwips() - dialog->WidthTwips()) / 2,
                         (dialog->ScreenHeightTwips() - kDialogTallestHeightTwips) / 2);
            break;
        default:
            break;  // any other value leaves the position as it is
    }

    DialogPresentation presentation;
    presentation.caption = SharedSettings().Title;  // empty: the designed caption stays
    presentation.icon = (own_.Icon && own_.Icon->Handle() != 0) ? own_.Icon : defaultIcon_;
    presentation.okEnabled = false;
    presentation.closeIsDefault = true;
    presentation.closeCaption = SharedSettings().CaptionCloseButtonBefore;
    presentation.closeCaptionAfter = SharedSettings().CaptionCloseButtonAfter;
    presentation.okCaptionBefore = SharedSettings().CaptionOKButtonBefore;
    presentation.okCaptionAfter = SharedSettings().CaptionOKButtonAfter;
    presentation.showHelpButton = own_.ShowHelpButton;
    presentation.helpCaption = own_.CaptionHelpButton;
    dialog->Present(presentation);

    // Shown from here until its unloading clears the flag (SharedSchedule::FlagSchedulerClosed).
    SharedSettings().SchedulerFocusFlag = true;
    if (own_.Modal)
        dialog->ShowModal();
    else
        dialog->ShowModeless();
}

void CadencerCore::CloseScheduler() {
    if (terminated_) return;
    const auto self = weak_from_this().lock();
    if (auto* dialog = SharedSchedule::Instance().Dialog()) dialog->Unload();
}

void CadencerCore::SetFocus() {
    if (!GateOpen() || !SharedSettings().SchedulerFocusFlag) return;
    auto* dialog = SharedSchedule::Instance().Dialog();
    if (dialog && dialog->IsLoaded()) dialog->Focus();
}

void CadencerCore::DisplayAboutBox() {
    if (terminated_) return;
    const auto self = weak_from_this().lock();
    auto* about = SharedSchedule::Instance().About();
    if (!about) return;
    // As for the dialog, the container's language is asked afresh for every showing.
    about->ChooseLocale(site_ ? site_->AmbientLocaleID() : std::nullopt);
    if (!terminated_) about->ShowModal();
}

void CadencerCore::Terminate() {
    if (terminated_) return;
    // Detach first: the closing dialog's report must reach no one if this control was its
    // owner, and nothing below may call back into a host that is going away.
    terminated_ = true;
    auto& shared = SharedSchedule::Instance();
    shared.ReleaseOwnerControl(this);
    if (timer_) timer_->Stop();
    clock_ = nullptr;
    site_ = nullptr;
    timer_ = nullptr;
    if (auto* about = shared.About()) about->Unload();
    if (auto* dialog = shared.Dialog()) dialog->Unload();
}

}  // namespace cadencer::control
