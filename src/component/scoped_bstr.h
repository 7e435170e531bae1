// BSTR ownership and UTF-16 conversions at the COM boundary.
#pragma once

#include <windows.h>

#include <oleauto.h>

#include <string>
#include <string_view>

namespace cadencer::com {

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
    ~ScopedBstr() { SysFreeString(value_); }
    ScopedBstr(const ScopedBstr&) = delete;
    ScopedBstr& operator=(const ScopedBstr&) = delete;

    BSTR get() const { return value_; }
    BSTR* receive() {
        SysFreeString(value_);
        value_ = nullptr;
        return &value_;
    }
    BSTR release() {
        BSTR v = value_;
        value_ = nullptr;
        return v;
    }
    explicit operator bool() const { return value_ != nullptr; }

private:
    BSTR value_ = nullptr;
};

}  // namespace cadencer::com
