// The interpreter's flags (start values are set by start-up and newGame).
#include "shell/protocol.h"

ProtocolData ProtocolState;
