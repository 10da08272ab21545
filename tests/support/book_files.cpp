#include "support/book_files.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>

ScratchFolder::ScratchFolder() {
  previous_ = std::filesystem::current_path().string();
  std::string pattern = (std::filesystem::temp_directory_path() / "vostrel-book-XXXXXX").string();
  std::vector<char> name(pattern.begin(), pattern.end());
  name.push_back('\0');
  if (mkdtemp(name.data()) == nullptr) std::abort();
  path_ = name.data();
  std::filesystem::current_path(path_);
}

ScratchFolder::~ScratchFolder() {
  std::filesystem::current_path(previous_);
  std::error_code ignored;
  std::filesystem::remove_all(path_, ignored);
}

std::vector<uint8_t> readFileBytes(const std::string& name) {
  std::vector<uint8_t> bytes;
  FILE* file = std::fopen(name.c_str(), "rb");
  if (file == nullptr) return bytes;
  int c;
  while ((c = std::fgetc(file)) != EOF) bytes.push_back(static_cast<uint8_t>(c));
  std::fclose(file);
  return bytes;
}

void writeFileBytes(const std::string& name, const std::vector<uint8_t>& bytes) {
  FILE* file = std::fopen(name.c_str(), "wb");
  if (file == nullptr) std::abort();
  if (!bytes.empty()) std::fwrite(bytes.data(), 1, bytes.size(), file);
  std::fclose(file);
}

void writeTextFile(const std::string& name, const std::string& text) {
  writeFileBytes(name, std::vector<uint8_t>(text.begin(), text.end()));
}

long fileSize(const std::string& name) {
  std::error_code error;
  auto size = std::filesystem::file_size(name, error);
  return error ? -1 : static_cast<long>(size);
}
