#include "form/remembered_values.h"

#include <gtest/gtest.h>

namespace quillet {
namespace {

TEST(RememberedValues, CutCountsCharactersNotBytes) {
    EXPECT_EQ(CutToCharacters("abc", 259), "abc");
    EXPECT_EQ(CutToCharacters("abcdef", 3), "abc");
    // Two-, three- and four-byte characters are kept whole.
    EXPECT_EQ(CutToCharacters("\xc3\xa4\xc3\xb6\xc3\xbc", 2), "\xc3\xa4\xc3\xb6");
    EXPECT_EQ(CutToCharacters("a\xe2\x82\xac" "b", 2), "a\xe2\x82\xac");
    EXPECT_EQ(CutToCharacters("\xf0\x9f\x98\x80x", 1), "\xf0\x9f\x98\x80");
}

}  // namespace
}  // namespace quillet
