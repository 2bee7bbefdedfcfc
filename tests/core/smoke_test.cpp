#include <gtest/gtest.h>

#include "common/text.h"

TEST(Text, LowerCasesWindows1252Letters) { EXPECT_EQ(tovi::toLowerCase(u"ÄÖÜŠ"), u"äöüš"); }
