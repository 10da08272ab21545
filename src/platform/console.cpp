// Standard input at the operating-system level: the non-blocking "is anything waiting" test and
// the raw read. Everything above this file sees only these two routines.
//
// POSIX: one poll() on descriptor 0 serves pipes, files and terminals alike. The Windows build
// keeps the same contract with the console and pipe functions (console_windows.cpp).
#ifndef _WIN32
#include "platform/console.h"

#include <cerrno>
#include <poll.h>
#include <unistd.h>

namespace {

constexpr int STANDARD_INPUT = 0;
constexpr int NO_WAIT = 0;
// A readable descriptor, one whose writer has gone, or one in error: in each case the next read
// returns at once (with data, with the end of input, or with an error treated as the end).
constexpr short WAITING_EVENTS = POLLIN | POLLHUP | POLLERR | POLLNVAL;

const InputSource* installedSource = nullptr;

}  // namespace

void setInputSource(const InputSource* source) { installedSource = source; }

unsigned inputWaiting() {
  if (installedSource != nullptr) return installedSource->waiting();
  pollfd request{STANDARD_INPUT, POLLIN, 0};
  const int ready = poll(&request, 1, NO_WAIT);
  if (ready < 0) return errno == EINTR ? 0 : 1;  // a failed poll: let the read find out
  return ready > 0 && (request.revents & WAITING_EVENTS) != 0 ? 1 : 0;
}

int readStandardInput(char* buffer, int size) {
  if (installedSource != nullptr) return installedSource->read(buffer, size);
  ssize_t count;
  do {
    count = read(STANDARD_INPUT, buffer, static_cast<size_t>(size));
  } while (count < 0 && errno == EINTR);
  return count < 0 ? -1 : static_cast<int>(count);
}

#endif  // !_WIN32
