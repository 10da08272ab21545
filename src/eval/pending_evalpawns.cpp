// TEMPORARY STUBS (evalpawns): definitions owned by other engineers, here only so that the pawn
// terms link and test before their owners' files land. Remove when the real ones exist.
#include "eval/evalstate.h"
#include "eval/evaltables.h"

EvalData EvalState;
const int16_t pinWeightDefended[8] = {0, 2, 4, 4, 5, 7, 10, 0};
