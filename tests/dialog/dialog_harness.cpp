// The schedule dialog test harness: fixture, readers of the real controls, the message
// box watcher and input helpers.
#include "dialog_harness.h"

#include "numberentry/win/digitfield_window.h"

namespace cadencer::dialog::testing {

int FakeSite::Count(Ev e) const {
    int n = 0;
    for (Ev x : events) n += x == e;
    return n;
}

TestControl::TestControl(FakeClock& clock, ObjectRef defaultIcon) {
    core = CadencerCore::Create({&clock, &site, &timer, std::move(defaultIcon)});
    MemoryPropertyBag bag;
    core->Load(bag);  // a control saved with its defaults, then run
}

TestControl::~TestControl() {
    if (core) core->Terminate();
}

void DialogTest::SetUp() {
    // The real pointer stays clear of the dialogs: its moves would write hints.
    SetCursorPos(GetSystemMetrics(SM_CXSCREEN) - 1, GetSystemMetrics(SM_CYSCREEN) - 1);
    SharedSchedule::Instance().ResetForTests();
    clock.now = At(2026, 3, 10, 10, 0, 0);
    defaultIcon = std::make_shared<IconPicture>(LoadIconW(nullptr, MAKEINTRESOURCEW(32516)));  // IDI_INFORMATION
    InstallScheduleDialog(GetModuleHandleW(nullptr), &clock);
    a = MakeControl();
}

void DialogTest::TearDown() {
    if (auto* port = SharedSchedule::Instance().Dialog()) port->Unload();
    a.reset();
    b.reset();
    Pump();
    EXPECT_EQ(ScheduleDialogWindow(), nullptr);
    SharedSchedule::Instance().ResetForTests();
}

std::unique_ptr<TestControl> DialogTest::MakeControl() {
    return std::make_unique<TestControl>(clock, defaultIcon);
}

HWND DialogTest::Open() {
    a->core->DisplayScheduler();
    const HWND dialog = Dlg();
    EXPECT_NE(dialog, nullptr);
    return dialog;
}

namespace {

struct Watch {
    HWND dialog = nullptr;
    std::vector<SeenBox>* seen = nullptr;
    HWND answered = nullptr;  // the box last answered, until it is gone
};
Watch* g_watch = nullptr;

BOOL CALLBACK FindBox(HWND window, LPARAM found) {
    wchar_t cls[16] = L"";
    GetClassNameW(window, cls, 16);
    if (lstrcmpW(cls, L"#32770") == 0 && IsWindowVisible(window) && window != g_watch->dialog &&
        window != g_watch->answered && GetWindow(window, GW_OWNER) == g_watch->dialog) {
        *reinterpret_cast<HWND*>(found) = window;
        return FALSE;
    }
    return TRUE;
}

void CALLBACK WatchTimer(HWND, UINT, UINT_PTR, DWORD) {
    if (!g_watch || !g_watch->dialog) return;
    HWND box = nullptr;
    EnumThreadWindows(GetCurrentThreadId(), FindBox, reinterpret_cast<LPARAM>(&box));
    if (!box) return;
    SeenBox seen;
    wchar_t buffer[512] = L"";
    GetDlgItemTextW(box, 0xFFFF, buffer, 512);  // the message box's text static
    seen.text = buffer;
    GetWindowTextW(box, buffer, 512);
    seen.title = buffer;
    // The icon static holds the shared system icon of its kind.
    HICON icon = nullptr;
    for (int iconId : {1088, 0x14})  // the box's icon static: Wine's, then the system's
        if (!icon) icon = reinterpret_cast<HICON>(SendDlgItemMessageW(box, iconId, STM_GETICON, 0, 0));
    seen.errorIcon = icon && icon == LoadIconW(nullptr, MAKEINTRESOURCEW(32513));    // IDI_HAND
    seen.warningIcon = icon && icon == LoadIconW(nullptr, MAKEINTRESOURCEW(32515));  // IDI_EXCLAMATION
    seen.focusBefore = GetFocus();
    g_watch->seen->push_back(seen);
    // Press OK once; the box ends its own loop.
    g_watch->answered = box;
    PostMessageW(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(box, IDOK)));
}

}  // namespace

std::vector<SeenBox> DialogTest::WithBoxes(const std::function<void()>& action) {
    std::vector<SeenBox> seen;
    Watch watch{Dlg(), &seen};
    Watch* previous = g_watch;
    g_watch = &watch;
    const UINT_PTR timer = SetTimer(nullptr, 0, 30, WatchTimer);
    action();
    KillTimer(nullptr, timer);
    g_watch = previous;
    Pump(2);  // the activation comes back to the dialog after a box
    return seen;
}

std::vector<SeenBox> DialogTest::Click(int id) {
    const HWND control = Item(id);
    EXPECT_NE(control, nullptr) << id;
    return WithBoxes([control] { SendMessageW(control, BM_CLICK, 0, 0); });
}

int DialogTest::SelectedOccurs() const {
    for (int i = 0; i < 5; ++i)
        if (Check(id::OccursOption + i) == BST_CHECKED) return i;
    return -1;
}

int DialogTest::DefaultId() const {
    const LRESULT r = SendMessageW(Dlg(), DM_GETDEFID, 0, 0);
    return HIWORD(r) == DC_HASDEFID ? LOWORD(r) : 0;
}

std::wstring DialogTest::Text(int id) const {
    wchar_t buffer[256] = L"";
    GetWindowTextW(id ? Item(id) : Dlg(), buffer, 256);
    return buffer;
}

std::wstring DialogTest::StatusText(int part) const {
    wchar_t buffer[256] = L"";
    SendMessageW(Item(id::StatusBar), SB_GETTEXTW, static_cast<WPARAM>(part), reinterpret_cast<LPARAM>(buffer));
    return buffer;
}

int DialogTest::ClientHeight() const {
    RECT r{};
    GetClientRect(Dlg(), &r);
    return r.bottom;
}

int DialogTest::Px(int twips) const {
    using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
    const auto getDpi = reinterpret_cast<GetDpiForWindowFn>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"user32.dll"), "GetDpiForWindow")));
    int dpi = getDpi ? static_cast<int>(getDpi(Dlg())) : 0;
    if (dpi <= 0) {
        HDC screen = GetDC(nullptr);
        dpi = GetDeviceCaps(screen, LOGPIXELSY);
        ReleaseDC(nullptr, screen);
    }
    return TwipsToPixels(twips, dpi);
}

RECT DialogTest::ClientRectOf(HWND child) const {
    RECT r{};
    GetWindowRect(child, &r);
    MapWindowPoints(nullptr, Dlg(), reinterpret_cast<POINT*>(&r), 2);
    return r;
}

std::optional<SYSTEMTIME> DialogTest::Picker(int id) const {
    SYSTEMTIME st{};
    if (SendMessageW(Item(id), DTM_GETSYSTEMTIME, 0, reinterpret_cast<LPARAM>(&st)) != GDT_VALID) return std::nullopt;
    return st;
}

void DialogTest::SetPicker(int id, const SYSTEMTIME& st) {
    SendMessageW(Item(id), DTM_SETSYSTEMTIME, GDT_VALID, reinterpret_cast<LPARAM>(&st));
    NMDATETIMECHANGE change{};
    change.nmhdr.hwndFrom = Item(id);
    change.nmhdr.idFrom = static_cast<UINT_PTR>(id);
    change.nmhdr.code = DTN_DATETIMECHANGE;
    change.st = st;
    SendMessageW(Dlg(), WM_NOTIFY, static_cast<WPARAM>(id), reinterpret_cast<LPARAM>(&change));
}

double DialogTest::NumberValue() const {
    numberentry::DigitfieldWindow number(Item(id::EveryNumber));
    const auto v = number.Value().ToDouble();
    return v ? *v : -1;
}

HWND DialogTest::NumberEdit() const {
    return numberentry::DigitfieldWindow(Item(id::EveryNumber)).EditWindow();
}

void Pump(int rounds) {
    for (int i = 0; i < rounds; ++i) {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        if (i + 1 < rounds) Sleep(5);
    }
}

void PressKey(UINT vk, bool shift) {
    const HWND target = GetFocus();
    // Posted keys do not change the key state; the dialog manager reads Shift from it.
    BYTE state[256];
    GetKeyboardState(state);
    if (shift) {
        state[VK_SHIFT] = 0x80;
        SetKeyboardState(state);
    }
    const UINT scan = MapVirtualKeyW(vk, 0);
    PostMessageW(target, WM_KEYDOWN, vk, 1 | (scan << 16));
    PostMessageW(target, WM_KEYUP, vk, 1 | (scan << 16) | (1u << 30) | (1u << 31));
    Pump(2);
    if (shift) {
        GetKeyboardState(state);
        state[VK_SHIFT] = 0;
        SetKeyboardState(state);
    }
}

HWND Focus() {
    return GetFocus();
}

bool FocusIs(HWND dialog, int id) {
    const HWND control = GetDlgItem(dialog, id);
    const HWND focus = GetFocus();
    return control && focus && (focus == control || IsChild(control, focus));
}

}  // namespace cadencer::dialog::testing
