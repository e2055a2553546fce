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
