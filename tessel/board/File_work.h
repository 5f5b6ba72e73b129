// The leaders table and its file "рекорды.txt" in the current directory:
// ten lines of score and name, best first, Windows-1251 with CR LF.
//
// Every file failure ends the program through FatalRuntimeError with the
// system's error code (2 for a missing file, 5 for denied access), or with
// 106 when a score in the file is not a whole number.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// Fills slots 1..10 of the table from the file, which must exist. Lines
// missing at the end give score 0 and an empty name.
void ReadLeaders();

// Puts the game's score into the table below every equal or better score
// and sets leaderPlace (11 when it does not reach the table). The slots from
// there down move by one; the old slot 10 ends in the overflow slot.
void PlaceScore();

// Stores " " + playerName in the game's slot, writes slots 1..10 to the file
// and sets leadersSaved. The file is replaced in one step, so a failure on
// the way leaves the previous table as it was.
void SaveLeaders();

// The file's text for slots 1..10 of the table.
std::string LeadersFileText();

// Reads the ten slots from the file's bytes. False when a score field is not
// a decimal 32-bit number; the slots before it are already filled then.
bool ParseLeaders(std::string_view text);
