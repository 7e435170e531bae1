// Scoped owners for the platform's resources that have no destructor of their own: a BSTR
// (from UTF-16 or UTF-8 text), a VARIANT (with typed factories), the three texts of an EXCEPINFO and a registry key.
// Interface pointers are owned by Microsoft::WRL::ComPtr (wrl/client.h); these complete the set so that no code path
// pairs an allocation with a free by hand. All are move-only; receive() hands out the address for an out-parameter and
// asserts that the owner holds nothing, because an out-parameter overwrites without freeing and a silent free there
// hides a double fill.
#pragma once

#include <windows.h>

#include <oleauto.h>
#include <wrl/client.h>

#include <cassert>
#include <string>
#include <string_view>
#include <utility>

#include "engine/utf8.h"

namespace cadencer::win {

// A BSTR allocated from UTF-16 text; null only when memory runs out.
inline BSTR AllocBstr(std::u16string_view text) {
    return SysAllocStringLen(reinterpret_cast<const OLECHAR*>(text.data()), static_cast<UINT>(text.size()));
}

// The whole counted text of a BSTR (a null BSTR is the empty string).
inline std::u16string ToU16(BSTR text) {
    if (!text) return {};
    return std::u16string(reinterpret_cast<const char16_t*>(text), SysStringLen(text));
}

class ScopedBstr {
public:
    ScopedBstr() = default;
    explicit ScopedBstr(std::u16string_view text) : value_(AllocBstr(text)) {}
    explicit ScopedBstr(const wchar_t* text) : value_(SysAllocString(text)) {}
    // Malformed UTF-8 becomes U+FFFD, as FromUtf8 (engine/utf8.h) reads it.
    static ScopedBstr FromUtf8(std::string_view text) { return ScopedBstr(cadencer::FromUtf8(text)); }
    ~ScopedBstr() { SysFreeString(value_); }
    ScopedBstr(const ScopedBstr&) = delete;
    ScopedBstr& operator=(const ScopedBstr&) = delete;
    ScopedBstr(ScopedBstr&& other) noexcept : value_(other.release()) {}
    ScopedBstr& operator=(ScopedBstr&& other) noexcept {
        if (this != &other) reset(other.release());
        return *this;
    }

    BSTR get() const { return value_; }
    BSTR* receive() {
        assert(!value_ && "ScopedBstr::receive on an owner that holds a string");
        return &value_;
    }
    BSTR release() { return std::exchange(value_, nullptr); }
    void reset(BSTR value = nullptr) { SysFreeString(std::exchange(value_, value)); }
    explicit operator bool() const { return value_ != nullptr; }

private:
    BSTR value_ = nullptr;
};

// A VARIANT that is VariantInit'ed on construction and VariantClear'ed on destruction, so
// a BSTR, interface or SAFEARRAY it holds is freed exactly once.
class ScopedVariant {
public:
    ScopedVariant() { VariantInit(&value_); }
    // Takes ownership of what value holds (as release() hands it out).
    explicit ScopedVariant(const VARIANT& value) : value_(value) {}
    ~ScopedVariant() { VariantClear(&value_); }
    ScopedVariant(const ScopedVariant&) = delete;
    ScopedVariant& operator=(const ScopedVariant&) = delete;
    ScopedVariant(ScopedVariant&& other) noexcept : value_(other.release()) {}
    ScopedVariant& operator=(ScopedVariant&& other) noexcept {
        if (this != &other) {
            VariantClear(&value_);
            value_ = other.release();
        }
        return *this;
    }

    VARIANT* get() { return &value_; }
    const VARIANT* get() const { return &value_; }
    VARIANT* operator->() { return &value_; }
    const VARIANT* operator->() const { return &value_; }
    VARTYPE type() const { return V_VT(&value_); }
    VARIANT* receive() {
        assert(V_VT(&value_) == VT_EMPTY && "ScopedVariant::receive on an owner that holds a value");
        return &value_;
    }
    // Hands out the value (the caller now clears it) and leaves this owner empty.
    VARIANT release() {
        VARIANT out = value_;
        VariantInit(&value_);
        return out;
    }
    void reset() { VariantClear(&value_); }

    // Owners of one typed value; the BSTR is null only when memory runs out.
    static ScopedVariant String(std::u16string_view text) {
        ScopedVariant v;
        V_VT(v.get()) = VT_BSTR;
        V_BSTR(v.get()) = AllocBstr(text);
        return v;
    }
    static ScopedVariant String(const wchar_t* text) {
        ScopedVariant v;
        V_VT(v.get()) = VT_BSTR;
        V_BSTR(v.get()) = SysAllocString(text);
        return v;
    }
    static ScopedVariant I2(SHORT value) {
        ScopedVariant v;
        V_VT(v.get()) = VT_I2;
        V_I2(v.get()) = value;
        return v;
    }
    static ScopedVariant I4(LONG value) {
        ScopedVariant v;
        V_VT(v.get()) = VT_I4;
        V_I4(v.get()) = value;
        return v;
    }
    static ScopedVariant Date(DATE value) {
        ScopedVariant v;
        V_VT(v.get()) = VT_DATE;
        V_DATE(v.get()) = value;
        return v;
    }
    // VARIANT_TRUE (-1) or VARIANT_FALSE, as automation clients test it.
    static ScopedVariant Bool(bool value) {
        ScopedVariant v;
        V_VT(v.get()) = VT_BOOL;
        V_BOOL(v.get()) = value ? VARIANT_TRUE : VARIANT_FALSE;
        return v;
    }

private:
    VARIANT value_;
};

// An owner for the one reference a new object starts with (new, then Adopt). mingw-w64's
// ComPtr::Attach adds a reference of its own, unlike the platform SDK's, so Attach would
// leak the object.
template <class T>
Microsoft::WRL::ComPtr<T> Adopt(T* object) {
    Microsoft::WRL::ComPtr<T> owner;
    *owner.GetAddressOf() = object;
    return owner;
}

// The texts an IDispatch::Invoke failure fills in, freed together.
class ScopedExcepInfo {
public:
    ScopedExcepInfo() = default;
    ~ScopedExcepInfo() { reset(); }
    ScopedExcepInfo(const ScopedExcepInfo&) = delete;
    ScopedExcepInfo& operator=(const ScopedExcepInfo&) = delete;

    EXCEPINFO* get() { return &value_; }
    const EXCEPINFO* operator->() const { return &value_; }
    EXCEPINFO* receive() {
        assert(!value_.bstrSource && !value_.bstrDescription && !value_.bstrHelpFile &&
               "ScopedExcepInfo::receive on an owner that holds texts");
        return &value_;
    }
    void reset() {
        SysFreeString(value_.bstrSource);
        SysFreeString(value_.bstrDescription);
        SysFreeString(value_.bstrHelpFile);
        value_ = EXCEPINFO{};
    }

private:
    EXCEPINFO value_{};
};

// An open registry key, closed on every path out. Predefined roots (HKEY_CURRENT_USER...)
// are never owned: pass them as they are.
class UniqueHkey {
public:
    UniqueHkey() = default;
    explicit UniqueHkey(HKEY key) : key_(key) {}
    ~UniqueHkey() { reset(); }
    UniqueHkey(const UniqueHkey&) = delete;
    UniqueHkey& operator=(const UniqueHkey&) = delete;
    UniqueHkey(UniqueHkey&& other) noexcept : key_(other.release()) {}
    UniqueHkey& operator=(UniqueHkey&& other) noexcept {
        if (this != &other) reset(other.release());
        return *this;
    }

    HKEY get() const { return key_; }
    HKEY* receive() {
        assert(!key_ && "UniqueHkey::receive on an owner that holds a key");
        return &key_;
    }
    HKEY release() { return std::exchange(key_, nullptr); }
    void reset(HKEY key = nullptr) {
        if (HKEY old = std::exchange(key_, key)) RegCloseKey(old);
    }
    explicit operator bool() const { return key_ != nullptr; }

private:
    HKEY key_ = nullptr;
};

}  // namespace cadencer::win
