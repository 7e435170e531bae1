// Many lifetimes: create (with each kind of site), give defaults or load a saved stream or
// bag, save in both forms, release. After a warm-up, neither committed memory nor the
// number of windows may grow.
#include <algorithm>
#include <cstdio>
#include <map>

#include "fuzz_phases.h"
#include "fuzz_values.h"

namespace cadencer_fuzz {
namespace {

// A plain in-memory property bag.
class MemoryBag final : public cadencer_test::FakeUnknown<IPropertyBag> {
public:
    STDMETHODIMP Read(LPCOLESTR name, VARIANT* value, IErrorLog*) override {
        const auto it = values_.find(name);
        return it == values_.end() ? E_INVALIDARG : VariantCopy(value, it->second.get());
    }
    STDMETHODIMP Write(LPCOLESTR name, VARIANT* value) override {
        auto it = values_.try_emplace(name).first;
        return VariantCopy(it->second.get(), value);
    }

private:
    std::map<std::wstring, ScopedVariant> values_;
};

void Cycle(std::uint64_t n, const std::vector<BYTE>& saved, MemoryBag& bag) {
    Doing("lifecycle %llu", static_cast<unsigned long long>(n));
    ComPtr<IUnknown> control = CreateControl();
    if (!control) return;
    ComPtr<IOleObject> ole;
    if (n % 3 != 2 && SUCCEEDED(control.As(&ole))) {
        const auto site = cadencer::win::Adopt(new FakeSite(n % 3 == 0));
        ole->SetClientSite(site.Get());
    }
    HRESULT hr = S_OK;
    ComPtr<IPersistPropertyBag> bagPersist;
    control.As(&bagPersist);
    switch (n % 3) {
        case 0:
            hr = LoadStream(control.Get(), saved);
            break;
        case 1:
            hr = bagPersist->Load(&bag, nullptr);
            break;
        default:
            hr = bagPersist->InitNew();
            break;
    }
    if (FAILED(hr)) Fault("lifecycle", "load failed: " + std::to_string(hr));
    SaveStream(control.Get(), &hr);
    if (FAILED(hr)) Fault("lifecycle", "stream save failed: " + std::to_string(hr));
    hr = bagPersist->Save(&bag, TRUE, TRUE);
    if (FAILED(hr)) Fault("lifecycle", "bag save failed: " + std::to_string(hr));
    if (ole) ole->SetClientSite(nullptr);
}

}  // namespace

void RunLifecycleSoak(std::uint64_t cycles, Counts& counts) {
    std::vector<BYTE> saved;
    {
        ComPtr<IUnknown> source = NewControl(2);
        ComPtr<_Cadencer> c;
        source.As(&c);
        c->put_Title(ScopedBstr(L"Cycles").get());
        c->putref_Icon(ApplicationIconPicture().Get());
        HRESULT hr = S_OK;
        saved = SaveStream(source.Get(), &hr);
    }
    MemoryBag bag;
    const std::uint64_t warmUp = std::min<std::uint64_t>(300, cycles / 5);
    SIZE_T memoryBefore = 0, walkBefore = 0;
    int windowsBefore = 0;
    for (std::uint64_t n = 0; n < cycles; ++n) {
        if (n == warmUp) {
            PumpMessages(20);
            memoryBefore = CommittedBytes();
            walkBefore = PrivateBytesByWalk();
            windowsBefore = ThreadWindowCount();
        }
        Cycle(n, saved, bag);
        ++counts.calls;
        if (n % 100 == 99) PumpMessages(0);
    }
    PumpMessages(50);
    const SIZE_T memoryAfter = CommittedBytes();
    const SIZE_T walkAfter = PrivateBytesByWalk();
    const int windowsAfter = ThreadWindowCount();
    std::printf(
        "lifecycle: %llu cycles; committed %.1f -> %.1f MB, private by walk %.1f -> %.1f MB, windows %d -> %d\n",
        static_cast<unsigned long long>(cycles), memoryBefore / 1048576.0, memoryAfter / 1048576.0,
        walkBefore / 1048576.0, walkAfter / 1048576.0, windowsBefore, windowsAfter);
    // A leaked picture per lifetime costs about 5 KB, thousands of lifetimes many MB; a clean
    // run moves by a fraction of that.
    const double perCycle = static_cast<double>(memoryAfter > memoryBefore ? memoryAfter - memoryBefore : 0) /
                            static_cast<double>(cycles - warmUp);
    if (cycles - warmUp >= 1000 && perCycle > 400)
        Fault("memory", "committed memory grows by " + std::to_string(static_cast<int>(perCycle)) + " bytes a cycle");
    if (windowsAfter > windowsBefore)
        Fault("windows", std::to_string(windowsAfter - windowsBefore) + " windows more after the cycles");
}

}  // namespace cadencer_fuzz
