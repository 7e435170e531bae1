// The about box's e-mail link: the platform's Simple MAPI, loaded from the system
// directory the first time it is needed. One session is signed on at the first message
// and kept, so later messages sign on no second time; it is signed off when the box closes.
#pragma once

#include <windows.h>
#include <mapi.h>

#include <optional>
#include <string>

namespace cadencer::about {

// The three Simple MAPI entry points the link uses. Tests pass their own.
struct MapiFunctions {
    LPMAPILOGON logon = nullptr;
    LPMAPISENDMAIL sendMail = nullptr;
    LPMAPILOGOFF logoff = nullptr;
};

enum class MailResult {
    Composed,   // the mail program's compose window was shown and closed normally
    Cancelled,  // the user cancelled the sign-on or the message: not a failure
    Failed,     // no mail program, no profile, or any other failure
};

class MailSession {
public:
    // functions: fixed entry points, or empty to load mapi32.dll on first use.
    explicit MailSession(std::optional<MapiFunctions> functions = std::nullopt);
    ~MailSession();
    MailSession(const MailSession&) = delete;
    MailSession& operator=(const MailSession&) = delete;

    // Opens a new message to address with subject in the mail program's own compose
    // window (modal to owner), signing on first when there is no session yet.
    MailResult Compose(HWND owner, const std::wstring& address, const std::wstring& subject);

    // The session identifier, 0 when not signed on.
    LHANDLE Session() const { return session_; }

private:
    bool Load();

    std::optional<MapiFunctions> functions_;
    HMODULE library_ = nullptr;
    LHANDLE session_ = 0;
};

}  // namespace cadencer::about
