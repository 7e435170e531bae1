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

#include <wrl/client.h>

#include "away_from_default.h"
#include "cadencer.h"
#include "fake_unknown.h"
#include "win/scoped.h"

namespace {

using cadencer::win::ScopedBstr;
using cadencer::win::ScopedVariant;
using Microsoft::WRL::ComPtr;

// A property bag in memory; Read hands over what it holds, converted only when asked.
class Bag final : public cadencer_test::FakeUnknown<IPropertyBag> {
public:
    STDMETHODIMP Read(LPCOLESTR name, VARIANT* value, IErrorLog*) override {
        const auto it = values.find(name);
        if (it == values.end()) return E_INVALIDARG;
        const VARTYPE wanted = V_VT(value);
        VariantInit(value);
        if (wanted == VT_EMPTY) return VariantCopy(value, it->second.get());
        return VariantChangeType(value, it->second.get(), 0, wanted);
    }
    STDMETHODIMP Write(LPCOLESTR name, VARIANT* value) override {
        return VariantCopy(values[name].get(), value);  // VariantCopy clears what the slot held
    }
    std::map<std::wstring, ScopedVariant> values;
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

ComPtr<IClassFactory> ClassFactory() {
    std::wstring path = L"Z:";
    for (char c : std::string(CADENCER_OCX_PATH)) path += c == '/' ? L'\\' : static_cast<wchar_t>(c);
    HMODULE ocx = LoadLibraryW(path.c_str());
    if (!ocx) Fail("loading cadencer.ocx", HRESULT_FROM_WIN32(GetLastError()));
    using GetClassObject = HRESULT(WINAPI*)(REFCLSID, REFIID, void**);
    auto get = reinterpret_cast<GetClassObject>(reinterpret_cast<void*>(GetProcAddress(ocx, "DllGetClassObject")));
    ComPtr<IClassFactory> factory;
    const HRESULT hr = get ? get(CLSID_Cadencer, IID_PPV_ARGS(&factory)) : E_FAIL;
    if (FAILED(hr)) Fail("DllGetClassObject", hr);
    return factory;
}

// The 29 keys as a save writes them, every property away from its default.
void FillTyped(IClassFactory* factory, Bag& bag) {
    ComPtr<_Cadencer> c;
    HRESULT hr = factory->CreateInstance(nullptr, IID_PPV_ARGS(&c));
    if (FAILED(hr)) Fail("CreateInstance", hr);
    hr = cadencer_test::SetEveryPropertyAwayFromDefault(c.Get(), 46088);
    if (FAILED(hr)) Fail("setting every property", hr);
    ComPtr<IPersistPropertyBag> persist;
    hr = c.As(&persist);
    if (SUCCEEDED(hr)) hr = persist->Save(&bag, TRUE, TRUE);
    if (FAILED(hr)) Fail("saving the 29 keys", hr);
    // Enabled is stored as true (its default): the load ends as usual by starting the
    // control's clock.
    ScopedVariant enabled;
    V_VT(enabled.get()) = VT_BOOL;
    V_BOOL(enabled.get()) = VARIANT_TRUE;
    bag.Write(L"Enabled", enabled.get());
    if (bag.values.size() != 29) Fail("a save of all 29 keys", E_UNEXPECTED);
}

// The same values as text in the user's locale, the icon left as it is.
void ToText(Bag& bag) {
    for (auto& [key, value] : bag.values) {
        if (value.type() == VT_DISPATCH || value.type() == VT_UNKNOWN) continue;
        const HRESULT hr = VariantChangeType(value.get(), value.get(), VARIANT_ALPHABOOL, VT_BSTR);
        if (FAILED(hr)) Fail("turning a value into text", hr);
    }
}

void Measure(IClassFactory* factory, Bag& bag, const char* what, int rounds) {
    std::vector<double> create, load, release, total;
    for (int i = 0; i < rounds + 1; ++i) {
        LARGE_INTEGER t0, t1, t2, t3;
        QueryPerformanceCounter(&t0);
        ComPtr<IPersistPropertyBag> persist;
        HRESULT hr = factory->CreateInstance(nullptr, IID_PPV_ARGS(&persist));
        if (FAILED(hr)) Fail("CreateInstance", hr);
        QueryPerformanceCounter(&t1);
        hr = persist->Load(&bag, nullptr);
        QueryPerformanceCounter(&t2);
        if (FAILED(hr)) Fail("Load", hr);
        persist.Reset();  // measured: the release is part of a control's lifetime
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
    {
        const ComPtr<IClassFactory> factory = ClassFactory();
        Bag typed;
        FillTyped(factory.Get(), typed);
        Measure(factory.Get(), typed, "typed values", rounds);
        ToText(typed);
        Measure(factory.Get(), typed, "values as text", rounds);
    }
    OleUninitialize();
    return 0;
}
