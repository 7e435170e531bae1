// The real about box under Wine: its layout and texts, closing, the e-mail link (Wine's
// own mail interface, which has no profile, and a recording Simple MAPI), the web link,
// System Information, modality, and how the control shows and unloads it.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <string>

#include "about/about_box.h"
#include "about/about_sysinfo.h"
#include "about_registry.h"
#include "about_ui_script.h"
#include "control_fakes.h"

using namespace cadencer::about;
using namespace about_test;

namespace {

constexpr wchar_t kMailFailureText[] = L"A problem has occurred while trying to send an e-mail.";
constexpr wchar_t kSysInfoText[] = L"System Information Is Unavailable At This Time";

// Simple MAPI as a recording stand-in for a mail program.
struct MapiRecord {
    int logons = 0;
    int sends = 0;
    int logoffs = 0;
    ULONG logonResult = SUCCESS_SUCCESS;
    ULONG sendResult = SUCCESS_SUCCESS;
    FLAGS logonFlags = 0;
    FLAGS sendFlags = 0;
    LHANDLE sendSession = 0;
    LHANDLE logoffSession = 0;
    ULONG_PTR sendWindow = 0;
    std::string recipientName, recipientAddress, subject;
    ULONG recipientClass = 0, recipientCount = 0;
};
MapiRecord g_mapi;

ULONG WINAPI FakeLogon(ULONG_PTR, LPSTR, LPSTR, FLAGS flags, ULONG, LPLHANDLE session) {
    ++g_mapi.logons;
    g_mapi.logonFlags = flags;
    if (g_mapi.logonResult != SUCCESS_SUCCESS) return g_mapi.logonResult;
    *session = 0x5E550 + g_mapi.logons;
    return SUCCESS_SUCCESS;
}

ULONG WINAPI FakeSendMail(LHANDLE session, ULONG_PTR window, lpMapiMessage message, FLAGS flags, ULONG) {
    ++g_mapi.sends;
    g_mapi.sendSession = session;
    g_mapi.sendWindow = window;
    g_mapi.sendFlags = flags;
    g_mapi.subject = message->lpszSubject ? message->lpszSubject : "";
    g_mapi.recipientCount = message->nRecipCount;
    if (message->nRecipCount > 0) {
        g_mapi.recipientClass = message->lpRecips[0].ulRecipClass;
        g_mapi.recipientName = message->lpRecips[0].lpszName ? message->lpRecips[0].lpszName : "";
        g_mapi.recipientAddress = message->lpRecips[0].lpszAddress ? message->lpRecips[0].lpszAddress : "";
    }
    return g_mapi.sendResult;
}

ULONG WINAPI FakeLogoff(LHANDLE session, ULONG_PTR, FLAGS, ULONG) {
    ++g_mapi.logoffs;
    g_mapi.logoffSession = session;
    return SUCCESS_SUCCESS;
}

struct ShellRecord {
    std::vector<std::wstring> opened;
    HWND owner = nullptr;
    bool result = true;
};

class AboutBoxTest : public ::testing::Test {
protected:
    AboutBoxTest() {
        g_mapi = {};
        options_.module = GetModuleHandleW(nullptr);
        options_.sysInfoRoot = registry_.Root();
    }

    void UseFakeMapi() { options_.mapi = MapiFunctions{FakeLogon, FakeSendMail, FakeLogoff}; }
    void UseFakeShell() {
        options_.shellOpen = [this](HWND owner, const std::wstring& target) {
            shell_.opened.push_back(target);
            shell_.owner = owner;
            return shell_.result;
        };
    }

    // Shows the box with the options so far and runs the script inside its modal loop.
    void Show(UiScript& script) {
        port_.SetOptions(options_);
        script.Start();
        port_.ShowModal();
        EXPECT_TRUE(script.Finished());
        EXPECT_EQ(nullptr, port_.Window());
    }

    std::function<void()> CloseAll() {
        return [this] {
            for (HWND box = FindMessageBox(); box; box = FindMessageBox()) DestroyWindow(box);
            port_.Unload();
        };
    }

    // Waits for the box, then remembers it.
    UiScript::Step BoxShown() {
        return [this] {
            box_ = FindAboutBox();
            return box_ != nullptr;
        };
    }
    HWND Item(int id) const { return GetDlgItem(box_, id); }

    // Waits for a message box on the about box, records it and presses its OK.
    UiScript::Step MessageAnswered(MessageBoxContent& content) {
        return [this, &content] {
            HWND message = FindMessageBox(box_);
            if (!message) return false;
            content = ReadMessageBox(message);
            Click(GetDlgItem(message, IDOK));
            return true;
        };
    }
    UiScript::Step MessageGone() {
        return [this] { return FindMessageBox(box_) == nullptr; };
    }
    std::function<void()> PressOK() {
        return [this] { Click(Item(kCmdOK)); };
    }

    ScratchKey registry_{L"Box"};
    AboutBoxOptions options_;
    AboutBoxPort port_;
    ShellRecord shell_;
    HWND box_ = nullptr;
};

void ExpectOnlyOk(const MessageBoxContent& content) {
    EXPECT_EQ(L"Cadencer", content.title);
    ASSERT_EQ(1u, content.buttons.size());
    EXPECT_EQ(L"OK", content.buttons[0]);
}

RECT ClientRectOf(HWND control) {
    RECT rect;
    GetWindowRect(control, &rect);
    MapWindowPoints(nullptr, GetParent(control), reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

LOGFONTW FontOf(HWND control) {
    LOGFONTW font{};
    GetObjectW(reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0)), sizeof(font), &font);
    return font;
}

TEST_F(AboutBoxTest, ShowsItsLayoutAndTextsAndClosesWithOK) {
    UiScript script(CloseAll());
    script.WaitFor(BoxShown()).Then([this] {
        EXPECT_EQ(L" About Cadencer", WindowText(box_));
        EXPECT_EQ(L"Cadencer", WindowText(Item(kLblTitle)));
        // The test program's own version resource says 3.7.2.9.
        EXPECT_EQ(L"Version 3.7", WindowText(Item(kLblVersion)));
        EXPECT_EQ(
            L"This OCX, when placed on a form, provides the ability to your program's users of selecting a "
            L"schedule for execution of a function you define.",
            WindowText(Item(kLblDescription)));
        EXPECT_EQ(L"Please send any comments or suggestions to:", WindowText(Item(kLblDisclaimer)));
        EXPECT_EQ(L"Web site:", WindowText(Item(kLabel1)));
        EXPECT_NE(std::wstring::npos, WindowText(Item(kEmailLink)).find(L'@'));
        EXPECT_EQ(0u, WindowText(Item(kWebLink)).find(L"https://"));
        EXPECT_EQ(L"&System Info...", WindowText(Item(kCmdSysInfo)));

        // Twips at the window's DPI: the client area and a few controls' edges.
        HDC dc = GetDC(box_);
        const int dpi = GetDeviceCaps(dc, LOGPIXELSY);
        ReleaseDC(box_, dc);
        const auto px = [dpi](int twips) { return MulDiv(twips, dpi, 1440); };
        RECT client;
        GetClientRect(box_, &client);
        EXPECT_EQ(px(6045), client.right);
        EXPECT_EQ(px(4515), client.bottom);
        const RECT ok = ClientRectOf(Item(kCmdOK));
        EXPECT_EQ(px(4579), ok.left);
        EXPECT_EQ(px(3260), ok.top);
        EXPECT_EQ(px(4579 + 1260), ok.right);
        EXPECT_EQ(px(3260 + 345), ok.bottom);
        const RECT web = ClientRectOf(Item(kWebLink));
        EXPECT_EQ(px(1278), web.left);
        EXPECT_EQ(px(4042), web.top);

        // Fixed dialog frame without minimise and maximise boxes.
        const LONG style = GetWindowLongW(box_, GWL_STYLE);
        EXPECT_FALSE(style & (WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX));
        EXPECT_TRUE(style & WS_SYSMENU);

        // Fonts: a large bold title; links underlined in the highlight colour.
        const LOGFONTW title = FontOf(Item(kLblTitle));
        const LOGFONTW version = FontOf(Item(kLblVersion));
        EXPECT_GE(title.lfWeight, FW_BOLD);
        EXPECT_GT(std::abs(title.lfHeight), std::abs(version.lfHeight));
        EXPECT_TRUE(FontOf(Item(kEmailLink)).lfUnderline);
        EXPECT_TRUE(FontOf(Item(kWebLink)).lfUnderline);
        EXPECT_FALSE(version.lfUnderline);

        // OK is the default button; the icons come from the module.
        EXPECT_EQ(BS_DEFPUSHBUTTON, GetWindowLongW(Item(kCmdOK), GWL_STYLE) & 0x0F);
        EXPECT_NE(0, SendMessageW(box_, WM_GETICON, ICON_BIG, 0));
        EXPECT_NE(0, SendMessageW(Item(kPicIcon), STM_GETICON, 0, 0));

        // One tooltip window with a tip for each link.
        HWND tooltip = FindWindowExW(nullptr, nullptr, TOOLTIPS_CLASSW, nullptr);
        ASSERT_NE(nullptr, tooltip);
        EXPECT_EQ(box_, GetWindow(tooltip, GW_OWNER));
        EXPECT_EQ(2, SendMessageW(tooltip, TTM_GETTOOLCOUNT, 0, 0));
    });
    script.Then(PressOK());
    Show(script);
    EXPECT_FALSE(IsWindow(box_));
}

// The colour of an icon's top-left pixel drawn over magenta: magenta where it is transparent.
COLORREF CornerOver(HICON icon, int size) {
    HDC screen = GetDC(nullptr);
    HDC dc = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, size, size);
    const HGDIOBJ old = SelectObject(dc, bitmap);
    const RECT all{0, 0, size, size};
    HBRUSH magenta = CreateSolidBrush(RGB(255, 0, 255));
    FillRect(dc, &all, magenta);
    DrawIconEx(dc, 0, 0, icon, size, size, 0, nullptr, DI_NORMAL);
    const COLORREF corner = GetPixel(dc, 0, 0);
    SelectObject(dc, old);
    DeleteObject(magenta);
    DeleteObject(bitmap);
    DeleteDC(dc);
    ReleaseDC(nullptr, screen);
    return corner;
}

int IconWidth(HICON icon) {
    ICONINFO info{};
    if (!GetIconInfo(icon, &info)) return 0;
    BITMAP bitmap{};
    GetObjectW(info.hbmColor ? info.hbmColor : info.hbmMask, sizeof(bitmap), &bitmap);
    if (info.hbmColor) DeleteObject(info.hbmColor);
    if (info.hbmMask) DeleteObject(info.hbmMask);
    return bitmap.bmWidth;
}

int BoxDpi(HWND box) {
    HDC dc = GetDC(box);
    const int dpi = GetDeviceCaps(dc, LOGPIXELSY);
    ReleaseDC(box, dc);
    return dpi;
}

// picIcon shows its own picture, the clock larger and round on a transparent ground, not
// the window icon (the square 32 x 32 one).
TEST_F(AboutBoxTest, ThePictureIsTheLargerClockNotTheWindowIcon) {
    UiScript script(CloseAll());
    script.WaitFor(BoxShown()).Then([this] {
        const auto picture = reinterpret_cast<HICON>(SendMessageW(Item(kPicIcon), STM_GETICON, 0, 0));
        const auto windowIcon = reinterpret_cast<HICON>(SendMessageW(box_, WM_GETICON, ICON_BIG, 0));
        ASSERT_NE(nullptr, picture);
        ASSERT_NE(nullptr, windowIcon);
        const int size = MulDiv(48, BoxDpi(box_), 96);
        EXPECT_EQ(size, IconWidth(picture));
        EXPECT_EQ(GetSystemMetrics(SM_CXICON), IconWidth(windowIcon));
        EXPECT_EQ(RGB(255, 0, 255), CornerOver(picture, size));
        EXPECT_NE(RGB(255, 0, 255), CornerOver(windowIcon, IconWidth(windowIcon)));
        // The picture box holds it whole, left and top where the design has it.
        const RECT box = ClientRectOf(Item(kPicIcon));
        EXPECT_EQ(MulDiv(240, BoxDpi(box_), 1440), box.left);
        EXPECT_EQ(size, box.right - box.left);
        EXPECT_EQ(size, box.bottom - box.top);
    });
    script.Then(PressOK());
    Show(script);
}

// WM_DPICHANGED while the box is open: the suggested window position, and the whole design
// (client area, controls, fonts, picture) at the new DPI.
TEST_F(AboutBoxTest, ADpiChangeLaysTheBoxOutAgain) {
    UiScript script(CloseAll());
    script.WaitFor(BoxShown()).Then([this] {
        RECT before;
        GetWindowRect(box_, &before);
        RECT suggested{before.left + 11, before.top + 7, before.left + 11 + (before.right - before.left) * 3 / 2,
                       before.top + 7 + (before.bottom - before.top) * 3 / 2};
        SendMessageW(box_, WM_DPICHANGED, MAKEWPARAM(144, 144), reinterpret_cast<LPARAM>(&suggested));
        const auto px = [](int twips) { return MulDiv(twips, 144, 1440); };
        RECT after, client;
        GetWindowRect(box_, &after);
        GetClientRect(box_, &client);
        EXPECT_EQ(suggested.left, after.left);
        EXPECT_EQ(suggested.top, after.top);
        EXPECT_EQ(px(6045), client.right);
        EXPECT_EQ(px(4515), client.bottom);
        const struct {
            int id, left, top, width, height;
        } parts[] = {{kLblTitle, 1050, 240, 4473, 480},  {kLblDescription, 1050, 1125, 4536, 1779},
                     {kEmailLink, 607, 3651, 3195, 255}, {kWebLink, 1278, 4042, 2556, 217},
                     {kCmdOK, 4579, 3260, 1260, 345},    {kCmdSysInfo, 4579, 3694, 1245, 345},
                     {kPicIcon, 240, 240, 720, 720}};
        for (const auto& part : parts) {
            const RECT r = ClientRectOf(Item(part.id));
            EXPECT_EQ(px(part.left), r.left) << part.id;
            EXPECT_EQ(px(part.top), r.top) << part.id;
            EXPECT_EQ(px(part.left + part.width), r.right) << part.id;
            EXPECT_EQ(px(part.top + part.height), r.bottom) << part.id;
        }
        EXPECT_EQ(-MulDiv(1350, 144, 7200), FontOf(Item(kLblTitle)).lfHeight);
        EXPECT_EQ(-MulDiv(825, 144, 7200), FontOf(Item(kCmdOK)).lfHeight);
        EXPECT_EQ(72, IconWidth(reinterpret_cast<HICON>(SendMessageW(Item(kPicIcon), STM_GETICON, 0, 0))));
    });
    script.Then(PressOK());
    Show(script);
}

TEST_F(AboutBoxTest, EachShowingIsAFreshBox) {
    for (int round = 0; round < 2; ++round) {
        UiScript script(CloseAll());
        script.WaitFor(BoxShown())
            .Then([this] {
                EXPECT_EQ(L"Version 3.7", WindowText(Item(kLblVersion)));
                SetWindowTextW(Item(kLblVersion), L"changed");
            })
            .Then(PressOK());
        Show(script);
    }
}

TEST_F(AboutBoxTest, EscAndTheCloseBoxCloseItToo) {
    UiScript byEsc(CloseAll());
    byEsc.WaitFor(BoxShown()).Then([] {
        PostMessageW(GetFocus(), WM_KEYDOWN, VK_ESCAPE, 0);
        PostMessageW(GetFocus(), WM_KEYUP, VK_ESCAPE, 0);
    });
    Show(byEsc);
    UiScript byCloseBox(CloseAll());
    byCloseBox.WaitFor(BoxShown()).Then([this] { PostMessageW(box_, WM_SYSCOMMAND, SC_CLOSE, 0); });
    Show(byCloseBox);
}

// The platform's own mail interface on a machine without a mail program: Wine's mapi32
// loaded while the local-machine root holds no mail client (Wine's default client would
// hand the message to a browser and report success). Wine adds a note of its own before
// returning the failure; the about box then shows its one failure message and stays open.
TEST_F(AboutBoxTest, EmailWithoutAMailProgramReportsItsFailure) {
    ASSERT_EQ(nullptr, GetModuleHandleW(L"mapi32.dll")) << "mapi32 must load afresh for this test";
    wchar_t system[MAX_PATH];
    GetSystemDirectoryW(system, MAX_PATH);
    ScratchKey noMailClient{L"NoMailClient"};
    ASSERT_EQ(ERROR_SUCCESS, RegOverridePredefKey(HKEY_LOCAL_MACHINE, noMailClient.Root()));
    HMODULE mapi = LoadLibraryW((std::wstring(system) + L"\\mapi32.dll").c_str());
    RegOverridePredefKey(HKEY_LOCAL_MACHINE, nullptr);
    ASSERT_NE(nullptr, mapi);

    MessageBoxContent ours;
    std::vector<std::wstring> platformNotes;
    UiScript script(CloseAll());
    script.WaitFor(BoxShown())
        .Then([this] { ClickLabel(Item(kEmailLink)); })
        .WaitFor([&] {
            HWND message = FindMessageBox(box_);
            if (!message) return false;
            const MessageBoxContent content = ReadMessageBox(message);
            Click(GetDlgItem(message, IDOK));
            if (content.text != kMailFailureText) {
                platformNotes.push_back(content.title + L": " + content.text);
                return false;
            }
            ours = content;
            return true;
        })
        .WaitFor(MessageGone())
        .Then([this] { EXPECT_TRUE(IsWindowVisible(box_)); })
        .Then(PressOK());
    Show(script);
    FreeLibrary(mapi);
    EXPECT_EQ(kMailFailureText, ours.text);
    ExpectOnlyOk(ours);
    EXPECT_LE(platformNotes.size(), 1u);
}

TEST_F(AboutBoxTest, EmailOpensAComposeWindowAndSignsOnOnce) {
    UseFakeMapi();
    UiScript script(CloseAll());
    script.WaitFor(BoxShown())
        .Then([this] { ClickLabel(Item(kEmailLink)); })
        .WaitFor([] { return g_mapi.sends == 1; })
        .Then([this] {
            EXPECT_EQ(nullptr, FindMessageBox(box_));
            EXPECT_EQ(reinterpret_cast<ULONG_PTR>(box_), g_mapi.sendWindow);
            ClickLabel(Item(kEmailLink));
        })
        .WaitFor([] { return g_mapi.sends == 2; })
        .Then([this] {
            EXPECT_EQ(nullptr, FindMessageBox(box_));
            EXPECT_EQ(0, g_mapi.logoffs);
        })
        .Then(PressOK());
    Show(script);

    EXPECT_EQ(1, g_mapi.logons);
    EXPECT_TRUE(g_mapi.logonFlags & MAPI_LOGON_UI);
    EXPECT_EQ(0x5E551u, g_mapi.sendSession);
    EXPECT_EQ(MAPI_DIALOG | MAPI_LOGON_UI, g_mapi.sendFlags);
    EXPECT_EQ("Cadencer, Version 3.7", g_mapi.subject);
    EXPECT_EQ(1u, g_mapi.recipientCount);
    EXPECT_EQ(static_cast<ULONG>(MAPI_TO), g_mapi.recipientClass);
    EXPECT_EQ("cadencer@example.com", g_mapi.recipientName);
    EXPECT_EQ("SMTP:cadencer@example.com", g_mapi.recipientAddress);
    // Closing signs off the one session.
    EXPECT_EQ(1, g_mapi.logoffs);
    EXPECT_EQ(0x5E551u, g_mapi.logoffSession);
}

TEST_F(AboutBoxTest, EmailFailuresAreReportedButACancelIsNot) {
    UseFakeMapi();
    g_mapi.logonResult = MAPI_E_LOGIN_FAILURE;
    MessageBoxContent logonFailure, sendFailure;
    UiScript script(CloseAll());
    script.WaitFor(BoxShown())
        .Then([this] { ClickLabel(Item(kEmailLink)); })
        .WaitFor(MessageAnswered(logonFailure))
        .WaitFor(MessageGone())
        .Then([this] {
            EXPECT_EQ(0, g_mapi.sends);
            // Signing on is tried afresh, then the user cancels the message.
            g_mapi.logonResult = SUCCESS_SUCCESS;
            g_mapi.sendResult = MAPI_E_USER_ABORT;
            ClickLabel(Item(kEmailLink));
        })
        .WaitFor([] { return g_mapi.sends == 1; })
        .Then([this] {
            EXPECT_EQ(nullptr, FindMessageBox(box_));
            g_mapi.sendResult = MAPI_E_FAILURE;
            ClickLabel(Item(kEmailLink));
        })
        .WaitFor(MessageAnswered(sendFailure))
        .WaitFor(MessageGone())
        .Then(PressOK());
    Show(script);
    EXPECT_EQ(kMailFailureText, logonFailure.text);
    ExpectOnlyOk(logonFailure);
    EXPECT_EQ(kMailFailureText, sendFailure.text);
    EXPECT_EQ(2, g_mapi.logons);
    EXPECT_EQ(2, g_mapi.sends);
    EXPECT_EQ(1, g_mapi.logoffs);
}

TEST_F(AboutBoxTest, WebLinkIsOpenedByTheShellAndFailuresAreIgnored) {
    UseFakeShell();
    shell_.result = false;
    UiScript script(CloseAll());
    script.WaitFor(BoxShown())
        .Then([this] { ClickLabel(Item(kWebLink)); })
        .WaitFor([this] { return shell_.opened.size() == 1; })
        .Then([this] {
            EXPECT_EQ(nullptr, FindMessageBox(box_));
            EXPECT_EQ(WindowText(Item(kWebLink)), shell_.opened[0]);
            EXPECT_EQ(box_, shell_.owner);
        })
        .Then(PressOK());
    Show(script);
}

// Wine has neither registry value: the unavailable message, and the box stays open.
TEST_F(AboutBoxTest, SystemInformationUnavailable) {
    options_.sysInfoRoot = HKEY_LOCAL_MACHINE;
    std::wstring probe;
    ASSERT_FALSE(GetKeyValue(HKEY_LOCAL_MACHINE, kSysInfoPathKey, kSysInfoPathValue, probe));
    MessageBoxContent content;
    UiScript script(CloseAll());
    script.WaitFor(BoxShown())
        .Then([this] { Click(Item(kCmdSysInfo)); })
        .WaitFor(MessageAnswered(content))
        .WaitFor(MessageGone())
        .Then([this] { EXPECT_TRUE(IsWindowVisible(box_)); })
        .Then(PressOK());
    Show(script);
    EXPECT_EQ(kSysInfoText, content.text);
    ExpectOnlyOk(content);
}

TEST_F(AboutBoxTest, SystemInformationStartsTheRegisteredProgram) {
    UseFakeShell();
    registry_.SetString(kSysInfoPathKey, kSysInfoPathValue, L"C:\\Tools\\msinfo32.exe");
    MessageBoxContent content;
    UiScript script(CloseAll());
    script.WaitFor(BoxShown())
        .Then([this] { Click(Item(kCmdSysInfo)); })
        .WaitFor([this] { return shell_.opened.size() == 1; })
        .Then([this] {
            EXPECT_EQ(nullptr, FindMessageBox(box_));
            // A program that does not start is unavailable too.
            shell_.result = false;
            Click(Item(kCmdSysInfo));
        })
        .WaitFor(MessageAnswered(content))
        .WaitFor(MessageGone())
        .Then(PressOK());
    Show(script);
    ASSERT_EQ(2u, shell_.opened.size());
    EXPECT_EQ(L"C:\\Tools\\msinfo32.exe", shell_.opened[0]);
    EXPECT_EQ(kSysInfoText, content.text);
}

// Through the real shell: a registered path that does not exist cannot start.
TEST_F(AboutBoxTest, SystemInformationThatCannotStartIsUnavailable) {
    registry_.SetString(kSysInfoPathKey, kSysInfoPathValue, L"C:\\No Such Folder\\msinfo32.exe");
    MessageBoxContent content;
    UiScript script(CloseAll());
    script.WaitFor(BoxShown())
        .Then([this] { Click(Item(kCmdSysInfo)); })
        .WaitFor(MessageAnswered(content))
        .Then(PressOK());
    Show(script);
    EXPECT_EQ(kSysInfoText, content.text);
}

TEST_F(AboutBoxTest, IsModalToTheActiveWindowAndReentrySafe) {
    HWND owner = CreateWindowExW(0, L"STATIC", L"host", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 100, 100, 300, 200, nullptr,
                                 nullptr, nullptr, nullptr);
    ASSERT_NE(nullptr, owner);
    SetActiveWindow(owner);
    bool nestedReturned = false;
    UiScript script(CloseAll());
    script.WaitFor(BoxShown())
        .Then([&] {
            EXPECT_EQ(owner, GetWindow(box_, GW_OWNER));
            EXPECT_FALSE(IsWindowEnabled(owner));
            // Asked again while shown: no second box, and the call comes straight back.
            port_.ShowModal();
            nestedReturned = true;
            EXPECT_EQ(box_, FindAboutBox());
        })
        .Then([this] { port_.Unload(); });
    Show(script);
    EXPECT_TRUE(nestedReturned);
    EXPECT_TRUE(IsWindowEnabled(owner));
    DestroyWindow(owner);
}

TEST_F(AboutBoxTest, AQuitMessageClosesTheBoxAndIsPassedOn) {
    UiScript script(CloseAll());
    script.WaitFor(BoxShown()).Then([] { PostQuitMessage(7); });
    Show(script);
    MSG message;
    ASSERT_TRUE(PeekMessageW(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(7u, message.wParam);
}

// The library's installed box, shown by DisplayAboutBox and unloaded by the control's
// termination while it is open.
TEST_F(AboutBoxTest, TheControlShowsTheInstalledBoxAndItsTerminationUnloadsIt) {
    using cadencer::control::SharedSchedule;
    namespace fakes = cadencer::control::testing;
    SharedSchedule::Instance().ResetForTests();
    InstallAboutBox(GetModuleHandleW(nullptr));
    ASSERT_NE(nullptr, SharedSchedule::Instance().About());
    fakes::TestControl control(fakes::At(2026, 3, 2, 9, 0));
    control.core->InitNew();
    UiScript script([] { SharedSchedule::Instance().About()->Unload(); });
    script.WaitFor(BoxShown()).Then([this] { EXPECT_EQ(L"Version 3.7", WindowText(Item(kLblVersion))); }).Then([&] {
        control.core->Terminate();
    });
    script.Start();
    control.core->DisplayAboutBox();
    EXPECT_TRUE(script.Finished());
    EXPECT_FALSE(IsWindow(box_));
    SharedSchedule::Instance().ResetForTests();
}

}  // namespace
