#include <gtest/gtest.h>
#include "engine/Biquad.h"
TEST(Biquad, Zero){ Biquad b; EXPECT_EQ(b.b0, 0.0f); }
