// Automation calls: every member of the type library and unknown DISPIDs, with every
// invoke kind (the right one and wrong ones), 0 to 3 hostile arguments, with and without
// the named argument of a property put, interleaved with save-and-reload round trips,
// Execute, Reset, changes of the site (user mode, design mode, none) and new controls.
// A success must return a sound VARIANT of the member's type; the control must keep
// answering every readable property and give back every window it made.
#include <cstdio>
#include <memory>
#include <vector>

#include "fuzz_phases.h"
#include "fuzz_values.h"

namespace cadencer_fuzz {
namespace {

struct Member {
    DISPID id = 0;
    INVOKEKIND kind = INVOKE_FUNC;
    UINT params = 0;
    VARTYPE result = VT_EMPTY;
    std::string name;
    bool slow = false;  // opens a window
};

// The automation type a declared type travels as.
VARTYPE Resolve(ITypeInfo* info, const TYPEDESC& desc) {
    if (desc.vt == VT_PTR) return Resolve(info, *desc.lptdesc);
    if (desc.vt != VT_USERDEFINED) return desc.vt;
    ComPtr<ITypeInfo> referenced;
    if (FAILED(info->GetRefTypeInfo(desc.hreftype, &referenced))) return VT_EMPTY;
    TYPEATTR* attr = nullptr;
    if (FAILED(referenced->GetTypeAttr(&attr))) return VT_EMPTY;
    VARTYPE type = VT_EMPTY;
    if (attr->typekind == TKIND_ENUM)
        type = VT_I4;
    else if (attr->typekind == TKIND_DISPATCH || attr->typekind == TKIND_INTERFACE)
        type = VT_DISPATCH;
    else if (attr->typekind == TKIND_ALIAS)
        type = Resolve(referenced.Get(), attr->tdescAlias);
    referenced->ReleaseTypeAttr(attr);
    return type;
}

std::vector<Member> MembersOf(IDispatch* control) {
    std::vector<Member> members;
    ComPtr<ITypeInfo> info;
    if (FAILED(control->GetTypeInfo(0, LOCALE_USER_DEFAULT, &info))) return members;
    TYPEATTR* attr = nullptr;
    info->GetTypeAttr(&attr);
    for (UINT i = 0; i < attr->cFuncs; ++i) {
        FUNCDESC* func = nullptr;
        if (FAILED(info->GetFuncDesc(i, &func))) continue;
        ScopedBstr name;
        info->GetDocumentation(func->memid, name.receive(), nullptr, nullptr, nullptr);
        Member m;
        m.id = func->memid;
        m.kind = func->invkind;
        m.params = static_cast<UINT>(func->cParams);
        m.result = Resolve(info.Get(), func->elemdescFunc.tdesc);
        for (UINT c = 0; name && c < SysStringLen(name.get()); ++c) m.name += static_cast<char>(name.get()[c]);
        m.slow = m.name == "DisplayScheduler" || m.name == "DisplayAboutBox";
        // IUnknown's and IDispatch's own methods are restricted; they are not the control's.
        if (!(func->wFuncFlags & FUNCFLAG_FRESTRICTED)) members.push_back(m);
        info->ReleaseFuncDesc(func);
    }
    info->ReleaseTypeAttr(attr);
    return members;
}

const DISPID kUnknownIds[] = {0,
                              -1,
                              DISPID_NEWENUM,
                              -551,
                              -553,
                              0x68030000 + 31,
                              0x60030020,
                              0x60030022,
                              0x60030029,
                              0x60000000,
                              0x60010000,
                              0x7FFFFFFF,
                              static_cast<DISPID>(0x80000000)};
const WORD kFlags[] = {DISPATCH_METHOD,
                       DISPATCH_PROPERTYGET,
                       DISPATCH_PROPERTYGET | DISPATCH_METHOD,
                       DISPATCH_PROPERTYPUT,
                       DISPATCH_PROPERTYPUTREF,
                       DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF,
                       0,
                       0x20};

// Counts events and checks the one argument ScheduledTime carries.
class EventSink final : public cadencer_test::FakeUnknown<IDispatch> {
public:
    explicit EventSink(Counts& counts) : FakeUnknown({DIID___Cadencer}), counts_(counts) {}
    STDMETHODIMP GetTypeInfoCount(UINT* count) override {
        if (count) *count = 0;
        return S_OK;
    }
    STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
    STDMETHODIMP Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT*, EXCEPINFO*, UINT*) override {
        ++counts_.events;
        if (id < 1 || id > 4) Fault("event", "unknown event DISPID " + std::to_string(id));
        if (id == 4 && (!params || params->cArgs != 1 || V_VT(&params->rgvarg[0]) != (VT_BYREF | VT_DATE)))
            Fault("event", "ScheduledTime without its DateTime by reference");
        return S_OK;
    }

private:
    Counts& counts_;
};

bool ValidResult(const VARIANT& value, std::string* why) {
    switch (V_VT(&value)) {
        case VT_EMPTY:
        case VT_I2:
        case VT_I4:
            return true;
        case VT_BOOL:
            if (V_BOOL(&value) == VARIANT_TRUE || V_BOOL(&value) == VARIANT_FALSE) return true;
            *why = "Boolean neither -1 nor 0";
            return false;
        case VT_DATE:
            if (V_DATE(&value) >= -657434.0 && V_DATE(&value) < 2958466.0) return true;
            *why = "date outside the years 100 to 9999";
            return false;
        case VT_BSTR: {
            const UINT length = SysStringLen(V_BSTR(&value));
            volatile wchar_t sink = 0;
            for (UINT i = 0; i < length; ++i) sink = V_BSTR(&value)[i];  // every character readable
            (void)sink;
            if (length <= 65536) return true;
            *why = "string longer than any the control takes";
            return false;
        }
        case VT_DISPATCH: {
            if (!V_DISPATCH(&value)) return true;
            ComPtr<IUnknown> unknown;
            if (SUCCEEDED(V_DISPATCH(&value)->QueryInterface(IID_PPV_ARGS(&unknown)))) return true;
            *why = "object that answers no QueryInterface";
            return false;
        }
        default:
            *why = "unexpected type " + std::to_string(V_VT(&value));
            return false;
    }
}

class DispatchFuzzer {
public:
    DispatchFuzzer(Random& random, Counts& counts) : random_(random), counts_(counts), sink_(counts) {}
    ~DispatchFuzzer() { Drop(); }

    void Run(std::uint64_t calls) {
        Recreate();
        if (!dispatch_) return;
        members_ = MembersOf(dispatch_.Get());
        if (members_.size() < 40) Fault("type library", "only " + std::to_string(members_.size()) + " members");
        for (std::uint64_t i = 0; i < calls; ++i) {
            ++counts_.calls;
            const int roll = static_cast<int>(random_.Below(1000));
            if (roll < 20)
                RoundTrip(i);
            else if (roll < 35)
                Simple(i, "Execute", [&] { return control()->Execute(); });
            else if (roll < 45)
                Simple(i, "Reset", [&] { return control()->Reset(); });
            else if (roll < 55)
                ChangeSite(i);
            else if (roll < 60)
                Recreate();
            else
                Invoke(i);
            if (i % 64 == 63) PumpMessages(0);  // ticks, the closer, posted messages
            if (i % 500 == 499) CheckAnswers("periodic check");
        }
        Drop();
    }

private:
    _Cadencer* control() { return static_cast<_Cadencer*>(dispatch_.Get()); }

    template <class Fn>
    void Simple(std::uint64_t i, const char* what, Fn fn) {
        Doing("call %llu: %s", static_cast<unsigned long long>(i), what);
        const HRESULT hr = fn();
        if (FAILED(hr)) Fault("method", std::string(what) + " failed: " + std::to_string(hr));
    }

    void Invoke(std::uint64_t i) {
        const bool known = random_.Percent(88);
        // Methods that open windows come less often: each one costs a window's life.
        const Member* member = nullptr;
        if (known) {
            member = &random_.Pick(members_);
            if (member->slow && !random_.Percent(15)) member = &random_.Pick(members_);
        }
        const DISPID id = member ? member->id : random_.Pick(kUnknownIds);
        const bool proper = member && random_.Percent(60);
        const WORD flags = proper ? static_cast<WORD>(member->kind) : random_.Pick(kFlags);
        const bool isPut = (flags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF)) != 0;
        const UINT argCount = proper ? member->params : static_cast<UINT>(random_.Below(4));
        const LONG foreignRefs = Foreign().Refs();
        std::vector<std::unique_ptr<HostileValue>> values;
        std::vector<VARIANT> args;
        std::string described;
        for (UINT a = 0; a < argCount; ++a) {
            values.push_back(
                std::make_unique<HostileValue>(random_.Below(HostileValue::KindCount()), random_.Percent(20)));
            args.push_back(values.back()->value());
            described += (a ? ", " : "") + values.back()->description();
        }
        DISPID named = DISPID_PROPERTYPUT;
        DISPPARAMS params{args.empty() ? nullptr : args.data(), nullptr, argCount, 0};
        if (isPut && argCount > 0 && random_.Percent(85)) {
            params.rgdispidNamedArgs = &named;
            params.cNamedArgs = 1;
        }
        ScopedVariant held;
        VARIANT& result = *held.get();
        ScopedExcepInfo exceptionTexts;
        EXCEPINFO& exception = *exceptionTexts.receive();
        UINT argError = 0;
        const bool wantResult = random_.Percent(80);
        const bool wantException = random_.Percent(70);
        Doing("call %llu: Invoke %s (%#lx) flags %#x args [%s]%s", static_cast<unsigned long long>(i),
              member ? member->name.c_str() : "unknown", static_cast<unsigned long>(id), flags, described.c_str(),
              params.cNamedArgs ? " named put" : "");
        if (member && member->slow) ExtendWatchdog(20000);
        const HRESULT hr =
            dispatch_->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, flags, &params, wantResult ? &result : nullptr,
                              wantException ? &exception : nullptr, random_.Percent(70) ? &argError : nullptr);
        ++counts_.invokes;
        if (SUCCEEDED(hr)) {
            ++counts_.invokeSuccesses;
            std::string why;
            if (wantResult && !ValidResult(result, &why)) Fault("invalid result", why);
            const bool plainGet = member && flags == DISPATCH_PROPERTYGET && member->kind == INVOKE_PROPERTYGET;
            if (wantResult && plainGet && V_VT(&result) != member->result)
                Fault("invalid result", "type " + std::to_string(V_VT(&result)) + " for " + member->name);
            if (!member) Fault("unknown member", "succeeded");
        } else if (hr == DISP_E_EXCEPTION && wantException && exception.scode == S_OK && exception.wCode == 0 &&
                   !exception.pfnDeferredFillIn) {
            Fault("exception", "DISP_E_EXCEPTION without a failure code");
        }
        // Cleared here rather than by its owner: a result the platform cannot clear is a fault.
        if (FAILED(VariantClear(&result))) Fault("invalid result", "VariantClear refused it");
        exceptionTexts.reset();
        values.clear();
        if (Foreign().Refs() != foreignRefs)
            Fault("references", "a foreign object's count went from " + std::to_string(foreignRefs) + " to " +
                                    std::to_string(Foreign().Refs()));
    }

    // Save in all three forms; the stream reloads into a fresh instance with the same values.
    void RoundTrip(std::uint64_t i) {
        ++counts_.roundTrips;
        Doing("call %llu: save and reload", static_cast<unsigned long long>(i));
        const auto before = ReadAllProperties(dispatch_.Get(), "before a round trip");
        HRESULT hr = S_OK;
        const std::vector<BYTE> bytes = SaveStream(dispatch_.Get(), &hr);
        if (FAILED(hr)) {
            Fault("save", "IPersistStreamInit::Save failed: " + std::to_string(hr));
            return;
        }
        ComPtr<IPersistStorage> storage;
        ComPtr<ILockBytes> lockBytes;
        ComPtr<IStorage> root;
        if (SUCCEEDED(dispatch_.As(&storage)) && SUCCEEDED(CreateILockBytesOnHGlobal(nullptr, TRUE, &lockBytes)) &&
            SUCCEEDED(StgCreateDocfileOnILockBytes(lockBytes.Get(), STGM_CREATE | STGM_READWRITE | STGM_SHARE_EXCLUSIVE,
                                                   0, &root))) {
            hr = storage->Save(root.Get(), FALSE);
            if (FAILED(hr)) Fault("save", "IPersistStorage::Save failed: " + std::to_string(hr));
            storage->SaveCompleted(nullptr);
        }
        ComPtr<IUnknown> fresh = NewControl(static_cast<int>(random_.Below(3)));
        hr = LoadStream(fresh.Get(), bytes);
        if (FAILED(hr)) {
            Fault("reload", "its own stream refused: " + std::to_string(hr));
            return;
        }
        ComPtr<IDispatch> freshDispatch;
        fresh.As(&freshDispatch);
        const auto after = ReadAllProperties(freshDispatch.Get(), "after a round trip");
        if (before && after && *before != *after) Fault("reload", "values differ:\n  " + *before + "\n  " + *after);
    }

    void ChangeSite(std::uint64_t i) {
        const int mode = static_cast<int>(random_.Below(4));
        Doing("call %llu: site mode %d", static_cast<unsigned long long>(i), mode);
        ComPtr<IOleObject> ole;
        ComPtr<IOleControl> oleControl;
        if (FAILED(dispatch_.As(&ole)) || FAILED(dispatch_.As(&oleControl))) return;
        if (mode == 3) {
            ole->SetClientSite(nullptr);
        } else {
            const auto site = cadencer::win::Adopt(new FakeSite(mode == 0   ? std::optional<bool>(true)
                                                                : mode == 1 ? std::optional<bool>(false)
                                                                            : std::nullopt));
            ole->SetClientSite(site.Get());
        }
        oleControl->OnAmbientPropertyChange(DISPID_AMBIENT_USERMODE);
    }

    void CheckAnswers(const char* context) {
        Doing("%s", context);
        ReadAllProperties(dispatch_.Get(), context);
    }

    void Drop() {
        if (!dispatch_) return;
        if (cookie_ && point_) point_->Unadvise(cookie_);
        point_.Reset();
        cookie_ = 0;
        if (ComPtr<IOleObject> ole; SUCCEEDED(dispatch_.As(&ole))) ole->SetClientSite(nullptr);
        dispatch_.Reset();
        if (sink_.Refs() != 1) Fault("references", "event sink kept " + std::to_string(sink_.Refs() - 1));
        sink_.ResetRefs();
    }

    void Recreate() {
        Doing("new control");
        Drop();
        ComPtr<IUnknown> unknown = NewControl(static_cast<int>(random_.Below(3)));
        if (!unknown || FAILED(unknown.As(&dispatch_))) return;
        ComPtr<IConnectionPointContainer> container;
        if (SUCCEEDED(dispatch_.As(&container)) && SUCCEEDED(container->FindConnectionPoint(DIID___Cadencer, &point_)))
            point_->Advise(&sink_, &cookie_);
    }

    Random& random_;
    Counts& counts_;
    EventSink sink_;
    std::vector<Member> members_;
    ComPtr<IDispatch> dispatch_;
    ComPtr<IConnectionPoint> point_;
    DWORD cookie_ = 0;
};

}  // namespace

ComPtr<IUnknown> NewControl(int siteMode) {
    ComPtr<IUnknown> control = CreateControl();
    if (!control) return control;
    ComPtr<IOleObject> ole;
    if (siteMode != 2 && SUCCEEDED(control.As(&ole))) {
        const auto site = cadencer::win::Adopt(new FakeSite(siteMode == 0));
        ole->SetClientSite(site.Get());
    }
    ComPtr<IPersistStreamInit> persist;
    if (SUCCEEDED(control.As(&persist))) persist->InitNew();
    return control;
}

void RunDispatchPhase(Random& random, std::uint64_t calls, Counts& counts) {
    DispatchFuzzer fuzzer(random, counts);
    fuzzer.Run(calls);
}

}  // namespace cadencer_fuzz
