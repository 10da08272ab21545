// In-process shell test helpers.
#include "support/shell_session.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <stdexcept>

#include "board/tables.h"
#include "config/settings.h"
#include "search/hashtable.h"
#include "shell/commands.h"
#include "shell/input.h"
#include "shell/protocol.h"
#include "shell/startup.h"

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

StdinFeed::StdinFeed(const std::string& text) {
  int ends[2];
  if (::pipe(ends) != 0) throw std::runtime_error("pipe failed");
  // The whole text goes in before the interpreter reads, so it must fit the pipe.
  ::fcntl(ends[1], F_SETPIPE_SZ, static_cast<int>(text.size()) + 1);
  size_t done = 0;
  while (done < text.size()) {
    const ssize_t put = ::write(ends[1], text.data() + done, text.size() - done);
    if (put <= 0) throw std::runtime_error("feeding standard input failed");
    done += static_cast<size_t>(put);
  }
  ::close(ends[1]);
  savedFd_ = ::dup(STDIN_FILENO);
  ::dup2(ends[0], STDIN_FILENO);
  ::close(ends[0]);
  std::clearerr(stdin);
  Input.CBuf[0] = '\0';
  Input.endOfInput = 0;
}

StdinFeed::~StdinFeed() {
  ::dup2(savedFd_, STDIN_FILENO);
  ::close(savedFd_);
  std::clearerr(stdin);
  Input.CBuf[0] = '\0';
  Input.endOfInput = 0;
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
  StdinFeed feed(text);
  StdoutCapture capture;
  ProtocolState.quitRequested = 0;
  do {
    processCommands();
  } while (!ProtocolState.quitRequested);
  return capture.finish();
}

}  // namespace vostrel_test
