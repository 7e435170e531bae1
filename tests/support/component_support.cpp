// Implementation of the shared helpers of the cadencer.ocx tests.
#include "component_support.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <sstream>

#include "fuzz_support.h"

namespace cadencer_test {

const std::vector<std::wstring> kStoredKeys = [] {
    std::vector<std::wstring> keys;
    for (std::u16string_view name : kStoredKeyNames) keys.emplace_back(name.begin(), name.end());
    return keys;
}();

std::wstring OcxPath() {
    std::string unix = CADENCER_OCX_PATH;
    std::wstring path = L"Z:";
    for (char c : unix) path += c == '/' ? L'\\' : static_cast<wchar_t>(c);
    return path;
}

HMODULE OcxModule() {
    static HMODULE module = LoadLibraryW(OcxPath().c_str());
    return module;
}

namespace {

using EntryPoint = HRESULT(WINAPI*)();

EntryPoint Export(const char* name) {
    return reinterpret_cast<EntryPoint>(reinterpret_cast<void*>(GetProcAddress(OcxModule(), name)));
}

}  // namespace

HRESULT CallDllCanUnloadNow() {
    auto fn = Export("DllCanUnloadNow");
    return fn ? fn() : E_FAIL;
}

void RegisterMachineWide() {
    auto fn = Export("DllRegisterServer");
    ASSERT_NE(fn, nullptr);
    ASSERT_EQ(fn(), S_OK);
}

ComPtr<_Cadencer> CreateControl() {
    ComPtr<_Cadencer> control;
    const HRESULT hr = CoCreateInstance(CLSID_Cadencer, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&control));
    EXPECT_EQ(hr, S_OK);
    return control;
}

ComPtr<_Cadencer> CreateInitialisedControl() {
    ComPtr<_Cadencer> control = CreateControl();
    ComPtr<IPersistStreamInit> persist;
    if (control && SUCCEEDED(control.As(&persist))) {
        EXPECT_EQ(persist->InitNew(), S_OK);
    }
    return control;
}

ComPtr<IPictureDisp> BitmapPicture(int width, int height) {
    HDC screen = GetDC(nullptr);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
    ReleaseDC(nullptr, screen);
    PICTDESC desc{};
    desc.cbSizeofstruct = sizeof(desc);
    desc.picType = PICTYPE_BITMAP;
    desc.bmp.hbitmap = bitmap;
    ComPtr<IPictureDisp> picture;
    EXPECT_EQ(OleCreatePictureIndirect(&desc, IID_IPictureDisp, TRUE, &picture), S_OK);
    return picture;
}

void PumpMessages(DWORD milliseconds) {
    PumpUntil([] { return false; }, milliseconds);
}

bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs) {
    const ULONGLONG end = GetTickCount64() + timeoutMs;
    for (;;) {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        if (done()) return true;
        const ULONGLONG now = GetTickCount64();
        if (now >= end) return false;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(end - now < 50 ? end - now : 50), QS_ALLINPUT);
    }
}

double NowDate() {
    SYSTEMTIME t;
    GetLocalTime(&t);
    double date = 0;
    SystemTimeToVariantTime(&t, &date);
    return date;
}

DISPID DispatchIdOf(IDispatch* control, const wchar_t* name) {
    LPOLESTR names = const_cast<LPOLESTR>(name);
    DISPID id = DISPID_UNKNOWN;
    if (FAILED(control->GetIDsOfNames(IID_NULL, &names, 1, LOCALE_USER_DEFAULT, &id))) return DISPID_UNKNOWN;
    return id;
}

HRESULT DispatchPut(IDispatch* control, DISPID id, VARIANT* value, WORD kind, EXCEPINFO* exception) {
    DISPID named = DISPID_PROPERTYPUT;
    DISPPARAMS params{value, &named, 1, 1};
    return control->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, kind, &params, nullptr, exception, nullptr);
}

HRESULT DispatchGet(IDispatch* control, DISPID id, VARIANT* result) {
    DISPPARAMS none{};
    return control->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYGET, &none, result, nullptr, nullptr);
}

// The fuzzer's, with the outcome checked.
std::vector<BYTE> SavedStream(IUnknown* control) {
    HRESULT hr = E_FAIL;
    std::vector<BYTE> bytes = cadencer_fuzz::SaveStream(control, &hr);
    EXPECT_EQ(hr, S_OK);
    return bytes;
}

ComPtr<IStream> StreamOf(const std::vector<BYTE>& bytes) {
    return cadencer_fuzz::StreamOf(bytes);
}

HRESULT LoadStream(IUnknown* control, IStream* stream) {
    ComPtr<IPersistStreamInit> persist;
    EXPECT_EQ(control->QueryInterface(IID_PPV_ARGS(&persist)), S_OK);
    return persist ? persist->Load(stream) : E_NOINTERFACE;
}

std::string Joined(const CallLog& log) {
    std::string text;
    for (const auto& entry : log) text += entry + " ";
    return text;
}

int IndexOf(const CallLog& log, const std::string& text) {
    for (std::size_t i = 0; i < log.size(); ++i)
        if (log[i] == text) return static_cast<int>(i);
    return -1;
}

namespace {

std::string Narrow(const std::wstring& text) {
    return std::string(text.begin(), text.end());
}

}  // namespace

STDMETHODIMP RecordingBag::Read(LPCOLESTR name, VARIANT* value, IErrorLog*) {
    if (log_) log_->push_back("Read(" + Narrow(name) + ")");
    const auto it = values.find(name);
    if (it == values.end()) return E_INVALIDARG;
    return VariantCopy(value, it->second.get());
}

STDMETHODIMP RecordingBag::Write(LPCOLESTR name, VARIANT* value) {
    if (log_) log_->push_back("Write(" + Narrow(name) + ")");
    Set(name, *value);
    return S_OK;
}

void RecordingBag::Set(const std::wstring& key, const VARIANT& value) {
    auto [it, inserted] = values.try_emplace(key);
    if (inserted) keys.push_back(key);
    VariantCopy(it->second.get(), const_cast<VARIANT*>(&value));
}

STDMETHODIMP RecordingNotifySink::OnChanged(DISPID id) {
    char text[32];
    std::snprintf(text, sizeof(text), "OnChanged(%lx)", static_cast<unsigned long>(id));
    if (log_) log_->push_back(text);
    return S_OK;
}

STDMETHODIMP RecordingNotifySink::OnRequestEdit(DISPID) {
    return S_OK;
}

STDMETHODIMP RecordingEventSink::GetTypeInfoCount(UINT* count) {
    *count = 0;
    return S_OK;
}
STDMETHODIMP RecordingEventSink::GetTypeInfo(UINT, LCID, ITypeInfo** info) {
    *info = nullptr;
    return E_NOTIMPL;
}
STDMETHODIMP RecordingEventSink::GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) {
    return E_NOTIMPL;
}

STDMETHODIMP RecordingEventSink::Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT*, EXCEPINFO*,
                                        UINT*) {
    static const char* const kNames[] = {"?", "HelpButtonClicked", "ScheduleChanged", "SchedulerClosed",
                                         "ScheduledTime"};
    if (log_) log_->push_back(std::string("Event(") + (id >= 1 && id <= 4 ? kNames[id] : kNames[0]) + ")");
    ++counts_[id];
    if (id == 4) {
        // DateTime arrives by reference, as the event interface declares it.
        const bool byRefDate = params && params->cArgs == 1 && V_VT(&params->rgvarg[0]) == (VT_DATE | VT_BYREF);
        EXPECT_TRUE(byRefDate);
        if (byRefDate) scheduledTimes.push_back(*V_DATEREF(&params->rgvarg[0]));
    }
    if (onEvent) onEvent(id);
    return S_OK;
}

int RecordingEventSink::count(DISPID id) const {
    const auto it = counts_.find(id);
    return it == counts_.end() ? 0 : it->second;
}

Advice::Advice(IUnknown* control, REFIID iid, IUnknown* sink) {
    ComPtr<IConnectionPointContainer> container;
    EXPECT_EQ(control->QueryInterface(IID_PPV_ARGS(&container)), S_OK);
    if (!container) return;
    EXPECT_EQ(container->FindConnectionPoint(iid, &point_), S_OK);
    if (point_) {
        EXPECT_EQ(point_->Advise(sink, &cookie_), S_OK);
    }
}

Advice::~Advice() {
    if (point_ && cookie_) {
        EXPECT_EQ(point_->Unadvise(cookie_), S_OK);
    }
}

// COM for the whole program, and the control registered so CoCreateInstance finds it.
class ComEnvironment : public ::testing::Environment {
public:
    void SetUp() override {
        ASSERT_TRUE(SUCCEEDED(OleInitialize(nullptr)));
        ASSERT_NE(OcxModule(), nullptr) << "cannot load the OCX";
        RegisterMachineWide();
    }
    void TearDown() override { OleUninitialize(); }
};

const auto* const g_environment = ::testing::AddGlobalTestEnvironment(new ComEnvironment);

}  // namespace cadencer_test
