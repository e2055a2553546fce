// The frame-for-a-picture path and the side of the path a profile lies on.
#include "making/UnPictureFrame.h"

#include "model/UnTExtrObj.h"

#include <algorithm>
#include <cmath>

std::vector<double> profileSteps(const TExtrObj& object) {
    std::vector<double> xs;
    const double s = object.ProfileScale() / 100.0;
    for (int i = 0; i < std::min(object.ProfileCount, MaxOutlineVertices); ++i)
        xs.push_back(object.Profile[size_t(i)].X * s);
    std::sort(xs.begin(), xs.end());
    xs.erase(std::unique(xs.begin(), xs.end()), xs.end());
    return xs;
}

double proposedRebate(const TExtrObj& object) {
    const std::vector<double> xs = profileSteps(object);
    if (xs.empty()) return 0;
    return xs.size() > 1 ? xs[1] : xs[0];
}

namespace {

constexpr double MostPicture = 10000;

// Half the path's sides: the rebate opening's half less the rebate's x.
void halfSides(const TFrameSettings& s, double& a, double& b) {
    a = (s.Width + s.Allowance) / 2 - s.Rebate;
    b = (s.Height + s.Allowance) / 2 - s.Rebate;
}

} // namespace

std::string checkFrameSettings(const TExtrObj& object, const TFrameSettings& s) {
    if (object.ProfileCount < 3) return "The object has no profile to frame with";
    if (!(s.Width >= 1 && s.Width <= MostPicture))
        return "Picture width must be from 1 to 10000 mm";
    if (!(s.Height >= 1 && s.Height <= MostPicture))
        return "Picture height must be from 1 to 10000 mm";
    if (!(s.Allowance >= 0 && s.Allowance <= 100)) return "Allowance must be from 0 to 100 mm";
    const std::vector<double> xs = profileSteps(object);
    if (!(s.Rebate >= xs.front() && s.Rebate <= xs.back()))
        return "Rebate must be from " + std::to_string(int(std::ceil(xs.front()))) + " to " +
               std::to_string(int(std::floor(xs.back()))) + " mm (across the profile)";
    double a, b;
    halfSides(s, a, b);
    if (a <= 0 || b <= 0) return "Rebate must be less than half the picture's smaller side";
    return std::string();
}

void makePictureFrame(TExtrObj& object, const TFrameSettings& s) {
    double a, b;
    halfSides(s, a, b);
    // Counter-clockwise (y up): the right of the path, where profile x grows, is outward.
    const double corners[5][2] = {{-a, -b}, {a, -b}, {a, b}, {-a, b}, {-a, -b}};
    // The coarsest scale that keeps the corners exact, else the finest.
    int32_t scale = 1;
    for (int32_t candidate : {100, 50, 20, 10, 5, 2, 1}) {
        bool exact = true;
        for (const auto& c : corners)
            for (double v : c)
                exact =
                    exact && std::abs(v * 100 / candidate - std::round(v * 100 / candidate)) < 1e-6;
        if (exact) {
            scale = candidate;
            break;
        }
    }
    object.PathCount = 0;
    for (const auto& c : corners) {
        OutlineVertex v;
        v.X = RoundHalfEven(c[0] * 100 / scale);
        v.Y = RoundHalfEven(c[1] * 100 / scale);
        object.Path[size_t(object.PathCount++)] = v;
    }
    object.SetPathScale(scale);
    object.SetPathClosed(true);
    object.SetLathe(false);
    object.SetRoundCorner(false);
    object.SetEmbCorner(false);
}

int profileSide(const TExtrObj& object) {
    const std::vector<double> xs = profileSteps(object);
    if (xs.empty()) return 0;
    if (xs.front() >= 0 && xs.back() > 0) return 1;
    if (xs.back() <= 0 && xs.front() < 0) return -1;
    return 0;
}
