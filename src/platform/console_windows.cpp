// Standard input on Windows: the same two routines as the POSIX build, for the two kinds of
// standard input an engine meets there, a pipe from the interface and a console window where a
// person types.
//
//   - Pipe (and anything else that is not a console): PeekNamedPipe tells how many bytes wait.
//     A failed peek counts as waiting, so that the read which follows meets the end of input: a
//     pipe whose writer has gone, a file, the NUL device, or no standard input at all.
//   - A pipe that cannot be peeked at all (under wine, the pipe of an interface running on the
//     host system answers "not supported"): counting it as waiting would stop every search the
//     moment it starts, so a reader thread takes its bytes as they come, and the test and the
//     read look at what the thread holds. Nothing else in the engine sees the thread.
//   - Console: only a key pressed with a character counts. Focus and menu events cannot be
//     switched off and would otherwise read as input for ever, stopping every search at once.
//     Window-size and mouse events are switched off and the events queued before the first look
//     are discarded.
//
// Both standard streams carry bytes unchanged (binary mode): the input keeps its carriage
// returns, which the line reader turns into blanks as it does for any interface, and a Ctrl-Z
// byte is not taken for the end of input; the output ends its lines with "\n" exactly as the
// POSIX build does, which Windows interfaces and the console accept.
#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <cstdint>
#include <cstring>

#include "platform/console.h"

namespace {

constexpr int STANDARD_INPUT = 0;
constexpr int STANDARD_OUTPUT = 1;
constexpr DWORD WINDOW_AND_MOUSE_EVENTS = ENABLE_WINDOW_INPUT | ENABLE_MOUSE_INPUT;
constexpr DWORD EVENTS_LOOKED_AT = 64;

// Set before main runs, so that no byte passes either stream in text mode.
bool setBinaryStandardStreams() {
  const bool input = _setmode(STANDARD_INPUT, _O_BINARY) != -1;
  const bool output = _setmode(STANDARD_OUTPUT, _O_BINARY) != -1;
  return input && output;
}
[[maybe_unused]] const bool binaryStreams = setBinaryStandardStreams();

bool consolePrepared = false;

// The first look at a console: no window-size or mouse events, nothing left from before.
void prepareConsole(HANDLE console, DWORD mode) {
  SetConsoleMode(console, mode & ~WINDOW_AND_MOUSE_EVENTS);
  FlushConsoleInputBuffer(console);
  consolePrepared = true;
}

bool isTypedKey(const INPUT_RECORD& event) {
  return event.EventType == KEY_EVENT && event.Event.KeyEvent.bKeyDown && event.Event.KeyEvent.uChar.AsciiChar != 0;
}

// A typed key among the oldest events waits to be read. When none of them is one (focus and
// menu events, key releases, shift keys) they are read away, so that they cannot pile up in
// front of the keys typed later; the line read would skip them anyway.
unsigned consoleKeyWaiting(HANDLE console) {
  INPUT_RECORD events[EVENTS_LOOKED_AT];
  DWORD count = 0;
  if (!PeekConsoleInputA(console, events, EVENTS_LOOKED_AT, &count)) return 1;
  for (DWORD i = 0; i < count; ++i)
    if (isTypedKey(events[i])) return 1;
  if (count > 0) ReadConsoleInputA(console, events, count, &count);
  return 0;
}

// ---- The reader thread for a pipe that cannot be peeked ----

constexpr DWORD READ_CHUNK = 512;
constexpr size_t HELD_BYTES = 65536;  // beyond this the thread waits and the pipe fills up

struct PipeReader {
  HANDLE pipe = nullptr;  // the pipe the thread reads; nullptr while there is no thread
  CRITICAL_SECTION lock;
  CONDITION_VARIABLE changed;  // bytes came, bytes were taken, or the input ended
  char held[HELD_BYTES];
  size_t count = 0;
  bool ended = false;
};
PipeReader reader;

DWORD WINAPI readPipe(void*) {
  char chunk[READ_CHUNK];
  for (;;) {
    DWORD got = 0;
    const bool read = ReadFile(reader.pipe, chunk, READ_CHUNK, &got, nullptr) && got > 0;
    EnterCriticalSection(&reader.lock);
    if (!read) {
      reader.ended = true;
      WakeAllConditionVariable(&reader.changed);
      LeaveCriticalSection(&reader.lock);
      return 0;
    }
    while (HELD_BYTES - reader.count < got) SleepConditionVariableCS(&reader.changed, &reader.lock, INFINITE);
    std::memcpy(reader.held + reader.count, chunk, got);
    reader.count += got;
    WakeAllConditionVariable(&reader.changed);
    LeaveCriticalSection(&reader.lock);
  }
}

// True when the thread runs (or has just been started) for this pipe.
bool readerServes(HANDLE pipe) {
  if (reader.pipe != nullptr) return reader.pipe == pipe;
  InitializeCriticalSection(&reader.lock);
  InitializeConditionVariable(&reader.changed);
  reader.pipe = pipe;
  const HANDLE thread = CreateThread(nullptr, 0, readPipe, nullptr, 0, nullptr);
  if (thread == nullptr) {
    reader.ended = true;  // nothing can be read from it then
    return true;
  }
  CloseHandle(thread);
  return true;
}

unsigned readerWaiting() {
  EnterCriticalSection(&reader.lock);
  const bool waiting = reader.count > 0 || reader.ended;
  LeaveCriticalSection(&reader.lock);
  return waiting ? 1 : 0;
}

// Blocks until the thread holds bytes or the input has ended; 0 at the end.
int takeFromReader(char* buffer, int size) {
  EnterCriticalSection(&reader.lock);
  while (reader.count == 0 && !reader.ended) SleepConditionVariableCS(&reader.changed, &reader.lock, INFINITE);
  const size_t taken = reader.count < static_cast<size_t>(size) ? reader.count : static_cast<size_t>(size);
  std::memcpy(buffer, reader.held, taken);
  std::memmove(reader.held, reader.held + taken, reader.count - taken);
  reader.count -= taken;
  WakeAllConditionVariable(&reader.changed);
  LeaveCriticalSection(&reader.lock);
  return static_cast<int>(taken);
}

HANDLE standardInput() { return reinterpret_cast<HANDLE>(_get_osfhandle(STANDARD_INPUT)); }

unsigned pipeBytesWaiting(HANDLE pipe) {
  DWORD available = 0;
  if (PeekNamedPipe(pipe, nullptr, 0, nullptr, &available, nullptr)) return available > 0 ? 1 : 0;
  if (GetLastError() == ERROR_NOT_SUPPORTED && GetFileType(pipe) == FILE_TYPE_PIPE && readerServes(pipe))
    return readerWaiting();
  return 1;
}

const InputSource* installedSource = nullptr;

}  // namespace

void setInputSource(const InputSource* source) { installedSource = source; }

// The handle is looked up on every call: the bench puts a pipe in place of standard input for a
// while, and the answer must follow it.
unsigned inputWaiting() {
  if (installedSource != nullptr) return installedSource->waiting();
  const HANDLE input = standardInput();
  if (input == INVALID_HANDLE_VALUE || input == nullptr) return 1;
  if (reader.pipe != nullptr && reader.pipe == input) return readerWaiting();
  DWORD mode = 0;
  if (!GetConsoleMode(input, &mode)) return pipeBytesWaiting(input);
  if (!consolePrepared) prepareConsole(input, mode);
  return consoleKeyWaiting(input);
}

int readStandardInput(char* buffer, int size) {
  if (installedSource != nullptr) return installedSource->read(buffer, size);
  if (reader.pipe != nullptr && reader.pipe == standardInput()) return takeFromReader(buffer, size);
  const int count = _read(STANDARD_INPUT, buffer, static_cast<unsigned>(size));
  return count < 0 ? -1 : count;
}

#endif  // _WIN32
