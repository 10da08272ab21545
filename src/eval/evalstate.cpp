// The evaluation's working data: one global record, overwritten by every evaluation.
#include "eval/evalstate.h"

namespace {

// The game phase is unknown until the first evaluation after a new game.
EvalData makeInitialEvalState() {
  EvalData e{};
  e.gamePhase = PHASE_UNKNOWN;
  return e;
}

}  // namespace

EvalData EvalState = makeInitialEvalState();

void forgetGamePhase() { EvalState.gamePhase = -1; }
