// Test helpers for the binary book and learning files.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

std::vector<uint8_t> readFileBytes(const std::string& name);  // empty when missing
void writeFileBytes(const std::string& name, const std::vector<uint8_t>& bytes);
