#include <gtest/gtest.h>
#include "compat/d3d9.h"
TEST(Smoke, Create) { IDirect3D9* d = Direct3DCreate9(31); ASSERT_NE(d, nullptr); EXPECT_EQ(d->Release(), 0u); }
