// Running the real engine binary for protocol tests: a temporary working folder with its own
// "vostrel.ini", a child process with pipes on stdin, stdout and stderr, line-wise reading with
// timeouts, and the exit status.
//
// Timeouts are safety nets only: every wait returns as soon as the awaited output or exit is
// there, so tests never sleep for a fixed time.
#pragma once

#include <sys/types.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace vostrel_test {

// Default safety-net timeout for one wait, in seconds.
constexpr double DEFAULT_TIMEOUT_SECONDS = 20.0;

// A fresh folder under the system's temporary directory, removed with its contents when the
// object goes out of scope.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::string& path() const { return path_; }
  std::string filePath(const std::string& name) const { return path_ + "/" + name; }
  void writeFile(const std::string& name, const std::string& bytes) const;
  // The file's bytes, or std::nullopt when it does not exist.
  std::optional<std::string> readFile(const std::string& name) const;
  bool exists(const std::string& name) const;
  // Names of the files in the folder, sorted.
  std::vector<std::string> fileNames() const;

 private:
  std::string path_;
};

// The switches of a test "vostrel.ini" (the default file with these values).
struct IniOptions {
  int hashMegabytes = 2;
  bool book = false;
  bool learning = false;
  bool log = false;
};

// The bytes of the default "vostrel.ini" (data/vostrel.ini) with the given values.
std::string makeIniText(const IniOptions& options = {});
// Writes "vostrel.ini" into the folder.
void writeIni(const TempDir& dir, const IniOptions& options = {});

// How a child process ended.
struct ExitResult {
  bool exited = false;    // ended through exit or a return from main
  int status = -1;        // exit status when `exited`
  int signal = 0;         // terminating signal otherwise
  bool timedOut = false;  // still running when the wait gave up (it has then been killed)
};

// The engine binary as a child process working in `workDir`.
class EngineProcess {
 public:
  explicit EngineProcess(const std::string& workDir, const std::vector<std::string>& args = {});
  ~EngineProcess();  // kills the child if it still runs
  EngineProcess(const EngineProcess&) = delete;
  EngineProcess& operator=(const EngineProcess&) = delete;

  pid_t pid() const { return pid_; }

  // Writes `line` and a line feed; false when the child no longer reads.
  bool writeLine(const std::string& line);
  // Writes the bytes as they are; output is drained meanwhile, so large inputs cannot deadlock.
  bool writeRaw(const std::string& bytes, double timeoutSeconds = DEFAULT_TIMEOUT_SECONDS);
  // Closes the child's standard input: it then meets the end of input.
  void closeInput();

  // The next output line without its line feed; std::nullopt at the end of output or on timeout.
  std::optional<std::string> readLine(double timeoutSeconds = DEFAULT_TIMEOUT_SECONDS);
  // Reads lines until one satisfies `accept` and returns it; lines read before it are kept in
  // `skipped` when given.
  std::optional<std::string> waitForLine(const std::function<bool(const std::string&)>& accept,
                                         double timeoutSeconds = DEFAULT_TIMEOUT_SECONDS,
                                         std::vector<std::string>* skipped = nullptr);
  std::optional<std::string> waitForLineStartingWith(const std::string& prefix,
                                                     double timeoutSeconds = DEFAULT_TIMEOUT_SECONDS);
  // Everything still to come on stdout up to its end (a last line without line feed included).
  std::string readToEnd(double timeoutSeconds = DEFAULT_TIMEOUT_SECONDS);

  // Waits for the child to end (draining its output meanwhile). On timeout it is killed.
  ExitResult waitForExit(double timeoutSeconds = DEFAULT_TIMEOUT_SECONDS);
  // Sends a signal to the child.
  void sendSignal(int signalNumber);

  // What the child wrote to stderr so far (sanitizer reports land here).
  const std::string& stderrText() const { return stderr_; }

 private:
  // Moves waiting output into the buffers, waiting at most `timeoutMs` for any. Returns the number
  // of pipes that had something (data or their end), 0 on timeout, -1 when both have ended.
  int pumpOutput(int timeoutMs);
  void reap(bool block);

  pid_t pid_ = -1;
  int stdinFd_ = -1;
  int stdoutFd_ = -1;
  int stderrFd_ = -1;
  std::string stdout_;
  std::string stderr_;
  bool reaped_ = false;
  int waitStatus_ = 0;
};

// One complete run: start the binary in `dir`, write the lines, close its input, collect all of
// stdout and the exit status.
struct EngineRun {
  std::string output;
  std::string errors;
  ExitResult exit;
};
EngineRun runEngine(const TempDir& dir, const std::vector<std::string>& args,
                    const std::vector<std::string>& inputLines,
                    double timeoutSeconds = DEFAULT_TIMEOUT_SECONDS);

// Splits text into its lines (without line feeds; a last piece without line feed counts too).
std::vector<std::string> splitLines(const std::string& text);

}  // namespace vostrel_test
