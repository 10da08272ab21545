// The evaluation's view of the think under way: one global record, set by the think driver.
#include "eval/evalcontext.h"

#include "board/types.h"

EvalContextData EvalContext;

void resetEvalContext() {
  EvalContext.rootSide = WHITE;
  EvalContext.searchDepth = 0;
}
