// Test helpers for the book and learning files: a scratch working folder and raw file access.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

// Creates an empty folder under the system's temporary folder and makes it the working folder
// for the object's lifetime; afterwards the previous working folder is restored and the scratch
// folder removed with everything in it.
class ScratchFolder {
 public:
  ScratchFolder();
  ~ScratchFolder();
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;
  const std::string& path() const { return path_; }

 private:
  std::string path_;
  std::string previous_;
};

std::vector<uint8_t> readFileBytes(const std::string& name);  // empty when missing
void writeFileBytes(const std::string& name, const std::vector<uint8_t>& bytes);
void writeTextFile(const std::string& name, const std::string& text);
long fileSize(const std::string& name);  // -1 when missing
