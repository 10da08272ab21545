// In-process shell test helpers.
#include "support/shell_session.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <stdexcept>

#include "board/tables.h"
#include "config/settings.h"
#include "game/protocolstate.h"
#include "search/hashtable.h"
#include "shell/commands.h"
#include "shell/input.h"
#include "shell/startup.h"
#include "support/io_fixtures.h"

namespace vostrel_test {

namespace {
constexpr int TEST_HASH_MEGABYTES = 2;
}

void startShellGame() {
  static const bool ready = [] {
    EngineSettings.bookEnabled = 0;
    EngineSettings.learningEnabled = 0;
    EngineSettings.logEnabled = 0;
    EngineSettings.hashMegabytes = TEST_HASH_MEGABYTES;
    initBoardTables();
    if (allocatePositionTables(TEST_HASH_MEGABYTES) != 0) throw std::runtime_error("no position tables");
    ProtocolState.fritzMode = 0;
    ProtocolState.analyzing = 0;
    ProtocolState.ponderEnabled = 1;
    return true;
  }();
  (void)ready;
  ProtocolState.fritzMode = 0;
  ProtocolState.analyzing = 0;
  ProtocolState.ponderEnabled = 1;
  ProtocolState.setboardRun = 0;
  newGame();
}

StdoutCapture::StdoutCapture() {
  std::fflush(stdout);
  char name[] = "/tmp/vostrel-stdout-XXXXXX";
  fileFd_ = ::mkstemp(name);
  if (fileFd_ < 0) throw std::runtime_error("mkstemp failed");
  ::unlink(name);
  savedFd_ = ::dup(STDOUT_FILENO);
  ::dup2(fileFd_, STDOUT_FILENO);
}

StdoutCapture::~StdoutCapture() { finish(); }

std::string StdoutCapture::finish() {
  if (fileFd_ < 0) return "";
  std::fflush(stdout);
  ::dup2(savedFd_, STDOUT_FILENO);
  ::close(savedFd_);
  std::string text;
  ::lseek(fileFd_, 0, SEEK_SET);
  char block[4096];
  ssize_t got;
  while ((got = ::read(fileFd_, block, sizeof block)) > 0) text.append(block, static_cast<size_t>(got));
  ::close(fileFd_);
  fileFd_ = -1;
  return text;
}

std::string runCommands(const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& line : lines) text += line + "\n";
  StdinPipe input;
  input.send(text);
  input.close();
  StdoutCapture capture;
  ProtocolState.quitRequested = 0;
  do {
    processCommands();
  } while (!ProtocolState.quitRequested);
  return capture.finish();
}

}  // namespace vostrel_test
