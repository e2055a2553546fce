// Documents with hand-countable geometry for the exporter and traversal tests, and a tiny BMP
// writer.
#pragma once

#include "model/UnTExtrObj.h"
#include "scene/UnBmpTex.h"

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
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
constexpr double SceneMin[3] = {-10, -10, -40};
constexpr double SceneMax[3] = {150, 10, 10};

inline OutlineVertex vertex(int32_t x, int32_t y, int32_t group = 0) {
    OutlineVertex v;
    v.X = x;
    v.Y = y;
    v.Groups[0] = group;
    return v;
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
    const int32_t group = texture.empty() ? 0 : 1;
    const OutlineVertex square[] = {vertex(-10, -10, group), vertex(10, -10, group),
                                    vertex(10, 10, group), vertex(-10, 10, group),
                                    vertex(-10, -10, group)};
    for (int i = 0; i < 5; ++i)
        object->Profile[i] = square[i];
    object->ProfileCount = 5;
    if (!texture.empty()) {
        object->Groups = oneGroup(0x00FF00, texture);
        object->SetTopTexture(texture);
        object->SetBottomTexture(texture);
    }
    object->Path[0] = vertex(0, 0);
    object->Path[1] = vertex(0, 100);
    object->PathCount = 2;
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
    const OutlineVertex outline[] = {vertex(5, 0, 1), vertex(15, 0, 1), vertex(15, 30, 1),
                                     vertex(5, 30, 1)};
    for (int i = 0; i < 4; ++i)
        object->Profile[i] = outline[i];
    object->ProfileCount = 4;
    object->Groups = oneGroup(0x0000FF, texture);
    object->SetProfileScale(100);
    object->SetPathScale(100);
    const int32_t width = object->NormalizeLatheProfile();
    object->MakeCirclePath(width, 8);
    object->SetPosition(Vec3{0, 0, -40});
    object->SetRotation(Vec3{90, 0, 0});
    return object;
}

// An object with a profile but no path.
inline std::unique_ptr<TExtrObj> makeIncomplete() {
    auto object = std::make_unique<TExtrObj>();
    object->SetName("unfinished");
    object->Profile[0] = vertex(0, 0);
    object->Profile[1] = vertex(10, 0);
    object->Profile[2] = vertex(0, 10);
    object->ProfileCount = 3;
    return object;
}

// Sets every object's textures directory to dir (with its "/"), as loading from dir would.
inline void setTexDir(TExtrObjList& doc, const std::string& dir) {
    for (int i = 0; i < doc.Count(); ++i)
        doc.Items(i).SetTexDir(dir + "/");
}

// An 8 x 8 24-bit bottom-up BMP in two colours.
inline void writeBmp(const std::filesystem::path& path) {
    const int w = 8, h = 8, row = w * 3;
    std::vector<uint8_t> bytes(54 + row * h, 0);
    auto put32 = [&](size_t at, uint32_t v) {
        for (int i = 0; i < 4; ++i)
            bytes[at + i] = static_cast<uint8_t>(v >> (8 * i));
    };
    bytes[0] = 'B';
    bytes[1] = 'M';
    put32(2, static_cast<uint32_t>(bytes.size()));
    put32(10, 54);
    put32(14, 40);
    put32(18, w);
    put32(22, h);
    bytes[26] = 1;
    bytes[28] = 24;
    put32(34, static_cast<uint32_t>(row * h));
    for (int i = 0; i < w * h; ++i) {
        const bool dark = ((i % w) + (i / w)) % 2 == 0;
        bytes[54 + 3 * i] = dark ? 40 : 220;
        bytes[54 + 3 * i + 1] = dark ? 90 : 200;
        bytes[54 + 3 * i + 2] = dark ? 140 : 180;
    }
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
}

inline std::string readFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// A fresh, empty directory for one test under the build tree.
inline std::filesystem::path workDir(const std::string& name) {
    const auto dir = std::filesystem::path(PALVORIN_BINARY_DIR) / "tests-work" / "tools" / name;
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    return dir;
}

} // namespace fixtures
