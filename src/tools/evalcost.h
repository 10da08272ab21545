// `vostrel evalcost [CALLS]`: the time of one full evaluation on each bench position.
#pragma once

int runEvalCostCommand(int argc, char** argv);
