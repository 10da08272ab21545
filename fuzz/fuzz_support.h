// Shared pieces of the fuzz targets: a scratch working folder, the engine's constant tables, and
// the initial position with a few opening moves played.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace vostrel_fuzz {

// Makes a fresh folder under the temporary directory the working directory (once per process) and
// sends standard output to /dev/null: the engine's replies are of no interest to a fuzzer.
void enterScratchFolder();

// Writes `bytes` to the file `name` of the working directory.
void writeFile(const std::string& name, const uint8_t* bytes, size_t size);
void writeFile(const std::string& name, const std::string& bytes);

// The board, move and hash-key tables (once per process).
void initTables();

// The initial position, then the coordinate moves given (those that are not legal are skipped).
void setUpGame(const std::vector<std::string>& moves);

}  // namespace vostrel_fuzz
