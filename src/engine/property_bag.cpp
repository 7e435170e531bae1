// Default-aware reading and writing through the property-bag port, and the memory bag.
#include "engine/property_bag.h"

namespace cadencer {
namespace {

char16_t Lower(char16_t c) {
    return (c >= u'A' && c <= u'Z') ? static_cast<char16_t>(c + 32) : c;
}

}  // namespace

bool KeysEqualIgnoringCase(std::u16string_view a, std::u16string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (Lower(a[i]) != Lower(b[i])) return false;
    return true;
}

Expected<Variant> ReadProperty(PropertyBag& bag, std::u16string_view key, VariantType wanted,
                               const Variant& defaultValue) {
    auto stored = bag.Get(key, wanted);
    if (!stored) return stored.error();
    if (!stored.value().has_value()) return defaultValue;
    return std::move(*stored.value());
}

Expected<bool> WriteProperty(PropertyBag& bag, std::u16string_view key, const Variant& value,
                             const Variant& defaultValue) {
    if (value == defaultValue) return false;
    return bag.Put(key, value);
}

Expected<std::optional<Variant>> MemoryPropertyBag::Get(std::u16string_view key, VariantType wanted) {
    for (const auto& [k, v] : entries_) {
        if (!KeysEqualIgnoringCase(k, key)) continue;
        if (wanted == VariantType::Empty) return std::optional<Variant>(v);
        auto converted = v.ChangeType(wanted);
        if (!converted) return converted.error();
        return std::optional<Variant>(std::move(converted.value()));
    }
    return std::optional<Variant>();
}

Expected<bool> MemoryPropertyBag::Put(std::u16string_view key, const Variant& value) {
    for (auto& [k, v] : entries_)
        if (KeysEqualIgnoringCase(k, key)) {
            v = value;
            return true;
        }
    entries_.emplace_back(std::u16string(key), value);
    return true;
}

bool MemoryPropertyBag::Contains(std::u16string_view key) const {
    for (const auto& entry : entries_)
        if (KeysEqualIgnoringCase(entry.first, key)) return true;
    return false;
}

}  // namespace cadencer
