// Redirection of the standard streams with the descriptor calls, which the Windows runtime
// offers too (its pipe is made by _pipe and its null device is "NUL").
#include "platform/quietio.h"

#include <fcntl.h>
#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

#include <cstdio>

namespace {

#ifdef _WIN32
constexpr unsigned PIPE_BYTES = 4096;
constexpr const char* NULL_DEVICE = "NUL";
int makePipe(int ends[2]) { return _pipe(ends, PIPE_BYTES, _O_BINARY); }
#else
constexpr const char* NULL_DEVICE = "/dev/null";
int makePipe(int ends[2]) { return pipe(ends); }
#endif

constexpr int NO_DESCRIPTOR = -1;
constexpr int PIPE_READ = 0;
constexpr int PIPE_WRITE = 1;

struct SavedStreams {
  int input = NO_DESCRIPTOR;    // the original standard input while quiet
  int output = NO_DESCRIPTOR;   // the original standard output while quiet
  int pipeWrite = NO_DESCRIPTOR;  // kept open so that the empty pipe never reads as ended
};
SavedStreams saved;

void closeIfOpen(int& descriptor) {
  if (descriptor != NO_DESCRIPTOR) close(descriptor);
  descriptor = NO_DESCRIPTOR;
}

}  // namespace

int beginQuietIo() {
  if (saved.output != NO_DESCRIPTOR) return 1;
  std::fflush(stdout);
  int ends[2];
  if (makePipe(ends) != 0) return 0;
  const int nowhere = open(NULL_DEVICE, O_WRONLY);
  saved.input = dup(STDIN_FILENO);
  saved.output = dup(STDOUT_FILENO);
  const bool ready = nowhere != NO_DESCRIPTOR && saved.input != NO_DESCRIPTOR && saved.output != NO_DESCRIPTOR &&
                     dup2(ends[PIPE_READ], STDIN_FILENO) != NO_DESCRIPTOR &&
                     dup2(nowhere, STDOUT_FILENO) != NO_DESCRIPTOR;
  close(ends[PIPE_READ]);
  saved.pipeWrite = ends[PIPE_WRITE];
  if (nowhere != NO_DESCRIPTOR) close(nowhere);
  if (!ready) {
    endQuietIo();
    return 0;
  }
  return 1;
}

void endQuietIo() {
  std::fflush(stdout);
  if (saved.input != NO_DESCRIPTOR) dup2(saved.input, STDIN_FILENO);
  if (saved.output != NO_DESCRIPTOR) dup2(saved.output, STDOUT_FILENO);
  closeIfOpen(saved.input);
  closeIfOpen(saved.output);
  closeIfOpen(saved.pipeWrite);
}
