// Texture and colour state calls that the builders and the caps send before a run of faces.
#pragma once

#include "model/UnTProfileObj.h"
#include "render/UnTRenderer.h"
#include "scene/UnBmpTex.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

// Texture coordinates every quad gets when a builder is asked for fixed ones.
inline const TQuadVerts FixedTexCoords{Vec3{0, 0, 0}, Vec3{1, 0, 0}, Vec3{1, 1, 0}, Vec3{0, 1, 0}};

// The texture record that switches texturing off.
inline TTextureObj noTexture() {
    TTextureObj none;
    none.TexId = -1;
    return none;
}

// setTexture (the named texture, or none for an empty name) then setColor; textured tells which.
inline void applyAppearance(TRenderer& renderer, const std::string& texture, const ColorF& color,
                            bool& textured) {
    textured = !texture.empty();
    renderer.setTexture(textured ? FindTexture(texture) : noTexture());
    renderer.setColor(color);
}

// A profile edge along a band of side faces: the V of its near and far corners and how often its
// texture repeats along U.
struct TBandEdge {
    float VNear = 0, VFar = 0, RepeatU = 1;
    // A side quad's texture coordinates from uFirst (its first and last corners, on the near and
    // far side) to uSecond (its second and third), or the fixed ones.
    TQuadVerts quadTexCoords(float uFirst, float uSecond, bool fixed) const {
        return fixed ? FixedTexCoords
                     : TQuadVerts{Vec3{uFirst, VNear, 0}, Vec3{uSecond, VNear, 0},
                                  Vec3{uSecond, VFar, 0}, Vec3{uFirst, VFar, 0}};
    }
};

// The edges of a profile walked for a band of side faces, with the appearance state they need:
// the default one first when the profile's first edge starts no group (so that neither corner
// bands nor an earlier list decide the look of the edges before the first group), then each
// group's where its first edge comes.
class TBandEdges {
  public:
    TBandEdges(TRenderer& renderer, const TProfileObj& profile)
        : renderer_(renderer), profile_(profile) {
        if (profile.Count() >= 2 && !profile.Items(0).GroupStart)
            applyAppearance(renderer, std::string(), DefaultFaceColor, textured);
    }
    // The edge from corner k to k + 1, its group's appearance applied when one starts there.
    TBandEdge edge(int k) {
        const TProfileElementObj& a = profile_.Items(k);
        const TProfileElementObj& b = profile_.Items(k + 1);
        if (a.GroupStart) applyAppearance(renderer_, a.Texture, a.Color, textured);
        return {a.TexV, b.GroupStart ? (a.FlipV ? 0.0f : static_cast<float>(a.RepeatV)) : b.TexV,
                static_cast<float>(a.RepeatU)};
    }
    bool textured = false;

  private:
    TRenderer& renderer_;
    const TProfileObj& profile_;
};

// For each profile corner, the first corner at the same point (itself when none is before it):
// a closed outline's last corner is its first, and any corner drawn twice is one grid point.
inline std::vector<int32_t> sameCornerColumns(const TProfileObj& profile) {
    const int m = profile.Count();
    std::vector<int32_t> column(size_t(std::max(m, 0)));
    std::vector<std::pair<std::array<uint32_t, 2>, int32_t>> byBits(column.size());
    for (int k = 0; k < m; ++k) {
        const Vec3& p = profile.Items(k).Point;
        std::memcpy(byBits[size_t(k)].first.data(), &p.X, sizeof(float));
        std::memcpy(byBits[size_t(k)].first.data() + 1, &p.Y, sizeof(float));
        byBits[size_t(k)].second = k;
    }
    std::sort(byBits.begin(), byBits.end());
    for (size_t i = 0; i < byBits.size(); ++i)
        column[size_t(byBits[i].second)] = i > 0 && byBits[i].first == byBits[i - 1].first
                                               ? column[size_t(byBits[i - 1].second)]
                                               : byBits[i].second;
    return column;
}
