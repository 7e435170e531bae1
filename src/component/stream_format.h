// The control's binary form for IPersistStreamInit and IPersistStorage: the same named
// values that a property bag receives, in one stable, self-delimiting layout.
//
//   offset 0   4 bytes  "CDNC"
//          4   u16      format version (1)
//          6   u16      number of entries (0 to the persisted rows)
//          8   u32      bytes of entries that follow
//         12   entries: u8 key index (into kStreamKeys), u8 type, value:
//                0 empty   (nothing)       4 double  (8 bytes IEEE 754)
//                1 bool    (u8, 0 or 1)    5 date    (8 bytes, years 100 to 9999)
//                2 i16     (2 bytes)       6 string  (u32 count <= 65536, UTF-16 units)
//                3 i32     (4 bytes)       7 picture (u32 byte count <= 1 MiB, 0 = none,
//                                                      then the picture's own persisted form)
// All numbers little-endian. A key appears at most once. Anything else (another magic
// or version, an unknown key or type, a bad length, bytes left over or missing, a value
// that does not convert to its key's property) refuses the whole stream before any value
// is applied.
#pragma once

#include <windows.h>

#include <objidl.h>

#include <array>
#include <cstdint>
#include <string_view>
#include <vector>

#include "control/property_table.h"
#include "engine/property_bag.h"
#include "engine/variant.h"

namespace cadencer::com {

// The keys by their index in the stream: the property table's stream column.
inline constexpr std::array<std::u16string_view, control::kPersistedCount> kStreamKeys = [] {
    std::array<std::u16string_view, control::kPersistedCount> keys{};
    for (std::size_t i = 0; i < keys.size(); ++i) keys[i] = control::kProperties[control::kStreamSequence[i]].name;
    return keys;
}();

inline constexpr std::size_t kStreamHeaderBytes = 12;
inline constexpr std::uint32_t kMaxStreamPayload = 4u << 20;
inline constexpr std::uint32_t kMaxStreamStringUnits = 65536;

// Serialises the entries of a bag; fails on a key outside kStreamKeys or a picture
// that cannot persist itself.
HRESULT EncodeStream(const MemoryPropertyBag& bag, std::vector<BYTE>* bytes);
// Parses a whole encoded form (header included) into a bag.
HRESULT DecodeStream(const BYTE* data, std::size_t size, MemoryPropertyBag* bag);

// Reads exactly one encoded form from a stream (no byte past its end) into a bag.
HRESULT ReadStream(IStream* stream, MemoryPropertyBag* bag);
HRESULT WriteStream(IStream* stream, const std::vector<BYTE>& bytes);

}  // namespace cadencer::com
