// Element lists: attribute setters and the whole-list computations (texture coordinates, turn
// angles, X extent).
#include "model/UnTProfileObj.h"

#include <cmath>
#include <vector>

namespace {

using Ext = long double;

bool ValidPosition(const TprofElemList& list, int position) {
    return position >= 0 && position < list.Count();
}

} // namespace

void TProfileElementObj::AssignAttributes(TProfileElementObj& dest) const {
    const Vec3 keep = dest.Point;
    dest = *this;
    dest.Point = keep;
}

int TprofElemList::Add(const TProfileElementObj& element) {
    Elements.push_back(element);
    return static_cast<int>(Elements.size()) - 1;
}

void TProfileObj::SetColor(int position, const ColorF& color) {
    if (ValidPosition(Elements, position)) Items(position).Color = color;
}

void TProfileObj::SetTexture(int position, const std::string& texture) {
    if (ValidPosition(Elements, position)) Items(position).Texture = texture;
}

void TProfileObj::SetGroupStart(int position, bool value) {
    if (ValidPosition(Elements, position)) Items(position).GroupStart = value;
}

void TProfileObj::SetTexParams(int position, int32_t repeatU, int32_t repeatV, bool flipU,
                               bool flipV) {
    if (!ValidPosition(Elements, position)) return;
    TProfileElementObj& e = Items(position);
    e.RepeatU = repeatU;
    e.RepeatV = repeatV;
    e.FlipU = flipU;
    e.FlipV = flipV;
}

void TProfileObj::ComputeTexCoords(int mode, bool perGroup) {
    const int n = Count();
    if (n == 0) return;

    // Length of every segment and the distance of each element from its segment's first element.
    // The edge leading into a group start still belongs to the segment before it.
    std::vector<float> segLen(1, 0.0f);
    std::vector<float> cum(static_cast<size_t>(n), 0.0f);
    size_t seg = 0;
    for (int i = 1; i < n; ++i) {
        const float d = Distance(Items(i - 1).Point, Items(i).Point);
        segLen[seg] = static_cast<float>(Ext(segLen[seg]) + d);
        if (perGroup && Items(i).GroupStart) {
            segLen.push_back(0.0f);
            ++seg;
        }
        cum[static_cast<size_t>(i)] = segLen[seg];
    }

    TProfileElementObj& first = Items(0);
    first.TexU = first.FlipU ? static_cast<float>(first.RepeatU) : 0.0f;
    first.TexV = first.FlipV ? static_cast<float>(first.RepeatV) : 0.0f;

    seg = 0;
    for (int i = 1; i < n; ++i) {
        TProfileElementObj& e = Items(i);
        if (perGroup && e.GroupStart) ++seg;
        const Ext len = segLen[seg];
        const Ext along = cum[static_cast<size_t>(i)];
        if (mode == 1) {
            float u = len != 0 ? static_cast<float>(e.RepeatU * along / len) : 0.0f;
            if (e.FlipU) u = static_cast<float>(Ext(e.RepeatU) - u);
            e.TexU = u;
        } else if (mode == 2) {
            float v = len != 0 ? static_cast<float>(e.RepeatV * along / len) : 0.0f;
            if (e.FlipV) v = static_cast<float>(Ext(e.RepeatV) - v);
            e.TexV = v;
        }
    }
}

void TProfileObj::PlanarTexCoords(bool flip) {
    const int n = Count();
    if (n == 0) return;
    float minX = Items(0).Point.X, maxX = minX;
    float minY = Items(0).Point.Y, maxY = minY;
    for (int i = 1; i < n; ++i) {
        const Vec3& p = Items(i).Point;
        if (p.X < minX) minX = p.X;
        if (p.X > maxX) maxX = p.X;
        if (p.Y < minY) minY = p.Y;
        if (p.Y > maxY) maxY = p.Y;
    }
    // A flat outline (one X or one Y for every element) maps that coordinate to 0.
    const Ext rangeX = Ext(maxX) - minX;
    const Ext rangeY = Ext(maxY) - minY;
    for (int i = 0; i < n; ++i) {
        TProfileElementObj& e = Items(i);
        e.TexU = rangeX != 0 ? static_cast<float>((Ext(e.Point.X) - minX) / rangeX) : 0.0f;
        e.TexV = rangeY != 0 ? static_cast<float>((Ext(e.Point.Y) - minY) / rangeY) : 0.0f;
        if (flip) e.TexU = static_cast<float>(1 - Ext(e.TexU));
    }
}

void TProfileObj::ComputeAngles() {
    const int n = Count();
    if (n == 0) return;
    Items(0).Angle = 0;
    if (n > 1) Items(1).Angle = 0;
    const int L = n - 1;
    if (L < 2) return;

    auto diff = [](const Vec3& to, const Vec3& from) {
        return Vec3{static_cast<float>(Ext(to.X) - from.X), static_cast<float>(Ext(to.Y) - from.Y),
                    static_cast<float>(Ext(to.Z) - from.Z)};
    };

    Vec3 axis;
    for (int i = 2; i <= L; ++i) {
        const Vec3 a = diff(Items(i - 1).Point, Items(i - 2).Point);
        const Vec3 b = diff(Items(i).Point, Items(i - 1).Point);
        const float angle = AngleBetween(a, b, true, axis);
        Items(i - 1).Angle = axis.Y < 0 ? static_cast<float>(360 - Ext(angle)) : angle;
    }

    // The two ends take the angle between the first and the last edge, in opposite senses.
    const Vec3 a = diff(Items(1).Point, Items(0).Point);
    const Vec3 b = diff(Items(L).Point, Items(L - 1).Point);
    const float angle = AngleBetween(a, b, true, axis);
    const float reverse = static_cast<float>(360 - Ext(angle));
    if (axis.Y >= 0) {
        Items(0).Angle = angle;
        Items(L).Angle = reverse;
    } else {
        Items(0).Angle = reverse;
        Items(L).Angle = angle;
    }
}

void TProfileObj::XRange(float& max, float& min) const {
    const int n = Count();
    if (n == 0) {
        max = min = 0;
        return;
    }
    max = min = Items(0).Point.X;
    for (int i = 1; i < n; ++i) {
        const float x = Items(i).Point.X;
        if (x < min) min = x;
        if (x > max) max = x;
    }
}

float TProfileObj::MaxAbsX() const {
    float max = 0, min = 0;
    XRange(max, min);
    return std::fabs(max) > std::fabs(min) ? std::fabs(max) : std::fabs(min);
}
