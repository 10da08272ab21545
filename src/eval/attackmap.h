// Attack maps, king zones, safe mobility and line information for the evaluation.
#pragma once
#include <cstdint>

// pinInfo at the square of a piece:
//   0                                   nothing found
//   1..6                                pinned or skewered against a piece of that code behind it
//   PIN_UNCOVERED | behind << 8 | type  an enemy slider of that type sees this piece, and moving it
//                                       uncovers an attack on the piece of at most the slider's
//                                       value on square `behind`
constexpr int PIN_PIECE_LIMIT = 8;          // values below it are the pinned form
constexpr int16_t PIN_UNCOVERED = 0x4000;   // marker bit of the uncovered-attack form
constexpr int pinUncoveredSquare(int info) { return (info >> 8) & 63; }

// Clears both attack maps and the line information of every occupied square, then enters both
// kings and fills kingZone/kingZoneCount. Called first in a full evaluation.
void buildKingZones();

// Enters the knights, bishops, rooks and queens of `colour` into attackMap[colour] and fills
// safeMobility, pinInfo, xrayInfo and batteryInfo from that colour's point of view.
void buildAttackMap(int colour);
