// Helpers for the exporter tests: scratch paths, whole-file reads and small scene records.
#pragma once

#include "model/unVectorCalc.h"
#include "render/UnTRenderer.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <unistd.h>

// A file path in the test's scratch directory, unique per test program and name.
inline std::string scratchPath(const std::string& name) {
    std::string dir = ::testing::TempDir();
    if (!dir.empty() && dir.back() != '/') dir += '/';
    return dir + "palvorin_render_" + std::to_string(::getpid()) + "_" + name;
}

// Reads a scratch file whole and removes it.
inline std::string takeFile(const std::string& path) {
    std::string data;
    {
        std::ifstream in(path, std::ios::binary);
        data.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    std::remove(path.c_str());
    return data;
}

inline Matrix4 translation(float x, float y, float z) {
    return TranslationMatrix(Vec3{x, y, z});
}

inline TQuadVerts quadAt(float x, float y, float z, float size = 1) {
    return {Vec3{x, y, z}, Vec3{x + size, y, z}, Vec3{x + size, y + size, z}, Vec3{x, y + size, z}};
}

inline TQuadVerts unitTexCoords() {
    return {Vec3{0, 0, 0}, Vec3{1, 0, 0}, Vec3{1, 1, 0}, Vec3{0, 1, 0}};
}

inline TTextureObj noTexture() {
    return TTextureObj{};
}

inline TTextureObj texture(const std::string& fileName, int32_t id = 1) {
    TTextureObj t;
    t.FileName = fileName;
    t.TexName = "tex";
    t.TexId = id;
    return t;
}

// Lines of a CR LF text; fails the test when a line break is not exactly CR LF.
inline std::vector<std::string> crlfLines(const std::string& text) {
    std::vector<std::string> lines;
    size_t start = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\n') {
            EXPECT_TRUE(i > 0 && text[i - 1] == '\r') << "bare LF at byte " << i;
            lines.push_back(text.substr(start, i - 1 - start));
            start = i + 1;
        } else if (text[i] == '\r') {
            EXPECT_TRUE(i + 1 < text.size() && text[i + 1] == '\n') << "bare CR at byte " << i;
        }
    }
    EXPECT_EQ(start, text.size()) << "text does not end with CR LF";
    return lines;
}
