// The one funnel for lines to the interface: printf-style, flushed at once.
#pragma once

void sendLine(const char* format, ...) __attribute__((format(printf, 1, 2)));
