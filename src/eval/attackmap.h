// Attack maps, king zones, safe mobility and line information for the evaluation.
#pragma once

void buildKingZones();
void buildAttackMap(int colour);
