// Texture and colour state calls that the builders and the caps send before a run of faces.
#pragma once

#include "render/UnTRenderer.h"
#include "scene/UnBmpTex.h"

#include <string>

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
