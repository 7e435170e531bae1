// cadencer.ocx on two user-interface threads at once, as a browser's windows or a program
// with a second UI thread use it: each thread (a single-threaded apartment with its own
// message loop) has its own shared schedule, dialog and clock. Both threads set and read
// back their own values thousands of times while the other does the same, open and close
// their own dialog and fire their own ScheduledTime; then both end, and the library may
// unload.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "component_support.h"

namespace cadencer_test {
namespace {

constexpr int kRounds = 5000;
constexpr int kDialogEvery = 1000;

struct ThreadReport {
    int rounds = 0;
    int mismatches = 0;
    int dialogsSeen = 0;
    int dialogsClosed = 0;
    int executeEvents = 0;
    bool tickFired = false;
    std::string firstProblem;
};

struct Worker {
    wchar_t name;  // 'A' or 'B'
    short intervalBase;
    HANDLE gate;
    ThreadReport report;
};

void Pump() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

struct CaptionSearch {
    const std::wstring* caption;
    HWND found;
};

BOOL CALLBACK MatchCaption(HWND window, LPARAM data) {
    auto* search = reinterpret_cast<CaptionSearch*>(data);
    wchar_t text[128] = L"";
    GetWindowTextW(window, text, 128);
    if (IsWindowVisible(window) && *search->caption == text) {
        search->found = window;
        return FALSE;
    }
    return TRUE;
}

// A visible top-level window of this thread captioned `caption` (the thread's dialog).
HWND ThreadWindowCaptioned(const std::wstring& caption) {
    CaptionSearch search{&caption, nullptr};
    EnumThreadWindows(GetCurrentThreadId(), &MatchCaption, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

void Note(ThreadReport& report, const std::string& problem) {
    ++report.mismatches;
    if (report.firstProblem.empty()) report.firstProblem = problem;
}

HRESULT NewControl(ComPtr<_Cadencer>* control) {
    return CoCreateInstance(CLSID_Cadencer, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(control->GetAddressOf()));
}

void RunThread(Worker& worker) {
    ThreadReport& report = worker.report;
    // Two controls: one a container initialised, one used as a script uses it.
    ComPtr<_Cadencer> first, second;
    if (FAILED(NewControl(&first)) || FAILED(NewControl(&second))) return Note(report, "create failed");
    ComPtr<IPersistStreamInit> persist;
    if (FAILED(first.As(&persist)) || FAILED(persist->InitNew())) return Note(report, "InitNew failed");
    CallLog log;
    RecordingEventSink sink(&log);
    ComPtr<IConnectionPoint> point;
    DWORD cookie = 0;
    {
        ComPtr<IConnectionPointContainer> container;
        if (FAILED(first.As(&container)) || FAILED(container->FindConnectionPoint(DIID___Cadencer, &point)) ||
            FAILED(point->Advise(&sink, &cookie)))
            return Note(report, "advise failed");
    }
    WaitForSingleObject(worker.gate, INFINITE);

    const std::wstring prefix = std::wstring(L"Thread ") + worker.name + L" round ";
    for (int round = 0; round < kRounds; ++round) {
        const std::wstring title = prefix + std::to_wstring(round);
        const short interval = static_cast<short>(worker.intervalBase + round % 400);
        // Written through one control and read back through both: the thread's record.
        _Cadencer* writer = round % 2 ? second.Get() : first.Get();
        writer->put_Title(ScopedBstr(title.c_str()).get());
        writer->put_EveryInterval(interval);
        for (_Cadencer* reader : {first.Get(), second.Get()}) {
            ScopedBstr read;
            short readInterval = 0;
            reader->get_Title(read.receive());
            reader->get_EveryInterval(&readInterval);
            if (!read.get() || title != read.get() || readInterval != interval) {
                char text[256];
                snprintf(text, sizeof(text), "round %d: read \"%ls\" / %d, wrote \"%ls\" / %d", round,
                         read.get() ? read.get() : L"(null)", readInterval, title.c_str(), interval);
                Note(report, text);
            }
        }
        if (round % 100 == 0) Pump();
        if (round % kDialogEvery == kDialogEvery / 2) {
            // The thread's own dialog, captioned with the thread's own title.
            first->DisplayScheduler();
            HWND dialog = ThreadWindowCaptioned(title);
            if (dialog) ++report.dialogsSeen;
            const int closedBefore = sink.count(3);
            first->CloseScheduler();
            if (dialog && !IsWindow(dialog) && sink.count(3) == closedBefore + 1) ++report.dialogsClosed;
            const int firedBefore = sink.count(4);
            first->Execute();
            report.executeEvents += sink.count(4) - firedBefore;
        }
        report.rounds = round + 1;
    }

    // The thread's clock fires its own ScheduledTime: Every minute, last run five minutes ago.
    const int firedBefore = sink.count(4);
    Occurs every = Every;
    first->put_EveryFrequency(Minutes);
    first->put_EveryInterval(1);
    first->put_OccursOption(&every);
    first->put_LastScheduledTime(NowDate() - 5.0 / 1440);
    report.tickFired = PumpUntil([&] { return sink.count(4) > firedBefore; }, 5000);

    point->Unadvise(cookie);
    point.Reset();
    persist.Reset();
    first.Reset();
    second.Reset();
    Pump();
}

DWORD WINAPI ThreadMain(void* data) {
    if (FAILED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) return 1;
    RunThread(*static_cast<Worker*>(data));
    CoUninitialize();
    return 0;
}

TEST(ComponentThreads, TwoUserInterfaceThreadsEachKeepTheirOwnScheduleDialogAndClock) {
    HANDLE gate = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    ASSERT_NE(gate, nullptr);
    Worker workers[2] = {{L'A', 1, gate, {}}, {L'B', 501, gate, {}}};
    HANDLE threads[2] = {};
    for (int i = 0; i < 2; ++i) {
        threads[i] = CreateThread(nullptr, 0, &ThreadMain, &workers[i], 0, nullptr);
        ASSERT_NE(threads[i], nullptr);
    }
    SetEvent(gate);
    // Generous: both threads pump their messages; a hang shows as a timeout here.
    ASSERT_EQ(WaitForMultipleObjects(2, threads, TRUE, 300000), WAIT_OBJECT_0);
    for (HANDLE thread : threads) CloseHandle(thread);
    CloseHandle(gate);

    for (const Worker& worker : workers) {
        SCOPED_TRACE(std::string("thread ") + static_cast<char>(worker.name));
        const ThreadReport& r = worker.report;
        EXPECT_EQ(r.rounds, kRounds) << r.firstProblem;
        EXPECT_EQ(r.mismatches, 0) << r.firstProblem;
        EXPECT_EQ(r.dialogsSeen, kRounds / kDialogEvery);
        EXPECT_EQ(r.dialogsClosed, kRounds / kDialogEvery);
        EXPECT_EQ(r.executeEvents, kRounds / kDialogEvery);
        EXPECT_TRUE(r.tickFired);
    }
    // Both threads have ended with their controls, dialogs and callbacks: nothing of the
    // library is in use any more.
    CoFreeUnusedLibraries();
    EXPECT_EQ(CallDllCanUnloadNow(), S_OK);
}

}  // namespace
}  // namespace cadencer_test
