#include "support/io_fixtures.h"

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <unistd.h>

#include "shell/input.h"

StdinPipe::StdinPipe() {
  int ends[2];
  if (pipe(ends) != 0) std::abort();
  savedStdin_ = dup(0);
  dup2(ends[0], 0);
  ::close(ends[0]);
  writer_ = ends[1];
  std::memset(&Input, 0, sizeof Input);
}

StdinPipe::~StdinPipe() {
  close();
  dup2(savedStdin_, 0);
  ::close(savedStdin_);
  std::memset(&Input, 0, sizeof Input);
}

void StdinPipe::send(const std::string& bytes) {
  if (write(writer_, bytes.data(), bytes.size()) != static_cast<ssize_t>(bytes.size())) std::abort();
}

void StdinPipe::close() {
  if (writer_ >= 0) ::close(writer_);
  writer_ = -1;
}

ScratchDirectory::ScratchDirectory() : previous_(std::filesystem::current_path().string()) {
  char pattern[] = "/tmp/vostrel-test-XXXXXX";
  if (mkdtemp(pattern) == nullptr) std::abort();
  path_ = pattern;
  std::filesystem::current_path(path_);
}

ScratchDirectory::~ScratchDirectory() {
  std::filesystem::current_path(previous_);
  std::filesystem::remove_all(path_);
}

std::string readWholeFile(const std::string& name) {
  std::ifstream file(name, std::ios::binary);
  if (!file) return "<missing>";
  std::ostringstream text;
  text << file.rdbuf();
  return text.str();
}

void writeWholeFile(const std::string& name, const std::string& text) {
  std::ofstream(name, std::ios::binary) << text;
}
