#include "platform/console.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "platform/clock.h"
#include "support/io_fixtures.h"

namespace {

TEST(Console, WaitingInputAndEndOfInput) {
  StdinPipe input;
  EXPECT_EQ(inputWaiting(), 0u);
  input.send("go\n");
  EXPECT_EQ(inputWaiting(), 1u);
  char bytes[8];
  EXPECT_EQ(readStandardInput(bytes, sizeof bytes), 3);
  EXPECT_EQ(inputWaiting(), 0u);
  input.close();
  EXPECT_EQ(inputWaiting(), 1u);  // the read that follows meets the end
  EXPECT_EQ(readStandardInput(bytes, sizeof bytes), 0);
}

TEST(Clock, TicksInMilliseconds) {
  const uint32_t start = tickCount();
  std::this_thread::sleep_for(std::chrono::milliseconds(30));
  const uint32_t passed = tickCount() - start;
  EXPECT_GE(passed, 30u);
  EXPECT_LT(passed, 5000u);
  EXPECT_GT(calendarSeconds(), 1600000000L);
}

// The count starts with the program, far from the 32-bit wrap, whatever the machine's uptime.
TEST(Clock, TicksCountFromTheProgramStart) { EXPECT_LT(tickCount(), 3600u * 1000u); }

}  // namespace
