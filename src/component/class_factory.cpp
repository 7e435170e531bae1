// The class objects of the Cadencer control and of its two property pages: static objects
// whose references do not count against the module (only LockServer and the objects they
// create do, as COM expects).
#include "component/class_factory.h"

#include <new>

#include "cadencer_tools.h"
#include "component/cadencer_object.h"
#include "component/guids.h"
#include "component/module.h"
#include "component/property_page.h"
#include "component/tools_objects.h"

namespace cadencer::com {
namespace {

using CreateFn = HRESULT (*)(REFIID iid, void** ppv);

class ClassFactory final : public IClassFactory {
public:
    explicit constexpr ClassFactory(CreateFn create) : create_(create) {}

    STDMETHODIMP QueryInterface(REFIID iid, void** ppv) override {
        if (!ppv) return E_POINTER;
        *ppv = nullptr;
        if (iid == IID_IUnknown || iid == IID_IClassFactory) {
            *ppv = static_cast<IClassFactory*>(this);
            return S_OK;
        }
        return E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return 2; }
    STDMETHODIMP_(ULONG) Release() override { return 1; }

    STDMETHODIMP CreateInstance(IUnknown* outer, REFIID iid, void** ppv) override {
        if (!ppv) return E_POINTER;
        *ppv = nullptr;
        if (outer) return CLASS_E_NOAGGREGATION;
        return create_(iid, ppv);
    }
    STDMETHODIMP LockServer(BOOL lock) override {
        if (lock)
            LockModule();
        else
            UnlockModule();
        return S_OK;
    }

private:
    CreateFn create_;
};

ClassFactory g_controlFactory(&CadencerControl::Create);
ClassFactory g_schedulePageFactory([](REFIID iid, void** ppv) {
    return CreatePropertyPage(kClsidSchedulePage, iid, ppv);
});
ClassFactory g_dialogPageFactory([](REFIID iid, void** ppv) { return CreatePropertyPage(kClsidDialogPage, iid, ppv); });
ClassFactory g_scheduleToolsFactory(&CreateScheduleTools);
ClassFactory g_taskRegistrarFactory(&CreateTaskRegistrar);

}  // namespace

HRESULT GetClassObject(REFCLSID clsid, REFIID iid, void** ppv) {
    if (!ppv) return E_POINTER;
    *ppv = nullptr;
    if (clsid == CLSID_Cadencer) return g_controlFactory.QueryInterface(iid, ppv);
    if (clsid == kClsidSchedulePage) return g_schedulePageFactory.QueryInterface(iid, ppv);
    if (clsid == kClsidDialogPage) return g_dialogPageFactory.QueryInterface(iid, ppv);
    if (clsid == CLSID_Schedule) return g_scheduleToolsFactory.QueryInterface(iid, ppv);
    if (clsid == CLSID_Task) return g_taskRegistrarFactory.QueryInterface(iid, ppv);
    return CLASS_E_CLASSNOTAVAILABLE;
}

}  // namespace cadencer::com
