// The reporter in use, and the classic dialect's reporter: the thinking line and "N. ... MOVE"
// of the move notation, and the result, "resign" and "offer draw" lines as they are.
#include "game/thinkreport.h"

#include "game/notation.h"
#include "platform/output.h"

namespace {

class ClassicReporter final : public ThinkReporter {
 public:
  void thinking(int score, const uint16_t* pv, int kind) override { printThinking(score, pv, kind); }
  void moveChosen(const Move& move) override { printEngineMove(move.to); }
  void gameResult(const char* line) override { sendLine("%s", line); }
  void resign() override { sendLine("resign\n"); }
  void offerDraw() override { sendLine("offer draw\n"); }
};

ClassicReporter classicReporter;
ThinkReporter* activeReporter = &classicReporter;

}  // namespace

ThinkReporter& thinkReporter() { return *activeReporter; }

void setThinkReporter(ThinkReporter* reporter) { activeReporter = reporter != nullptr ? reporter : &classicReporter; }
