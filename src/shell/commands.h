// The command interpreter of the xboard protocol.
#pragma once

void processCommands();
void startTimeControl();
