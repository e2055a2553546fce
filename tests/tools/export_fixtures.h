// Documents with hand-countable geometry for the exporter and traversal tests, and their image.
#pragma once

#include "TestFiles.h"
#include "model/UnTExtrObj.h"
#include "scene/UnBmpTex.h"

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace fixtures {

// The block: a 20 x 20 square profile (five vertices, the last closing it) swept 100 units along +Z
// on an open path in 2 slices: 4 edges x 2 slices = 8 quads, plus a 2-triangle cap at each end.
// Placed at (50, 0, 0) and turned 90 degrees about Y, it covers x 50..150, y -10..10, z -10..10.
constexpr int BlockQuads = 8;
constexpr int BlockTriangles = 4;

// The ring: a lathe of the open profile (0,0) (10,0) (10,30) (0,30) in 8 steps: 3 edges x 8 = 24
// quads, a closed cylinder of radius 10 and height 30. Placed at (0, 0, -40) and turned 90 degrees
// about X, it covers x -10..10, y -10..10, z -40..-10.
constexpr int RingQuads = 24;

// Both objects together.
constexpr int SceneQuads = BlockQuads + RingQuads;
constexpr int SceneTriangles = BlockTriangles;
// As triangles without area-less ones: the ring's 8 bottom and 8 top quads each have two corners
// on the axis and keep one triangle.
constexpr int SceneMeshTriangles = 2 * BlockQuads + BlockTriangles + 2 * RingQuads - 16;
constexpr double SceneMin[3] = {-10, -10, -40};
constexpr double SceneMax[3] = {150, 10, 10};

// Sets outline vertices (x, y), all in edge group group; returns their count.
inline int32_t setOutline(OutlineVertex* to, std::initializer_list<std::pair<int, int>> points,
                          int32_t group = 0) {
    int32_t n = 0;
    for (auto [x, y] : points) {
        to[n] = OutlineVertex{};
        to[n].X = x;
        to[n].Y = y;
        to[n++].Groups[0] = group;
    }
    return n;
}

inline TGroupListRef oneGroup(TColor color, const std::string& texture) {
    auto groups = std::make_shared<TGroupPropertyList>();
    auto group = std::make_shared<TGroupPropertyObj>();
    group->Id = 1;
    group->Color = color;
    group->Texture = texture;
    groups->Add(group);
    return groups;
}

// texture: name of a loaded texture for the sides and both caps, empty for a plain block without
// any edge group.
inline std::unique_ptr<TExtrObj> makeBlock(const std::string& texture = "") {
    auto object = std::make_unique<TExtrObj>();
    object->SetName("block");
    object->ProfileCount =
        setOutline(object->Profile.data(), {{-10, -10}, {10, -10}, {10, 10}, {-10, 10}, {-10, -10}},
                   texture.empty() ? 0 : 1);
    if (!texture.empty()) {
        object->Groups = oneGroup(0x00FF00, texture);
        object->SetTopTexture(texture);
        object->SetBottomTexture(texture);
    }
    object->PathCount = setOutline(object->Path.data(), {{0, 0}, {0, 100}});
    object->SetPathClosed(false);
    object->SetProfileScale(100);
    object->SetPathScale(100);
    object->SetPrecision(2);
    object->SetPosition(Vec3{50, 0, 0});
    object->SetRotation(Vec3{0, 90, 0});
    return object;
}

inline std::unique_ptr<TExtrObj> makeRing(const std::string& texture = "") {
    auto object = std::make_unique<TExtrObj>();
    object->SetName("ring");
    // Drawn off the axis; the lathe shift brings the smallest x to 0.
    object->ProfileCount =
        setOutline(object->Profile.data(), {{5, 0}, {15, 0}, {15, 30}, {5, 30}}, 1);
    object->Groups = oneGroup(0x0000FF, texture);
    object->SetProfileScale(100);
    object->SetPathScale(100);
    object->MakeCirclePath(object->NormalizeLatheProfile(), 8);
    object->SetPosition(Vec3{0, 0, -40});
    object->SetRotation(Vec3{90, 0, 0});
    return object;
}

// An object with a profile but no path.
inline std::unique_ptr<TExtrObj> makeIncomplete() {
    auto object = std::make_unique<TExtrObj>();
    object->SetName("unfinished");
    object->ProfileCount = setOutline(object->Profile.data(), {{0, 0}, {10, 0}, {0, 10}});
    return object;
}

// A document of the given objects; dir, unless empty, is their textures directory (with its "/"
// added), as loading from dir would set it.
template <class... Objects>
std::unique_ptr<TExtrObjList> makeDoc(const std::string& dir, Objects... objects) {
    auto doc = std::make_unique<TExtrObjList>();
    [[maybe_unused]] auto add = [&](std::unique_ptr<TExtrObj> object) {
        if (!dir.empty()) object->SetTexDir(dir + "/");
        doc->Add(std::move(object));
    };
    (add(std::move(objects)), ...);
    return doc;
}

// 2 x 2 image, bottom row first: red, green / blue, yellow.
inline TTextureImage fourColours() {
    TTextureImage img;
    img.Width = img.Height = 2;
    img.Pixels = {255, 0, 0, 0, 255, 0, 0, 0, 255, 255, 255, 0};
    return img;
}

// The same image as a BMP file: 2 x 2 pixels, red and green in the bottom row, blue and yellow
// above.
inline void writeFourColoursBmp(const std::filesystem::path& path) {
    writeBytes(path, buildBmp({.Width = 2,
                               .Height = 2,
                               .Rows = {{0, 0, 255, 0, 255, 0}, {255, 0, 0, 0, 255, 255}},
                               .PadByte = 0}));
}

} // namespace fixtures
