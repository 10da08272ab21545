// Commands that arrive while the engine ponders or analyses.
#pragma once

void handleInputWhileSearching();
