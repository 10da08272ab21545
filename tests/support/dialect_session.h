// Helpers for transcript tests of the newer dialects: the engine in a temporary folder, lines sent
// and awaited with timing, and the legality of an announced move on a board kept in this process.
#pragma once

#include <chrono>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "support/engine_process.h"

namespace vostrel_test {

class DialectSession {
 public:
  explicit DialectSession(const IniOptions& options = {});
  ~DialectSession();

  EngineProcess& engine() { return *engine_; }
  const TempDir& dir() const { return dir_; }

  void send(const std::string& line);
  // The next line that starts with `prefix`; every line read on the way is kept in `transcript`.
  std::optional<std::string> waitFor(const std::string& prefix, double timeoutSeconds = DEFAULT_TIMEOUT_SECONDS);
  // Lines read until one starts with `prefix` (that one included, last).
  std::vector<std::string> readUntil(const std::string& prefix, double timeoutSeconds = DEFAULT_TIMEOUT_SECONDS);
  // Sends "quit" and expects a clean end within `limitSeconds`; returns the seconds it took.
  double quitAndExpectCleanEnd(double limitSeconds = DEFAULT_TIMEOUT_SECONDS);
  // Closes the engine's input instead.
  double closeInputAndExpectCleanEnd(double limitSeconds = DEFAULT_TIMEOUT_SECONDS);

  // Every line read so far.
  const std::vector<std::string>& transcript() const { return transcript_; }

 private:
  TempDir dir_;
  std::unique_ptr<EngineProcess> engine_;
  std::vector<std::string> transcript_;
  bool ended_ = false;
  double expectCleanEnd(double limitSeconds);
};

double secondsSince(std::chrono::steady_clock::time_point start);

// True when `move` (coordinate text) is legal after the moves from the FEN ("startpos" for the
// initial position).
bool isLegalAfter(const std::string& fen, const std::vector<std::string>& moves, const std::string& move);

// The word after `key` in a line of words ("" if none).
std::string wordAfter(const std::string& line, const std::string& key);

}  // namespace vostrel_test
