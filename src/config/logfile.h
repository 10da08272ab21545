// The numbered log file "VOS_LOG.nnn" and the writers of log lines.
#pragma once
#include <cstdio>

struct LogData {
  FILE* logFile;  // open while EngineSettings.logEnabled
};
extern LogData LogState;

// Opens the first free "VOS_LOG.001".."VOS_LOG.999". Returns 1 when a file was opened, 0 when
// creating the first free name failed, -1 when all 999 names exist (logging is then switched off).
int openLogFile();
void closeLogFile();

// printf-style line to the log, only when logging is on.
void logPrintf(const char* format, ...) __attribute__((format(printf, 1, 2)));
void flushLog();
