// Helpers for the exporter tests: scratch files, whole exports, caught errors and small geometry.
#pragma once

#include "TestFiles.h"
#include "model/unVectorCalc.h"
#include "render/UnTRenderer.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <string>
#include <unistd.h>
#include <vector>

// A file path in the test's scratch directory, unique per test program and name.
inline std::string scratchPath(const std::string& name) {
    std::string dir = ::testing::TempDir();
    if (!dir.empty() && dir.back() != '/') dir += '/';
    return dir + "palvorin_render_" + std::to_string(::getpid()) + "_" + name;
}

// The names in a folder, sorted.
inline std::vector<std::string> fileNames(const std::filesystem::path& dir) {
    std::vector<std::string> out;
    for (const auto& e : std::filesystem::directory_iterator(dir))
        out.push_back(e.path().filename().string());
    std::sort(out.begin(), out.end());
    return out;
}

// Reads a scratch file whole and removes it.
inline std::string takeFile(const std::string& path) {
    const std::string data = readText(path);
    std::remove(path.c_str());
    return data;
}

// Exports into a scratch file with a renderer of type R: initRendering, body(r), endRendering.
// Returns the file's bytes.
template <class R, class Body> std::string exportWith(const std::string& name, Body&& body) {
    const std::string path = scratchPath(name);
    {
        R r;
        r.initRendering(path);
        body(r);
        r.endRendering();
    }
    return takeFile(path);
}

// What fn throws: "renderer: <message>" for a renderer error, the bare message for any other
// runtime error, "no error" when it returns.
template <class Fn> std::string errorOf(Fn&& fn) {
    try {
        fn();
    } catch (const EDXFError& e) {
        return std::string("renderer: ") + e.what();
    } catch (const std::runtime_error& e) {
        return e.what();
    }
    return "no error";
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

// An untextured unit quad at (x, y, 0).
inline void plainQuad(TRenderer& r, float x, float y) {
    r.quads(quadAt(x, y, 0), false, unitTexCoords());
}

// One tessellator primitive of plain vertices sharing one normal.
inline void feed(TRenderer& r, int32_t mode, const std::vector<Vec3>& points, Vec3 normal) {
    r.beginPrimitive(mode);
    for (const Vec3& p : points)
        r.vertex(p, normal);
    r.endPrimitive();
}

// The 10 x 10 square around the origin as a fan, counter-clockwise seen from +Z.
inline const std::vector<Vec3> SquareFan = {{0, 0, 0}, {10, 0, 0}, {10, 10, 0}, {0, 10, 0}};

inline TTextureObj texture(const std::string& fileName, int32_t id = 1) {
    TTextureObj t;
    t.FileName = fileName;
    t.TexName = "tex";
    t.TexId = id;
    return t;
}

// One object of two faces in lists 101 and 102, placed at x = 10: two plain orange quads, then
// two quads textured with C:\tex\wood.bmp in dark blue.
inline void twoFaceLathe(TRenderer& r) {
    r.setObjectMatrix(translation(10, 0, 0));
    r.initObject("Lathe");
    r.initList(101);
    r.setTexture(TTextureObj{});
    r.setColor(ColorF{1, 0.5f, 0, 1});
    plainQuad(r, 0, 0);
    plainQuad(r, 0, 1);
    r.endList();
    r.initList(102);
    r.setTexture(texture("C:\\tex\\wood.bmp", 3));
    r.setColor(ColorF{0, 0, 0.5f, 1});
    r.quads(quadAt(0, 2, 0), true, unitTexCoords());
    r.quads(quadAt(0, 3, 0), true, unitTexCoords());
    r.endList();
    r.endObject(1, 2, false);
}

// Lines of a CR LF text; fails the test on a bare CR or LF or a missing last CR LF.
inline std::vector<std::string> crlfLines(const std::string& text) {
    std::vector<std::string> lines;
    size_t start = 0;
    for (size_t end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2) {
        lines.push_back(text.substr(start, end - start));
        EXPECT_EQ(lines.back().find_first_of("\r\n"), std::string::npos) << "bare CR or LF";
    }
    EXPECT_EQ(start, text.size()) << "text does not end with CR LF";
    return lines;
}
