// "vostrel.ini": reading and checking the eight setting lines, and writing the default file.
//
// Only the order of the lines counts: the words before the "=" are never examined, and each
// value test looks at the line from its "=" on (the "=" included), case-sensitively. The file is
// read and written as bytes on every platform, so it is the same file everywhere; lines that an
// editor has ended with "\r\n" still read, the carriage return only trailing the value.
#include "config/settings.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/output.h"

SettingsData EngineSettings;

namespace {

// Line reading.
constexpr int CONFIG_LINE_SIZE = 256;     // fgets buffer: a longer physical line reads as several
constexpr long LAST_EQUALS_POSITION = 60; // the "=" must be among the first 61 characters

// HASHSIZE limits in megabytes.
constexpr long MIN_HASH_MEGABYTES = 2;
constexpr long MAX_HASH_MEGABYTES = 384;
constexpr int DECIMAL = 10;

// SELECTIVITY: the digits looked for, in this order; the first one present wins.
constexpr const char* SELECTIVITY_DIGITS = "01234";

// The default file, written line by line with "\n" after each (note the trailing blanks of
// the three "** " headings).
constexpr const char* DEFAULT_CONFIG_LINES[] = {
    "HASHSIZE [2 - 384 MB]=16",
    "SELECTIVITY [0..4]=1",
    "COMBINATION [ON or OFF]=OFF",
    "CHESS KNOWLEDGE [ON or OFF]=ON",
    "-----------------------------",
    "BOOK [ON or OFF]=ON",
    "LEARNING [ON or OFF]=ON",
    "LOG-FILE [ON or OFF]=OFF",
    "-----------------------------",
    "** SELECTIVITY: ",
    "   (=0): less selectivity (more 'brute-force')",
    "   (=1): normal selectivity (default)",
    "   (=2): more selectivity",
    "   (=3): high selectivity",
    "   (=4): very high selectivity (dangerous, results in tactical blunders)",
    "** COMBINATION: ",
    "   (=OFF): default   (=ON): more tactics (weaker game playing)",
    "** BOOK: ",
    "   (=ON):  'VSBOOK.DAT' and 'VSBOOK.IND' needed",
};

constexpr const char* INVALID_CONFIG_MESSAGE =
    "\tINIT-FILE (VOSTREL.INI) NOT VALID. NEW FILE WRITTEN. PLEASE RESTART NOW\n";

// Reads the next line and returns its value text (from the "=" on), or nullptr when the line is
// missing or has no "=" within its first 61 characters.
const char* readValue(FILE* file, char* line) {
  if (std::fgets(line, CONFIG_LINE_SIZE, file) == nullptr) return nullptr;
  const char* equals = std::strchr(line, '=');
  if (equals == nullptr || equals - line > LAST_EQUALS_POSITION) return nullptr;
  return equals;
}

bool contains(const char* value, const char* word) { return std::strstr(value, word) != nullptr; }

// An ON/OFF switch with "ON" tested first: 1 on, 0 off, -1 neither.
int readSwitch(const char* value) {
  if (contains(value, "ON")) return 1;
  if (contains(value, "OFF")) return 0;
  return -1;
}

bool readHashSize(const char* value) {
  const long megabytes = std::strtol(value + 1, nullptr, DECIMAL);
  if (megabytes < MIN_HASH_MEGABYTES || megabytes > MAX_HASH_MEGABYTES) return false;
  EngineSettings.hashMegabytes = static_cast<int32_t>(megabytes);
  return true;
}

bool readSelectivity(const char* value) {
  const char* digit = SELECTIVITY_DIGITS;
  while (*digit != '\0' && std::strchr(value, *digit) == nullptr) ++digit;
  if (*digit == '\0') return false;
  EngineSettings.selectivity = static_cast<int8_t>(*digit - '0');
  EngineSettings.attackStyleCA = contains(value, "CA") ? 1 : 0;
  EngineSettings.attackStyleRI = contains(value, "RI") ? 1 : 0;
  return true;
}

// COMBINATION: "ON" is tested before "OFF".
bool readCombination(const char* value) {
  const int on = readSwitch(value);
  if (on < 0) return false;
  if (on) EngineSettings.styleFlags |= STYLE_COMBINATION;
  return true;
}

// CHESS KNOWLEDGE: here "OFF" is tested before "ON".
bool readKnowledge(const char* value) {
  if (contains(value, "OFF")) {
    EngineSettings.styleFlags |= STYLE_KNOWLEDGE_OFF;
    return true;
  }
  return contains(value, "ON");
}

bool readFlag(const char* value, int8_t& flag) {
  const int on = readSwitch(value);
  if (on < 0) return false;
  flag = static_cast<int8_t>(on);
  return true;
}

// Steps through lines 1..8; false at the first defect. Lines after the eighth are not read.
bool readSettingLines(FILE* file) {
  char line[CONFIG_LINE_SIZE];
  const char* value;
  // Step 1. Lines 1-4: hash size, selectivity and the two style switches.
  if ((value = readValue(file, line)) == nullptr || !readHashSize(value)) return false;
  if ((value = readValue(file, line)) == nullptr || !readSelectivity(value)) return false;
  if ((value = readValue(file, line)) == nullptr || !readCombination(value)) return false;
  if ((value = readValue(file, line)) == nullptr || !readKnowledge(value)) return false;
  // Step 2. Line 5 separates the groups; it only has to be there.
  if (std::fgets(line, CONFIG_LINE_SIZE, file) == nullptr) return false;
  // Step 3. Lines 6-8: book, learning and log file.
  if ((value = readValue(file, line)) == nullptr || !readFlag(value, EngineSettings.bookEnabled)) return false;
  if ((value = readValue(file, line)) == nullptr || !readFlag(value, EngineSettings.learningEnabled)) return false;
  if ((value = readValue(file, line)) == nullptr || !readFlag(value, EngineSettings.logEnabled)) return false;
  return true;
}

}  // namespace

int readConfigFile() {
  FILE* file = std::fopen(CONFIG_FILE_NAME, "rb");
  const bool valid = file != nullptr && readSettingLines(file);
  if (file != nullptr) std::fclose(file);
  if (valid) return 1;

  // A missing or damaged file is replaced by the defaults, which the next start reads. When it
  // cannot be created nothing is written; the message and the end of the run are the same.
  writeDefaultConfigFile();
  EngineSettings.bookEnabled = 1;
  EngineSettings.logEnabled = 0;
  sendLine("%s", INVALID_CONFIG_MESSAGE);
  return 0;
}

int writeDefaultConfigFile() {
  FILE* file = std::fopen(CONFIG_FILE_NAME, "wb");
  if (file == nullptr) return 0;
  for (const char* text : DEFAULT_CONFIG_LINES) std::fprintf(file, "%s\n", text);
  const bool written = std::ferror(file) == 0;
  return std::fclose(file) == 0 && written ? 1 : 0;
}

namespace {

constexpr int8_t START_SELECTIVITY = 2;

}  // namespace

void setStartupSettings() {
  EngineSettings.learningEnabled = 0;
  EngineSettings.attackStyleCA = 0;
  EngineSettings.attackStyleRI = 0;
  EngineSettings.selectivity = START_SELECTIVITY;
  EngineSettings.styleFlags = 0;
  EngineSettings.logEnabled = 0;
  EngineSettings.bookEnabled = 1;
}

void setDiagnosticSettings(int hashMegabytes, int selectivity) {
  EngineSettings.hashMegabytes = hashMegabytes;
  EngineSettings.selectivity = static_cast<int8_t>(selectivity);
  EngineSettings.attackStyleCA = EngineSettings.attackStyleRI = 0;
  EngineSettings.styleFlags = 0;
  EngineSettings.bookEnabled = EngineSettings.learningEnabled = EngineSettings.logEnabled = 0;
}

void setHashMegabytes(int megabytes) { EngineSettings.hashMegabytes = megabytes; }

void setSelectivity(int selectivity) { EngineSettings.selectivity = static_cast<int8_t>(selectivity); }

void setStyleFlag(int16_t flag, bool on) {
  const int16_t flags = EngineSettings.styleFlags;
  EngineSettings.styleFlags = static_cast<int16_t>(on ? flags | flag : flags & ~flag);
}

void setBookEnabled(bool on) { EngineSettings.bookEnabled = static_cast<int8_t>(on); }

void setLearningEnabled(bool on) { EngineSettings.learningEnabled = static_cast<int8_t>(on); }

void setLogEnabled(bool on) { EngineSettings.logEnabled = static_cast<int8_t>(on); }
