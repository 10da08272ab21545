// In-process helpers for tests of the engine shell: a started engine state, command lines fed to
// the interpreter through a pipe on standard input (StdinPipe of io_fixtures.h), and captured
// standard output.
#pragma once

#include <string>
#include <vector>

namespace vostrel_test {

// Fills the constant tables and allocates small position tables once per test program (book,
// learning and log off), then starts a new game from the initial position.
void startShellGame();

// Sends standard output into a temporary file until finish() returns what was written.
class StdoutCapture {
 public:
  StdoutCapture();
  ~StdoutCapture();
  StdoutCapture(const StdoutCapture&) = delete;
  StdoutCapture& operator=(const StdoutCapture&) = delete;
  std::string finish();

 private:
  int savedFd_;
  int fileFd_;
};

// Feeds the lines (each followed by a line feed) and runs the interpreter until the end of input
// or "quit" ends it. Returns what it printed.
std::string runCommands(const std::vector<std::string>& lines);

}  // namespace vostrel_test
