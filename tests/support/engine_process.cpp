// Child-process plumbing for protocol tests (POSIX: fork/exec, pipes, poll, pidfd).
#include "support/engine_process.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace vostrel_test {

namespace {

using Clock = std::chrono::steady_clock;

constexpr int READ_BLOCK = 4096;
constexpr int REAP_POLL_MS = 2;  // fallback nap while waiting for an exit without a pidfd

Clock::time_point deadlineAfter(double seconds) {
  return Clock::now() + std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(seconds));
}

int msUntil(Clock::time_point deadline) {
  const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
  return left < 0 ? 0 : static_cast<int>(left);
}

void closeFd(int& fd) {
  if (fd >= 0) ::close(fd);
  fd = -1;
}

// Writing to a child that has ended must fail with EPIPE, not kill the test process.
void ignoreBrokenPipes() {
  static const bool done = [] {
    std::signal(SIGPIPE, SIG_IGN);
    return true;
  }();
  (void)done;
}

int openPidFd(pid_t pid) {
#ifdef SYS_pidfd_open
  return static_cast<int>(::syscall(SYS_pidfd_open, pid, 0));
#else
  (void)pid;
  return -1;
#endif
}

std::string readWholeFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw std::runtime_error("cannot read " + path);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

// Replaces the text after the "=" of line `index` (0-based).
void setIniValue(std::vector<std::string>& lines, size_t index, const std::string& value) {
  const size_t equals = lines.at(index).find('=');
  lines[index] = lines[index].substr(0, equals + 1) + value;
}

}  // namespace

// ---- TempDir ----

TempDir::TempDir() {
  std::string pattern = (std::filesystem::temp_directory_path() / "vostrel-test-XXXXXX").string();
  if (::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
  path_ = pattern;
}

TempDir::~TempDir() {
  std::error_code ignored;
  std::filesystem::remove_all(path_, ignored);
}

void TempDir::writeFile(const std::string& name, const std::string& bytes) const {
  std::ofstream out(filePath(name), std::ios::binary | std::ios::trunc);
  out << bytes;
  if (!out) throw std::runtime_error("cannot write " + filePath(name));
}

std::optional<std::string> TempDir::readFile(const std::string& name) const {
  if (!exists(name)) return std::nullopt;
  return readWholeFile(filePath(name));
}

bool TempDir::exists(const std::string& name) const { return std::filesystem::exists(filePath(name)); }

std::vector<std::string> TempDir::fileNames() const {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(path_)) {
    names.push_back(entry.path().filename().string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

// ---- vostrel.ini ----

std::string makeIniText(const IniOptions& options) {
  std::vector<std::string> lines = splitLines(readWholeFile(std::string(VOSTREL_SOURCE_DIR) + "/data/vostrel.ini"));
  setIniValue(lines, 0, std::to_string(options.hashMegabytes));
  setIniValue(lines, 5, options.book ? "ON" : "OFF");
  setIniValue(lines, 6, options.learning ? "ON" : "OFF");
  setIniValue(lines, 7, options.log ? "ON" : "OFF");
  std::string text;
  for (const std::string& line : lines) text += line + "\n";
  return text;
}

void writeIni(const TempDir& dir, const IniOptions& options) { dir.writeFile("vostrel.ini", makeIniText(options)); }

// ---- EngineProcess ----

EngineProcess::EngineProcess(const std::string& workDir, const std::vector<std::string>& args) {
  ignoreBrokenPipes();
  int in[2], out[2], err[2];
  if (::pipe2(in, O_CLOEXEC) != 0 || ::pipe2(out, O_CLOEXEC) != 0 || ::pipe2(err, O_CLOEXEC) != 0) {
    throw std::runtime_error("pipe2 failed");
  }
  std::vector<std::string> argvText = {VOSTREL_BINARY};
  argvText.insert(argvText.end(), args.begin(), args.end());
  std::vector<char*> argv;
  for (std::string& arg : argvText) argv.push_back(arg.data());
  argv.push_back(nullptr);

  pid_ = ::fork();
  if (pid_ < 0) throw std::runtime_error("fork failed");
  if (pid_ == 0) {
    // Child: only async-signal-safe calls until exec.
    if (::chdir(workDir.c_str()) != 0) ::_exit(127);
    ::dup2(in[0], STDIN_FILENO);
    ::dup2(out[1], STDOUT_FILENO);
    ::dup2(err[1], STDERR_FILENO);
    ::execv(argv[0], argv.data());
    ::_exit(127);
  }
  ::close(in[0]);
  ::close(out[1]);
  ::close(err[1]);
  stdinFd_ = in[1];
  stdoutFd_ = out[0];
  stderrFd_ = err[0];
  ::fcntl(stdinFd_, F_SETFL, ::fcntl(stdinFd_, F_GETFL) | O_NONBLOCK);
}

EngineProcess::~EngineProcess() {
  closeFd(stdinFd_);
  if (!reaped_ && pid_ > 0) {
    ::kill(pid_, SIGKILL);
    reap(true);
  }
  closeFd(stdoutFd_);
  closeFd(stderrFd_);
}

int EngineProcess::pumpOutput(int timeoutMs) {
  pollfd fds[2];
  int count = 0;
  if (stdoutFd_ >= 0) fds[count++] = {stdoutFd_, POLLIN, 0};
  if (stderrFd_ >= 0) fds[count++] = {stderrFd_, POLLIN, 0};
  if (count == 0) return -1;
  const int ready = ::poll(fds, count, timeoutMs);
  if (ready <= 0) return 0;
  char block[READ_BLOCK];
  for (int i = 0; i < count; ++i) {
    if (fds[i].revents == 0) continue;
    const bool isStdout = fds[i].fd == stdoutFd_;
    const ssize_t got = ::read(fds[i].fd, block, sizeof block);
    if (got > 0) {
      (isStdout ? stdout_ : stderr_).append(block, static_cast<size_t>(got));
    } else if (got == 0 || errno != EINTR) {
      closeFd(isStdout ? stdoutFd_ : stderrFd_);
    }
  }
  return ready;
}

bool EngineProcess::writeRaw(const std::string& bytes, double timeoutSeconds) {
  const auto deadline = deadlineAfter(timeoutSeconds);
  size_t done = 0;
  while (done < bytes.size()) {
    if (stdinFd_ < 0) return false;
    pollfd fds[3];
    int count = 0;
    fds[count++] = {stdinFd_, POLLOUT, 0};
    if (stdoutFd_ >= 0) fds[count++] = {stdoutFd_, POLLIN, 0};
    if (stderrFd_ >= 0) fds[count++] = {stderrFd_, POLLIN, 0};
    const int left = msUntil(deadline);
    if (left == 0) return false;
    if (::poll(fds, count, left) < 0 && errno != EINTR) return false;
    if (fds[0].revents & (POLLERR | POLLHUP)) return false;
    if (fds[0].revents & POLLOUT) {
      const ssize_t put = ::write(stdinFd_, bytes.data() + done, bytes.size() - done);
      if (put > 0) {
        done += static_cast<size_t>(put);
      } else if (put < 0 && errno != EAGAIN && errno != EINTR) {
        return false;
      }
    }
    // Drain the child's output so that it never blocks on a full pipe while we write.
    if (count > 1) pumpOutput(0);
  }
  return true;
}

bool EngineProcess::writeLine(const std::string& line) { return writeRaw(line + "\n"); }

void EngineProcess::closeInput() { closeFd(stdinFd_); }

std::optional<std::string> EngineProcess::readLine(double timeoutSeconds) {
  const auto deadline = deadlineAfter(timeoutSeconds);
  for (;;) {
    const size_t end = stdout_.find('\n');
    if (end != std::string::npos) {
      std::string line = stdout_.substr(0, end);
      stdout_.erase(0, end + 1);
      return line;
    }
    if (stdoutFd_ < 0) return std::nullopt;
    const int left = msUntil(deadline);
    if (left == 0) return std::nullopt;
    pumpOutput(left);
  }
}

std::optional<std::string> EngineProcess::waitForLine(const std::function<bool(const std::string&)>& accept,
                                                      double timeoutSeconds, std::vector<std::string>* skipped) {
  const auto deadline = deadlineAfter(timeoutSeconds);
  for (;;) {
    const int left = msUntil(deadline);
    if (left == 0) return std::nullopt;
    std::optional<std::string> line = readLine(left / 1000.0);
    if (!line) return std::nullopt;
    if (accept(*line)) return line;
    if (skipped != nullptr) skipped->push_back(*line);
  }
}

std::optional<std::string> EngineProcess::waitForLineStartingWith(const std::string& prefix, double timeoutSeconds) {
  return waitForLine([&](const std::string& line) { return line.rfind(prefix, 0) == 0; }, timeoutSeconds);
}

std::string EngineProcess::readToEnd(double timeoutSeconds) {
  const auto deadline = deadlineAfter(timeoutSeconds);
  while (stdoutFd_ >= 0) {
    const int left = msUntil(deadline);
    if (left == 0) break;
    pumpOutput(left);
  }
  std::string all;
  all.swap(stdout_);
  return all;
}

void EngineProcess::reap(bool block) {
  if (reaped_ || pid_ <= 0) return;
  int status = 0;
  pid_t done;
  do {
    done = ::waitpid(pid_, &status, block ? 0 : WNOHANG);
  } while (done < 0 && errno == EINTR);
  if (done == pid_) {
    reaped_ = true;
    waitStatus_ = status;
  }
}

ExitResult EngineProcess::waitForExit(double timeoutSeconds) {
  const auto deadline = deadlineAfter(timeoutSeconds);
  ExitResult result;
  const int pidFd = reaped_ ? -1 : openPidFd(pid_);
  while (!reaped_) {
    reap(false);
    if (reaped_) break;
    const int left = msUntil(deadline);
    if (left == 0) {
      result.timedOut = true;
      ::kill(pid_, SIGKILL);
      reap(true);
      break;
    }
    if (pidFd >= 0) {
      pollfd fds[3];
      int count = 0;
      fds[count++] = {pidFd, POLLIN, 0};
      if (stdoutFd_ >= 0) fds[count++] = {stdoutFd_, POLLIN, 0};
      if (stderrFd_ >= 0) fds[count++] = {stderrFd_, POLLIN, 0};
      ::poll(fds, count, left);
      pumpOutput(0);
    } else {
      // No pidfd: drain output, napping briefly between exit checks.
      pumpOutput(left < REAP_POLL_MS ? left : REAP_POLL_MS);
    }
  }
  if (pidFd >= 0) ::close(pidFd);
  // Whatever the child wrote before it ended is still in the pipes, up to their end.
  while (pumpOutput(result.timedOut ? 0 : msUntil(deadline)) > 0) {
  }
  if (WIFEXITED(waitStatus_)) {
    result.exited = true;
    result.status = WEXITSTATUS(waitStatus_);
  } else if (WIFSIGNALED(waitStatus_)) {
    result.signal = WTERMSIG(waitStatus_);
  }
  return result;
}

void EngineProcess::sendSignal(int signalNumber) {
  if (!reaped_ && pid_ > 0) ::kill(pid_, signalNumber);
}

// ---- Helpers ----

EngineRun runEngine(const TempDir& dir, const std::vector<std::string>& args,
                    const std::vector<std::string>& inputLines, double timeoutSeconds) {
  EngineProcess engine(dir.path(), args);
  std::string input;
  for (const std::string& line : inputLines) input += line + "\n";
  engine.writeRaw(input, timeoutSeconds);
  engine.closeInput();
  EngineRun run;
  run.output = engine.readToEnd(timeoutSeconds);
  run.exit = engine.waitForExit(timeoutSeconds);
  run.errors = engine.stderrText();
  return run;
}

std::vector<std::string> splitLines(const std::string& text) {
  std::vector<std::string> lines;
  size_t start = 0;
  while (start < text.size()) {
    const size_t end = text.find('\n', start);
    if (end == std::string::npos) {
      lines.push_back(text.substr(start));
      break;
    }
    lines.push_back(text.substr(start, end - start));
    start = end + 1;
  }
  return lines;
}

}  // namespace vostrel_test
