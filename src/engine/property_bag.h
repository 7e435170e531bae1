// The property-bag port through which controls persist their properties, the
// default-aware reading and writing every control uses, and a bag kept in memory.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "engine/variant.h"

namespace cadencer {

// Keys match without regard to case, as the platform's bags do.
class PropertyBag {
public:
    virtual ~PropertyBag() = default;
    // The stored value converted to `wanted` by the bag's conversion rules (Empty: as
    // stored); an empty optional when the key is absent; the conversion's or the store's
    // error otherwise.
    virtual Expected<std::optional<Variant>> Get(std::u16string_view key, VariantType wanted) = 0;
    virtual Expected<bool> Put(std::u16string_view key, const Variant& value) = 0;
};

// Reads a key as the type wanted, giving the default (unconverted) when it is absent.
Expected<Variant> ReadProperty(PropertyBag& bag, std::u16string_view key, VariantType wanted,
                               const Variant& defaultValue);
// Reads a key as stored.
inline Expected<Variant> ReadProperty(PropertyBag& bag, std::u16string_view key, const Variant& defaultValue) {
    return ReadProperty(bag, key, VariantType::Empty, defaultValue);
}
// Writes a key unless the value equals the default; false when nothing was written.
Expected<bool> WriteProperty(PropertyBag& bag, std::u16string_view key, const Variant& value,
                             const Variant& defaultValue);

bool KeysEqualIgnoringCase(std::u16string_view a, std::u16string_view b);

// An in-memory bag that keeps keys in the order they were first written and converts
// with the invariant rules of Variant.
class MemoryPropertyBag : public PropertyBag {
public:
    Expected<std::optional<Variant>> Get(std::u16string_view key, VariantType wanted) override;
    Expected<bool> Put(std::u16string_view key, const Variant& value) override;

    const std::vector<std::pair<std::u16string, Variant>>& Entries() const { return entries_; }
    bool Contains(std::u16string_view key) const;
    void Clear() { entries_.clear(); }

private:
    std::vector<std::pair<std::u16string, Variant>> entries_;
};

}  // namespace cadencer
