// Signal dispositions of the engine process.
#pragma once

// Ignores the interrupt signal for the whole run and installs `handler` for the termination
// signal once: the handler is reset to the default action when it fires (so a second termination
// signal ends the process), and a read it interrupts is not restarted.
void installSignalHandling(void (*handler)(int));
// Ignores the interrupt signal from now on. Called first thing, since an interface may send it
// while the engine is still starting (clearing large tables takes a while).
void ignoreInterrupts();
