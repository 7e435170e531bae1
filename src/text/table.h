// What a language's file includes: its table is a list of {Id, text} entries in the order
// of text_ids.h, turned into an array indexed by Id at compile time. A table that misses a
// text, has one too many or lists one out of order does not compile.
#pragma once

#include <array>

#include "text/catalog.h"

namespace cadencer::text {

using TextTable = std::array<std::u16string_view, kTextCount>;

struct Entry {
    Id id;
    std::u16string_view text;
};

template <std::size_t N>
consteval TextTable MakeTable(const Entry (&entries)[N]) {
    static_assert(N == kTextCount, "a language's table lists every text of text_ids.h, each once");
    TextTable table{};
    for (std::size_t i = 0; i < N; ++i) {
        // Not a constant expression, so a compile error, when an entry is out of place.
        if (entries[i].id != static_cast<Id>(i)) throw "entries follow the order of text_ids.h";
        table[i] = entries[i].text;
    }
    return table;
}

#define CADENCER_TEXT_TABLE_DECL(name, tag, primary, table, cardinal, ordinal) extern const TextTable table;
CADENCER_LANGUAGES(CADENCER_TEXT_TABLE_DECL)
#undef CADENCER_TEXT_TABLE_DECL

}  // namespace cadencer::text
