// The engine's settings as the newer dialects offer them: read from "vostrel.ini" at start-up,
// changed for this run only (the file is never written).
#pragma once

enum class OptionKind { spin, check, button };

struct EngineOption {
  const char* uciName;
  const char* xboardName;  // nullptr: not offered in xboard protocol 2 (it has "memory")
  OptionKind kind;
  int min;
  int max;
  int (*current)();        // the value in effect (0/1 for a check)
  bool (*apply)(int value);  // false when the setting could not take the value
};

constexpr int MIN_HASH_MEGABYTES = 2;
constexpr int MAX_HASH_MEGABYTES = 384;

// Every option, in the order they are offered; the count in optionCount.
extern const EngineOption ENGINE_OPTIONS[];
extern const int optionCount;

// The option of that name (compared without regard to case), or nullptr.
const EngineOption* findUciOption(const char* name);
const EngineOption* findXboardOption(const char* name);

// Reads a value for the option: a number within its range for a spin, "true"/"false" (or 1/0)
// for a check, anything for a button. False when the text is no such value.
bool parseOptionValue(const EngineOption& option, const char* text, int& value);

// Resizes the hash tables to `megabytes` (within the supported range) as HASHSIZE does at
// start-up; the tables start empty, with the learned positions loaded again. The size in use
// already changes nothing. False when even the
// smallest tables could not be allocated after the old size had been given back.
bool resizeHashTables(int megabytes);
