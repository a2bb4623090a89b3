#include "Support/Memory Management.h"

#include <gtest/gtest.h>

#include "platform/platform.h"

namespace {

TEST(ImageDestroy2, DestroysOnceAndLeavesThePointerNull) {
  const long before = platform::LiveImageCount();
  platform::IMAGE* image = platform::ImageCreate(3, 3);
  ASSERT_NE(image, nullptr);
  EXPECT_EQ(platform::LiveImageCount(), before + 1);
  EXPECT_EQ(IMAGEDESTROY2(image), nullptr);
  EXPECT_EQ(image, nullptr);  // the caller's variable, without assigning the result
  EXPECT_EQ(platform::LiveImageCount(), before);
  EXPECT_EQ(IMAGEDESTROY2(image), nullptr);  // a second call does nothing
  EXPECT_EQ(platform::LiveImageCount(), before);
  platform::IMAGE* none = nullptr;
  EXPECT_EQ(IMAGEDESTROY2(none), nullptr);
  EXPECT_EQ(platform::LiveImageCount(), before);
}

}  // namespace
