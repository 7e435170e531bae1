// Property bags: each persisted key given each hostile value, then bags holding random
// subsets of the keys with hostile or plausible values, some of which fail a read with
// E_FAIL or E_OUTOFMEMORY. A load that succeeds must save in every form and reload into a
// fresh instance with the same values; one that fails must leave a control that answers.
#include <cwchar>
#include <map>
#include <memory>
#include <vector>

#include "fuzz_phases.h"
#include "fuzz_values.h"

namespace cadencer_fuzz {
namespace {

class HostileBag final : public cadencer_test::FakeUnknown<IPropertyBag> {
public:
    STDMETHODIMP Read(LPCOLESTR name, VARIANT* value, IErrorLog*) override {
        if (!name || !value) return E_POINTER;
        if (!failKey_.empty() && _wcsicmp(name, failKey_.c_str()) == 0) return failCode_;
        for (auto& [key, stored] : values_)
            if (_wcsicmp(name, key.c_str()) == 0) return VariantCopy(value, stored.get());
        return E_INVALIDARG;
    }
    STDMETHODIMP Write(LPCOLESTR name, VARIANT* value) override {
        if (!name || !value) return E_POINTER;
        Set(name, *value);
        return S_OK;
    }
    void Set(const std::wstring& key, const VARIANT& value) {
        auto it = values_.try_emplace(key).first;
        VariantCopy(it->second.get(), const_cast<VARIANT*>(&value));
    }
    void FailAt(const std::wstring& key, HRESULT code) {
        failKey_ = key;
        failCode_ = code;
    }

private:
    std::map<std::wstring, ScopedVariant> values_;
    std::wstring failKey_;
    HRESULT failCode_ = S_OK;
};

// A value of the key's own type, within what a host would store.
void PlausibleValue(Random& random, const std::wstring& key, VARIANT* out) {
    VariantInit(out);
    if (key == L"Enabled" || key == L"Modal" || key == L"ShowHelpButton" || key == L"UseEndDate") {
        V_VT(out) = VT_BOOL;
        V_BOOL(out) = random.Percent(50) ? VARIANT_TRUE : VARIANT_FALSE;
    } else if (key == L"Title" || key.rfind(L"Caption", 0) == 0) {
        static const wchar_t* const kTexts[] = {L"", L" ", L"&Run", L"Nightly \x00e9t\x00e9", L"x"};
        V_VT(out) = VT_BSTR;
        V_BSTR(out) = SysAllocString(random.Pick(kTexts));
    } else if (key == L"SelectionsWeekly" || key == L"SelectionsMonthly") {
        std::wstring text;
        const std::size_t length = random.Below(40);
        for (std::size_t i = 0; i < length; ++i) text += L"01 2x"[random.Below(5)];
        V_VT(out) = VT_BSTR;
        V_BSTR(out) = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
    } else if (key == L"Icon") {
        V_VT(out) = VT_DISPATCH;
        V_DISPATCH(out) = ApplicationIconPicture().Get();
        V_DISPATCH(out)->AddRef();
    } else if (key == L"StartDate" || key == L"EndDate") {
        V_VT(out) = VT_DATE;
        V_DATE(out) = 40000.0 + static_cast<double>(random.Below(20000)) + (random.Percent(30) ? 0.5 : 0.0);
    } else if (key == L"StartUpPosition" || key == L"OccursOption" || key == L"EveryFrequency" ||
               key == L"StartUpLeft" || key == L"StartUpTop") {
        V_VT(out) = VT_I4;
        V_I4(out) = static_cast<LONG>(random.Below(7)) - 1;
    } else {
        V_VT(out) = VT_I2;
        V_I2(out) = static_cast<SHORT>(static_cast<int>(random.Below(70)) - 5);
    }
}

// The control bags are loaded into: a new instance every few loads (each load reads every
// key, so an instance used before reads the same as a new one). The saved forms always
// reload into new instances.
class Loaders {
public:
    void Next(std::uint64_t n) {
        if (n % 16 != 0 && loader_) return;
        loader_ = NewControl(static_cast<int>(n / 16 % 3));
    }
    IUnknown* loader() const { return loader_.Get(); }

private:
    ComPtr<IUnknown> loader_;
};

template <class I>
ComPtr<I> As(IUnknown* object) {
    ComPtr<I> face;
    if (object) object->QueryInterface(IID_PPV_ARGS(&face));
    return face;
}

// Loads a bag; when it is taken, saves it in every form and checks that a fresh instance
// reads the same values back from each.
void LoadAndCheck(HostileBag& bag, const std::string& what, Loaders& loaders, Counts& counts) {
    ++counts.bagLoads;
    Doing("bag load: %s", what.c_str());
    loaders.Next(counts.bagLoads);
    auto persist = As<IPersistPropertyBag>(loaders.loader());
    auto dispatch = As<IDispatch>(loaders.loader());
    if (!persist || !dispatch) return;
    const HRESULT hr = persist->Load(&bag, nullptr);
    if (bag.Refs() != 1) Fault("references", "the control kept the bag");
    const auto loaded = ReadAllProperties(dispatch.Get(), "after a bag load");
    if (FAILED(hr) || !loaded) return;

    HostileBag saved;
    const HRESULT savedBag = persist->Save(&saved, TRUE, TRUE);
    if (FAILED(savedBag)) {
        Fault("save", "property-bag save of a loaded bag failed: " + std::to_string(savedBag));
        return;
    }
    HRESULT savedStream = S_OK;
    const std::vector<BYTE> bytes = SaveStream(loaders.loader(), &savedStream);
    if (FAILED(savedStream)) {
        Fault("save", "stream save of a loaded bag failed: " + std::to_string(savedStream));
        return;
    }
    for (int form = 0; form < 2; ++form) {
        const ComPtr<IUnknown> fresh = NewControl(static_cast<int>((counts.bagLoads + form) % 3));
        IUnknown* checker = fresh.Get();
        const HRESULT reloaded =
            form == 0 ? As<IPersistPropertyBag>(checker)->Load(&saved, nullptr) : LoadStream(checker, bytes);
        if (FAILED(reloaded)) {
            Fault("reload", std::string(form == 0 ? "bag" : "stream") + " refused: " + std::to_string(reloaded));
            continue;
        }
        const auto again = ReadAllProperties(As<IDispatch>(checker).Get(), "after a reload");
        if (again && *again != *loaded)
            Fault("reload",
                  std::string(form == 0 ? "bag" : "stream") + " values differ:\n  " + *loaded + "\n  " + *again);
    }
}

}  // namespace

void RunBagPhase(Random& random, std::uint64_t randomBags, Counts& counts) {
    Loaders loaders;
    // Each key alone with each hostile value, directly and by reference.
    for (const std::wstring& key : kStoredKeys) {
        for (std::size_t kind = 0; kind < HostileValue::KindCount(); ++kind) {
            for (bool byRef : {false, true}) {
                if (byRef && kind % 3 != 0) continue;  // a third of them by reference
                HostileValue value(kind, byRef);
                HostileBag bag;
                bag.Set(key, value.value());
                LoadAndCheck(bag, std::string(key.begin(), key.end()) + " = " + value.description(), loaders, counts);
            }
        }
    }
    // Random subsets, hostile and plausible values mixed, some reads failing.
    for (std::uint64_t n = 0; n < randomBags; ++n) {
        HostileBag bag;
        // Values by reference point into these: they live as long as the bag.
        std::vector<std::unique_ptr<HostileValue>> held;
        std::string what = "random bag " + std::to_string(n);
        for (const std::wstring& key : kStoredKeys) {
            if (!random.Percent(50)) continue;
            if (random.Percent(25)) {
                held.push_back(
                    std::make_unique<HostileValue>(random.Below(HostileValue::KindCount()), random.Percent(20)));
                bag.Set(key, held.back()->value());
                what += ", " + std::string(key.begin(), key.end()) + " = " + held.back()->description();
            } else {
                ScopedVariant value;
                PlausibleValue(random, key, value.receive());
                bag.Set(key, *value.get());
            }
        }
        if (random.Percent(10)) {
            const std::wstring& key = random.Pick(kStoredKeys);
            bag.FailAt(key, random.Percent(50) ? E_FAIL : E_OUTOFMEMORY);
            what += ", " + std::string(key.begin(), key.end()) + " fails";
        }
        LoadAndCheck(bag, what, loaders, counts);
    }
}

}  // namespace cadencer_fuzz
