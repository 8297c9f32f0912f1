#include "frame/owned_text.h"

#include <gtest/gtest.h>

#include "support/alloc_hooks.h"

namespace vexa {
namespace {

TEST(OwnedText, JoinsTwoPiecesAndReplacesThePreviousText) {
  OwnedText text;
  EXPECT_STREQ(text.c_str(), "");
  ASSERT_TRUE(text.Assign("/tmp/nav", "\\dest.cld"));
  EXPECT_STREQ(text.c_str(), "/tmp/nav\\dest.cld");
  // Its own text as a piece, which the old buffer held (ASan sees a read
  // of it after it was freed).
  ASSERT_TRUE(text.Assign(text.c_str() + 9, text.c_str()));
  EXPECT_STREQ(text.c_str(), "dest.cld/tmp/nav\\dest.cld");
  ASSERT_TRUE(text.Assign(""));
  EXPECT_STREQ(text.c_str(), "");
}

TEST(OwnedText, WithoutMemoryFailsAndIsEmpty) {
  OwnedText text;
  ASSERT_TRUE(text.Assign("previous"));
  test::ScopedAllocationFailure no_memory;
  EXPECT_FALSE(text.Assign("D:\\nav", "\\guide.dat"));
  EXPECT_EQ(no_memory.failures(), 1u);
  EXPECT_STREQ(text.c_str(), "");
}

}  // namespace
}  // namespace vexa
