// Transcript sessions for the newer dialects.
#include "support/dialect_session.h"

#include <gtest/gtest.h>

#include <sstream>

#include "board/board.h"
#include "game/notation.h"
#include "shell/dialect.h"
#include "support/board_fixture.h"

namespace vostrel_test {

DialectSession::DialectSession(const IniOptions& options) {
  writeIni(dir_, options);
  engine_ = std::make_unique<EngineProcess>(dir_.path());
}

DialectSession::~DialectSession() {
  if (!ended_) {
    engine_->writeLine("quit");
    engine_->waitForExit();
  }
}

void DialectSession::send(const std::string& line) { ASSERT_TRUE(engine_->writeLine(line)) << line; }

std::optional<std::string> DialectSession::waitFor(const std::string& prefix, double timeoutSeconds) {
  const auto accept = [this, &prefix](const std::string& line) {
    transcript_.push_back(line);
    return line.rfind(prefix, 0) == 0;
  };
  return engine_->waitForLine(accept, timeoutSeconds);
}

std::vector<std::string> DialectSession::readUntil(const std::string& prefix, double timeoutSeconds) {
  const size_t start = transcript_.size();
  waitFor(prefix, timeoutSeconds);
  return std::vector<std::string>(transcript_.begin() + static_cast<long>(start), transcript_.end());
}

double DialectSession::quitAndExpectCleanEnd(double limitSeconds) {
  engine_->writeLine("quit");
  return expectCleanEnd(limitSeconds);
}

double DialectSession::closeInputAndExpectCleanEnd(double limitSeconds) {
  engine_->closeInput();
  return expectCleanEnd(limitSeconds);
}

double DialectSession::expectCleanEnd(double limitSeconds) {
  const auto start = std::chrono::steady_clock::now();
  const ExitResult exit = engine_->waitForExit(limitSeconds);
  const double seconds = secondsSince(start);
  ended_ = true;
  EXPECT_TRUE(exit.exited && exit.status == 0) << "signal " << exit.signal << (exit.timedOut ? " (timed out)" : "");
  EXPECT_EQ(engine_->stderrText(), "");
  return seconds;
}

double secondsSince(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

bool isLegalAfter(const std::string& fen, const std::vector<std::string>& moves, const std::string& move) {
  if (fen == "startpos") {
    setUpInitialPosition();
  } else if (!setUpPosition(fen)) {
    return false;
  }
  for (const std::string& played : moves) {
    std::string text = played;
    if (!enterMove(text.data())) return false;
    Board.sideToMove ^= 1;
  }
  return namesLegalMove(move.c_str());
}

std::string wordAfter(const std::string& line, const std::string& key) {
  std::istringstream words(line);
  std::string word;
  while (words >> word) {
    if (word == key) return words >> word ? word : "";
  }
  return "";
}

}  // namespace vostrel_test
