// The property page objects: IPropertyPage2 over a page window (src/proppage). Values are
// read and set through each selected object's IDispatch by property name, so a page works
// on a container's extender object as well as on the control itself.
#include "component/property_page.h"

#include <ocidl.h>
#include <olectl.h>
#include <wrl/client.h>

#include <memory>
#include <new>
#include <vector>

#include "component/guids.h"
#include "component/module.h"
#include "component/variant_bridge.h"
#include "proppage/win/page_window.h"
#include "win/com_object.h"
#include "win/dpi.h"
#include "win/keep_alive.h"
#include "win/locale_names.h"
#include "win/scoped.h"

using Microsoft::WRL::ComPtr;

namespace cadencer::com {
namespace {

using proppage::PageKind;
using proppage::PropertyValues;

HRESULT DispIdOf(IDispatch* object, std::u16string_view name, DISPID* id) {
    std::wstring text(name.begin(), name.end());
    LPOLESTR names[] = {text.data()};
    return object->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, id);
}

// The values of the named properties that the object has and the core can hold.
PropertyValues ReadValues(IDispatch* object, std::span<const std::u16string_view> names) {
    PropertyValues values;
    for (const auto name : names) {
        DISPID id = DISPID_UNKNOWN;
        if (FAILED(DispIdOf(object, name, &id))) continue;
        DISPPARAMS none{};
        win::ScopedVariant result;
        if (SUCCEEDED(object->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYGET, &none, result.receive(),
                                     nullptr, nullptr))) {
            if (auto value = FromVariant(*result.get())) values.emplace_back(std::u16string(name), *value);
        }
    }
    return values;
}

HRESULT PutValue(IDispatch* object, std::u16string_view name, const Variant& value) {
    DISPID id = DISPID_UNKNOWN;
    HRESULT hr = DispIdOf(object, name, &id);
    if (FAILED(hr)) return hr;
    win::ScopedVariant argument;
    hr = ToVariant(value, argument.receive());
    if (FAILED(hr)) return hr;
    DISPID named = DISPID_PROPERTYPUT;
    DISPPARAMS params{argument.get(), &named, 1, 1};
    return object->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYPUT, &params, nullptr, nullptr, nullptr);
}

class PropertyPage final : public win::ComObject<PropertyPage, IPropertyPage2>, private proppage::PageEvents {
public:
    using Interfaces =
        win::InterfaceTable<win::Answer<IID_IUnknown, IPropertyPage2>, win::Answer<IID_IPropertyPage, IPropertyPage2>,
                            win::Answer<IID_IPropertyPage2, IPropertyPage2>>;

    explicit PropertyPage(PageKind kind) : kind_(kind), window_(proppage::PageWindow::Make(kind)) {
        if (window_) window_->SetLanguage(win::TextLanguage(0));
    }

    // IPropertyPage
    STDMETHODIMP SetPageSite(IPropertyPageSite* site) override {
        // A frame sets its site once and clears it before it lets go of the page.
        if (site && site_) return E_UNEXPECTED;
        site_ = site;
        // The frame's language (OleCreatePropertyFrame's lcid reaches the page through its
        // site), else the user's UI language.
        LCID lcid = 0;
        if (site && FAILED(site->GetLocaleID(&lcid))) lcid = 0;
        if (window_ && !window_->Handle()) window_->SetLanguage(win::TextLanguage(lcid));
        return S_OK;
    }

    STDMETHODIMP Activate(HWND parent, LPCRECT rect, BOOL /*modal*/) override {
        if (!rect) return E_POINTER;
        if (!window_) return E_OUTOFMEMORY;
        if (!window_->Create(parent, *rect, this)) return HRESULT_FROM_WIN32(GetLastError());
        window_->Load(values_);
        return S_OK;
    }

    STDMETHODIMP Deactivate() override {
        if (window_) window_->Destroy();
        return S_OK;
    }

    STDMETHODIMP GetPageInfo(PROPPAGEINFO* info) override {
        if (!info) return E_POINTER;
        if (!window_) return E_OUTOFMEMORY;
        const std::u16string title = window_->Title();
        auto* text = static_cast<LPOLESTR>(CoTaskMemAlloc((title.size() + 1) * sizeof(OLECHAR)));
        if (!text) return E_OUTOFMEMORY;
        for (std::size_t i = 0; i < title.size(); ++i) text[i] = static_cast<OLECHAR>(title[i]);
        text[title.size()] = 0;
        info->cb = sizeof(PROPPAGEINFO);
        info->pszTitle = text;
        // Before the page has a window, the DPI of the screen the frame opens on.
        info->size = window_->SizeAt(win::WindowDpi(nullptr));
        info->pszDocString = nullptr;
        info->pszHelpFile = nullptr;
        info->dwHelpContext = 0;
        return S_OK;
    }

    STDMETHODIMP SetObjects(ULONG count, IUnknown** objects) override {
        if (count && !objects) return E_POINTER;
        std::vector<ComPtr<IDispatch>> dispatches;
        for (ULONG i = 0; i < count; ++i) {
            ComPtr<IDispatch> dispatch;
            if (!objects[i] || FAILED(objects[i]->QueryInterface(IID_PPV_ARGS(&dispatch)))) return E_NOINTERFACE;
            dispatches.push_back(dispatch);
        }
        objects_ = std::move(dispatches);
        dirty_ = false;
        values_ =
            objects_.empty() ? PropertyValues{} : ReadValues(objects_.front().Get(), proppage::PropertiesReadBy(kind_));
        if (window_ && window_->Handle()) window_->Load(values_);
        return S_OK;
    }

    STDMETHODIMP Show(UINT command) override {
        if (!window_ || !window_->Handle()) return E_UNEXPECTED;
        window_->Show(static_cast<int>(command));
        return S_OK;
    }

    STDMETHODIMP Move(LPCRECT rect) override {
        if (!rect) return E_POINTER;
        if (!window_ || !window_->Handle()) return E_UNEXPECTED;
        window_->Move(*rect);
        return S_OK;
    }

    STDMETHODIMP IsPageDirty() override { return dirty_ ? S_OK : S_FALSE; }

    STDMETHODIMP Apply() override {
        if (!dirty_ || !window_) return S_OK;
        const auto changes = window_->Changes();
        if (!changes) return E_FAIL;  // a check failed: the page said why and stays dirty
        // The controls' change notices reach the host while this runs.
        const win::KeepAlive keep(*this);
        HRESULT result = S_OK;
        for (const auto& object : objects_)
            for (const auto& [name, value] : *changes) {
                const HRESULT hr = PutValue(object.Get(), name, value);
                if (FAILED(hr) && SUCCEEDED(result)) result = hr;
            }
        dirty_ = false;
        // The page shows what the controls made of the values (their corrections).
        if (!objects_.empty()) values_ = ReadValues(objects_.front().Get(), proppage::PropertiesReadBy(kind_));
        if (window_->Handle()) window_->Load(values_);
        return result;
    }

    STDMETHODIMP Help(LPCOLESTR) override { return E_NOTIMPL; }

    STDMETHODIMP TranslateAccelerator(MSG* msg) override {
        if (!msg) return E_POINTER;
        return window_ && window_->TranslateKey(*msg) ? S_OK : S_FALSE;
    }

    // IPropertyPage2
    STDMETHODIMP EditProperty(DISPID id) override {
        if (objects_.empty() || !window_ || !window_->Handle()) return E_UNEXPECTED;
        for (const auto name : proppage::PropertiesSetBy(kind_)) {
            DISPID candidate = DISPID_UNKNOWN;
            if (SUCCEEDED(DispIdOf(objects_.front().Get(), name, &candidate)) && candidate == id)
                return window_->FocusProperty(name) ? S_OK : E_NOTIMPL;
        }
        return E_NOTIMPL;
    }

private:
    ~PropertyPage() = default;

    // PageEvents
    void PageEdited() override {
        const bool first = !dirty_;
        dirty_ = true;
        if (first && site_) site_->OnStatusChange(PROPPAGESTATUS_DIRTY);
    }
    bool ApplyRequested() override { return SUCCEEDED(Apply()); }

    PageKind kind_;
    std::unique_ptr<proppage::PageWindow> window_;
    ComPtr<IPropertyPageSite> site_;
    std::vector<ComPtr<IDispatch>> objects_;
    PropertyValues values_;
    bool dirty_ = false;
};

PageKind KindOfClass(REFCLSID clsid) {
    if (clsid == kClsidSchedulePage) return PageKind::Schedule;
    if (clsid == kClsidDialogPage) return PageKind::Dialog;
    return PageKind::None;
}

}  // namespace

HRESULT CreatePropertyPage(REFCLSID clsid, REFIID iid, void** ppv) {
    if (!ppv) return E_POINTER;
    *ppv = nullptr;
    const PageKind kind = KindOfClass(clsid);
    if (kind == PageKind::None) return CLASS_E_CLASSNOTAVAILABLE;
    const auto page = win::Adopt(new (std::nothrow) PropertyPage(kind));
    if (!page) return E_OUTOFMEMORY;
    return page->QueryInterface(iid, ppv);
}

}  // namespace cadencer::com
