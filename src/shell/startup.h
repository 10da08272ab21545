// Start-up, new game and shutdown.
#pragma once

int initEngine();
void newGame();
void freeTables();
// The termination-signal handler: does nothing, so the first termination signal is swallowed.
void onSignal(int signalNumber);
// The whole program: command-line forms, start-up, command loop or setboard run, shutdown.
int engineMain(int argc, char** argv);
