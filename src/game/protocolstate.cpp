// The interpreter's flags (start values are set by start-up and resetGameMarks).
#include "game/protocolstate.h"

ProtocolData ProtocolState;

void resetGameMarks() {
  ProtocolState.forceMode = 0;
  ProtocolState.quitRequested = 0;
  ProtocolState.gameOver = 0;
  ProtocolState.postThinking = 1;
  ProtocolState.bookAllowed = 1;
  ProtocolState.ponderMove = 0;
}
