// Hostile but well-formed automation values for the fuzzer: empty and null, integers at
// their extremes, doubles and dates that are not numbers, infinite, huge or one step
// outside the years 100 to 9999, strings that are empty, 100,000 characters long, hold
// NULs or look like numbers and dates, Booleans that are neither -1 nor 0, objects that are
// null, foreign or pictures of every kind, errors, arrays, and each of them by reference.
#pragma once

#include <memory>
#include <string>

#include "fuzz_support.h"

namespace cadencer_fuzz {

// A foreign automation object: answers nothing, counts its references so a test can see
// that the control let go of every one it took.
class ForeignObject final : public IDispatch {
public:
    STDMETHODIMP QueryInterface(REFIID iid, void** ppv) override;
    STDMETHODIMP_(ULONG) AddRef() override { return InterlockedIncrement(&refs_); }
    STDMETHODIMP_(ULONG) Release() override { return InterlockedDecrement(&refs_); }
    STDMETHODIMP GetTypeInfoCount(UINT* count) override;
    STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo** info) override;
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return DISP_E_UNKNOWNNAME; }
    STDMETHODIMP Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override {
        return DISP_E_MEMBERNOTFOUND;
    }
    LONG Refs() const { return refs_; }

private:
    LONG refs_ = 1;
};

// One argument: the VARIANT handed over and whatever it points at. Not movable: a
// by-reference VARIANT points into the object itself.
class HostileValue {
public:
    HostileValue(std::size_t kind, bool byRef);
    HostileValue(const HostileValue&) = delete;
    HostileValue& operator=(const HostileValue&) = delete;

    VARIANT& value() { return passed_; }
    const std::string& description() const { return description_; }

    // How many base kinds there are (each also comes by reference).
    static std::size_t KindCount();

private:
    ScopedVariant base_;  // the value itself
    VARIANT passed_;      // a view of base_ (never cleared), or a reference to it or to its contents
    std::string description_;
};

// The pictures and the foreign object the values refer to, made once.
void CreateSharedObjects();
void ReleaseSharedObjects();
ForeignObject& Foreign();
// A picture of the standard application icon (what the stored-form tests save).
ComPtr<IPictureDisp> ApplicationIconPicture();

// Describes any VARIANT briefly (type, and value or length).
std::string Describe(const VARIANT& value);

}  // namespace cadencer_fuzz
