#include <gtest/gtest.h>

#include "engine/params/RandomSource.h"

TEST(RandomSourceTest, FollowsTheRunTimeRuleAndRepeatsAfterReseeding)
{
    DS_SRand(1);
    EXPECT_EQ(DS_Rand(), 41);
    EXPECT_EQ(DS_Rand(), 18467);
    EXPECT_EQ(DS_Rand(), 6334);
    DS_SRand(12345);
    const int a = DS_Rand(), b = DS_Rand();
    DS_SRand(12345);
    EXPECT_EQ(DS_Rand(), a);
    EXPECT_EQ(DS_Rand(), b);
}
