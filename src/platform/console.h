// Standard input without blocking: is anything waiting, and a raw read.
#pragma once

// Non-zero when input is waiting on standard input (or it has ended or failed, so that the next
// read meets the end). Never blocks.
unsigned inputWaiting();

// One read of at most `size` bytes from standard input; repeated when interrupted by a signal.
// Returns the byte count, 0 at end of input, -1 on an error.
int readStandardInput(char* buffer, int size);
