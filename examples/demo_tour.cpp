// The scripted tour of the demo host.
#include "demo_tour.h"

#include <cstdio>
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

void WriteLog() {
    std::string all;
    for (const auto& line : LogLines()) {
        const int n = WideCharToMultiByte(CP_UTF8, 0, line.c_str(), -1, nullptr, 0, nullptr, nullptr);
        std::string utf8(static_cast<size_t>(n > 0 ? n - 1 : 0), '\0');
        WideCharToMultiByte(CP_UTF8, 0, line.c_str(), -1, utf8.data(), n, nullptr, nullptr);
        all += utf8 + "\n";
    }
    std::ofstream("demo-log.txt", std::ios::binary) << all;
    std::fwrite(all.data(), 1, all.size(), stdout);
    std::fflush(stdout);
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
    WriteLog();
    KillTimer(MainWindow(), kTourTimer);
    PostMessageW(MainWindow(), WM_CLOSE, 0, 0);
}

void Tour::OnEvent(const std::wstring& name) {
    if (name == L"ScheduledTime") {
        ++firings_;
        if (step_ == Step::WaitFirstFiring) Go(Step::Execute, 300);
    }
}

void Tour::OnTimer(UINT_PTR id) {
    if (id != kTourTimer || step_ == Step::Done) return;
    const DWORD now = GetTickCount();
    if (now - started_ > kTourTimeoutMs) return Finish(1, L"the tour took too long");
    if (step_ == Step::WaitFirstFiring) {
        if (now > deadline_) Finish(1, L"ScheduledTime did not fire for a schedule due now");
        return;
    }
    if (now >= stepDue_) RunStep();
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
            return Go(Step::Dialog, 500);
        }
        case Step::Dialog:
            AddLog(L"tour: DisplayScheduler (modeless), then CloseScheduler");
            c->put_Modal(VARIANT_FALSE);
            c->DisplayScheduler();
            c->CloseScheduler();
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
