// The Windows side of the platform layer, checked where it runs (Windows, or wine): the input
// test for a pipe and a console, the raw read, the tick, the binary streams and files, and the
// console's control events. Prints one line per check (to the file named by its argument, if
// any) and ends with status 1 if any failed.
#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <csignal>
#include <cstdio>
#include <cstring>
#include <string>

#include "config/settings.h"
#include "platform/clock.h"
#include "platform/console.h"
#include "platform/signals.h"

namespace {

int failures = 0;
FILE* report = stdout;  // or the file named on the command line (a console would redraw it)

void check(bool passed, const char* what) {
  std::fprintf(report, "%s: %s\n", passed ? "ok" : "FAILED", what);
  std::fflush(report);
  if (!passed) ++failures;
}

bool writeBytes(int descriptor, const std::string& bytes) {
  return _write(descriptor, bytes.data(), static_cast<unsigned>(bytes.size())) == static_cast<int>(bytes.size());
}

std::string readFileBytes(const char* name) {
  std::string bytes;
  if (FILE* file = std::fopen(name, "rb")) {
    char chunk[512];
    size_t count;
    while ((count = std::fread(chunk, 1, sizeof chunk, file)) > 0) bytes.append(chunk, count);
    std::fclose(file);
  }
  return bytes;
}

// Standard input is an anonymous pipe: empty, then holding bytes, then closed by its writer.
void checkPipe() {
  const int savedInput = _dup(0);
  int ends[2];
  if (_pipe(ends, 4096, _O_BINARY) != 0 || _dup2(ends[0], 0) != 0) {
    check(false, "pipe: standard input replaced by a pipe");
    return;
  }
  _close(ends[0]);
  char bytes[64] = {};
  check(inputWaiting() == 0, "pipe: nothing waiting in an empty pipe");
  writeBytes(ends[1], "go\n");
  check(inputWaiting() != 0, "pipe: a line is waiting");
  check(readStandardInput(bytes, sizeof bytes) == 3, "pipe: the line is read whole");
  check(inputWaiting() == 0, "pipe: nothing waiting once it is read");
  writeBytes(ends[1], "e2e4\r\n\x1a" "d7d5\n");
  const int count = readStandardInput(bytes, sizeof bytes);
  check(count == 12 && std::memcmp(bytes, "e2e4\r\n\x1a" "d7d5\n", 12) == 0,
        "pipe: carriage return and Ctrl-Z bytes pass unchanged");
  _close(ends[1]);
  check(inputWaiting() != 0, "pipe: a closed pipe reads as waiting");
  check(readStandardInput(bytes, sizeof bytes) == 0, "pipe: the read meets the end of input");
  _dup2(savedInput, 0);
  _close(savedInput);
}

void checkClock() {
  check(tickCount() < 60u * 1000u, "clock: the tick counts from the program's start");
  const uint32_t start = tickCount();
  Sleep(50);
  const uint32_t passed = tickCount() - start;
  check(passed >= 40 && passed < 5000, "clock: 50 ms of sleep read as 50 ms");
  check(calendarSeconds() > 1600000000L, "clock: the calendar time");
}

// Both standard streams are in binary mode before main: setting it again reports binary.
void checkStreams() {
  check(_setmode(0, _O_BINARY) == _O_BINARY, "streams: standard input is binary");
  check(_setmode(1, _O_BINARY) == _O_BINARY, "streams: standard output is binary");
}

// The ini file is written with "\n" line ends, and a file saved with "\r\n" ones still reads.
void checkConfigFile() {
  char folder[MAX_PATH];
  GetTempPathA(sizeof folder, folder);
  std::strncat(folder, "vostrel-platform-check", sizeof folder - std::strlen(folder) - 1);
  CreateDirectoryA(folder, nullptr);
  char previous[MAX_PATH];
  GetCurrentDirectoryA(sizeof previous, previous);
  SetCurrentDirectoryA(folder);

  DeleteFileA(CONFIG_FILE_NAME);
  check(writeDefaultConfigFile() == 1, "files: the default ini is written");
  const std::string written = readFileBytes(CONFIG_FILE_NAME);
  check(written.size() == 599 && written.find('\r') == std::string::npos,
        "files: the default ini has its 599 bytes, no carriage return");

  std::string edited;
  for (char byte : written) edited += byte == '\n' ? std::string("\r\n") : std::string(1, byte);
  edited.replace(edited.find("=16"), 3, "=24");
  if (FILE* file = std::fopen(CONFIG_FILE_NAME, "wb")) {
    std::fwrite(edited.data(), 1, edited.size(), file);
    std::fclose(file);
  }
  EngineSettings = {};
  check(readConfigFile() == 1 && EngineSettings.hashMegabytes == 24, "files: an ini with \"\\r\\n\" lines reads");
  DeleteFileA(CONFIG_FILE_NAME);
  SetCurrentDirectoryA(previous);
  RemoveDirectoryA(folder);
}

INPUT_RECORD focusEvent() {
  INPUT_RECORD event{};
  event.EventType = FOCUS_EVENT;
  event.Event.FocusEvent.bSetFocus = TRUE;
  return event;
}

INPUT_RECORD keyEvent(bool down, char character, WORD key) {
  INPUT_RECORD event{};
  event.EventType = KEY_EVENT;
  event.Event.KeyEvent.bKeyDown = down;
  event.Event.KeyEvent.wRepeatCount = 1;
  event.Event.KeyEvent.wVirtualKeyCode = key;
  event.Event.KeyEvent.uChar.AsciiChar = character;
  return event;
}

void queue(HANDLE console, const INPUT_RECORD* events, DWORD count) {
  DWORD written = 0;
  WriteConsoleInputA(console, events, count, &written);
}

HANDLE openConsoleInput() {
  return CreateFileA("CONIN$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                     OPEN_EXISTING, 0, nullptr);
}

// Standard input is a console: only a typed key counts as waiting input.
bool checkConsole() {
  HANDLE console = openConsoleInput();
  if (console == INVALID_HANDLE_VALUE) {
    const bool made = AllocConsole();
    console = openConsoleInput();
    if (console == INVALID_HANDLE_VALUE) {
      std::fprintf(report, "skipped: console checks (no console: AllocConsole %s, error %lu)\n",
                   made ? "succeeded" : "failed", GetLastError());
      return false;
    }
  }
  const int descriptor = console == INVALID_HANDLE_VALUE ? -1 : _open_osfhandle(reinterpret_cast<intptr_t>(console), 0);
  const int savedInput = _dup(0);
  if (descriptor < 0 || _dup2(descriptor, 0) != 0) {
    std::fprintf(report, "skipped: console checks (the console input could not be opened)\n");
    return false;
  }
  const INPUT_RECORD early[] = {keyEvent(true, 'x', 'X'), keyEvent(false, 'x', 'X')};
  queue(console, early, 2);
  check(inputWaiting() == 0, "console: keys typed before the first look are discarded");
  DWORD mode = 0;
  GetConsoleMode(console, &mode);
  check((mode & (ENABLE_WINDOW_INPUT | ENABLE_MOUSE_INPUT)) == 0, "console: window and mouse events are off");

  const INPUT_RECORD noKeys[] = {focusEvent(), focusEvent(), keyEvent(true, 0, VK_SHIFT), keyEvent(false, 'a', 'A')};
  queue(console, noKeys, 4);
  check(inputWaiting() == 0, "console: focus events, a shift key and a key release are no input");
  DWORD left = 99;
  GetNumberOfConsoleInputEvents(console, &left);
  check(left == 0, "console: those events are read away");

  const INPUT_RECORD typed[] = {focusEvent(), keyEvent(true, 'a', 'A')};
  queue(console, typed, 2);
  check(inputWaiting() != 0, "console: a typed key behind a focus event is waiting");
  check(inputWaiting() != 0, "console: and stays waiting until it is read");
  FlushConsoleInputBuffer(console);

  _dup2(savedInput, 0);
  _close(savedInput);
  _close(descriptor);
  return true;
}

volatile LONG terminationCalls = 0;
volatile LONG terminationSignal = 0;
volatile LONG eventsSeen = 0;

void recordTermination(int signalNumber) {
  InterlockedIncrement(&terminationCalls);
  InterlockedExchange(&terminationSignal, signalNumber);
}

// Installed after the engine's handler, so called before it: counts the events that arrive and
// passes them on.
BOOL WINAPI countEvent(DWORD) {
  InterlockedIncrement(&eventsSeen);
  return FALSE;
}

bool waitForEvents(LONG count) {
  for (int wait = 0; wait < 50 && eventsSeen < count; ++wait) Sleep(100);
  Sleep(200);  // the engine's handler runs after the counter
  return eventsSeen >= count;
}

// Ctrl-C is ignored; the first Ctrl-Break goes to the termination handler and is swallowed.
// (A second one would end this process, so it is not sent.)
void checkControlEvents() {
  installSignalHandling(recordTermination);
  SetConsoleCtrlHandler(countEvent, TRUE);
  if (!GenerateConsoleCtrlEvent(CTRL_C_EVENT, 0) || !waitForEvents(1)) {
    std::fprintf(report, "skipped: control events (this console does not deliver them)\n");
    return;
  }
  check(terminationCalls == 0, "events: Ctrl-C is ignored");
  if (!GenerateConsoleCtrlEvent(CTRL_BREAK_EVENT, 0) || !waitForEvents(2)) {
    std::fprintf(report, "skipped: Ctrl-Break (this console does not deliver it)\n");
    return;
  }
  check(terminationCalls == 1 && terminationSignal == SIGTERM, "events: Ctrl-Break reaches the termination handler once");
}

}  // namespace

int main(int argc, char** argv) {
  if (argc > 1 && (report = std::fopen(argv[1], "w")) == nullptr) return 2;
  checkStreams();
  checkClock();
  checkPipe();
  checkConfigFile();
  if (checkConsole()) checkControlEvents();
  std::fprintf(report, "%s\n", failures == 0 ? "all platform checks passed" : "platform checks FAILED");
  return failures == 0 ? 0 : 1;
}
