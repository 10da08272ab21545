// Start-up, new game and shutdown.
#pragma once

int initEngine();
void newGame();
void freeTables();
// The whole program: command-line forms, start-up, command loop or setboard run, shutdown.
int engineMain(int argc, char** argv);
