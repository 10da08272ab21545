#include "config/settings.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "support/io_fixtures.h"

namespace {

const std::string DEFAULT_FILE = readWholeFile(VOSTREL_SOURCE_DIR "/data/vostrel.ini");
const std::string NOT_VALID = "\tINIT-FILE (VOSTREL.INI) NOT VALID. NEW FILE WRITTEN. PLEASE RESTART NOW\n";

// The eight setting lines with the given values after their "=".
std::string configText(const std::string& hash, const std::string& selectivity,
                       const std::string& combination = "OFF", const std::string& knowledge = "ON",
                       const std::string& tail = "BOOK=ON\nLEARNING=ON\nLOG-FILE=OFF\n") {
  return "HASHSIZE=" + hash + "\nSELECTIVITY=" + selectivity + "\nCOMBINATION=" + combination +
         "\nCHESS KNOWLEDGE=" + knowledge + "\n---\n" + tail;
}

// Reads the given file in a scratch directory; an invalid one must be replaced by the default
// file and announced.
int readConfigText(const std::string* text) {
  ScratchDirectory directory;
  if (text != nullptr) writeWholeFile(CONFIG_FILE_NAME, *text);
  EngineSettings = {};
  testing::internal::CaptureStdout();
  const int valid = readConfigFile();
  const std::string printed = testing::internal::GetCapturedStdout();
  EXPECT_EQ(printed, valid ? "" : NOT_VALID);
  EXPECT_EQ(readWholeFile(CONFIG_FILE_NAME), valid ? *text : DEFAULT_FILE);
  return valid;
}

int readConfig(const std::string& text) { return readConfigText(&text); }

TEST(ConfigFile, DefaultFileIsTheCommittedOneAndReadsAsDefaults) {
  EXPECT_EQ(readConfigText(nullptr), 0);
  ASSERT_EQ(readConfig(DEFAULT_FILE), 1);
  EXPECT_EQ(EngineSettings.hashMegabytes, 16);
  EXPECT_EQ(EngineSettings.selectivity, 1);
  EXPECT_EQ(EngineSettings.styleFlags, 0);
  EXPECT_EQ(EngineSettings.bookEnabled + EngineSettings.learningEnabled, 2);
  EXPECT_EQ(EngineSettings.logEnabled, 0);
  EXPECT_EQ(DEFAULT_FILE.size(), 599u);
}

TEST(ConfigFile, InvalidFilesAreReplaced) {
  const std::string valid = configText("16", "1");
  EXPECT_EQ(readConfig(valid.substr(0, valid.rfind("LOG-FILE"))), 0);        // short
  EXPECT_EQ(readConfig(std::string(61, ' ') + "=16\n" + valid.substr(valid.find('\n') + 1)), 0);
  EXPECT_EQ(readConfig(std::string(60, ' ') + "=16\n" + valid.substr(valid.find('\n') + 1)), 1);
  EXPECT_EQ(readConfig(configText("1", "1")), 0);
  EXPECT_EQ(readConfig(configText("385", "1")), 0);
  EXPECT_EQ(readConfig(configText("7", "7")), 0);
  EXPECT_EQ(readConfig(configText("16", "1", "on")), 0);
  EXPECT_EQ(readConfig(configText("16", "1", "OFF", "off")), 0);
  EXPECT_EQ(readConfig(configText("16", "1", "OFF", "ON", "BOOK=ON\nLEARNING\nLOG-FILE=OFF\n")), 0);
  // A physical line over 255 bytes reads as two lines: here the tail has no "=".
  EXPECT_EQ(readConfig(configText("16", "1" + std::string(300, ' '))), 0);
}

TEST(ConfigFile, ValueTextsFromTheEqualsSignOn) {
  ASSERT_EQ(readConfig(configText(" 2", "10", "ON OFF", "ON OFF", "BOOK=OFF\nLEARNING=OFF\nLOG-FILE=ON\n")), 1);
  EXPECT_EQ(EngineSettings.hashMegabytes, 2);
  EXPECT_EQ(EngineSettings.selectivity, 0);  // "0" is looked for first
  EXPECT_EQ(EngineSettings.styleFlags, STYLE_COMBINATION | STYLE_KNOWLEDGE_OFF);
  EXPECT_EQ(EngineSettings.bookEnabled + EngineSettings.learningEnabled, 0);
  EXPECT_EQ(EngineSettings.logEnabled, 1);

  ASSERT_EQ(readConfig("HASH [CA RI 0]" + configText("384", "3 CA").substr(8)), 1);
  EXPECT_EQ(EngineSettings.hashMegabytes, 384);
  EXPECT_EQ(EngineSettings.selectivity, 3);
  EXPECT_EQ(EngineSettings.attackStyleCA, 1);
  EXPECT_EQ(EngineSettings.attackStyleRI, 0);
}

// A file saved by an editor with "\r\n" line ends reads as the same settings.
TEST(ConfigFile, CarriageReturnLineEndsReadAlike) {
  std::string text;
  for (char byte : configText("32", "2 RI", "ON", "OFF", "BOOK=OFF\nLEARNING=ON\nLOG-FILE=ON\n")) {
    if (byte == '\n') text += '\r';
    text += byte;
  }
  ASSERT_EQ(readConfig(text), 1);
  EXPECT_EQ(EngineSettings.hashMegabytes, 32);
  EXPECT_EQ(EngineSettings.selectivity, 2);
  EXPECT_EQ(EngineSettings.attackStyleRI, 1);
  EXPECT_EQ(EngineSettings.styleFlags, STYLE_COMBINATION | STYLE_KNOWLEDGE_OFF);
  EXPECT_EQ(EngineSettings.bookEnabled, 0);
  EXPECT_EQ(EngineSettings.learningEnabled + EngineSettings.logEnabled, 2);
}

TEST(ConfigFile, UncreatableFileWritesNothingButStillAnnounces) {
  ScratchDirectory directory;
  std::filesystem::create_directory(CONFIG_FILE_NAME);
  testing::internal::CaptureStdout();
  EXPECT_EQ(readConfigFile(), 0);
  EXPECT_EQ(testing::internal::GetCapturedStdout(), NOT_VALID);
  EXPECT_EQ(writeDefaultConfigFile(), 0);
}

}  // namespace
