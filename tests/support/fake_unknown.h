// The IUnknown of the tests' hand-written COM objects. QueryInterface answers IUnknown, each
// listed interface and the further IIDs a derived object answers with its first interface
// (an event sink's dispinterface); AddRef and Release count without ever deleting, as the
// objects live in a test's scope, so a test can check that the control let go of every
// reference it took (Refs() is back to 1).
#pragma once

#include <windows.h>

#include <unknwn.h>

#include <vector>

namespace cadencer_test {

template <class First, class... More>
class FakeUnknown : public First, public More... {
public:
    STDMETHODIMP QueryInterface(REFIID iid, void** ppv) override {
        if (!ppv) return E_POINTER;
        *ppv = nullptr;
        if (iid == IID_IUnknown || iid == __uuidof(First)) {
            *ppv = static_cast<First*>(this);
        } else {
            ((iid == __uuidof(More) ? (*ppv = static_cast<More*>(this)) : nullptr), ...);
            for (const IID& also : answeredAlso_)
                if (!*ppv && iid == also) *ppv = static_cast<First*>(this);
        }
        if (!*ppv) return E_NOINTERFACE;
        AddRef();
        return S_OK;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return ++refs_; }
    STDMETHODIMP_(ULONG) Release() override { return --refs_; }
    ULONG Refs() const { return refs_; }
    // After a reported leak, to go on counting from a clean state.
    void ResetRefs() { refs_ = 1; }

protected:
    FakeUnknown() = default;
    explicit FakeUnknown(std::vector<IID> answeredAlso) : answeredAlso_(std::move(answeredAlso)) {}

private:
    ULONG refs_ = 1;
    std::vector<IID> answeredAlso_;
};

}  // namespace cadencer_test
