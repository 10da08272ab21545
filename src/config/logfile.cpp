// The log file: one new "VOS_LOG.nnn" per run with logging on, never overwriting an older one.
// Written as bytes, so its lines end with "\n" on every platform.
#include "config/logfile.h"

#include <cstdarg>

#include "config/settings.h"

LogData LogState;

namespace {

constexpr int FIRST_LOG_NUMBER = 1;
constexpr int LAST_LOG_NUMBER = 999;
constexpr int LOG_NAME_SIZE = 20;  // "VOS_LOG." and the number, room for any int
constexpr const char* LOG_NAME_FORMAT = "VOS_LOG.%03d";

}  // namespace

// Takes the lowest number whose file does not exist yet (a name that can be opened for reading
// is taken). With every name taken logging is switched off and the run goes on without a log.
int openLogFile() {
  char name[LOG_NAME_SIZE];
  for (int number = FIRST_LOG_NUMBER; number <= LAST_LOG_NUMBER; ++number) {
    std::snprintf(name, sizeof name, LOG_NAME_FORMAT, number);
    FILE* existing = std::fopen(name, "rb");
    if (existing != nullptr) {
      std::fclose(existing);
      continue;
    }
    LogState.logFile = std::fopen(name, "wb");
    return LogState.logFile != nullptr ? 1 : 0;
  }
  setLogEnabled(false);
  return -1;
}

void closeLogFile() {
  if (LogState.logFile == nullptr) return;
  std::fclose(LogState.logFile);
  LogState.logFile = nullptr;
}

void logPrintf(const char* format, ...) {
  if (!EngineSettings.logEnabled || LogState.logFile == nullptr) return;
  va_list arguments;
  va_start(arguments, format);
  std::vfprintf(LogState.logFile, format, arguments);
  va_end(arguments);
}

void flushLog() {
  if (LogState.logFile != nullptr) std::fflush(LogState.logFile);
}
