#include "config/logfile.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "config/settings.h"
#include "support/io_fixtures.h"

namespace {

TEST(LogFile, TakesTheLowestFreeNumberAndWritesOnlyWhenOn) {
  ScratchDirectory directory;
  writeWholeFile("VOS_LOG.001", "old");
  writeWholeFile("VOS_LOG.002", "old");
  EngineSettings.logEnabled = 1;
  ASSERT_EQ(openLogFile(), 1);
  logPrintf("White: %s\n", "e2e4");
  EngineSettings.logEnabled = 0;
  logPrintf("dropped\n");
  closeLogFile();
  logPrintf("no file\n");
  EXPECT_EQ(readWholeFile("VOS_LOG.003"), "White: e2e4\n");
  EXPECT_EQ(readWholeFile("VOS_LOG.001"), "old");
}

TEST(LogFile, AllNamesTakenTurnsLoggingOff) {
  ScratchDirectory directory;
  char name[20];
  for (int k = 1; k <= 999; ++k) {
    std::snprintf(name, sizeof name, "VOS_LOG.%03d", k);
    writeWholeFile(name, "");
  }
  EngineSettings.logEnabled = 1;
  EXPECT_EQ(openLogFile(), -1);
  EXPECT_EQ(EngineSettings.logEnabled, 0);
  EXPECT_EQ(LogState.logFile, nullptr);
}

TEST(LogFile, CreationFailure) {
  ScratchDirectory directory;
  std::filesystem::create_symlink("/nonexistent/dir", "VOS_LOG.001");
  EXPECT_EQ(openLogFile(), 0);
  EXPECT_EQ(LogState.logFile, nullptr);
}

}  // namespace
