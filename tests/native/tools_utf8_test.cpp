// The tools' UTF-8 codec: surrogate pairs both ways, and every kind of malformed input
// replaced, never passed on or allowed to swallow the text after it.
#include <gtest/gtest.h>

#include "utf8.h"

namespace cadencer {
namespace {

TEST(Utf8, EachEncodingLengthRoundTrips) {
    using namespace std::literals;
    const std::u16string text = u"A\u00e9\u20ac\U0001F600\U00010000\U0010FFFF\uFFFF\0z"s;
    const std::string bytes = ToUtf8(text);
    EXPECT_EQ(bytes, "A\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80\xF0\x90\x80\x80\xF4\x8F\xBF\xBF\xEF\xBF\xBF\0z"s);
    EXPECT_EQ(FromUtf8(bytes), text);
}

TEST(Utf8, SurrogatePairsBecomeOneFourByteSequence) {
    // U+1F600 is D83D DE00 in UTF-16.
    EXPECT_EQ(ToUtf8(u"\xD83D\xDE00"), "\xF0\x9F\x98\x80");
    const std::u16string back = FromUtf8("\xF0\x9F\x98\x80");
    ASSERT_EQ(back.size(), 2u);
    EXPECT_EQ(back[0], 0xD83D);
    EXPECT_EQ(back[1], 0xDE00);
    // The edges of the supplementary planes.
    EXPECT_EQ(ToUtf8(u"\xD800\xDC00"), "\xF0\x90\x80\x80");
    EXPECT_EQ(ToUtf8(u"\xDBFF\xDFFF"), "\xF4\x8F\xBF\xBF");
}

TEST(Utf8, LoneSurrogatesBecomeTheReplacementCharacter) {
    const std::string replacement = "\xEF\xBF\xBD";
    EXPECT_EQ(ToUtf8(u"a\xD83D"), "a" + replacement);                            // high at the end
    EXPECT_EQ(ToUtf8(u"\xD83Dx"), replacement + "x");                            // high before a non-surrogate
    EXPECT_EQ(ToUtf8(u"\xDE00\xD83D"), replacement + replacement);               // reversed pair
    EXPECT_EQ(ToUtf8(u"\xD83D\xD83D\xDE00"), replacement + "\xF0\x9F\x98\x80");  // a pair after a lone high
}

TEST(Utf8, MalformedBytesAreReplacedOneSequenceAtATime) {
    const std::u16string r = u"\uFFFD";
    EXPECT_EQ(FromUtf8("\x80"), r);  // a continuation byte alone
    EXPECT_EQ(FromUtf8("\xFF"
                       "a"),
              r + u"a");             // never a lead byte
    EXPECT_EQ(FromUtf8("\xC3"), r);  // cut short at the end
    EXPECT_EQ(FromUtf8("\xE2\x82"
                       "a"),
              r + u"a");  // cut short before a letter, which survives
    EXPECT_EQ(FromUtf8("\xF0\x9F\x98"
                       "\xC3\xA9"),
              r + u"\u00e9");
    EXPECT_EQ(FromUtf8("\xC0\xAF"), r);                              // overlong "/"
    EXPECT_EQ(FromUtf8("\xE0\x80\xAF"), r);                          // overlong, three bytes
    EXPECT_EQ(FromUtf8("\xF0\x80\x80\xAF"), r);                      // overlong, four bytes
    EXPECT_EQ(FromUtf8("\xED\xA0\xBD"), r);                          // an encoded high surrogate
    EXPECT_EQ(FromUtf8("\xED\xB8\x80"), r);                          // an encoded low surrogate
    EXPECT_EQ(FromUtf8("\xED\xA0\xBD\xED\xB8\x80"), r + r);          // an encoded pair (CESU-8) is two errors
    EXPECT_EQ(FromUtf8("\xF4\x90\x80\x80"), r);                      // beyond U+10FFFF
    EXPECT_EQ(FromUtf8("\xF8\x88\x80\x80\x80"), r + r + r + r + r);  // five-byte forms do not exist
}

TEST(Utf8, EveryScalarValueRoundTrips) {
    for (char32_t c = 0; c <= 0x10FFFF; c += (c < 0x20000 ? 1 : 97)) {
        if (c >= 0xD800 && c <= 0xDFFF) continue;
        std::u16string one;
        if (c >= 0x10000) {
            one += static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10));
            one += static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF));
        } else {
            one += static_cast<char16_t>(c);
        }
        ASSERT_EQ(FromUtf8(ToUtf8(one)), one) << static_cast<unsigned long>(c);
    }
}

}  // namespace
}  // namespace cadencer
