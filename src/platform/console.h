// Standard input without blocking: is anything waiting, and a raw read.
#pragma once

// Non-zero when input is waiting on standard input (or it has ended or failed, so that the next
// read meets the end). Never blocks.
unsigned inputWaiting();

// One read of at most `size` bytes from standard input; repeated when interrupted by a signal.
// Returns the byte count, 0 at end of input, -1 on an error.
int readStandardInput(char* buffer, int size);

// Where input comes from: standard input, unless another source has been installed (a test or a
// fuzzer feeding the engine from memory). A source keeps the two contracts above; nullptr
// restores standard input.
struct InputSource {
  unsigned (*waiting)();
  int (*read)(char* buffer, int size);
};
void setInputSource(const InputSource* source);
