// Test helpers for console input and files: standard input replaced by a pipe the test writes,
// and a fresh scratch directory as the working directory.
#pragma once
#include <string>

// While alive, descriptor 0 reads from a pipe fed by send(); the console input state is reset.
class StdinPipe {
 public:
  StdinPipe();
  ~StdinPipe();
  void send(const std::string& bytes);  // keep below the pipe's capacity: nobody reads meanwhile
  void close();                         // end of input
 private:
  int savedStdin_;
  int writer_;
};

// While alive, the working directory is a new empty directory, removed with its files afterwards.
class ScratchDirectory {
 public:
  ScratchDirectory();
  ~ScratchDirectory();
  std::string path() const { return path_; }
 private:
  std::string previous_;
  std::string path_;
};

// Whole contents of a file, or "<missing>" when it cannot be opened.
std::string readWholeFile(const std::string& name);
void writeWholeFile(const std::string& name, const std::string& text);
