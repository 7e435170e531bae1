// Simple MAPI through run-time linking: the OCX must load where no mail program is
// installed, so mapi32.dll is only looked for when the user clicks the e-mail link.
#include "about/about_mail.h"

#include <string>

namespace cadencer::about {

namespace {

// Simple MAPI's classic entry points take the system code page.
std::string Narrow(const std::wstring& text) {
    if (text.empty()) return {};
    const int size =
        WideCharToMultiByte(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    std::string result(static_cast<size_t>(size > 0 ? size : 0), '\0');
    if (size > 0)
        WideCharToMultiByte(CP_ACP, 0, text.data(), static_cast<int>(text.size()), result.data(), size, nullptr,
                            nullptr);
    return result;
}

MailResult Outcome(ULONG status) {
    if (status == SUCCESS_SUCCESS) return MailResult::Composed;
    if (status == MAPI_E_USER_ABORT) return MailResult::Cancelled;
    return MailResult::Failed;
}

}  // namespace

MailSession::MailSession(std::optional<MapiFunctions> functions) : functions_(functions) {}

MailSession::~MailSession() {
    if (session_ != 0 && functions_ && functions_->logoff) functions_->logoff(session_, 0, 0, 0);
    if (library_) FreeLibrary(library_);
}

bool MailSession::Load() {
    if (functions_) return functions_->logon && functions_->sendMail && functions_->logoff;
    // From the system directory only: a mapi32.dll beside the host program or in the
    // current directory must never be picked up instead.
    wchar_t system[MAX_PATH];
    const UINT length = GetSystemDirectoryW(system, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return false;
    const std::wstring path = std::wstring(system, length) + L"\\mapi32.dll";
    library_ = LoadLibraryW(path.c_str());
    if (!library_) return false;
    MapiFunctions loaded;
    loaded.logon = reinterpret_cast<LPMAPILOGON>(reinterpret_cast<void*>(GetProcAddress(library_, "MAPILogon")));
    loaded.sendMail =
        reinterpret_cast<LPMAPISENDMAIL>(reinterpret_cast<void*>(GetProcAddress(library_, "MAPISendMail")));
    loaded.logoff = reinterpret_cast<LPMAPILOGOFF>(reinterpret_cast<void*>(GetProcAddress(library_, "MAPILogoff")));
    functions_ = loaded;
    return loaded.logon && loaded.sendMail && loaded.logoff;
}

MailResult MailSession::Compose(HWND owner, const std::wstring& address, const std::wstring& subject) {
    if (!Load()) return MailResult::Failed;
    const auto ui = reinterpret_cast<ULONG_PTR>(owner);
    if (session_ == 0) {
        LHANDLE session = 0;
        const ULONG status = functions_->logon(ui, nullptr, nullptr, MAPI_LOGON_UI, 0, &session);
        if (status != SUCCESS_SUCCESS) return Outcome(status);
        if (session == 0) return MailResult::Failed;
        session_ = session;
    }

    std::string name = Narrow(address);
    std::string smtpAddress = "SMTP:" + name;
    std::string subjectText = Narrow(subject);
    MapiRecipDesc recipient{};
    recipient.ulRecipClass = MAPI_TO;
    recipient.lpszName = name.data();
    recipient.lpszAddress = smtpAddress.data();
    MapiMessage message{};
    message.lpszSubject = subjectText.data();
    message.nRecipCount = 1;
    message.lpRecips = &recipient;

    const ULONG status = functions_->sendMail(session_, ui, &message, MAPI_DIALOG | MAPI_LOGON_UI, 0);
    // A session the mail program no longer knows is dropped, so the next click signs on
    // afresh instead of failing for as long as the box stays open.
    if (status == MAPI_E_INVALID_SESSION) session_ = 0;
    return Outcome(status);
}

}  // namespace cadencer::about
