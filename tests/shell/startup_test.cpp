#include <gtest/gtest.h>

#include "support/engine_process.h"

using namespace vostrel_test;

TEST(StartupTest, Placeholder) { SUCCEED(); }
