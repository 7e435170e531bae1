// The one IUnknown of the library's COM objects: an Interlocked reference count that starts
// at one (creation is new, QueryInterface, Release), a QueryInterface that zeroes *ppv first
// and answers through one table of the object's interfaces, and a count against the
// module, so that DllCanUnloadNow says no while the object lives.
//
//   class Page final : public win::ComObject<Page, IPropertyPage2> {
//   public:
//       using Interfaces = win::InterfaceTable<win::Answer<IID_IUnknown, IPropertyPage2>,
//                                              win::Answer<IID_IPropertyPage, IPropertyPage2>,
//                                              win::Answer<IID_IPropertyPage2, IPropertyPage2>>;
//       ...
//   };
//
// A shared middle class (one IDispatch for several objects) passes the final class on as
// Self: template <class Self> class Tools : public win::ComObject<Self, IDual, IMore>.
#pragma once

#include <windows.h>

#include <unknwn.h>

#include "win/module_lock.h"

namespace cadencer::win {

// One row of the table: the interface that answers Iid.
template <const IID& Iid, class Interface>
struct Answer {
    template <class Self>
    static IUnknown* Match(Self* self, REFIID iid) {
        return IsEqualIID(iid, Iid) ? static_cast<Interface*>(self) : nullptr;
    }
};

// The rows, searched in order.
template <class... Rows>
struct InterfaceTable {
    template <class Self>
    static IUnknown* Find(Self* self, REFIID iid) {
        IUnknown* found = nullptr;
        ((found = found ? found : Rows::Match(self, iid)), ...);
        return found;
    }
};

template <class Self, class... Bases>
class ComObject : public Bases... {
public:
    STDMETHODIMP QueryInterface(REFIID iid, void** ppv) override {
        if (!ppv) return E_POINTER;
        *ppv = nullptr;
        Self* self = static_cast<Self*>(this);
        IUnknown* found = Self::Interfaces::Find(self, iid);
        if (!found) return self->NoInterface(iid);
        found->AddRef();
        *ppv = found;
        return S_OK;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return static_cast<ULONG>(InterlockedIncrement(&refs_)); }
    STDMETHODIMP_(ULONG) Release() override {
        const LONG left = InterlockedDecrement(&refs_);
        if (left == 0) {
            // Whatever the teardown calls back into must not bring the count to zero again.
            refs_ = 1;
            delete this;
        }
        return static_cast<ULONG>(left);
    }

protected:
    ComObject() = default;
    virtual ~ComObject() = default;
    ComObject(const ComObject&) = delete;
    ComObject& operator=(const ComObject&) = delete;
    // The answer for an interface the table does not hold; an object may record the asking.
    HRESULT NoInterface(REFIID) { return E_NOINTERFACE; }

private:
    LONG refs_ = 1;
    ModuleLock moduleLock_;
};

}  // namespace cadencer::win
