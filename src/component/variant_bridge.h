// Automation VARIANTs and the core's portable Variant, both ways, and the container's
// IPropertyBag seen through the core's PropertyBag port. Values the core cannot hold
// (arrays, errors, null, non-finite numbers, dates outside years 100 to 9999, objects
// that are not pictures) are refused as type mismatches or overflows, never passed on.
// Values from containers, bags and <param> text are converted by oleaut32 itself, with
// the user's locale, as a host's runtime converts them; values written are typed.
#pragma once

#include <windows.h>

#include <oaidl.h>
#include <ocidl.h>

#include "engine/property_bag.h"

namespace cadencer::com {

Expected<Variant> FromVariant(const VARIANT& value);
// The value converted to `wanted` by VariantChangeTypeEx in the user's locale: "1,000",
// "&H10", "(5)", "#TRUE#" and dates in the locale's order are read as the platform's
// controls read them, and a Boolean read as text is "True" or "False". Empty: the value
// as it is; Object: pictures (or nothing) only. Objects are not asked for a default
// value, so they convert to nothing else.
Expected<Variant> CoerceVariant(const VARIANT& value, VariantType wanted);
// Fills a VariantInit'ed out; the caller clears it.
HRESULT ToVariant(const Variant& value, VARIANT* out);

// The HRESULT a refused value reports: type mismatch, overflow, or a storage failure.
HRESULT HResultOf(ValueError error);

class ComPropertyBag final : public PropertyBag {
public:
    ComPropertyBag(IPropertyBag* bag, IErrorLog* log) : bag_(bag), log_(log) {}
    Expected<std::optional<Variant>> Get(std::u16string_view key, VariantType wanted) override;
    Expected<bool> Put(std::u16string_view key, const Variant& value) override;
    // The container's own failure, when the last error was the bag's rather than a value's.
    HRESULT LastBagError() const { return lastBagError_; }

private:
    IPropertyBag* bag_;
    IErrorLog* log_;
    HRESULT lastBagError_ = S_OK;
};

}  // namespace cadencer::com
