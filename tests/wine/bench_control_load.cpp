// How long a container takes to create a Cadencer control and load all 29 keys from a
// property bag, measured under Wine: the control's class object straight from
// cadencer.ocx (no registration), IClassFactory::CreateInstance, then
// IPersistPropertyBag::Load, then the last Release. Once with the typed values a save
// writes, once with every value as text (as an HTML page's <param> tags or a
// hand-edited form deliver them, converted by the platform). Prints medians; not a test.
//   tools/wine-run bench_control_load.exe [rounds]
#include <windows.h>

#include <ocidl.h>
#include <olectl.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>
#include <vector>

#include "cadencer.h"

namespace {

// A property bag in memory; Read hands over what it holds, converted only when asked.
class Bag final : public IPropertyBag {
public:
    ~Bag() {
        for (auto& [key, value] : values) VariantClear(&value);
    }
    STDMETHODIMP QueryInterface(REFIID iid, void** ppv) override {
        if (!ppv) return E_POINTER;
        *ppv = (iid == IID_IUnknown || iid == IID_IPropertyBag) ? static_cast<IPropertyBag*>(this) : nullptr;
        return *ppv ? S_OK : E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return 2; }
    STDMETHODIMP_(ULONG) Release() override { return 1; }
    STDMETHODIMP Read(LPCOLESTR name, VARIANT* value, IErrorLog*) override {
        const auto it = values.find(name);
        if (it == values.end()) return E_INVALIDARG;
        const VARTYPE wanted = V_VT(value);
        VariantInit(value);
        if (wanted == VT_EMPTY) return VariantCopy(value, &it->second);
        return VariantChangeType(value, &it->second, 0, wanted);
    }
    STDMETHODIMP Write(LPCOLESTR name, VARIANT* value) override {
        VARIANT& slot = values[name];
        VariantClear(&slot);
        return VariantCopy(&slot, value);
    }
    std::map<std::wstring, VARIANT> values;
};

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

double Ms(const LARGE_INTEGER& a, const LARGE_INTEGER& b) {
    LARGE_INTEGER f;
    QueryPerformanceFrequency(&f);
    return static_cast<double>(b.QuadPart - a.QuadPart) * 1000.0 / static_cast<double>(f.QuadPart);
}

void Fail(const char* what, HRESULT hr) {
    std::fprintf(stderr, "bench_control_load: %s failed (0x%08lX)\n", what, static_cast<unsigned long>(hr));
    std::exit(1);
}

IClassFactory* ClassFactory() {
    std::wstring path = L"Z:";
    for (char c : std::string(CADENCER_OCX_PATH)) path += c == '/' ? L'\\' : static_cast<wchar_t>(c);
    HMODULE ocx = LoadLibraryW(path.c_str());
    if (!ocx) Fail("loading cadencer.ocx", HRESULT_FROM_WIN32(GetLastError()));
    using GetClassObject = HRESULT(WINAPI*)(REFCLSID, REFIID, void**);
    auto get = reinterpret_cast<GetClassObject>(reinterpret_cast<void*>(GetProcAddress(ocx, "DllGetClassObject")));
    IClassFactory* factory = nullptr;
    const HRESULT hr = get ? get(CLSID_Cadencer, IID_PPV_ARGS(&factory)) : E_FAIL;
    if (FAILED(hr)) Fail("DllGetClassObject", hr);
    return factory;
}

// The 29 keys as a save writes them, every property away from its default.
void FillTyped(IClassFactory* factory, Bag& bag) {
    _Cadencer* c = nullptr;
    HRESULT hr = factory->CreateInstance(nullptr, IID_PPV_ARGS(&c));
    if (FAILED(hr)) Fail("CreateInstance", hr);
    auto text = [&](HRESULT (STDMETHODCALLTYPE _Cadencer::*put)(BSTR), const wchar_t* value) {
        BSTR b = SysAllocString(value);
        (c->*put)(b);
        SysFreeString(b);
    };
    text(&_Cadencer::put_Title, L"Nightly backup");
    c->put_Modal(VARIANT_TRUE);
    c->put_ShowHelpButton(VARIANT_TRUE);
    text(&_Cadencer::put_CaptionOKButtonBefore, L"Save");
    text(&_Cadencer::put_CaptionOKButtonAfter, L"Save!");
    text(&_Cadencer::put_CaptionCloseButtonBefore, L"Done");
    text(&_Cadencer::put_CaptionCloseButtonAfter, L"Abort");
    text(&_Cadencer::put_CaptionHelpButton, L"Hints");
    c->put_StartUpPosition(Manual);
    c->put_StartUpLeft(1440);
    c->put_StartUpTop(720);
    Occurs weekly = Weekly;
    c->put_OccursOption(&weekly);
    c->put_EveryInterval(7);
    c->put_EveryFrequency(Minutes);
    c->put_EveryHourMin(2);
    c->put_EveryHourMax(20);
    c->put_EveryHourIncrement(3);
    c->put_EveryMinuteMin(10);
    c->put_EveryMinuteMax(900);
    c->put_EveryMinuteIncrement(10);
    c->put_StartHour(7);
    c->put_StartMinute(45);
    c->put_StartDate(46091);
    c->put_EndDate(46500.5);
    c->put_UseEndDate(VARIANT_TRUE);
    text(&_Cadencer::put_SelectionsWeekly, L"0111110");
    text(&_Cadencer::put_SelectionsMonthly, L"1000000000000001");
    IPersistPropertyBag* persist = nullptr;
    hr = c->QueryInterface(IID_PPV_ARGS(&persist));
    if (SUCCEEDED(hr)) hr = persist->Save(&bag, TRUE, TRUE);
    if (FAILED(hr)) Fail("saving the 29 keys", hr);
    persist->Release();
    c->Release();
    // Enabled is left out at its default; stored as true, the load ends as usual by
    // starting the control's clock.
    VARIANT enabled;
    VariantInit(&enabled);
    V_VT(&enabled) = VT_BOOL;
    V_BOOL(&enabled) = VARIANT_TRUE;
    bag.Write(L"Enabled", &enabled);
    if (bag.values.size() != 29) Fail("a save of all 29 keys", E_UNEXPECTED);
}

// The same values as text in the user's locale, the icon left as it is.
void ToText(Bag& bag) {
    for (auto& [key, value] : bag.values) {
        if (V_VT(&value) == VT_DISPATCH || V_VT(&value) == VT_UNKNOWN) continue;
        const HRESULT hr = VariantChangeType(&value, &value, VARIANT_ALPHABOOL, VT_BSTR);
        if (FAILED(hr)) Fail("turning a value into text", hr);
    }
}

void Measure(IClassFactory* factory, Bag& bag, const char* what, int rounds) {
    std::vector<double> create, load, release, total;
    for (int i = 0; i < rounds + 1; ++i) {
        LARGE_INTEGER t0, t1, t2, t3;
        QueryPerformanceCounter(&t0);
        IPersistPropertyBag* persist = nullptr;
        HRESULT hr = factory->CreateInstance(nullptr, IID_PPV_ARGS(&persist));
        if (FAILED(hr)) Fail("CreateInstance", hr);
        QueryPerformanceCounter(&t1);
        hr = persist->Load(&bag, nullptr);
        QueryPerformanceCounter(&t2);
        if (FAILED(hr)) Fail("Load", hr);
        persist->Release();
        QueryPerformanceCounter(&t3);
        if (i == 0) continue;  // the first round also loads the type library and registers window classes
        create.push_back(Ms(t0, t1));
        load.push_back(Ms(t1, t2));
        release.push_back(Ms(t2, t3));
        total.push_back(Ms(t0, t3));
    }
    std::printf("%s: %d rounds, medians: create %.3f ms, Load (29 keys) %.3f ms, release %.3f ms, total %.3f ms\n",
                what, rounds, Median(create), Median(load), Median(release), Median(total));
}

}  // namespace

int main(int argc, char** argv) {
    const int rounds = argc > 1 ? std::max(3, std::atoi(argv[1])) : 101;
    if (FAILED(OleInitialize(nullptr))) Fail("OleInitialize", E_FAIL);
    IClassFactory* factory = ClassFactory();
    {
        Bag typed;
        FillTyped(factory, typed);
        Measure(factory, typed, "typed values", rounds);
        ToText(typed);
        Measure(factory, typed, "values as text", rounds);
    }
    factory->Release();
    OleUninitialize();
    return 0;
}
