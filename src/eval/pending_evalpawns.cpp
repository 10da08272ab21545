// TEMPORARY (evalpawns): a weak definition of the evaluation's record until the evaluation driver
// that owns it lands; the real definition replaces it.
#include "eval/evalstate.h"

__attribute__((weak)) EvalData EvalState;
