// The fuzzer's common ground (see fuzz_support.h).
#include "fuzz_support.h"

#include <psapi.h>

#include <atomic>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <string>

namespace cadencer_fuzz {
namespace {

HMODULE g_ocx = nullptr;
ComPtr<IClassFactory> g_factory;

char g_operation[512] = "starting";
std::atomic<std::uint64_t> g_sequence{0};
std::atomic<DWORD> g_extraMs{0};
DWORD g_hangLimitMs = 10000;
int g_faults = 0;

void WriteOut(const char* text) {
    // Straight to the handle: a report from a crashing or hung process must not wait in a buffer.
    DWORD written = 0;
    WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), text, static_cast<DWORD>(strlen(text)), &written, nullptr);
}

HANDLE g_mainThread = nullptr;

// "module+offset" for a code address, or empty when it lies in no module.
std::string Locate(const void* address) {
    HMODULE handle = nullptr;
    char module[MAX_PATH];
    if (!GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                            static_cast<LPCSTR>(address), &handle) ||
        !GetModuleFileNameA(handle, module, sizeof(module)))
        return std::string();
    const char* name = strrchr(module, '\\');
    char text[MAX_PATH + 32];
    std::snprintf(
        text, sizeof(text), "%s+%#llx", name ? name + 1 : module,
        static_cast<unsigned long long>(static_cast<const BYTE*>(address) - reinterpret_cast<const BYTE*>(handle)));
    return text;
}

// Where the hung thread is: its instruction pointer and the code addresses found on its
// stack (a rough backtrace, enough to name the loop it is caught in).
std::string WhereMainThreadIs() {
    if (!g_mainThread || SuspendThread(g_mainThread) == static_cast<DWORD>(-1)) return "?";
    CONTEXT context{};
    context.ContextFlags = CONTEXT_CONTROL | CONTEXT_INTEGER;
    std::string where;
    if (GetThreadContext(g_mainThread, &context)) {
#ifdef _WIN64
        const ULONG_PTR ip = context.Rip, sp = context.Rsp;
#else
        const ULONG_PTR ip = context.Eip, sp = context.Esp;
#endif
        where = Locate(reinterpret_cast<const void*>(ip));
        int found = 0;
        for (ULONG_PTR at = sp; found < 120 && at < sp + 262144; at += sizeof(ULONG_PTR)) {
            MEMORY_BASIC_INFORMATION info;
            if (VirtualQuery(reinterpret_cast<const void*>(at), &info, sizeof(info)) != sizeof(info) ||
                info.State != MEM_COMMIT)
                break;
            const void* value = *reinterpret_cast<const void* const*>(at);
            if (reinterpret_cast<ULONG_PTR>(value) < 0x10000) continue;
            const std::string frame = Locate(value);
            if (!frame.empty()) {
                where += " < " + frame;
                ++found;
            }
        }
    }
    ResumeThread(g_mainThread);
    return where;
}

LONG WINAPI OnUnhandledException(EXCEPTION_POINTERS* info) {
    char text[1200];
    std::snprintf(text, sizeof(text), "FAULT crash: exception %08lx at %s during: %s\n",
                  static_cast<unsigned long>(info->ExceptionRecord->ExceptionCode),
                  Locate(info->ExceptionRecord->ExceptionAddress).c_str(), g_operation);
    WriteOut(text);
    TerminateProcess(GetCurrentProcess(), 3);
    return EXCEPTION_EXECUTE_HANDLER;
}

DWORD WINAPI Watchdog(void*) {
    std::uint64_t seen = g_sequence.load();
    ULONGLONG since = GetTickCount64();
    for (;;) {
        Sleep(250);
        const std::uint64_t now = g_sequence.load();
        if (now != seen) {
            seen = now;
            since = GetTickCount64();
            continue;
        }
        if (GetTickCount64() - since > g_hangLimitMs + g_extraMs.load()) {
            static char text[16000];
            std::snprintf(text, sizeof(text), "FAULT hang: no progress for %lu ms during: %s\n  at %s\n",
                          static_cast<unsigned long>(g_hangLimitMs + g_extraMs.load()), g_operation,
                          WhereMainThreadIs().c_str());
            WriteOut(text);
            TerminateProcess(GetCurrentProcess(), 4);
        }
    }
}

BOOL CALLBACK CountWindow(HWND window, LPARAM param) {
    auto* count = reinterpret_cast<int*>(param);
    ++*count;
    EnumChildWindows(
        window,
        [](HWND, LPARAM p) WINAPI -> BOOL {
            ++*reinterpret_cast<int*>(p);
            return TRUE;
        },
        param);
    return TRUE;
}

// Windows the fuzzer itself keeps open (none so far) are told apart by this property.
constexpr wchar_t kKeepProperty[] = L"CadencerFuzzKeep";

BOOL CALLBACK CloseVisibleWindow(HWND window, LPARAM) {
    if (IsWindowVisible(window) && !GetPropW(window, kKeepProperty)) PostMessageW(window, WM_CLOSE, 0, 0);
    return TRUE;
}

void CALLBACK CloserTick(HWND, UINT, UINT_PTR, DWORD) {
    EnumThreadWindows(GetCurrentThreadId(), CloseVisibleWindow, 0);
}

}  // namespace

bool LoadOcx() {
    std::wstring path = L"Z:";
    for (const char* c = CADENCER_OCX_PATH; *c; ++c) path += *c == '/' ? L'\\' : static_cast<wchar_t>(*c);
    g_ocx = LoadLibraryW(path.c_str());
    if (!g_ocx) return false;
    using GetClassObject = HRESULT(WINAPI*)(REFCLSID, REFIID, void**);
    auto get = reinterpret_cast<GetClassObject>(reinterpret_cast<void*>(GetProcAddress(g_ocx, "DllGetClassObject")));
    return get && SUCCEEDED(get(CLSID_Cadencer, IID_PPV_ARGS(&g_factory)));
}

ComPtr<IUnknown> CreateControl() {
    ComPtr<IUnknown> control;
    if (FAILED(g_factory->CreateInstance(nullptr, IID_PPV_ARGS(&control))))
        Fault("create", "the class object created no control");
    return control;
}

void Doing(const char* format, ...) {
    va_list args;
    va_start(args, format);
    std::vsnprintf(g_operation, sizeof(g_operation), format, args);
    va_end(args);
    g_extraMs = 0;
    ++g_sequence;
}

const char* CurrentOperation() {
    return g_operation;
}

void Fault(const char* kind, const std::string& detail) {
    ++g_faults;
    if (g_faults > 50) return;  // the first ones tell the story
    std::string text = std::string("FAULT ") + kind + ": " + detail + " during: " + g_operation + "\n";
    WriteOut(text.c_str());
}

int FaultCount() {
    return g_faults;
}

void InstallGuards(DWORD hangLimitMs) {
    g_hangLimitMs = hangLimitMs;
    DuplicateHandle(GetCurrentProcess(), GetCurrentThread(), GetCurrentProcess(), &g_mainThread, 0, FALSE,
                    DUPLICATE_SAME_ACCESS);
    SetUnhandledExceptionFilter(OnUnhandledException);
    // No error boxes and no debugger: a fault is reported here, then the process ends.
    SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX | SEM_NOOPENFILEERRORBOX);
    CloseHandle(CreateThread(nullptr, 0, Watchdog, nullptr, 0, nullptr));
}

void ExtendWatchdog(DWORD extraMs) {
    g_extraMs = extraMs;
}

int ThreadWindowCount() {
    int count = 0;
    EnumThreadWindows(GetCurrentThreadId(), CountWindow, reinterpret_cast<LPARAM>(&count));
    // Message-only windows are not enumerated with the others.
    for (HWND w = FindWindowExW(HWND_MESSAGE, nullptr, nullptr, nullptr); w;
         w = FindWindowExW(HWND_MESSAGE, w, nullptr, nullptr))
        if (GetWindowThreadProcessId(w, nullptr) == GetCurrentThreadId()) ++count;
    return count;
}

SIZE_T CommittedBytes() {
    PROCESS_MEMORY_COUNTERS counters{};
    GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof(counters));
    return counters.PagefileUsage;
}

SIZE_T PeakCommittedBytes() {
    PROCESS_MEMORY_COUNTERS counters{};
    GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof(counters));
    return counters.PeakPagefileUsage;
}

SIZE_T PrivateBytesByWalk() {
    SIZE_T total = 0;
    MEMORY_BASIC_INFORMATION info;
    const BYTE* at = nullptr;
    while (VirtualQuery(at, &info, sizeof(info)) == sizeof(info)) {
        if (info.State == MEM_COMMIT && info.Type == MEM_PRIVATE) total += info.RegionSize;
        const BYTE* next = static_cast<const BYTE*>(info.BaseAddress) + info.RegionSize;
        if (next <= at) break;
        at = next;
    }
    return total;
}

SIZE_T LiveHeapBytes() {
    std::vector<HANDLE> heaps(GetProcessHeaps(0, nullptr) + 16);
    heaps.resize(GetProcessHeaps(static_cast<DWORD>(heaps.size()), heaps.data()));
    SIZE_T total = 0;
    for (HANDLE heap : heaps) {
        if (!HeapLock(heap)) continue;
        PROCESS_HEAP_ENTRY entry{};
        while (HeapWalk(heap, &entry))
            if (entry.wFlags & PROCESS_HEAP_ENTRY_BUSY) total += entry.cbData;
        HeapUnlock(heap);
    }
    return total;
}

void PumpMessages(DWORD milliseconds) {
    const ULONGLONG end = GetTickCount64() + milliseconds;
    for (;;) {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        const ULONGLONG now = GetTickCount64();
        if (now >= end) return;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(end - now), QS_ALLINPUT);
    }
}

void StartModalCloser() {
    SetTimer(nullptr, 0, 40, CloserTick);
}

STDMETHODIMP FakeSite::QueryInterface(REFIID iid, void** ppv) {
    if (!ppv) return E_POINTER;
    *ppv = nullptr;
    if (iid == IID_IUnknown || iid == IID_IOleClientSite)
        *ppv = static_cast<IOleClientSite*>(this);
    else if (iid == IID_IDispatch)
        *ppv = static_cast<IDispatch*>(this);
    else
        return E_NOINTERFACE;
    AddRef();
    return S_OK;
}

STDMETHODIMP_(ULONG) FakeSite::Release() {
    const LONG refs = InterlockedDecrement(&refs_);
    if (refs == 0) delete this;
    return refs;
}

STDMETHODIMP FakeSite::GetMoniker(DWORD, DWORD, IMoniker** moniker) {
    if (moniker) *moniker = nullptr;
    return E_NOTIMPL;
}

STDMETHODIMP FakeSite::GetContainer(IOleContainer** container) {
    if (container) *container = nullptr;
    return E_NOINTERFACE;
}

STDMETHODIMP FakeSite::GetTypeInfoCount(UINT* count) {
    if (count) *count = 0;
    return S_OK;
}

STDMETHODIMP FakeSite::GetTypeInfo(UINT, LCID, ITypeInfo** info) {
    if (info) *info = nullptr;
    return E_NOTIMPL;
}

STDMETHODIMP FakeSite::Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS*, VARIANT* result, EXCEPINFO*, UINT*) {
    if (id != DISPID_AMBIENT_USERMODE || !userMode_) return DISP_E_MEMBERNOTFOUND;
    if (!result) return E_POINTER;
    VariantInit(result);
    V_VT(result) = VT_BOOL;
    V_BOOL(result) = *userMode_ ? VARIANT_TRUE : VARIANT_FALSE;
    return S_OK;
}

namespace {

struct Readable {
    const wchar_t* name;
    VARTYPE type;
    bool persisted;
};

const Readable kReadable[] = {
    {L"Enabled", VT_BOOL, true},
    {L"Modal", VT_BOOL, true},
    {L"ShowHelpButton", VT_BOOL, true},
    {L"NextScheduledTime", VT_DATE, false},
    {L"LastScheduledTime", VT_DATE, false},
    {L"StartUpPosition", VT_I4, true},
    {L"StartUpLeft", VT_I4, true},
    {L"StartUpTop", VT_I4, true},
    {L"Title", VT_BSTR, true},
    {L"CaptionOKButtonBefore", VT_BSTR, true},
    {L"CaptionOKButtonAfter", VT_BSTR, true},
    {L"CaptionCloseButtonBefore", VT_BSTR, true},
    {L"CaptionCloseButtonAfter", VT_BSTR, true},
    {L"CaptionHelpButton", VT_BSTR, true},
    {L"Icon", VT_DISPATCH, true},
    {L"OccursOption", VT_I4, true},
    {L"EveryInterval", VT_I2, true},
    {L"EveryFrequency", VT_I4, true},
    {L"EveryHourMin", VT_I2, true},
    {L"EveryHourMax", VT_I2, true},
    {L"EveryHourIncrement", VT_I2, true},
    {L"EveryMinuteMin", VT_I2, true},
    {L"EveryMinuteMax", VT_I2, true},
    {L"EveryMinuteIncrement", VT_I2, true},
    {L"StartHour", VT_I2, true},
    {L"StartMinute", VT_I2, true},
    {L"StartDate", VT_DATE, true},
    {L"EndDate", VT_DATE, true},
    {L"UseEndDate", VT_BOOL, true},
    {L"SelectionsWeekly", VT_BSTR, true},
    {L"SelectionsMonthly", VT_BSTR, true},
};

std::string Narrow(const wchar_t* text) {
    std::string out;
    for (; *text; ++text) out += static_cast<char>(*text < 128 ? *text : '?');
    return out;
}

// The picture's kind and pixel size, which survive a save and a reload.
std::string DescribePicture(IDispatch* object) {
    ComPtr<IPicture> picture;
    if (!object || FAILED(object->QueryInterface(IID_PPV_ARGS(&picture)))) return "not a picture";
    SHORT type = 0;
    OLE_XSIZE_HIMETRIC width = 0;
    OLE_YSIZE_HIMETRIC height = 0;
    picture->get_Type(&type);
    picture->get_Width(&width);
    picture->get_Height(&height);
    return "picture " + std::to_string(type) + " " + std::to_string(width) + "x" + std::to_string(height);
}

}  // namespace

std::optional<std::string> ReadAllProperties(IDispatch* control, const char* context) {
    std::string text;
    bool ok = true;
    for (const Readable& property : kReadable) {
        DISPID id = 0;
        LPOLESTR name = const_cast<LPOLESTR>(property.name);
        if (FAILED(control->GetIDsOfNames(IID_NULL, &name, 1, LOCALE_USER_DEFAULT, &id))) {
            Fault("no answer", std::string(context) + ": no DISPID for " + Narrow(property.name));
            return std::nullopt;
        }
        DISPPARAMS none{};
        ScopedVariant held;
        VARIANT& value = *held.get();
        const HRESULT hr =
            control->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYGET, &none, &value, nullptr, nullptr);
        if (FAILED(hr) || V_VT(&value) != property.type ||
            (property.type == VT_DISPATCH && V_DISPATCH(&value) == nullptr)) {
            char detail[200];
            std::snprintf(detail, sizeof(detail), "%s: get %s gave %08lx, type %d", context,
                          Narrow(property.name).c_str(), static_cast<unsigned long>(hr), V_VT(&value));
            Fault("no answer", detail);
            ok = false;
        } else if (property.persisted) {
            text += Narrow(property.name) + "=";
            char number[64];
            switch (property.type) {
                case VT_BOOL:
                    text += std::to_string(V_BOOL(&value));
                    break;
                case VT_I2:
                    text += std::to_string(V_I2(&value));
                    break;
                case VT_I4:
                    text += std::to_string(V_I4(&value));
                    break;
                case VT_DATE:
                    std::snprintf(number, sizeof(number), "%.17g", V_DATE(&value));
                    text += number;
                    break;
                case VT_BSTR: {
                    const UINT length = SysStringLen(V_BSTR(&value));
                    std::uint32_t hash = 2166136261u;
                    for (UINT i = 0; i < length; ++i) hash = (hash ^ V_BSTR(&value)[i]) * 16777619u;
                    text += std::to_string(length) + ":" + std::to_string(hash);
                    break;
                }
                case VT_DISPATCH:
                    text += DescribePicture(V_DISPATCH(&value));
                    break;
            }
            text += ";";
        }
    }
    if (!ok) return std::nullopt;
    return text;
}

ComPtr<IStream> StreamOf(const std::vector<BYTE>& bytes) {
    ComPtr<IStream> stream;
    CreateStreamOnHGlobal(nullptr, TRUE, &stream);
    if (!bytes.empty()) stream->Write(bytes.data(), static_cast<ULONG>(bytes.size()), nullptr);
    const LARGE_INTEGER start{};
    stream->Seek(start, STREAM_SEEK_SET, nullptr);
    return stream;
}

std::vector<BYTE> SaveStream(IUnknown* control, HRESULT* hr) {
    std::vector<BYTE> bytes;
    ComPtr<IPersistStreamInit> persist;
    *hr = control->QueryInterface(IID_PPV_ARGS(&persist));
    if (FAILED(*hr)) return bytes;
    ComPtr<IStream> stream;
    CreateStreamOnHGlobal(nullptr, TRUE, &stream);
    *hr = persist->Save(stream.Get(), TRUE);
    if (FAILED(*hr)) return bytes;
    STATSTG stat{};
    stream->Stat(&stat, STATFLAG_NONAME);
    bytes.resize(static_cast<std::size_t>(stat.cbSize.QuadPart));
    const LARGE_INTEGER start{};
    stream->Seek(start, STREAM_SEEK_SET, nullptr);
    ULONG read = 0;
    if (!bytes.empty()) stream->Read(bytes.data(), static_cast<ULONG>(bytes.size()), &read);
    return bytes;
}

HRESULT LoadStream(IUnknown* control, const std::vector<BYTE>& bytes) {
    ComPtr<IPersistStreamInit> persist;
    HRESULT hr = control->QueryInterface(IID_PPV_ARGS(&persist));
    if (FAILED(hr)) return hr;
    return persist->Load(StreamOf(bytes).Get());
}

}  // namespace cadencer_fuzz
