// UTF-8 and the UTF-16 strings of the portable code, both ways: the schedule's other forms,
// the command-line tool's arguments and the tests' messages. Malformed input never stops a
// conversion: each bad sequence becomes U+FFFD, the replacement character.
#pragma once

#include <string>
#include <string_view>

namespace cadencer {

// A surrogate pair becomes one four-byte sequence; a lone surrogate becomes U+FFFD.
std::string ToUtf8(std::u16string_view text);

// Refuses, each as one U+FFFD: a byte that cannot start a sequence, a sequence cut short
// (the bytes after it are read afresh), an overlong form, an encoded surrogate and a
// code point beyond U+10FFFF. Code points above U+FFFF become surrogate pairs.
std::u16string FromUtf8(std::string_view text);

}  // namespace cadencer
