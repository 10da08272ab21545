// EngineSettings: the values of "vostrel.ini", read once at start-up.
#pragma once
#include <cstdint>

constexpr int16_t STYLE_KNOWLEDGE_OFF = 0x01;  // CHESS KNOWLEDGE OFF
constexpr int16_t STYLE_COMBINATION = 0x40;    // COMBINATION ON

struct SettingsData {
  int32_t hashMegabytes;   // HASHSIZE, 2..384
  int8_t selectivity;      // 0..4
  int8_t attackStyleCA;    // "CA" on the SELECTIVITY line
  int8_t attackStyleRI;    // "RI" on the SELECTIVITY line
  int16_t styleFlags;      // STYLE_KNOWLEDGE_OFF, STYLE_COMBINATION
  int8_t bookEnabled;
  int8_t learningEnabled;
  int8_t logEnabled;
};
extern SettingsData EngineSettings;

constexpr const char* CONFIG_FILE_NAME = "vostrel.ini";

// Reads and validates "vostrel.ini". Returns 1 when valid; otherwise writes the default file,
// prints the NOT VALID message and returns 0.
int readConfigFile();

// Writes the 19-line default file; returns 1 on success.
int writeDefaultConfigFile();

// ---- Changes outside the file ----
// Start-up, before the file is read: selectivity 2, no style, no attack style, the book on,
// learning and the log file off.
void setStartupSettings();
// The diagnostic tools: the given hash size and selectivity, no style, no attack style, and
// neither book, learning nor log file.
void setDiagnosticSettings(int hashMegabytes, int selectivity);
void setHashMegabytes(int megabytes);
void setSelectivity(int selectivity);
// Sets (on) or clears one of the STYLE_ bits.
void setStyleFlag(int16_t flag, bool on);
void setBookEnabled(bool on);
void setLearningEnabled(bool on);
void setLogEnabled(bool on);
