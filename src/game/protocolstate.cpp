// The interpreter's flags: one global record, changed only through the routines below.
#include "game/protocolstate.h"

ProtocolData ProtocolState;

void setStartupProtocolState() {
  ProtocolState.fritzMode = 0;
  ProtocolState.analyzing = 0;
  ProtocolState.randomMode = 0;
  ProtocolState.ponderEnabled = 1;
}

void clearProtocolState() { ProtocolState = ProtocolData{}; }

void resetGameMarks() {
  ProtocolState.forceMode = 0;
  ProtocolState.quitRequested = 0;
  ProtocolState.gameOver = 0;
  ProtocolState.postThinking = 1;
  ProtocolState.bookAllowed = 1;
  ProtocolState.ponderMove = 0;
}

void startGameFromPosition(bool bookAllowed) {
  setBookAllowed(bookAllowed);
  ProtocolState.gameOver = 0;
  ProtocolState.ponderMove = 0;
}

void startPlaying() {
  ProtocolState.forceMode = 0;
  ProtocolState.analyzing = 0;
}

void setForceMode(bool on) { ProtocolState.forceMode = static_cast<int8_t>(on); }

void enterAnalysis() { ProtocolState.analyzing = 1; }

void leaveAnalysis() { ProtocolState.analyzing = 0; }

void setPonderEnabled(bool on) { ProtocolState.ponderEnabled = static_cast<int8_t>(on); }

void togglePonderEnabled() { setPonderEnabled(!ProtocolState.ponderEnabled); }

void setPostThinking(bool on) { ProtocolState.postThinking = static_cast<int8_t>(on); }

void toggleRandomMode() { ProtocolState.randomMode = static_cast<int8_t>(!ProtocolState.randomMode); }

void enterFritzMode() { ProtocolState.fritzMode = 1; }

void setSetboardRun(bool on) { ProtocolState.setboardRun = static_cast<int8_t>(on); }

void requestQuit() { ProtocolState.quitRequested = 1; }

void clearQuitRequest() { ProtocolState.quitRequested = 0; }

void setPonderMove(uint16_t code) { ProtocolState.ponderMove = code; }

void forgetPonderMove() { ProtocolState.ponderMove = 0; }

void markPonderHit() { ProtocolState.ponderHit = 1; }

void clearPonderHit() { ProtocolState.ponderHit = 0; }

void markGameOver() { ProtocolState.gameOver = 1; }

void reopenGame() { ProtocolState.gameOver = 0; }

void setBookAllowed(bool allowed) { ProtocolState.bookAllowed = static_cast<int8_t>(allowed); }
