#include "platform/console.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <string>
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

// An installed source replaces standard input for both routines; removing it brings standard
// input back.
TEST(Console, InstalledSourceReplacesStandardInput) {
  static std::string bytes;
  static size_t taken;
  bytes = "new\ngo\n";
  taken = 0;
  const InputSource memory = {
      [] { return 1u; },
      [](char* buffer, int size) {
        const size_t count = std::min(bytes.size() - taken, static_cast<size_t>(size));
        bytes.copy(buffer, count, taken);
        taken += count;
        return static_cast<int>(count);
      }};
  StdinPipe input;  // silent: nothing may be read from it while the source is installed
  setInputSource(&memory);
  EXPECT_EQ(inputWaiting(), 1u);
  char buffer[4];
  EXPECT_EQ(readStandardInput(buffer, sizeof buffer), 4);
  EXPECT_EQ(std::string(buffer, 4), "new\n");
  EXPECT_EQ(readStandardInput(buffer, sizeof buffer), 3);
  EXPECT_EQ(readStandardInput(buffer, sizeof buffer), 0);  // the end of the source
  setInputSource(nullptr);
  EXPECT_EQ(inputWaiting(), 0u);
  input.send("x\n");
  EXPECT_EQ(readStandardInput(buffer, sizeof buffer), 2);
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
