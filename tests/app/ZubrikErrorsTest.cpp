#include "app/ZubrikErrors.h"

#include <gtest/gtest.h>

TEST(Errors, MessagesAndBases)
{
    EXPECT_STREQ(NSZubrik::XBadFormat().what(), "bad format");
    EXPECT_STREQ(NSZubrik::XFileLocked().what(), "item busy");
    NSZubrik::XDiskFull full;
    EXPECT_NE(dynamic_cast<std::overflow_error*>(&full), nullptr);
}
