// Floating-point helper of the plane figures: the arc sine the arrow heads use.
#pragma once

// pi/2 for 1, -pi/2 for -1, atan2(x / sqrt(1 - x^2), 1) inside, NaN outside -1..1 or for NaN.
double ArcSin(double x);
