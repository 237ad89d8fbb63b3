#include <gtest/gtest.h>
TEST(ProgramSmoke, Builds) { SUCCEED(); }
