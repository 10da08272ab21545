// POSIX signal set-up.
#include "platform/signals.h"

#include <csignal>

void installSignalHandling(void (*handler)(int)) {
  struct sigaction ignore = {};
  ignore.sa_handler = SIG_IGN;
  sigemptyset(&ignore.sa_mask);
  sigaction(SIGINT, &ignore, nullptr);

  struct sigaction terminate = {};
  terminate.sa_handler = handler;
  sigemptyset(&terminate.sa_mask);
  terminate.sa_flags = SA_RESETHAND;  // no SA_RESTART: a blocked read returns and is repeated
  sigaction(SIGTERM, &terminate, nullptr);
}
