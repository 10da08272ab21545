// Detaching the engine from its interface for a while (the bench): standard output goes
// nowhere and standard input reads as an open pipe with nothing waiting, so that a search
// neither prints nor stops for input.
#pragma once

// 1 when both streams were redirected; 0 when nothing was changed.
int beginQuietIo();
// Puts both streams back as they were before beginQuietIo.
void endQuietIo();
