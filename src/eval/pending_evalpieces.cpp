// TEMPORARY STUB (evalpieces): the settings record is defined by the configuration code, which has
// not landed yet; this weak definition lets king safety link and be tested until it does.
#include "config/settings.h"

__attribute__((weak)) SettingsData EngineSettings;
