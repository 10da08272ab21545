// Signal set-up: POSIX signals, or on Windows the console's control events that stand for them.
#include "platform/signals.h"

#include <csignal>

#ifdef _WIN32
#include <windows.h>

namespace {

void (*terminationHandler)(int) = nullptr;
volatile LONG terminationSeen = 0;

// Called on a thread of its own. Ctrl-C is ignored like the interrupt signal. Ctrl-Break, the
// event a parent can send to one process group, stands for the termination signal: the first is
// handed to the handler and swallowed, a second one ends the process. Closing the console window,
// logging off and shutting down cannot be refused (Windows ends the process once the handler
// returns), so they go to the handler once and then end the process at once.
BOOL WINAPI onConsoleEvent(DWORD event) {
  if (event == CTRL_C_EVENT) return TRUE;
  const bool first = InterlockedExchange(&terminationSeen, 1) == 0;
  if (first && terminationHandler != nullptr) terminationHandler(SIGTERM);
  return event == CTRL_BREAK_EVENT && first ? TRUE : FALSE;
}

}  // namespace

void installSignalHandling(void (*handler)(int)) {
  terminationHandler = handler;
  SetConsoleCtrlHandler(onConsoleEvent, TRUE);
}

#else

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

#endif
