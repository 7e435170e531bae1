// What the control tells property browsers: its two property pages (ISpecifyPropertyPages),
// which page edits a property (the grid's "..." button), and the enumerated properties
// OccursOption and EveryFrequency shown and chosen by name (IPerPropertyBrowsing).
#include <array>
#include <span>
#include <string_view>

#include "component/cadencer_object.h"
#include "component/dispids.h"
#include "proppage/page_values.h"
#include "win/scoped.h"

namespace cadencer::com {

using win::AllocBstr;

namespace {

constexpr std::array<std::u16string_view, 5> kOccursNames = {u"Never", u"Daily", u"Weekly", u"Monthly", u"Every"};
constexpr std::array<std::u16string_view, 2> kEveryTypeNames = {u"Hours", u"Minutes"};

// The member names of an enumerated property, empty for other properties.
std::span<const std::u16string_view> EnumNames(DISPID id) {
    if (id == DispIdOfProperty(u"OccursOption")) return kOccursNames;
    if (id == DispIdOfProperty(u"EveryFrequency")) return kEveryTypeNames;
    return {};
}

proppage::PageKind PageOfDispId(DISPID id) {
    for (const auto page : {proppage::PageKind::Schedule, proppage::PageKind::Dialog})
        for (const auto name : proppage::PropertiesSetBy(page))
            if (DispIdOfProperty(name) == id) return page;
    return proppage::PageKind::None;
}

LPOLESTR TaskMemString(std::u16string_view text) {
    auto* copy = static_cast<LPOLESTR>(CoTaskMemAlloc((text.size() + 1) * sizeof(OLECHAR)));
    if (!copy) return nullptr;
    for (std::size_t i = 0; i < text.size(); ++i) copy[i] = static_cast<OLECHAR>(text[i]);
    copy[text.size()] = 0;
    return copy;
}

}  // namespace

STDMETHODIMP CadencerControl::GetPages(CAUUID* pages) {
    if (!pages) return E_POINTER;
    pages->cElems = 0;
    pages->pElems = static_cast<GUID*>(CoTaskMemAlloc(2 * sizeof(GUID)));
    if (!pages->pElems) return E_OUTOFMEMORY;
    pages->pElems[0] = kClsidSchedulePage;
    pages->pElems[1] = kClsidDialogPage;
    pages->cElems = 2;
    return S_OK;
}

STDMETHODIMP CadencerControl::GetDisplayString(DISPID id, BSTR* text) {
    if (!text) return E_POINTER;
    *text = nullptr;
    const auto names = EnumNames(id);
    if (names.empty()) return E_NOTIMPL;
    const std::int32_t value =
        id == DispIdOfProperty(u"OccursOption") ? Core().OccursOption() : Core().EveryFrequency();
    // A value that is no member (the control stores any number) is left to the browser.
    if (value < 0 || static_cast<std::size_t>(value) >= names.size()) return E_NOTIMPL;
    *text = AllocBstr(std::u16string(names[static_cast<std::size_t>(value)]));
    return *text ? S_OK : E_OUTOFMEMORY;
}

STDMETHODIMP CadencerControl::MapPropertyToPage(DISPID id, CLSID* page) {
    if (!page) return E_POINTER;
    *page = CLSID_NULL;
    switch (PageOfDispId(id)) {
        case proppage::PageKind::Schedule:
            *page = kClsidSchedulePage;
            return S_OK;
        case proppage::PageKind::Dialog:
            *page = kClsidDialogPage;
            return S_OK;
        case proppage::PageKind::None:
            break;
    }
    return PERPROP_E_NOPAGEAVAILABLE;
}

STDMETHODIMP CadencerControl::GetPredefinedStrings(DISPID id, CALPOLESTR* strings, CADWORD* cookies) {
    if (!strings || !cookies) return E_POINTER;
    *strings = {};
    *cookies = {};
    const auto names = EnumNames(id);
    if (names.empty()) return E_NOTIMPL;
    auto* texts = static_cast<LPOLESTR*>(CoTaskMemAlloc(names.size() * sizeof(LPOLESTR)));
    auto* values = static_cast<DWORD*>(CoTaskMemAlloc(names.size() * sizeof(DWORD)));
    bool ok = texts && values;
    for (std::size_t i = 0; ok && i < names.size(); ++i) {
        texts[i] = TaskMemString(names[i]);
        values[i] = static_cast<DWORD>(i);  // the cookie is the member's value
        if (!texts[i]) {
            for (std::size_t j = 0; j < i; ++j) CoTaskMemFree(texts[j]);
            ok = false;
        }
    }
    if (!ok) {
        CoTaskMemFree(texts);
        CoTaskMemFree(values);
        return E_OUTOFMEMORY;
    }
    strings->cElems = cookies->cElems = static_cast<ULONG>(names.size());
    strings->pElems = texts;
    cookies->pElems = values;
    return S_OK;
}

STDMETHODIMP CadencerControl::GetPredefinedValue(DISPID id, DWORD cookie, VARIANT* value) {
    if (!value) return E_POINTER;
    VariantInit(value);
    const auto names = EnumNames(id);
    if (names.empty()) return E_NOTIMPL;
    if (cookie >= names.size()) return E_INVALIDARG;
    V_VT(value) = VT_I4;
    V_I4(value) = static_cast<LONG>(cookie);
    return S_OK;
}

}  // namespace cadencer::com
