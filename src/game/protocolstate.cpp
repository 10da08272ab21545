// The interpreter's flags (start values are set by start-up and newGame).
#include "game/protocolstate.h"

ProtocolData ProtocolState;
