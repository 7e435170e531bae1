// The scripted tour of the demo host.
#include "demo_tour.h"

#include <commctrl.h>

#include <cstdio>
#include <cwchar>
#include <fstream>

#include "demo_api.h"
#include "schedule_words.h"

namespace demo {
namespace {

constexpr UINT_PTR kTourTimer = 2;
constexpr DWORD kStepTimeoutMs = 8000;
constexpr DWORD kTourTimeoutMs = 60000;

bool SaveScreenBitmap(const wchar_t* path) {
    HDC screen = GetDC(nullptr);
    const int w = GetDeviceCaps(screen, HORZRES), h = GetDeviceCaps(screen, VERTRES);
    HDC mem = CreateCompatibleDC(screen);
    HBITMAP bmp = CreateCompatibleBitmap(screen, w, h);
    HGDIOBJ old = SelectObject(mem, bmp);
    BitBlt(mem, 0, 0, w, h, screen, 0, 0, SRCCOPY);
    SelectObject(mem, old);
    BITMAPINFOHEADER bi{};
    bi.biSize = sizeof bi;
    bi.biWidth = w;
    bi.biHeight = h;
    bi.biPlanes = 1;
    bi.biBitCount = 24;
    bi.biCompression = BI_RGB;
    const DWORD stride = ((w * 3 + 3) / 4) * 4;
    std::string pixels(static_cast<size_t>(stride) * h, '\0');
    GetDIBits(mem, bmp, 0, h, pixels.data(), reinterpret_cast<BITMAPINFO*>(&bi), DIB_RGB_COLORS);
    BITMAPFILEHEADER bf{};
    bf.bfType = 0x4D42;
    bf.bfOffBits = sizeof bf + sizeof bi;
    bf.bfSize = bf.bfOffBits + static_cast<DWORD>(pixels.size());
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(&bf), sizeof bf);
    out.write(reinterpret_cast<const char*>(&bi), sizeof bi);
    out.write(pixels.data(), static_cast<std::streamsize>(pixels.size()));
    DeleteObject(bmp);
    DeleteDC(mem);
    ReleaseDC(nullptr, screen);
    return static_cast<bool>(out);
}

// The schedule dialog's control identifiers (its design table).
constexpr int kOccursOption = 110, kEndOptionNone = 141, kTimeStart = 131, kWeeklyDay = 160, kButtonOK = 1001;
const wchar_t* const kKindNames[] = {L"Never", L"Daily", L"Weekly", L"Monthly", L"Every"};

HWND FindThreadWindowWithChild(int childId) {
    struct Search {
        int id;
        HWND found;
    } search{childId, nullptr};
    EnumThreadWindows(
        GetCurrentThreadId(),
        [](HWND w, LPARAM lp) WINAPI -> BOOL {
            auto* s = reinterpret_cast<Search*>(lp);
            if (IsWindowVisible(w) && GetDlgItem(w, s->id)) {
                s->found = w;
                return FALSE;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

HWND FindAboutBox() {
    HWND found = nullptr;
    EnumThreadWindows(
        GetCurrentThreadId(),
        [](HWND w, LPARAM lp) WINAPI -> BOOL {
            wchar_t title[64] = {};
            GetWindowTextW(w, title, 64);
            if (IsWindowVisible(w) && wcsstr(title, L"About")) {
                *reinterpret_cast<HWND*>(lp) = w;
                return FALSE;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&found));
    return found;
}

void Click(HWND dialog, int id) {
    SendMessageW(GetDlgItem(dialog, id), BM_CLICK, 0, 0);
}

int OuterHeightTwips(HWND w) {
    RECT r{};
    GetWindowRect(w, &r);
    HDC dc = GetDC(w);
    const int dpi = GetDeviceCaps(dc, LOGPIXELSY);
    ReleaseDC(w, dc);
    return MulDiv(r.bottom - r.top, 1440, dpi);
}

}  // namespace

void Tour::Start(bool controlCreated) {
    started_ = GetTickCount();
    SetTimer(MainWindow(), kTourTimer, 100, nullptr);
    if (!controlCreated) return Finish(1, L"the control could not be created");
    _Cadencer* c = Control();
    SYSTEMTIME now;
    GetLocalTime(&now);
    SYSTEMTIME today = now;
    today.wHour = today.wMinute = today.wSecond = today.wMilliseconds = 0;
    DATE todayDate = 0;
    SystemTimeToVariantTime(&today, &todayDate);
    Occurs daily = Daily;
    c->put_OccursOption(&daily);
    c->put_StartDate(todayDate);
    c->put_UseEndDate(VARIANT_FALSE);
    c->put_StartHour(static_cast<short>(now.wHour));
    c->put_StartMinute(static_cast<short>(now.wMinute));
    AddLog(L"tour: schedule made due now: " + DescribeSchedule(c));
    RefreshView();
    Go(Step::WaitFirstFiring, 0);
}

void Tour::Go(Step step, DWORD delayMs) {
    step_ = step;
    stepDue_ = GetTickCount() + delayMs;
    deadline_ = stepDue_ + kStepTimeoutMs;
}

void Tour::Finish(int exitCode, const std::wstring& why) {
    exitCode_ = exitCode;
    step_ = Step::Done;
    AddLog(exitCode == 0 ? L"tour: done" : L"tour: FAILED: " + why);
    KillTimer(MainWindow(), kTourTimer);
    PostMessageW(MainWindow(), WM_CLOSE, 0, 0);
}

void Tour::OnEvent(const std::wstring& name) {
    events_ += name == L"HelpButtonClicked" ? L"H"
               : name == L"ScheduleChanged" ? L"C"
               : name == L"SchedulerClosed" ? L"X"
                                            : L"T";
    if (name == L"ScheduledTime") {
        ++firings_;
        if (step_ == Step::WaitFirstFiring) Go(Step::Execute, 300);
        if (step_ == Step::WaitWeeklyFiring) Go(Step::About, 500);
    }
}

void Tour::OnTimer(UINT_PTR id) {
    if (id != kTourTimer || step_ == Step::Done) return;
    if (aboutOpen_) {  // the about box runs its own modal loop; close it from here
        if (HWND about = FindAboutBox()) {
            AddLog(L"tour: closing the about box");
            PostMessageW(about, WM_CLOSE, 0, 0);
            aboutOpen_ = false;
        }
        return;
    }
    // DisplayScheduler and the dialog's handlers let pending messages through, this timer's
    // among them: a step is not started again while it runs.
    if (inStep_) return;
    const DWORD now = GetTickCount();
    if (now - started_ > kTourTimeoutMs) return Finish(1, L"the tour took too long");
    if (step_ == Step::WaitFirstFiring || step_ == Step::WaitWeeklyFiring) {
        if (now > deadline_) Finish(1, L"ScheduledTime did not fire for a schedule due now");
        return;
    }
    if (now >= stepDue_) {
        inStep_ = true;
        RunStep();
        inStep_ = false;
    }
}

void Tour::RunStep() {
    _Cadencer* c = Control();
    switch (step_) {
        case Step::Execute: {
            AddLog(L"tour: Execute");
            const int before = firings_;
            c->Execute();
            if (firings_ != before + 1) return Finish(1, L"Execute did not raise ScheduledTime once");
            RefreshView();
            return Go(Step::OpenDialog, 500);
        }
        case Step::OpenDialog:
            AddLog(L"tour: DisplayScheduler (modeless)");
            c->put_Modal(VARIANT_FALSE);
            c->DisplayScheduler();
            dialog_ = FindThreadWindowWithChild(kButtonOK);
            if (!dialog_) return Finish(1, L"the schedule dialog did not open");
            kindShown_ = 0;
            return Go(Step::SwitchKinds, 400);
        case Step::SwitchKinds: {
            if (kindShown_ > 4) return Go(Step::PrepareWeekly, 200);
            Click(dialog_, kOccursOption + kindShown_);
            wchar_t text[96];
            swprintf(text, 96, L"tour: dialog kind %ls, window %d twips high", kKindNames[kindShown_],
                     OuterHeightTwips(dialog_));
            AddLog(text);
            ++kindShown_;
            return Go(Step::SwitchKinds, 400);
        }
        case Step::PrepareWeekly: {
            // Weekly on today's weekday at the present minute, with no end date: due at once.
            SYSTEMTIME now;
            GetLocalTime(&now);
            if (now.wSecond >= 55) return Go(Step::PrepareWeekly, 1000);  // clear of the minute's end
            Click(dialog_, kOccursOption + 2);
            // Check today's box whatever it holds now (a saved schedule may have checked it).
            for (int i = 0; i < 3 && IsDlgButtonChecked(dialog_, kWeeklyDay + now.wDayOfWeek + 1) != BST_CHECKED; ++i)
                Click(dialog_, kWeeklyDay + now.wDayOfWeek + 1);
            Click(dialog_, kEndOptionNone);
            SYSTEMTIME at = now;
            at.wSecond = at.wMilliseconds = 0;
            SendMessageW(GetDlgItem(dialog_, kTimeStart), DTM_SETSYSTEMTIME, GDT_VALID, reinterpret_cast<LPARAM>(&at));
            wchar_t text[96];
            swprintf(text, 96, L"tour: Weekly on today's weekday at %02u:%02u, no end date; pressing OK", now.wHour,
                     now.wMinute);
            AddLog(text);
            return Go(Step::DialogShot, 400);
        }
        case Step::DialogShot:
            RedrawWindow(dialog_, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
            SaveScreenBitmap(L"demo-dialog.bmp");
            return Go(Step::PressOK, 100);
        case Step::PressOK:
            events_.clear();
            Click(dialog_, kButtonOK);
            dialog_ = nullptr;
            if (events_.rfind(L"CX", 0) != 0)
                return Finish(1, L"OK did not raise ScheduleChanged, then SchedulerClosed");
            AddLog(L"tour: saved as " + DescribeSchedule(c) + L"; waiting for ScheduledTime");
            RefreshView();
            step_ = Step::WaitWeeklyFiring;
            deadline_ = GetTickCount() + kStepTimeoutMs;
            return;
        case Step::About:
            AddLog(L"tour: DisplayAboutBox");
            aboutOpen_ = true;
            c->DisplayAboutBox();  // modal: returns when the timer above has closed it
            aboutOpen_ = false;
            AddLog(L"tour: the about box closed");
            return Go(Step::Reload, 300);
        case Step::Reload: {
            const std::wstring before = DescribeSchedule(c);
            if (!ReloadControl()) return Finish(1, L"reloading the control failed");
            const std::wstring after = DescribeSchedule(Control());
            AddLog(L"tour: reloaded schedule: " + after);
            if (after != before) return Finish(1, L"the reloaded schedule differs from the saved one");
            return Go(Step::Screenshot, 700);
        }
        case Step::Screenshot:
            RefreshView();
            AddLog(SaveScreenBitmap(L"demo-screen.bmp") ? L"tour: screenshot saved" : L"tour: screenshot failed");
            return Finish(0, L"");
        default:
            return;
    }
}

}  // namespace demo
