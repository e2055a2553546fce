// Lathe builder: spins the profile about the world Y axis, once in place or rising turn after
// turn, one face list per profile edge.
#include "mesh/UnLatheBuilder.h"

#include "mesh/UnEndCaps.h"
#include "mesh/UnFaceAppearance.h"
#include "render/UnTRenderer.h"
#include "scene/UnBmpTex.h"
#include "scene/UnOpenGL.h"

#include <algorithm>
#include <cmath>

namespace {

// The profile point (x, y) turned by theta radians: angle 0 is +X, growing towards -Z. A point on
// the axis stays (0, y, 0) whatever the angle, without a negative zero.
Vec3 spun(const Vec3& p, double theta) {
    return Vec3{static_cast<float>(p.X * std::cos(theta)) + 0.0f, p.Y,
                static_cast<float>(-p.X * std::sin(theta)) + 0.0f};
}

// One face list per profile edge, each holding steps quads between rows j and j + 1 of the grid
// (at(j, k): the grid point of corner k in row j); lastList runs inside the last edge's list.
// U runs from RepeatU at the first row down to 0 after the last step.
template <class At, class LastList>
void spinEdges(TRenderer& renderer, const TProfileObj& profile, const TPointGrid& grid, int steps,
               At at, bool fixedTexCoords, int32_t listId, LastList lastList) {
    const int m = profile.Count();
    const double du = 1.0 / steps;
    bool textured = false;
    std::vector<TQuadIndices> corners(static_cast<size_t>(steps));
    std::vector<TQuadVerts> texCoords(static_cast<size_t>(steps));
    // The element whose group the edge belongs to; edges before the first group start take the
    // default appearance. Each edge's list states its appearance, whatever was replayed before it.
    const TProfileElementObj* group = nullptr;
    for (int k = 0; k + 1 < m; ++k) {
        const TProfileElementObj& a = profile.Items(k);
        const TProfileElementObj& b = profile.Items(k + 1);
        renderer.initList(faceListId(listId, k + 1));
        if (a.GroupStart) group = &a;
        if (group)
            applyAppearance(renderer, group->Texture, group->Color, textured);
        else
            applyAppearance(renderer, std::string(), DefaultFaceColor, textured);
        const float vNear = a.TexV;
        const float vFar = b.GroupStart ? (a.FlipV ? 0.0f : static_cast<float>(a.RepeatV)) : b.TexV;
        const double R = a.RepeatU;
        for (int j = 0; j < steps; ++j) {
            const float uA = static_cast<float>((1 - j * du) * R);
            const float uB = static_cast<float>((1 - (j + 1) * du) * R);
            corners[size_t(j)] = {at(j, k), at(j + 1, k), at(j + 1, k + 1), at(j, k + 1)};
            texCoords[size_t(j)] = fixedTexCoords
                                       ? FixedTexCoords
                                       : TQuadVerts{Vec3{uA, vNear, 0}, Vec3{uB, vNear, 0},
                                                    Vec3{uB, vFar, 0}, Vec3{uA, vFar, 0}};
        }
        renderer.gridQuads(grid, corners.data(), texCoords.data(), steps, textured);
        if (k + 2 == m) lastList();
        renderer.endList();
    }
}

} // namespace

int32_t buildLathe(const std::string& name, TProfileObj& path, TProfileObj& profile,
                   int32_t /*precision*/, bool fixedTexCoords, bool selected,
                   const ColorF* /*highlight*/, int32_t listId) {
    allocListId(listId);
    TRenderer& renderer = *currentRenderer();
    renderer.initObject(name);

    const int m = profile.Count();
    const int N = path.Count() - 1; // angular steps
    if (N >= 1 && m >= 1) {
        profile.ComputeTexCoords(2, true);
        const float dTheta = static_cast<float>((360.0L / N) * DegToRad);
        // Each profile corner spun once per step: row j is the profile at step j, and the last
        // step ends on row 0, bit for bit. A corner on the axis is one point at every step, and a
        // corner drawn twice in the profile is one column.
        const std::vector<int32_t> column = sameCornerColumns(profile);
        const size_t count = size_t(m);
        TPointGrid grid;
        grid.reset(size_t(N) * count);
        for (int j = 0; j < N; ++j)
            for (size_t k = 0; k < count; ++k)
                grid.Points[size_t(j) * count + k] =
                    spun(profile.Items(int(k)).Point, j * static_cast<double>(dTheta));
        auto at = [&](int j, int k) {
            const size_t c = size_t(column[size_t(k)]);
            const bool onAxis = profile.Items(int(c)).Point.X == 0;
            return int32_t((onAxis ? 0 : size_t(j % N)) * count + c);
        };
        spinEdges(renderer, profile, grid, N, at, fixedTexCoords, listId, [] {});
    }
    renderer.endObject(listId, m + 1, selected);
    return listId;
}

int32_t pitchedLatheSteps(int32_t stepsPerTurn, float turns) {
    // Far above what a path of 100 vertices asks for; keeps a damaged value from running away.
    constexpr double MostSteps = 100000;
    const double steps = std::round(double(stepsPerTurn) * turns);
    return static_cast<int32_t>(std::clamp(std::isfinite(steps) ? steps : 1.0, 1.0, MostSteps));
}

int32_t buildLathe(const std::string& name, TProfileObj& path, TProfileObj& profile,
                   int32_t precision, bool fixedTexCoords, bool selected, const ColorF* highlight,
                   int32_t listId, const TLathePitch& pitch) {
    if (pitch.none())
        return buildLathe(name, path, profile, precision, fixedTexCoords, selected, highlight,
                          listId);
    allocListId(listId);
    TRenderer& renderer = *currentRenderer();
    renderer.initObject(name);

    const int m = profile.Count();
    const int N = path.Count() - 1; // steps per turn
    if (N >= 1 && m >= 1) {
        const int T = pitchedLatheSteps(N, pitch.Turns);
        const double dTheta = static_cast<float>((360.0L / N) * DegToRad);
        const double lift = double(pitch.Rise) / N;
        const size_t count = size_t(m);
        const std::vector<int32_t> column = sameCornerColumns(profile);
        // Row j is the profile turned j steps and raised j lifts; a corner on the axis is one
        // point per row only while nothing rises.
        TPointGrid grid;
        grid.reset(size_t(T + 1) * count);
        for (int j = 0; j <= T; ++j)
            for (size_t k = 0; k < count; ++k) {
                Vec3 p = spun(profile.Items(int(k)).Point, j * dTheta);
                p.Y = static_cast<float>(p.Y + j * lift) + 0.0f;
                grid.Points[size_t(j) * count + k] = p;
            }
        for (size_t k = 0; k < count; ++k)
            grid.Shared[k] = grid.Shared[size_t(T) * count + k] = 1; // the caps meet them
        auto at = [&](int j, int k) {
            return int32_t(size_t(j) * count + size_t(column[size_t(k)]));
        };
        std::vector<std::vector<Vec3>> ends(2, std::vector<Vec3>(count));
        for (size_t k = 0; k < count; ++k) {
            ends[0][k] = grid.Points[size_t(at(0, int(k)))];
            ends[1][k] = grid.Points[size_t(at(T, int(k)))];
        }
        profile.ComputeTexCoords(2, true);
        // The two open ends, facing back along the spin and on along it.
        const double end = T * dTheta;
        spinEdges(renderer, profile, grid, T, at, fixedTexCoords, listId, [&] {
            buildCap(profile, Vec3{}, Vec3{0, 0, -1}, pitch.StartColor, pitch.StartTexture,
                     Matrix4::Identity(), true, &ends[0]);
            buildCap(
                profile, Vec3{},
                Vec3{static_cast<float>(-std::sin(end)), 0, static_cast<float>(-std::cos(end))},
                pitch.EndColor, pitch.EndTexture, Matrix4::Identity(), false, &ends[1]);
        });
    }
    renderer.endObject(listId, m + 1, selected);
    return listId;
}
