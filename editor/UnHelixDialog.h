// The path editor's Helix dialog: radius, rise per turn, turns, steps per turn, start angle and
// hand of a helical path.
#pragma once

#include "model/UnHelixPath.h"

class QWidget;

// Shows the dialog on shape; true when OK took values that make a helix (values that do not are
// refused with a message that says why, the dialog staying open).
bool askHelix(QWidget* parent, THelixShape& shape);
