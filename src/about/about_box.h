// The about box frmAbout as the control core's AboutPort: DisplayAboutBox shows a fresh box
// modal (a message loop of its own, the owner disabled meanwhile); the control's
// termination unloads it. InstallAboutBox is what the component calls for each thread's
// first control.
#pragma once

#include <windows.h>

#include <functional>
#include <optional>
#include <string>

#include "about/about_mail.h"
#include "control/ports.h"

namespace cadencer::about {

// Control identifiers of frmAbout (tests find the controls by them).
enum AboutControlId : int {
    kCmdOK = IDOK,
    kPicIcon = 1001,
    kLblTitle,
    kLblVersion,
    kLblDescription,
    kLblDisclaimer,
    kEmailLink,
    kLabel1,
    kWebLink,
    kCmdSysInfo,
};

// Asks the shell to "open" target (a web address or a program); true when it started.
using ShellOpen = std::function<bool(HWND owner, const std::wstring& target)>;
bool ShellOpenDefault(HWND owner, const std::wstring& target);

struct AboutBoxOptions {
    HMODULE module = nullptr;               // the library: version resource and icon
    HKEY sysInfoRoot = HKEY_LOCAL_MACHINE;  // where the System Information values live
    std::optional<MapiFunctions> mapi;      // empty: Simple MAPI from mapi32.dll
    ShellOpen shellOpen;                    // empty: ShellOpenDefault
    std::wstring fontFace;                  // empty: the design's face (tests try wider ones)
};

class AboutForm;

class AboutBoxPort final : public control::AboutPort {
public:
    explicit AboutBoxPort(AboutBoxOptions options = {});
    ~AboutBoxPort() override;
    AboutBoxPort(const AboutBoxPort&) = delete;
    AboutBoxPort& operator=(const AboutBoxPort&) = delete;

    // Takes effect at the next ShowModal.
    void SetOptions(AboutBoxOptions options) { options_ = std::move(options); }
    // The container's LocaleID for the next ShowModal's texts; empty: the user's UI language.
    void ChooseLocale(std::optional<std::uint32_t> ambientLocaleId) override { ambient_ = ambientLocaleId; }

    // Loads a new frmAbout, owned by the root of the thread's active window (disabled
    // while the box is shown), and returns when it has closed. A WM_QUIT that arrives
    // meanwhile closes the box and is posted again for the host's own loop. Called while
    // the box is already shown, it brings the box to the front and returns at once.
    void ShowModal() override;
    // Closes the box if it is shown; its ShowModal then returns.
    void Unload() override;

    // The box's window while it is shown, else null.
    HWND Window() const;

private:
    AboutBoxOptions options_;
    std::optional<std::uint32_t> ambient_;
    AboutForm* form_ = nullptr;
};

// Makes the about box of the library in module (its version resource and icon) the one
// that every Cadencer control of the calling thread shows: a port in the thread's state,
// made on the first call. Null when memory ran out.
AboutBoxPort* InstallAboutBox(HMODULE module);

}  // namespace cadencer::about
