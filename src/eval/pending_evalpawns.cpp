// TEMPORARY STUBS (evalpawns): definitions owned by other engineers, here only so that the pawn
// terms link and test before their owners' files land. Remove when the real ones exist.
#include "eval/evalstate.h"

EvalData EvalState;
