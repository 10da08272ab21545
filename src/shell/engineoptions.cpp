// The engine's settings for the newer dialects: each option reads and changes the setting in
// effect, and the change lasts for this run.
#include "shell/engineoptions.h"

#include <cctype>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "board/board.h"
#include "config/logfile.h"
#include "config/settings.h"
#include "eval/pawnhash.h"
#include "eval/scoretable.h"
#include "game/book.h"
#include "game/learning.h"
#include "search/hashtable.h"

namespace {

constexpr int NUMBER_BASE = 10;
constexpr int MAX_SELECTIVITY = 4;

// ---- Reading and changing the settings ----

int currentHash() { return EngineSettings.hashMegabytes; }
bool applyHash(int megabytes) { return resizeHashTables(megabytes); }

int currentSelectivity() { return EngineSettings.selectivity; }
bool applySelectivity(int value) {
  setSelectivity(value);
  return true;
}

int currentCombination() { return (EngineSettings.styleFlags & STYLE_COMBINATION) != 0 ? 1 : 0; }
bool applyCombination(int on) {
  setStyleFlag(STYLE_COMBINATION, on != 0);
  return true;
}

// The piece values follow the knowledge switch at once: the material sums of the position and the
// stored evaluations are rebuilt with them.
int currentKnowledge() { return (EngineSettings.styleFlags & STYLE_KNOWLEDGE_OFF) != 0 ? 0 : 1; }
bool applyKnowledge(int on) {
  setStyleFlag(STYLE_KNOWLEDGE_OFF, on == 0);
  setPieceValues(!on);
  recomputeBoardState();
  clearPawnTable();
  clearScoreTable();
  return true;
}

// Switching the book on opens its files again; without them it stays off.
int currentBook() { return EngineSettings.bookEnabled; }
bool applyBook(int on) {
  closeBookFiles();
  setBookEnabled(on != 0);
  if (on) openBookFiles();
  return EngineSettings.bookEnabled == on;
}

int currentLearning() { return EngineSettings.learningEnabled; }
bool applyLearning(int on) {
  if (on == EngineSettings.learningEnabled) return true;
  if (on) {
    setLearningEnabled(true);
    openLearningFile();  // switches learning off again when the file cannot be made
  } else {
    closeLearningFile();
    setLearningEnabled(false);
  }
  return EngineSettings.learningEnabled == on;
}

int currentLog() { return EngineSettings.logEnabled; }
bool applyLog(int on) {
  if (on == EngineSettings.logEnabled) return true;
  if (on) {
    setLogEnabled(true);
    if (!openLogFile()) setLogEnabled(false);
  } else {
    closeLogFile();
    setLogEnabled(false);
  }
  return EngineSettings.logEnabled == on;
}

// The interface decides when the engine ponders; the option only records that it may.
int8_t ponderAllowed = 0;
int currentPonder() { return ponderAllowed; }
bool applyPonder(int on) {
  ponderAllowed = static_cast<int8_t>(on);
  return true;
}

int noValue() { return 0; }
bool clearTables(int) {
  clearHashTables();
  clearPawnTable();
  clearScoreTable();
  return true;
}

bool equalsIgnoringCase(const char* a, const char* b) {
  for (; *a != '\0' && *b != '\0'; ++a, ++b) {
    if (std::tolower(static_cast<unsigned char>(*a)) != std::tolower(static_cast<unsigned char>(*b))) return false;
  }
  return *a == *b;
}

// A whole decimal number, optionally signed, that fits an int.
bool parseWholeNumber(const char* text, int& value) {
  char* end = nullptr;
  const long number = std::strtol(text, &end, NUMBER_BASE);
  if (end == text || *end != '\0' || number < INT32_MIN || number > INT32_MAX) return false;
  value = static_cast<int>(number);
  return true;
}

}  // namespace

const EngineOption ENGINE_OPTIONS[] = {
    {"Hash", nullptr, OptionKind::spin, MIN_HASH_MEGABYTES, MAX_HASH_MEGABYTES, currentHash, applyHash},
    {"Ponder", nullptr, OptionKind::check, 0, 1, currentPonder, applyPonder},
    {"OwnBook", "Book", OptionKind::check, 0, 1, currentBook, applyBook},
    {"Learning", "Learning", OptionKind::check, 0, 1, currentLearning, applyLearning},
    {"Selectivity", "Selectivity", OptionKind::spin, 0, MAX_SELECTIVITY, currentSelectivity, applySelectivity},
    {"Combination", "Combination", OptionKind::check, 0, 1, currentCombination, applyCombination},
    {"Chess Knowledge", "Chess Knowledge", OptionKind::check, 0, 1, currentKnowledge, applyKnowledge},
    {"Log File", "Log File", OptionKind::check, 0, 1, currentLog, applyLog},
    {"Clear Hash", nullptr, OptionKind::button, 0, 0, noValue, clearTables},
};
const int optionCount = static_cast<int>(sizeof ENGINE_OPTIONS / sizeof ENGINE_OPTIONS[0]);

const EngineOption* findUciOption(const char* name) {
  for (const EngineOption& option : ENGINE_OPTIONS) {
    if (equalsIgnoringCase(option.uciName, name)) return &option;
  }
  return nullptr;
}

const EngineOption* findXboardOption(const char* name) {
  for (const EngineOption& option : ENGINE_OPTIONS) {
    if (option.xboardName != nullptr && equalsIgnoringCase(option.xboardName, name)) return &option;
  }
  return nullptr;
}

bool parseOptionValue(const EngineOption& option, const char* text, int& value) {
  switch (option.kind) {
    case OptionKind::button:
      value = 0;
      return true;
    case OptionKind::check:
      if (equalsIgnoringCase(text, "true") || std::strcmp(text, "1") == 0) {
        value = 1;
        return true;
      }
      if (equalsIgnoringCase(text, "false") || std::strcmp(text, "0") == 0) {
        value = 0;
        return true;
      }
      return false;
    case OptionKind::spin:
      return parseWholeNumber(text, value) && value >= option.min && value <= option.max;
  }
  return false;
}

bool resizeHashTables(int megabytes) {
  const int previous = EngineSettings.hashMegabytes;
  // The size in use already: the tables keep what they hold (interfaces repeat it every game).
  if (megabytes == previous) return true;
  const bool resized = allocatePositionTables(megabytes) == 0;
  if (resized) {
    setHashMegabytes(megabytes);
  } else if (allocatePositionTables(previous) != 0) {
    return false;
  }
  clearHashTables();
  if (EngineSettings.learningEnabled) loadLearning();
  clearPawnTable();
  clearScoreTable();
  return resized;
}
