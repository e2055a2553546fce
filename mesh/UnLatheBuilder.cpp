// Lathe builder: spins the profile once about the world Y axis, one face list per profile edge.
#include "mesh/UnLatheBuilder.h"

#include "mesh/UnFaceAppearance.h"
#include "render/UnTRenderer.h"
#include "scene/UnBmpTex.h"
#include "scene/UnOpenGL.h"

#include <cmath>

namespace {

// The profile point (x, y) turned by theta radians: angle 0 is +X, growing towards -Z. A point on
// the axis stays (0, y, 0) whatever the angle, without a negative zero.
Vec3 spun(const Vec3& p, double theta) {
    return Vec3{static_cast<float>(p.X * std::cos(theta)) + 0.0f, p.Y,
                static_cast<float>(-p.X * std::sin(theta)) + 0.0f};
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
        const double du = 1.0 / N;
        bool textured = false;
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
        std::vector<TQuadIndices> corners(static_cast<size_t>(N));
        std::vector<TQuadVerts> texCoords(static_cast<size_t>(N));
        // The element whose group the edge belongs to; edges before the first group start take
        // the default appearance. Each edge's list states its appearance, whatever was replayed
        // before it.
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
            const float vFar =
                b.GroupStart ? (a.FlipV ? 0.0f : static_cast<float>(a.RepeatV)) : b.TexV;
            const double R = a.RepeatU;
            for (int j = 0; j < N; ++j) {
                const float uA = static_cast<float>((1 - j * du) * R);
                const float uB = static_cast<float>((1 - (j + 1) * du) * R);
                corners[size_t(j)] = {at(j, k), at(j + 1, k), at(j + 1, k + 1), at(j, k + 1)};
                texCoords[size_t(j)] = fixedTexCoords
                                           ? FixedTexCoords
                                           : TQuadVerts{Vec3{uA, vNear, 0}, Vec3{uB, vNear, 0},
                                                        Vec3{uB, vFar, 0}, Vec3{uA, vFar, 0}};
            }
            renderer.gridQuads(grid, corners.data(), texCoords.data(), N, textured);
            renderer.endList();
        }
    }
    renderer.endObject(listId, m + 1, selected);
    return listId;
}
