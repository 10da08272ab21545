// The one funnel for lines to the interface.
#include "platform/output.h"

#include <cstdarg>
#include <cstdio>

// Writes a printf-style line to standard output and flushes it at once: the interface reads a
// pipe and must see each line as soon as it is complete.
void sendLine(const char* format, ...) {
  va_list arguments;
  va_start(arguments, format);
  std::vprintf(format, arguments);
  va_end(arguments);
  std::fflush(stdout);
}
