// A property bag kept in a text file, one "Key<TAB>type<TAB>value" line per property, as
// a container's form file keeps a control's properties. Objects (the icon picture) are
// stored as the hex of their IPersistStream data behind their class id.
#pragma once

#include <windows.h>
#include <ocidl.h>

#include <string>
#include <vector>

#include "win/scoped.h"

namespace demo {

class TextPropertyBag : public IPropertyBag {
public:
    TextPropertyBag() = default;
    virtual ~TextPropertyBag();

    bool LoadFile(const std::wstring& path);
    bool SaveFile(const std::wstring& path) const;
    size_t size() const { return entries_.size(); }

    // IUnknown (the bag lives on the stack of its user: counting only guards misuse).
    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override;
    STDMETHODIMP_(ULONG) AddRef() override { return ++refs_; }
    STDMETHODIMP_(ULONG) Release() override { return --refs_; }
    // IPropertyBag
    STDMETHODIMP Read(LPCOLESTR name, VARIANT* value, IErrorLog* log) override;
    STDMETHODIMP Write(LPCOLESTR name, VARIANT* value) override;

private:
    struct Entry {
        std::wstring key;
        cadencer::win::ScopedVariant value;
    };
    Entry* Find(LPCOLESTR name);
    std::vector<Entry> entries_;
    ULONG refs_ = 1;
};

}  // namespace demo
