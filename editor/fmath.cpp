// Floating-point helper of the plane figures: the arc sine the arrow heads use.
#include "editor/fmath.h"

#include <cmath>
#include <limits>

double ArcSin(double x) {
    if (x == 1.0) return M_PI / 2;
    if (x == -1.0) return -M_PI / 2;
    if (!(std::fabs(x) < 1.0)) return std::numeric_limits<double>::quiet_NaN();
    return std::atan2(x / std::sqrt(1.0 - x * x), 1.0);
}
