#include "support/book_files.h"

#include "support/io_fixtures.h"

std::vector<uint8_t> readFileBytes(const std::string& name) {
  std::string text = readWholeFile(name);
  if (text == "<missing>") return {};
  return std::vector<uint8_t>(text.begin(), text.end());
}

void writeFileBytes(const std::string& name, const std::vector<uint8_t>& bytes) {
  writeWholeFile(name, std::string(bytes.begin(), bytes.end()));
}
