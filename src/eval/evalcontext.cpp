// The evaluation's view of the think under way: one global record, set by the think driver.
#include "eval/evalcontext.h"

EvalContextData EvalContext;
