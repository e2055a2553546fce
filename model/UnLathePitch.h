// The checks of a lathe's pitch (rise per turn and turns) that the Lathe dialog and the command
// line share.
#pragma once

#include <cstdint>
#include <string>

class TExtrObj;

// Why steps per turn, a rise per turn (millimetres) and a number of turns make no lathe: a value
// that is not a number or out of range, or more steps than an outline has vertices. Empty when
// they do.
std::string lathePitchError(int32_t stepsPerTurn, double rise, double turns);

// The warning for a lathe whose turns run into each other (a rise smaller than the profile's
// height); empty when they do not or there is no rise.
std::string lathePitchWarning(const TExtrObj& object);
