// xboard protocol 2: the feature negotiation, the commands it adds to the classic ones, and its
// reporter ("move MOVE", thinking lines only under "post").
#pragma once

#include "shell/dialect.h"

// The feature lines that answer "protover"; installs the protocol 2 reporter.
void offerXboardFeatures();
// A command line of protocol 2.
DialectStep runXboardLine(char* line);
// Input that waits while the engine searches, ponders or analyses under protocol 2.
void handleXboardInputWhileSearching();
